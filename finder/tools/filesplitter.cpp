#include "filesplitter.h"

#include "finder/tools/filecopy.h"
#include "platform/product.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace orv {

// The parts of one split, numbered from 1: the one being written and all made before it, so that an
// interrupted or failed split can take every one of them away again.
class CFileSplitter::PartSet
{
public:
    PartSet(QString folder, QString source) : m_folder(std::move(folder)), m_source(std::move(source)) {}

    const CCopyFile &current() const { return *m_file; }
    QString currentPath() const { return partPath(m_folder, m_source, m_number); }
    QString currentName() const { return QFileInfo(currentPath()).fileName(); }

    bool openNext()
    {
        m_file.reset();
        ++m_number;
        m_file = std::make_unique<CCopyFile>(currentPath(), CCopyFile::Mode::CreateNew);
        if (m_file->isOpen())
            return true;
        if (m_file->existed())
            showExistsError(currentPath());
        else
            showCreateError(currentPath());
        return false;
    }
    void closeCurrent() { m_file.reset(); }
    void removeAll()
    {
        m_file.reset();
        for (int number = 1; number <= m_number; ++number)
            QFile::remove(partPath(m_folder, m_source, number));
    }
    void removeCurrent() { QFile::remove(currentPath()); }

private:
    QString m_folder;
    QString m_source;
    int m_number = 0;
    std::unique_ptr<CCopyFile> m_file;
};

namespace {

QString recordingText(const QString &name)
{
    return CFileSplitter::tr("Current recording part - %1 ...").arg(name);
}

// The folder the parts go to is made when it is missing; a file in its place refuses the split.
bool prepareFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir() || QDir().mkpath(folder))
        return true;
    showError(CFileSplitter::tr("Cannot create folder '%1'.").arg(QDir::toNativeSeparators(folder)),
              CFileSplitter::tr("Error Creating Folder"));
    return false;
}

}  // namespace

ToolResult CFileSplitter::Split(const SplitRequest &request)
{
    if (const SplitProblem problem = checkSplitRequest(request)) {
        showError(problem.message, productName());
        return ToolResult::Failed;
    }
    const CCopyFile source(request.source, CCopyFile::Mode::Read);
    if (!source.isOpen()) {
        showOpenError(request.source);
        return ToolResult::Failed;
    }
    if (!prepareFolder(request.destinationFolder))
        return ToolResult::Failed;
    PartSet parts(request.destinationFolder, request.source);
    if (!parts.openNext())
        return ToolResult::Failed;
    openProgress();
    // An empty source leaves its one empty part, as a source of any size leaves its parts.
    const qint64 size = QFileInfo(request.source).size();
    const ToolResult result =
        size > 0 ? copyIntoParts(source, parts, partSizeOf(request, size), size) : ToolResult::Done;
    closeProgress();
    return result;
}

// A chunk is never larger than a part, so it ends at most one part and starts the next. The next part is
// made as soon as one is full; when the source ends there, it is empty and goes again.
ToolResult CFileSplitter::copyIntoParts(const CCopyFile &source, PartSet &parts, qint64 partSize, qint64 size)
{
    const qint64 chunk = std::min(partSize, kCopyChunk);
    CChunkCopier copier(chunk);
    report(0, size, recordingText(parts.currentName()));
    qint64 fill = 0;
    qint64 done = 0;
    for (;;) {
        const qint64 head = std::min(chunk, partSize - fill);
        qint64 got = copier.copy(source, parts.current(), head);
        if (got < 0)
            return abandon(parts, copier, source.path());
        if (got == 0)
            break;
        fill += got;
        if (fill == partSize) {
            if (!parts.openNext())
                return ToolResult::Failed;
            report(done, size, recordingText(parts.currentName()));
            fill = head < chunk ? copier.copy(source, parts.current(), chunk - head) : 0;
            if (fill < 0)
                return abandon(parts, copier, source.path());
            got += fill;
        }
        done += got;
        report(done, size);
        if (interruptConfirmed(tr("Interrupt the splitting?"))) {
            parts.removeAll();
            return ToolResult::Interrupted;
        }
    }
    parts.closeCurrent();
    if (fill == 0)
        parts.removeCurrent();
    return ToolResult::Done;
}

ToolResult CFileSplitter::abandon(PartSet &parts, const CChunkCopier &copier, const QString &source)
{
    const QString part = parts.currentPath();
    parts.removeAll();
    closeProgress();
    if (copier.failure() == CChunkCopier::Failure::Reading)
        showReadError(source, copier.reason());
    else
        showWriteError(part, copier.reason());
    return ToolResult::Failed;
}

}  // namespace orv
