#include "findcommand.h"

#include "finder/archive/archiveaccess.h"
#include "finder/cli/consoleprompter.h"
#include "finder/cli/interruptbridge.h"
#include "finder/cli/terminalrows.h"
#include "finder/export/docxdocument.h"
#include "finder/export/xlsxdocument.h"
#include "finder/search/listingcatalogue.h"
#include "finder/search/searchengine.h"
#include "finder/settings/settings.h"
#include "platform/events.h"
#include "platform/product.h"
#include "platform/prompts.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>
#include <QTime>

#include <ctime>
#include <memory>
#include <unistd.h>

namespace orv {

namespace {

std::optional<SearchMode> modeNamed(const QString &name)
{
    if (name == QLatin1String("archives"))
        return SearchMode::Archives;
    if (name == QLatin1String("files"))
        return SearchMode::FilesInArchives;
    if (name == QLatin1String("both"))
        return SearchMode::ArchivesAndFiles;
    return std::nullopt;
}

std::optional<FilterFor> filterForNamed(const QString &name)
{
    if (name == QLatin1String("archives"))
        return FilterFor::Archives;
    if (name == QLatin1String("files"))
        return FilterFor::FilesInArchives;
    if (name == QLatin1String("both"))
        return FilterFor::Both;
    return std::nullopt;
}

std::optional<SizeRelation> relationNamed(const QString &name)
{
    if (name == QLatin1String("eq"))
        return SizeRelation::Equal;
    if (name == QLatin1String("ge"))
        return SizeRelation::NoLess;
    if (name == QLatin1String("le"))
        return SizeRelation::NoMore;
    return std::nullopt;
}

// "YYYY-MM-DD HH:MM:SS" taken as local time, as the date pickers give it.
std::optional<std::int64_t> localSeconds(const QString &text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return std::nullopt;
    const QDate date = QDate::fromString(parts[0], QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(parts[1], QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    std::tm fields{};
    fields.tm_year = date.year() - 1900;
    fields.tm_mon = date.month() - 1;
    fields.tm_mday = date.day();
    fields.tm_hour = time.hour();
    fields.tm_min = time.minute();
    fields.tm_sec = time.second();
    fields.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&fields);
    if (seconds == std::time_t(-1) && !(fields.tm_year == 69 && fields.tm_mon == 11 && fields.tm_mday == 31))
        return std::nullopt;
    return std::int64_t(seconds);
}

bool applyFilterPart(FilterPage &page, const QString &key, const QString &value)
{
    if (key == QLatin1String("for")) {
        const std::optional<FilterFor> target = filterForNamed(value);
        if (target)
            page.nFilterFor = *target;
        return target.has_value();
    }
    if (key == QLatin1String("modified")) {
        const qsizetype dots = value.indexOf(QLatin1String(".."));
        const std::optional<std::int64_t> from = localSeconds(value.left(dots));
        const std::optional<std::int64_t> to = localSeconds(value.mid(dots + 2));
        if (dots < 0 || !from || !to)
            return false;
        page.bDateOn = true;
        page.tFrom = *from;
        page.tTo = *to;
        return true;
    }
    if (key == QLatin1String("size")) {
        const std::optional<SizeRelation> relation = relationNamed(value.section(QLatin1Char(':'), 0, 0));
        const QString digits = value.section(QLatin1Char(':'), 1);
        bool ok = false;
        const qint64 size = digits.toLongLong(&ok);
        if (!relation || !ok || digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) {
                return c.isDigit();
            }))
            return false;
        page.bSizeOn = true;
        page.nRelation = *relation;
        page.nSize = size;
        return true;
    }
    return false;
}

std::optional<ExportTarget> documentNamed(const QString &name)
{
    if (name.compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0)
        return ExportTarget::Excel;
    if (name.compare(QLatin1String("docx"), Qt::CaseInsensitive) == 0)
        return ExportTarget::Word;
    return std::nullopt;
}

bool refuse(QString &error, const QString &reason)
{
    error = reason;
    return false;
}

constexpr int kMaxJobs = 256;

struct OptionValues
{
    std::optional<SearchMode> mode;
    std::optional<QString> archiveMask;
    std::optional<QString> fileMask;
};

// Options that take a value accept "--name VALUE" and "--name=VALUE".
bool applyOption(FindRequest &request, OptionValues &given, const QStringList &arguments, qsizetype &index,
                 QString &error)
{
    const QString argument = arguments.at(index);
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    const QString name = equals < 0 ? argument : argument.left(equals);
    if (name == QLatin1String("--no-subfolders") || name == QLatin1String("--skip-compressed-tar")
        || name == QLatin1String("--no-pump") || name == QLatin1String("--no-catalogue")) {
        if (equals >= 0)
            return refuse(error, name + QStringLiteral(" takes no value"));
        if (name == QLatin1String("--no-subfolders"))
            request.criteria.bIncludeSubfolders = false;
        else if (name == QLatin1String("--skip-compressed-tar"))
            request.criteria.bSkipCompressedTar = true;
        else if (name == QLatin1String("--no-catalogue"))
            request.catalogue = false;
        else
            request.pumping = false;
        return true;
    }
    QString value;
    if (equals >= 0)
        value = argument.mid(equals + 1);
    else if (index + 1 < arguments.size())
        value = arguments.at(++index);
    else
        return refuse(error, name + QStringLiteral(" needs a value"));
    if (name == QLatin1String("--mode")) {
        given.mode = modeNamed(value);
        return given.mode ? true : refuse(error, QStringLiteral("--mode takes archives, files or both"));
    }
    if (name == QLatin1String("--archives")) {
        given.archiveMask = value.trimmed();
    } else if (name == QLatin1String("--files")) {
        given.fileMask = value.trimmed();
    } else if (name == QLatin1String("--include") || name == QLatin1String("--exclude")) {
        const std::optional<FilterPage> page = parseFilter(value, error);
        if (!page)
            return false;
        (name == QLatin1String("--include") ? request.criteria.include : request.criteria.exclude) = *page;
    } else if (name == QLatin1String("--format")) {
        const std::optional<FoundFilesFormat> format = foundFilesFormatNamed(value);
        request.document = documentNamed(value);
        if (!format && !request.document)
            return refuse(error, QStringLiteral("--format takes txt, csv, xml, xlsx or docx"));
        request.format = format.value_or(FoundFilesFormat::Text);
    } else if (name == QLatin1String("--jobs")) {
        bool ok = false;
        request.jobs = value.toInt(&ok);
        if (!ok || request.jobs < 1 || request.jobs > kMaxJobs)
            return refuse(error, QStringLiteral("--jobs takes a number from 1 to %1").arg(kMaxJobs));
    } else if (name == QLatin1String("--output")) {
        if (value.isEmpty())
            return refuse(error, QStringLiteral("--output needs a file name"));
        request.output = value;
    } else {
        return refuse(error, QStringLiteral("unknown option ") + argument);
    }
    return true;
}

// Without --mode the masks given tell the mode; the mode's masks must not be empty, as the Find button
// of the program is disabled then.
bool settleMode(FindRequest &request, const OptionValues &given, QString &error)
{
    const bool archives = given.archiveMask && !given.archiveMask->isEmpty();
    const bool files = given.fileMask && !given.fileMask->isEmpty();
    SearchMode mode = SearchMode::Archives;
    if (given.mode)
        mode = *given.mode;
    else if (files)
        mode = archives ? SearchMode::ArchivesAndFiles : SearchMode::FilesInArchives;
    const bool needsArchives = mode != SearchMode::FilesInArchives;
    const bool needsFiles = mode != SearchMode::Archives;
    if (needsArchives && !archives)
        return refuse(error, QStringLiteral("this mode needs a mask for archives (--archives)"));
    if (needsFiles && !files)
        return refuse(error, QStringLiteral("this mode needs a mask for files (--files)"));
    request.criteria.setMode(mode);
    request.criteria.strArchiveMask = given.archiveMask.value_or(QString());
    request.criteria.strFileMask = given.fileMask.value_or(QString());
    // With archives alone there is nothing else to filter for.
    if (mode == SearchMode::Archives) {
        request.criteria.include.nFilterFor = FilterFor::Archives;
        request.criteria.exclude.nFilterFor = FilterFor::Archives;
    }
    return true;
}

QString absolutePath(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

// Writes the rows as the search finds them and keeps none of them, so the memory a search takes does not
// grow with its hits: to standard output as plain UTF-8 lines, or to the output file in the saved-list
// encoding, which replaces the file only once everything is written.
class CHitWriter : public IFoundFileSink
{
public:
    CHitWriter(FoundFilesFormat format, std::FILE *out, QSaveFile *file) : m_format(format), m_out(out), m_file(file)
    {
        m_block.reserve(kBlockBytes + kBlockSlack);
        add(foundFilesHeader(format, lineEnd()), true);
    }

    void FreeAll() override { m_count = 0; }
    bool AddFoundFile(const CFileInfo &record) override
    {
        if (m_file || m_format != FoundFilesFormat::Text)
            add(foundFilesRow(m_format, record, lineEnd()), false);
        else
            m_rows.append(m_block, record);
        ++m_count;
        if (m_block.size() >= kBlockBytes)
            flush();
        return true;
    }
    bool AddFoundEntry(const FoundEntry &entry) override
    {
        if (m_file || m_format != FoundFilesFormat::Text)
            return AddFoundFile(entry.record());
        m_rows.append(m_block, entry);
        ++m_count;
        if (m_block.size() >= kBlockBytes)
            flush();
        return true;
    }
    std::uint32_t foundCount() const override { return m_count; }

    bool finish()
    {
        add(foundFilesFooter(m_format, lineEnd()), false);
        flush();
        if (m_file)
            return m_ok && m_file->commit();
        return std::fflush(m_out) == 0 && m_ok;
    }

private:
    // Written out whenever it holds this much, and then reused, so its pages are taken only once; small
    // enough to stay in the cache, large enough that writes are few.
    static constexpr std::size_t kBlockBytes = 256 << 10;
    static constexpr std::size_t kBlockSlack = 16 << 10;

    LineEnd lineEnd() const { return m_file ? LineEnd::CrLf : LineEnd::Lf; }

    void add(const QString &text, bool atStart)
    {
        const QByteArray bytes = m_file ? foundFilesFileBytes(text, atStart) : text.toUtf8();
        m_block.append(bytes.constData(), std::size_t(bytes.size()));
    }
    void flush()
    {
        if (m_file)
            m_ok = m_file->write(m_block.data(), qint64(m_block.size())) == qint64(m_block.size()) && m_ok;
        else
            m_ok = std::fwrite(m_block.data(), 1, m_block.size(), m_out) == m_block.size() && m_ok;
        m_block.clear();
    }

    FoundFilesFormat m_format;
    std::FILE *m_out;
    QSaveFile *m_file;
    std::string m_block;
    CTerminalRows m_rows;
    bool m_ok = true;
    std::uint32_t m_count = 0;
};

// Writes the hits into a new workbook or document as the search finds them; the file replaces an earlier
// one only once it is complete. After a failure the hits are still counted but no longer written.
class CDocumentHitWriter : public IFoundFileSink
{
public:
    explicit CDocumentHitWriter(IFoundFilesDocument &document) : m_document(document) {}

    void FreeAll() override { m_count = 0; }
    bool AddFoundFile(const CFileInfo &record) override
    {
        m_ok = m_ok && m_document.writeRow(record, m_count);
        ++m_count;
        return true;
    }
    std::uint32_t foundCount() const override { return m_count; }
    bool finish() { return m_ok && m_document.finish(); }

private:
    IFoundFilesDocument &m_document;
    bool m_ok = true;
    std::uint32_t m_count = 0;
};

}  // namespace

std::optional<FilterPage> parseFilter(const QString &text, QString &error)
{
    FilterPage page;
    page.bOff = false;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals < 0 || !applyFilterPart(page, part.left(equals).trimmed(), part.mid(equals + 1).trimmed())) {
            error = QStringLiteral("bad filter part: ") + part;
            return std::nullopt;
        }
    }
    return page;
}

