#include "clicommand.h"

#include "finder/archive/archiveaccess.h"
#include "finder/archive/archivelisting.h"
#include "finder/archive/extraction.h"
#include "finder/cli/findcommand.h"
#include "finder/cli/interruptbridge.h"
#include "finder/cli/splitcommand.h"
#include "finder/cli/terminaltext.h"
#include "finder/settings/settings.h"
#include "unpack/common/entrylookup.h"
#include "unpack/common/entrynames.h"

#include <QDir>

#include <charconv>
#include <ctime>
#include <iterator>
#include <string>
#include <unistd.h>

namespace orv {

namespace {

using Command = CliRequest::Command;

std::optional<Command> commandNamed(const QString &name)
{
    if (name == QLatin1String("list"))
        return Command::List;
    if (name == QLatin1String("info"))
        return Command::Info;
    if (name == QLatin1String("extract"))
        return Command::Extract;
    return std::nullopt;
}

std::optional<OverwritePolicy> policyNamed(const QString &name)
{
    if (name == QLatin1String("ask"))
        return OverwritePolicy::Ask;
    if (name == QLatin1String("always"))
        return OverwritePolicy::Always;
    if (name == QLatin1String("never"))
        return OverwritePolicy::Never;
    return std::nullopt;
}

// Takes the value of an option given as "--name VALUE" or "--name=VALUE".
bool takeValue(const QStringList &arguments, qsizetype &index, const QString &inlineValue, bool hasInline,
               QString &value)
{
    if (hasInline) {
        value = inlineValue;
        return true;
    }
    if (index + 1 >= arguments.size())
        return false;
    value = arguments.at(++index);
    return true;
}

bool refuse(QString &error, const QString &reason)
{
    error = reason;
    return false;
}

bool applyOption(CliRequest &request, const QStringList &arguments, qsizetype &index, QString &error)
{
    const QString argument = arguments.at(index);
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    const QString name = equals < 0 ? argument : argument.left(equals);
    const QString inlineValue = equals < 0 ? QString() : argument.mid(equals + 1);
    const bool hasInline = equals >= 0;
    QString value;
    if (name == QLatin1String("--password")) {
        if (!takeValue(arguments, index, inlineValue, hasInline, value))
            return refuse(error, QStringLiteral("--password needs a value"));
        request.password = value;
    } else if (name == QLatin1String("--overwrite")) {
        if (!takeValue(arguments, index, inlineValue, hasInline, value) || !policyNamed(value))
            return refuse(error, QStringLiteral("--overwrite takes ask, always or never"));
        request.overwrite = policyNamed(value);
    } else if (argument == QLatin1String("--files-without-paths")) {
        request.filesWithoutPaths = true;
    } else if (argument == QLatin1String("--folders-without-paths")) {
        request.foldersWithoutPaths = true;
    } else if (argument == QLatin1String("--archives-without-paths")) {
        request.archivesWithoutPaths = true;
    } else {
        return refuse(error, QStringLiteral("unknown option ") + argument);
    }
    return true;
}

// Every command takes a password; the options that shape the output on disk belong to extract.
bool optionAllowed(Command command, const QString &argument)
{
    static const QStringList extractOnly{QStringLiteral("--overwrite"), QStringLiteral("--files-without-paths"),
                                         QStringLiteral("--folders-without-paths"),
                                         QStringLiteral("--archives-without-paths")};
    return command == Command::Extract || !extractOnly.contains(argument.section(QLatin1Char('='), 0, 0));
}

void appendTwo(std::string &out, int value)
{
    out += char('0' + value / 10 % 10);
    out += char('0' + value % 10);
}

// Formats times as local "YYYY-MM-DD hh:mm:ss". Items of one archive mostly share a few times, so the
// last text is kept and the time zone lookup runs only when the time changes.
class ListingTimes
{
public:
    void append(std::string &out, const std::optional<std::int64_t> &seconds)
    {
        if (!seconds)
            return;
        if (!m_last || *m_last != *seconds) {
            m_text = format(*seconds);
            m_last = seconds;
        }
        out += m_text;
    }

private:
    static std::string format(std::int64_t seconds)
    {
        const std::time_t t = std::time_t(seconds);
        std::tm parts{};
        if (!::localtime_r(&t, &parts))
            return {};
        std::string text = std::to_string(parts.tm_year + 1900);
        text += '-';
        appendTwo(text, parts.tm_mon + 1);
        text += '-';
        appendTwo(text, parts.tm_mday);
        text += ' ';
        appendTwo(text, parts.tm_hour);
        text += ':';
        appendTwo(text, parts.tm_min);
        text += ':';
        appendTwo(text, parts.tm_sec);
        return text;
    }

