#include "exportrun.h"

#include "finder/export/docxdocument.h"
#include "finder/export/savedlistfile.h"
#include "finder/export/xlsxdocument.h"
#include "platform/events.h"
#include "platform/product.h"
#include "platform/prompts.h"
#include "platform/pump.h"
#include "platform/stopeventfilter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <memory>

namespace orv {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CFoundFilesExport", text);
}

// The texts that tell a save from an export.
struct WalkTexts
{
    QString title;
    QString line;      // "%1 of %2"
    QString question;
};

// Shows the progress window for as long as the walk lives, whatever way it ends, and turns the stop request
// arriving there into the walk's stop flag.
class RunScope
{
public:
    RunScope(IRunWindow &window, const QString &title) : m_window(window) { m_stopFilter.watch(window.begin(title)); }
    ~RunScope()
    {
        m_stopFilter.watch(nullptr);
        m_window.end();
    }
    RunScope(const RunScope &) = delete;
    RunScope &operator=(const RunScope &) = delete;

    QObject *progress() const { return m_stopFilter.window(); }

    bool stopAsked = false;

private:
    IRunWindow &m_window;
    StopEventFilter m_stopFilter{Ev::FindStop, [this] { stopAsked = true; }, StopEventFilter::Delivery::Take};
};

struct WalkResult
{
    std::size_t written = 0;
    bool ok = true;
};

// The rows one by one: write, tell the progress window, pump (see pumpIntervalMs), and on a stop request
// ask whether to interrupt. The question comes at the earliest after the first row, so an interrupted file
// holds at least one; No goes on and asks again only after a new request. Then the document's closing
// part, also after an interrupt.
WalkResult walkRows(IFoundFilesDocument &document, const IFoundRows &rows, IRunWindow &window, const WalkTexts &texts)
{
    RunScope scope(window, texts.title);
    WalkResult result;
    const std::size_t total = rows.count();
    const int interval = window.pumpIntervalMs();
    QElapsedTimer sincePump;
    for (std::size_t index = 0; index < total; ++index) {
        const std::optional<FoundRow> row = rows.at(index);
        if (!row)
            continue;
        if (!document.writeRow(row->record, row->position)) {
            result.ok = false;
            return result;
        }
        ++result.written;
        if (!sincePump.isValid() || sincePump.elapsed() >= interval) {
            sendOrvEvent(scope.progress(), Ev::FindProgress, 0, texts.line.arg(result.written).arg(total));
            pumpEvents();
            sincePump.restart();
        }
        if (scope.stopAsked) {
            scope.stopAsked = false;
            if (askYesNo(texts.question, productName()))
                break;
        }
    }
    result.ok = document.finish();
    return result;
}

struct ExportTexts
{
    QString cantOpen;
    QString noProgram;  // "%1" the file
    QString runError;   // "%1" the reason
    QString exported;   // "%1" the rows
};

ExportTexts exportTexts(ExportTarget target)
{
    if (target == ExportTarget::Excel)
        return {tr("Can't open Excel"), tr("No program of this desktop opens the workbook; it is kept as\n%1"),
                tr("Export to Excel error:\n%1"), tr("Exported %1 lines to Excel")};
    return {tr("Can't open Word"), tr("No program of this desktop opens the document; it is kept as\n%1"),
            tr("Export to Word error:\n%1"), tr("Exported %1 lines to Word")};
}

std::unique_ptr<IFoundFilesDocument> newDocument(ExportTarget target)
{
    if (target == ExportTarget::Excel)
        return std::make_unique<CXlsxDocument>();
    return std::make_unique<CDocxDocument>();
}

}  // namespace

std::optional<FoundFilesFormat> formatOfSaveFilter(int filterIndex)
{
    switch (filterIndex) {
    case 1:
        return FoundFilesFormat::Text;
    case 2:
        return FoundFilesFormat::Csv;
    case 3:
        return FoundFilesFormat::Xml;
    default:
        return std::nullopt;
    }
}

QString withSaveExtension(const QString &path, FoundFilesFormat format)
{
    static const QString kExtensions[] = {QStringLiteral("txt"), QStringLiteral("csv"), QStringLiteral("xml")};
    const QString &extension = kExtensions[static_cast<int>(format)];
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString after = dot < 0 ? QString() : path.mid(dot + 1);
    if (after.compare(extension, Qt::CaseInsensitive) == 0)
        return path;
    return path + QLatin1Char('.') + extension;
}

QString newExportPath(const QString &folder, ExportTarget target)
{
    const QString extension = target == ExportTarget::Excel ? QStringLiteral(".xlsx") : QStringLiteral(".docx");
    const QDir dir(folder);
    QString path = dir.filePath(QStringLiteral("Found Files") + extension);
    for (int number = 2; QFileInfo::exists(path); ++number)
        path = dir.filePath(QStringLiteral("Found Files (%1)").arg(number) + extension);
    return path;
}

std::size_t SaveFoundFiles(const QString &path, FoundFilesFormat format, const IFoundRows &rows, IRunWindow &window)
{
    CSavedListFile file(format);
    if (!file.create(path)) {
        showError(tr("Cannot create file %1").arg(path), tr("Creating file error"));
        return 0;
    }
    WalkResult result;
    if (file.writeHeader())
        result = walkRows(file, rows, window,
                          {tr("Saving"), tr("Current recording line %1 of %2 ..."), tr("Interrupt the saving?")});
    else
        result.ok = false;
    if (!result.ok) {
        showError(tr("Cannot write to file %1").arg(path), tr("Writing file error"));
        return result.written;
    }
    showInformation(tr("Saved %1 lines in the file '%2'").arg(QString::number(result.written), path), productName());
    return result.written;
}

std::size_t ExportFoundFiles(ExportTarget target, const QString &path, const IFoundRows &rows, IRunWindow &window,
                             const FileOpener &open)
{
    const ExportTexts texts = exportTexts(target);
    const std::unique_ptr<IFoundFilesDocument> document = newDocument(target);
    if (!document->create(path)) {
        showError(texts.cantOpen + QLatin1Char('\n') + document->errorText(), tr("Export error"));
        return 0;
    }
    WalkResult result;
    if (document->writeHeader())
        result = walkRows(*document, rows, window,
                          {tr("Export"), tr("Current exporting line %1 of %2 ..."), tr("Interrupt the export?")});
    else
        result.ok = false;
    if (!result.ok) {
        showError(texts.runError.arg(document->errorText()), tr("Export error"));
        return result.written;
    }
    showInformation(texts.exported.arg(result.written), productName());
    if (!open || !open(path))
        showError(texts.cantOpen + QLatin1Char('\n') + texts.noProgram.arg(path), tr("Export error"));
    return result.written;
}

}  // namespace orv
