#include "splitcommand.h"

#include "finder/cli/consoleprompter.h"
#include "finder/cli/interruptbridge.h"
#include "finder/tools/filemerger.h"
#include "finder/tools/filesplitter.h"

#include <QDir>

#include <functional>
#include <algorithm>
#include <utility>
#include <unistd.h>

namespace orv {

namespace {

QString absolutePath(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool allDigits(const QString &text)
{
    return !text.isEmpty()
           && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// "N", "NK", "NM" or "NG", the letter in either case.
bool parseSize(const QString &text, SplitRequest &request)
{
    static const QString units = QStringLiteral("KMG");
    const qsizetype unit = text.isEmpty() ? -1 : units.indexOf(text.back().toUpper());
    const QString digits = unit < 0 ? text : text.chopped(1);
    if (!allDigits(digits))
        return false;
    request.mode = SplitRequest::SizeOfPart;
    request.sizeValue = digitsValue(digits);
    request.unit = int(unit + 1);
    return true;
}

bool parsePartCount(const QString &text, SplitRequest &request)
{
    if (!allDigits(text))
        return false;
    request.mode = SplitRequest::NumberOfParts;
    request.parts = int(std::min<qint64>(digitsValue(text), kMostParts + 1));
    return true;
}

template <typename T>
std::optional<T> refused(QString &error, const QString &reason)
{
    error = reason;
    return std::nullopt;
}

// Paths stand after the options; "--" ends the options.
QStringList positionalArguments(const QStringList &arguments, QStringList &options)
{
    QStringList positional;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == QLatin1String("--"))
            optionsEnded = true;
        else if (!optionsEnded && argument.startsWith(QLatin1String("--")))
            options << argument;
        else
            positional << argument;
    }
    return positional;
}

}  // namespace

std::optional<SplitRequest> parseSplitArguments(const QStringList &arguments, QString &error)
{
    SplitRequest request;
    QStringList positional;
    bool modeGiven = false;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !argument.startsWith(QLatin1String("--"))) {
            positional << argument;
            continue;
        }
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        const bool parts = name == QLatin1String("--parts");
        if (!parts && name != QLatin1String("--size"))
            return refused<SplitRequest>(error, QStringLiteral("unknown option ") + argument);
        if (std::exchange(modeGiven, true))
            return refused<SplitRequest>(error, QStringLiteral("give either --parts or --size, once"));
        const bool inlineValue = argument.contains(QLatin1Char('='));
        if (!inlineValue && i + 1 >= arguments.size())
            return refused<SplitRequest>(error, name + QStringLiteral(" needs a value"));
        const QString value = inlineValue ? argument.section(QLatin1Char('='), 1) : arguments.at(++i);
        if (parts ? !parsePartCount(value, request) : !parseSize(value, request))
            return refused<SplitRequest>(error, parts ? QStringLiteral("--parts takes a number of parts")
                                                      : QStringLiteral("--size takes a number with K, M, G or none"));
    }
    if (!modeGiven)
        return refused<SplitRequest>(error, QStringLiteral("give --parts or --size"));
    if (positional.size() != 2 || positional.contains(QString()))
        return refused<SplitRequest>(error, QStringLiteral("wrong number of paths"));
    if (const SplitProblem problem = checkSplitRequest(request))
        return refused<SplitRequest>(error, problem.message);
    request.source = absolutePath(positional.at(0));
    request.destinationFolder = absolutePath(positional.at(1));
    return request;
}

std::optional<MergeRequest> parseMergeArguments(const QStringList &arguments, QString &error)
{
    QStringList options;
    const QStringList positional = positionalArguments(arguments, options);
    if (!options.isEmpty())
        return refused<MergeRequest>(error, QStringLiteral("unknown option ") + options.first());
    if (positional.size() < 2 || positional.contains(QString()))
        return refused<MergeRequest>(error, QStringLiteral("give the destination and at least one part"));
    MergeRequest request;
    request.destination = absolutePath(positional.first());
    for (const QString &path : positional.mid(1))
        request.sources << absolutePath(path);
    return request;
}

QString CSplitMergeCommand::UsageText()
{
    return QStringLiteral(
        "usage: orvfind-cli split --parts N | --size N[K|M|G] SOURCE DESTDIR\n"
        "       orvfind-cli merge DEST PART...\n"
        "split writes SOURCE's parts as DESTDIR/name.001, .002 ...: N parts (1 to 999), or parts of N bytes,\n"
        "Kbytes, Mbytes or Gbytes (at least 1024 bytes); an existing part stops it. merge joins the PARTs\n"
        "in the order given into DEST, which it replaces. Ctrl-C stops either and removes what it wrote.\n");
}

int CSplitMergeCommand::usageError(const QString &reason)
{
    const QByteArray bytes = (QStringLiteral("orvfind-cli: ") + reason + QLatin1Char('\n') + UsageText()).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_err);
    std::fflush(m_err);
    return 2;
}

namespace {

// The run with Ctrl-C wired to its stop request, and the question that follows answered Yes.
int runTool(CToolRun &tool, std::FILE *err, const std::function<ToolResult()> &work)
{
    CConsolePrompter prompts(err, ::isatty(STDIN_FILENO) == 1);
    CInterruptBridge bridge(nullptr);
    QObject::connect(&bridge, &CInterruptBridge::interrupted, &bridge, [&prompts, &tool] {
        prompts.setInterruptRequested();
        tool.RequestStop();
    });
    return work() == ToolResult::Done ? 0 : 1;
}

}  // namespace

int CSplitMergeCommand::RunSplit(const QStringList &arguments)
{
    QString reason;
    const std::optional<SplitRequest> request = parseSplitArguments(arguments, reason);
    if (!request)
        return usageError(reason);
    CFileSplitter splitter;
    return runTool(splitter, m_err, [&] { return splitter.Split(*request); });
}

int CSplitMergeCommand::RunMerge(const QStringList &arguments)
{
    QString reason;
    const std::optional<MergeRequest> request = parseMergeArguments(arguments, reason);
    if (!request)
        return usageError(reason);
    CFileMerger merger;
    return runTool(merger, m_err, [&] { return merger.Merge(*request); });
}

}  // namespace orv