std::optional<FindRequest> parseFindArguments(const QStringList &arguments, QString &error)
{
    FindRequest request;
    OptionValues given;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1String("--"))) {
            if (!applyOption(request, given, arguments, i, error))
                return std::nullopt;
        } else if (argument.isEmpty()) {
            error = QStringLiteral("an empty place");
            return std::nullopt;
        } else {
            request.places << absolutePath(argument);
        }
    }
    if (request.places.isEmpty()) {
        error = QStringLiteral("no place to search");
        return std::nullopt;
    }
    if (!settleMode(request, given, error))
        return std::nullopt;
    if (request.document && request.output.isEmpty()) {
        error = QStringLiteral("--format xlsx and docx need --output");
        return std::nullopt;
    }
    return request;
}

QString CFindCommand::UsageText()
{
    return QStringLiteral(
        "usage: orvfind-cli find [--mode archives|files|both] [--archives MASK] [--files MASK] [--no-subfolders]\n"
        "                        [--skip-compressed-tar] [--include FILTER] [--exclude FILTER]\n"
        "                        [--format txt|csv|xml|xlsx|docx] [--output FILE] [--no-pump] [--jobs N]\n"
        "                        [--no-catalogue] PLACE...\n"
        "       orvfind-cli catalogue info|clear\n"
        "FILTER is for=archives|files|both,modified=FROM..TO,size=eq|ge|le:N, each part optional, times as\n"
        "YYYY-MM-DD HH:MM:SS local time. A PLACE is a folder, a file or a folder inside an archive.\n"
        "--output writes the list as the program saves it (UTF-8 with byte-order mark, CR LF lines), or the\n"
        "workbook (xlsx) or document (docx) that the program exports; those two need --output.\n"
        "--jobs lists that many archives at once (default: the number of cores); the output is the same.\n"
        "The catalogue keeps the listings of the archives searched, so that a search opens only archives that\n"
        "are new or changed; --no-catalogue searches without it. \"catalogue info\" shows its size, \"clear\"\n"
        "empties it.\n");
}