    std::optional<std::int64_t> m_last;
    std::string m_text;
};

// The lines of one listing, written out at the end: a streamed listing learns only at the end of the archive
// that it cannot be read, and then shows nothing, as a failed open does. Below an inner path, the entries of a
// spelling of it in other case are kept apart and shown only when no entry has the path's own spelling.
class ListingLines
{
public:
    explicit ListingLines(const QString &innerPath) : m_inner(innerPath), m_lookup(innerPath) {}

    void add(const ArchiveEntry &entry)
    {
        if (Lines *lines = linesFor(entry.path, entry.folder))
            append(*lines, false, entry.folder, entry.size, entry.modified, entryNameBytes(entry.path));
    }
    void add(const StreamedEntry &entry)
    {
        Lines *lines = m_inner.isEmpty() ? &m_exact : linesFor(decodeEntryName(entry.path), entry.folder);
        if (lines)
            append(*lines, entry.leading, entry.folder, entry.size, entry.modified, entry.path);
    }
    void discard()
    {
        m_exact = {};
        m_folded = {};
        m_lookup = SpellingLookup(m_inner);
    }
    qint64 shown() const { return chosen().shown; }
    void writeTo(std::FILE *out) const
    {
        const Lines &lines = chosen();
        std::fwrite(lines.lead.data(), 1, lines.lead.size(), out);
        std::fwrite(lines.body.data(), 1, lines.body.size(), out);
        std::fflush(out);
    }

private:
    struct Lines
    {
        std::string lead;  // the entry a streamed listing hands over last but that comes first
        std::string body;
        qint64 shown = 0;
    };

    Lines *linesFor(const QString &path, bool folder)
    {
        if (m_inner.isEmpty())
            return &m_exact;
        switch (m_lookup.offer(path, folder)) {
        case SpellingLookup::Match::Exact:
            return &m_exact;
        case SpellingLookup::Match::Folded:
            return &m_folded;
        case SpellingLookup::Match::None:
            break;
        }
        return nullptr;
    }
    const Lines &chosen() const { return m_inner.isEmpty() || m_lookup.exactFound() ? m_exact : m_folded; }

    void append(Lines &lines, bool lead, bool folder, std::uint64_t size, const std::optional<std::int64_t> &modified,
                QByteArrayView path)
    {
        std::string &out = lead ? lines.lead : lines.body;
        out += folder ? "D\t\t" : "F\t";
        if (!folder) {
            char digits[24];
            const std::to_chars_result end = std::to_chars(std::begin(digits), std::end(digits), size);
            out.append(digits, end.ptr);
            out += '\t';
        }
        m_times.append(out, modified);
        out += '\t';
        appendTerminalText(out, path);
        out += '\n';
        ++lines.shown;
    }

    QString m_inner;
    SpellingLookup m_lookup;
    ListingTimes m_times;
    Lines m_exact;
    Lines m_folded;
};

// Readers that read sequentially show the entries as they go, sparing the list an open keeps; the others, and
// the archives such a reader leaves to the open, are opened and walked. False when the archive cannot be read;
// the damage text says when it could be read only in part.
bool gatherListing(CArchiveAccess &access, const CArchiveAccess::Located &archive, ListingLines &lines,
                   QString &damage)
{
    const EntryStream streamed = access.StreamArchiveOfKind(archive.path, archive.kind, TarNames::UnderTar,
                                                            [&lines](const StreamedEntry &entry) { lines.add(entry); });
    if (streamed != EntryStream::Unavailable)
        return streamed == EntryStream::Listed;
    lines.discard();
    const COpenedArchive opened = access.Open(archive.path, archive.kind);
    if (!opened)
        return false;
    forEachEntry(opened.reader(), TarNames::UnderTar, [&lines](const ArchiveEntry &entry) {
        lines.add(entry);
        return true;
    });
    damage = opened->damageText();
    return true;
}

QString absolutePath(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

std::optional<CliRequest> refused(QString &error, const QString &reason)
{
    error = reason;
    return std::nullopt;
}

}  // namespace

std::optional<CliRequest> parseCliArguments(const QStringList &arguments, QString &error)
{
    if (arguments.isEmpty())
        return refused(error, QStringLiteral("no command given"));
    const std::optional<Command> command = commandNamed(arguments.first());
    if (!command)
        return refused(error, QStringLiteral("unknown command ") + arguments.first());
    CliRequest request;
    request.command = *command;
    QStringList positional;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1String("--"))) {
            if (!optionAllowed(*command, argument))
                return refused(error, QStringLiteral("option not valid here: ") + argument);
            if (!applyOption(request, arguments, i, error))
                return std::nullopt;
        } else {
            positional << argument;
        }
    }
    const qsizetype wanted = *command == Command::Extract ? 2 : 1;
    if (positional.size() != wanted || positional.contains(QString()))
        return refused(error, QStringLiteral("wrong number of paths"));
    request.path = positional.at(0);
    request.destination = positional.value(1);
    return request;
}

