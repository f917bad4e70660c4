#include "filemerger.h"

#include "finder/tools/filecopy.h"
#include "platform/prompts.h"

#include <QFileInfo>

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
    CCopyFile destination(request.destination, CCopyFile::Mode::Replace);
    if (!destination.isOpen()) {
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
ToolResult CFileMerger::joinInto(CCopyFile &destination, const QStringList &sources)
{
    const qint64 total = totalSize(sources);
    if (total == 0)
        return ToolResult::Done;
    CChunkCopier copier(kCopyChunk);
    qint64 done = 0;
    for (const QString &path : sources) {
        Copy copied;
        {
            const CCopyFile source(path, CCopyFile::Mode::Read);
            if (!source.isOpen()) {
                closeProgress();
                showOpenError(path);
                return ToolResult::Failed;
            }
            report(done, total, tr("Current reading part - %1 ...").arg(QFileInfo(path).fileName()));
            copied = copyFrom(source, destination, copier, done, total);
        }
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

CFileMerger::Copy CFileMerger::copyFrom(const CCopyFile &source, CCopyFile &destination, CChunkCopier &copier,
                                        qint64 &done, qint64 total)
{
    for (;;) {
        const qint64 got = copier.copy(source, destination, kCopyChunk);
        if (got == 0)
            return Copy::Whole;
        if (got < 0) {
            destination.remove();
            closeProgress();
            if (copier.failure() == CChunkCopier::Failure::Reading)
                showReadError(source.path(), copier.reason());
            else
                showWriteError(destination.path(), copier.reason());
            return Copy::Failed;
        }
        done += got;
        report(done, total);
        if (interruptConfirmed(interruptText()))
            return Copy::Interrupted;
    }
}

}  // namespace orv