void CFindCommand::print(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_out);
    std::fflush(m_out);
}

int CFindCommand::RunCatalogue(const QStringList &arguments)
{
    const QString action = arguments.value(0);
    if (arguments.size() != 1 || (action != QLatin1String("info") && action != QLatin1String("clear"))) {
        error(QStringLiteral("catalogue takes info or clear"));
        return 2;
    }
    CListingCatalogue catalogue;
    if (!catalogue.open(CListingCatalogue::defaultPath())) {
        error(catalogue.errorText());
        return 1;
    }
    if (action == QLatin1String("clear")) {
        if (catalogue.clear())
            return 0;
        error(tr("cannot empty the catalogue %1").arg(CListingCatalogue::defaultPath()));
        return 1;
    }
    const CListingCatalogue::Info info = catalogue.info();
    print(tr("catalogue: %1\narchives: %2\nentries: %3\nsize: %4 bytes\n")
              .arg(CListingCatalogue::defaultPath())
              .arg(info.archives)
              .arg(info.entries)
              .arg(info.bytes));
    return 0;
}

void CFindCommand::error(const QString &text)
{
    const QByteArray bytes = (QStringLiteral("orvfind-cli: ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_err);
    std::fflush(m_err);
}

std::uint32_t CFindCommand::search(const FindRequest &request, IFoundFileSink &sink, bool &cancelled)
{
    CConsolePrompter &prompts = *m_prompts;
    CSearchEngine engine(*m_access, sink);
    engine.SetCriteria(request.criteria);
    engine.SetPumping(request.pumping);
    engine.SetJobs(request.jobs > 0 ? request.jobs : QThread::idealThreadCount());
    CListingCatalogue catalogue;
    if (request.catalogue) {
        // Without the catalogue the search still finds everything, only slower.
        if (catalogue.open(CListingCatalogue::defaultPath()))
            engine.SetCatalogue(&catalogue);
        else
            error(tr("searching without the catalogue: %1").arg(catalogue.errorText()));
    }
    QObject progress;
    engine.SetProgressWindow(&progress);
    CInterruptBridge bridge(nullptr);
    QObject::connect(&bridge, &CInterruptBridge::interrupted, &bridge, [&prompts, &progress] {
        prompts.setInterruptRequested();
        postOrvEvent(&progress, Ev::FindStop);
    });
    const std::uint32_t count = engine.Search(request.places);
    cancelled = engine.IsCancelled();
    return count;
}

bool CFindCommand::searchToList(const FindRequest &request, bool &cancelled)
{
    std::unique_ptr<QSaveFile> file;
    if (!request.output.isEmpty()) {
        file = std::make_unique<QSaveFile>(absolutePath(request.output));
        if (!file->open(QIODevice::WriteOnly)) {
            error(tr("cannot create file %1: %2").arg(file->fileName(), file->errorString()));
            return false;
        }
    }
    CHitWriter writer(request.format, m_out, file.get());
    const std::uint32_t count = search(request, writer, cancelled);
    const bool written = writer.finish();
    if (!written)
        error(file ? tr("cannot write to file %1: %2").arg(file->fileName(), file->errorString())
                   : tr("cannot write the output"));
    showInformation(CSearchEngine::CountMessage(count), productName());
    return written;
}

bool CFindCommand::searchToDocument(const FindRequest &request, bool &cancelled)
{
    const QString path = absolutePath(request.output);
    std::unique_ptr<IFoundFilesDocument> document;
    if (*request.document == ExportTarget::Excel)
        document = std::make_unique<CXlsxDocument>();
    else
        document = std::make_unique<CDocxDocument>();
    if (!document->create(path) || !document->writeHeader()) {
        error(tr("cannot create file %1: %2").arg(path, document->errorText()));
        return false;
    }
    CDocumentHitWriter writer(*document);
    const std::uint32_t count = search(request, writer, cancelled);
    const bool written = writer.finish();
    if (!written)
        error(tr("cannot write to file %1: %2").arg(path, document->errorText()));
    showInformation(CSearchEngine::CountMessage(count), productName());
    return written;
}

int CFindCommand::Run(const QStringList &arguments)
{
    QString reason;
    const std::optional<FindRequest> request = parseFindArguments(arguments, reason);
    if (!request) {
        error(reason);
        const QByteArray usage = UsageText().toUtf8();
        std::fwrite(usage.constData(), 1, std::size_t(usage.size()), m_err);
        return 2;
    }
    CConsolePrompter prompts(m_err, ::isatty(STDIN_FILENO) == 1);
    CSettings settings;
    settings.LoadSettings();
    CArchiveAccess access;
    access.ApplySettings(settings.values());
    m_access = &access;
    m_prompts = &prompts;

    bool failed = false;
    for (const QString &place : request->places) {
        if (!QFileInfo::exists(place) && access.GetArchivePath(place).isEmpty()) {
            error(tr("no such place: %1").arg(place));
            failed = true;
        }
    }
    bool cancelled = false;
    const bool written = request->document ? searchToDocument(*request, cancelled) : searchToList(*request, cancelled);
    m_access = nullptr;
    m_prompts = nullptr;
    return failed || !written || cancelled ? 1 : 0;
}

}  // namespace orv