QString CCliCommand::UsageText()
{
    return QStringLiteral(
        "usage: orvfind-cli --help | --version\n"
        "       orvfind-cli list [--password P] PATH\n"
        "       orvfind-cli info PATH\n"
        "       orvfind-cli extract [--password P] [--overwrite ask|always|never] [--files-without-paths]\n"
        "                           [--folders-without-paths] [--archives-without-paths] PATH DEST\n"
        "PATH is an archive or a path inside one, such as /home/u/a.zip/docs/x.txt.\n")
           + CFindCommand::UsageText().replace(QStringLiteral("usage: "), QStringLiteral("       "))
           + CSplitMergeCommand::UsageText().replace(QStringLiteral("usage: "), QStringLiteral("       "));
}

void CCliCommand::error(const QString &text)
{
    const QByteArray bytes = (QStringLiteral("orvfind-cli: ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_err);
}

void CCliCommand::print(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_out);
}

int CCliCommand::Run(const QStringList &arguments)
{
    const QString first = arguments.value(0);
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        print(UsageText());
        return Success;
    }
    if (first == QLatin1String("--version")) {
        print(QStringLiteral("orvfind-cli " ORV_VERSION "\n"));
        return Success;
    }
    if (first == QLatin1String("find"))
        return CFindCommand(m_out, m_err).Run(arguments.mid(1));
    if (first == QLatin1String("catalogue"))
        return CFindCommand(m_out, m_err).RunCatalogue(arguments.mid(1));
    if (first == QLatin1String("split"))
        return CSplitMergeCommand(m_err).RunSplit(arguments.mid(1));
    if (first == QLatin1String("merge"))
        return CSplitMergeCommand(m_err).RunMerge(arguments.mid(1));
    QString reason;
    const std::optional<CliRequest> request = parseCliArguments(arguments, reason);
    if (!request) {
        error(reason);
        const QByteArray usage = UsageText().toUtf8();
        std::fwrite(usage.constData(), 1, std::size_t(usage.size()), m_err);
        return UsageError;
    }
    CConsolePrompter prompts(m_err, ::isatty(STDIN_FILENO) == 1);
    if (request->password)
        prompts.setPassword(*request->password);
    CSettings settings;
    settings.LoadSettings();
    CArchiveAccess access;
    access.ApplySettings(settings.values());
    switch (request->command) {
    case Command::List:
        return runList(access, *request);
    case Command::Info:
        return runInfo(access, *request);
    case Command::Extract:
        return runExtract(access, *request, prompts);
    }
    return UsageError;
}

void CCliCommand::reportOpenFailure(CArchiveAccess &access, ArchiveKindCode kind)
{
    access.ShowOpenError(kind, true);
    if (const QString reason = access.LastReaderError(); !reason.isEmpty() && !isZipGroup(kind))
        error(reason);
}

CArchiveAccess::Located CCliCommand::locateArchiveOf(CArchiveAccess &access, const QString &path)
{
    const CArchiveAccess::Located located = access.locateArchive(path);
    if (located.path.isEmpty())
        error(tr("not an archive, nor a path inside one: %1").arg(path));
    return located;
}

