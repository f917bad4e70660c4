#include "filemerger.h"

#include "platform/prompts.h"

#include <QFile>
#include <QFileInfo>

#include <vector>

namespace orv {

namespace {

qint64 totalSize(const QStringList &paths)
{
    qint64 total = 0;
    for (const QString &path : paths)
        total += QFileInfo(path).size();
    return total;
}

QString interruptText()
{
    return CFileMerger::tr("Interrupt the merging?");
}

}  // namespace

ToolResult CFileMerger::Merge(const MergeRequest &request)
{
    if (const QString problem = checkMergeRequest(request); !problem.isEmpty()) {
        showError(problem, tr("Error Creating File"));
        return ToolResult::Failed;
    }
    QFile destination(request.destination);
    if (!destination.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        showCreateError(request.destination);
        return ToolResult::Failed;
    }
    openProgress();
    const ToolResult result = joinInto(destination, request.sources);
    closeProgress();
    return result;
}

// A part that cannot be opened ends the merge with what was joined so far; one that fails while it is
// read, or a destination that cannot take more, leaves no destination behind.
ToolResult CFileMerger::joinInto(QFile &destination, const QStringList &sources)
{
    const qint64 total = totalSize(sources);
    if (total == 0)
        return ToolResult::Done;
    qint64 done = 0;
    for (const QString &path : sources) {
        QFile source(path);
        if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            closeProgress();
            showOpenError(path);
            return ToolResult::Failed;
        }
        report(done, total, tr("Current reading part - %1 ...").arg(QFileInfo(path).fileName()));
        Copy copied = copyFrom(source, destination, done, total);
        source.close();
        if (copied == Copy::Whole && interruptConfirmed(interruptText()))
            copied = Copy::Interrupted;
        if (copied == Copy::Failed)
            return ToolResult::Failed;
        if (copied == Copy::Interrupted) {
            destination.remove();
            return ToolResult::Interrupted;
        }
    }
    destination.close();
    return ToolResult::Done;
}

CFileMerger::Copy CFileMerger::copyFrom(QFile &source, QFile &destination, qint64 &done, qint64 total)
{
    std::vector<char> buffer(static_cast<size_t>(kCopyChunk));
    for (;;) {
        const qint64 got = source.read(buffer.data(), kCopyChunk);
        if (got == 0)
            return Copy::Whole;
        if (got < 0 || !writeWhole(destination, buffer.data(), got)) {
            const bool reading = got < 0;
            const QString reason = reading ? source.errorString() : destination.errorString();
            destination.remove();
            closeProgress();
            if (reading)
                showReadError(source.fileName(), reason);
            else
                showWriteError(destination.fileName(), reason);
            return Copy::Failed;
        }
        done += got;
        report(done, total);
        if (interruptConfirmed(interruptText()))
            return Copy::Interrupted;
    }
}

}  // namespace orv
