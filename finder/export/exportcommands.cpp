#include "exportcommands.h"

#include "finder/common/busyflags.h"
#include "finder/search/findprogress.h"
#include "finder/search/foundfilesmodel.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <memory>
#include <optional>

namespace orv {

namespace {
const char *const kSuffixes[] = {"txt", "csv", "xml"};
}

// The search's progress window under another title, the operation marked as running under the search's
// flag (closing the window and other long commands post it the stop request) and the wait cursor.
class CExportCommands::RunWindow : public IRunWindow
{
public:
    RunWindow(CBusyFlags &busy, QWidget *parent) : m_busy(busy), m_parent(parent) {}
    ~RunWindow() override
    {
        if (m_progress)
            end();
    }

    QObject *begin(const QString &title) override
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_progress = std::make_unique<CFindProgress>(m_parent);
        m_progress->setWindowTitle(title);
        m_progress->show();
        m_scope.emplace(m_busy, CBusyFlags::Search, m_progress.get());
        return m_progress.get();
    }

    void end() override
    {
        m_scope.reset();
        m_progress.reset();
        QApplication::restoreOverrideCursor();
    }

private:
    CBusyFlags &m_busy;
    QWidget *m_parent;
    std::unique_ptr<CFindProgress> m_progress;
    std::optional<BusyScope> m_scope;
};

CExportCommands::CExportCommands(const CFoundFilesModel &rows, CBusyFlags &busy, QWidget *dialogParent)
    : QObject(dialogParent), m_rows(rows), m_busy(busy), m_parent(dialogParent)
{
}

QStringList CExportCommands::saveFilters()
{
    return {tr("Text Files (*.txt)"), tr("Comma Separated Value Files (*.csv)"), tr("XML Files (*.xml)")};
}

// Another long operation is asked to stop instead, as its own Stop button would.
bool CExportCommands::mayStart()
{
    return !m_busy.IsBusy() && m_rows.anyChecked();
}

void CExportCommands::OnSaveAs()
{
    if (!mayStart())
        return;
    const QStringList filters = saveFilters();
    QFileDialog dialog(m_parent ? m_parent->window() : nullptr, tr("Save As"));
    dialog.setObjectName(QStringLiteral("SaveFoundFilesDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    dialog.selectFile(QStringLiteral("Untitled"));
    // A name typed without an extension gets the chosen form's, so that the overwrite question is asked
    // about the file that will be written.
    dialog.setDefaultSuffix(QLatin1String(kSuffixes[0]));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString &filter) {
        const qsizetype index = filters.indexOf(filter);
        if (index >= 0)
            dialog.setDefaultSuffix(QLatin1String(kSuffixes[index]));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveAs(dialog.selectedFiles().first(), int(filters.indexOf(dialog.selectedNameFilter())) + 1);
}

void CExportCommands::SaveAs(const QString &chosenPath, int filterIndex)
{
    const std::optional<FoundFilesFormat> format = formatOfSaveFilter(filterIndex);
    if (!format)
        return;
    m_targetPath = withSaveExtension(chosenPath, *format);
    // The dialog asked about the name as typed; an appended extension names another file, which must not
    // be replaced unasked.
    if (m_targetPath != chosenPath && QFileInfo::exists(m_targetPath)
        && prompter().message(tr("%1 already exists.\nDo you want to replace it?").arg(m_targetPath), tr("Save As"),
                              MsgIcon::Warning, MsgButtons::YesNo)
               != MsgAnswer::Yes)
        return;
    const CCheckedRows rows(m_rows);
    RunWindow window(m_busy, m_parent);
    SaveFoundFiles(m_targetPath, *format, rows, window);
}

void CExportCommands::Export(ExportTarget target)
{
    if (!mayStart())
        return;
    const QString folder = m_temporaryFolder.isEmpty() ? QDir::tempPath() : m_temporaryFolder;
    m_exportPath = newExportPath(folder, target);
    const CCheckedRows rows(m_rows);
    RunWindow window(m_busy, m_parent);
    ExportFoundFiles(target, m_exportPath, rows, window, m_opener);
}

}  // namespace orv