int CCliCommand::runList(CArchiveAccess &access, const CliRequest &request)
{
    const QString path = absolutePath(request.path);
    const CArchiveAccess::Located archive = locateArchiveOf(access, path);
    if (archive.path.isEmpty())
        return Failure;
    const QString inner = innerPathOf(path, archive.path);
    ListingLines lines(inner);
    QString damage;
    if (!gatherListing(access, archive, lines, damage)) {
        reportOpenFailure(access, archive.kind);
        return Failure;
    }
    lines.writeTo(m_out);
    // What could be read comes first; the damage then makes the listing a failure.
    if (!damage.isEmpty())
        error(damage);
    if (lines.shown() == 0 && !inner.isEmpty()) {
        error(tr("no such item in the archive: %1").arg(inner));
        return Failure;
    }
    return damage.isEmpty() ? Success : Failure;
}

int CCliCommand::runInfo(CArchiveAccess &access, const CliRequest &request)
{
    const QString path = absolutePath(request.path);
    const CArchiveAccess::Located archive = locateArchiveOf(access, path);
    if (archive.path.isEmpty())
        return Failure;
    const COpenedArchive opened = access.Open(archive.path, archive.kind);
    if (!opened) {
        reportOpenFailure(access, archive.kind);
        return Failure;
    }
    const QString inner = innerPathOf(path, archive.path);
    QString text;
    if (inner.isEmpty())
        text = opened->archiveOutputInfo();
    else
        text = opened->isFolder(inner) ? opened->folderOutputInfo(inner) : opened->fileOutputInfo(inner);
    const QString damage = opened->damageText();
    if (!text.isEmpty()) {
        const QByteArray line = terminalText(text) + '\n';
        std::fwrite(line.constData(), 1, std::size_t(line.size()), m_out);
        std::fflush(m_out);
    }
    if (!damage.isEmpty())
        error(damage);
    if (text.isEmpty())
        error(tr("no such item in the archive: %1").arg(inner));
    return text.isEmpty() || !damage.isEmpty() ? Failure : Success;
}

int CCliCommand::runExtract(CArchiveAccess &access, const CliRequest &request, CConsolePrompter &prompts)
{
    const QString path = absolutePath(request.path);
    const QString destination = absolutePath(request.destination);
    INIUNPACK ini = access.GetUnpackIni();
    ini.bUnpackFilesWithoutPaths |= request.filesWithoutPaths ? 1 : 0;
    ini.bUnpackFoldersWithoutPaths |= request.foldersWithoutPaths ? 1 : 0;
    ini.bUnpackArchivesWithoutPaths |= request.archivesWithoutPaths ? 1 : 0;
    if (request.overwrite) {
        ini.bAskBeforeOverwriting = *request.overwrite == OverwritePolicy::Always ? 0 : 1;
        prompts.setOverwritePolicy(*request.overwrite);
    }
    access.SetUnpackIni(ini);
    const CArchiveAccess::Located archive = locateArchiveOf(access, path);
    if (archive.path.isEmpty() || !CArchiveExtraction::CreateDestination(destination, true))
        return Failure;
    const COpenedArchive opened = access.Open(archive.path, archive.kind);
    if (!opened) {
        reportOpenFailure(access, archive.kind);
        return Failure;
    }
    QObject progress;
    CInterruptBridge bridge(&progress);
    QObject::connect(&bridge, &CInterruptBridge::interrupted, &bridge,
                     [&prompts] { prompts.setInterruptRequested(); });
    const UnpackNoticeScope notices([this](const UnpackNotice &notice) { reportNotice(notice); });
    const QString inner = innerPathOf(path, archive.path);
    const UnpackItem item = CArchiveExtraction::ItemOf(opened.reader(), inner);
    if (CArchiveExtraction::RunUnpack(access, item, inner, destination, archive.kind, &progress))
        return Success;
    if (prompts.interruptRequested())
        error(tr("Extraction interrupted."));
    else
        access.ShowUnpackError(item, inner.isEmpty() ? archive.path : inner, archive.kind, false);
    return Failure;
}

void CCliCommand::reportNotice(const UnpackNotice &notice)
{
    const QString kind = notice.kind == UnpackNotice::Kind::Skipped ? tr("skipped") : tr("failed");
    // One line each, whatever the names hold.
    const QByteArray line = terminalText(kind + QLatin1Char(' ') + notice.item + QStringLiteral(": ") + notice.reason)
                            + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), m_err);
}

}  // namespace orv
