#include "filesplitter.h"

#include "platform/product.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace orv {

// The parts of one split, numbered from 1: the one being written and all made before it, so that an
// interrupted or failed split can take every one of them away again.
class CFileSplitter::PartSet
{
public:
    PartSet(QString folder, QString source) : m_folder(std::move(folder)), m_source(std::move(source)) {}

    QString currentPath() const { return partPath(m_folder, m_source, m_number); }
    QString currentName() const { return QFileInfo(currentPath()).fileName(); }
    QString errorString() const { return m_file.errorString(); }

    // A name that is taken, by a broken link too, is never written through.
    bool openNext()
    {
        m_file.close();
        ++m_number;
        const QString path = currentPath();
        const QFileInfo existing(path);
        if (existing.exists() || existing.isSymLink()) {
            showExistsError(path);
            return false;
        }
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            showCreateError(path);
            return false;
        }
        return true;
    }
    bool write(const char *data, qint64 size) { return writeWhole(m_file, data, size); }
    void closeCurrent() { m_file.close(); }
    void removeCurrent() { QFile::remove(currentPath()); }
    void removeAll()
    {
        m_file.close();
        for (int number = 1; number <= m_number; ++number)
            QFile::remove(partPath(m_folder, m_source, number));
    }

private:
    QString m_folder;
    QString m_source;
    int m_number = 0;
    QFile m_file;
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
    QFile source(request.source);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
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
    const qint64 size = QFileInfo(source).size();
    const ToolResult result =
        size > 0 ? copyIntoParts(source, parts, partSizeOf(request, size), size) : ToolResult::Done;
    closeProgress();
    return result;
}

// A chunk is never larger than a part, so it ends at most one part and starts the next. The next part is
// made as soon as one is full; when the source ends there, it is empty and goes again.
ToolResult CFileSplitter::copyIntoParts(QFile &source, PartSet &parts, qint64 partSize, qint64 size)
{
    std::vector<char> buffer(size_t(std::min(partSize, kCopyChunk)));
    report(0, size, recordingText(parts.currentName()));
    qint64 fill = 0;
    qint64 done = 0;
    for (;;) {
        const qint64 got = source.read(buffer.data(), qint64(buffer.size()));
        if (got < 0)
            return abandon(parts, source.fileName(), source.errorString(), true);
        if (got == 0)
            break;
        fill += got;
        const bool endsPart = fill >= partSize;
        const qint64 head = endsPart ? got - (fill - partSize) : got;
        bool written = parts.write(buffer.data(), head);
        if (written && endsPart) {
            if (!parts.openNext())
                return ToolResult::Failed;
            report(done, size, recordingText(parts.currentName()));
            fill = got - head;
            written = parts.write(buffer.data() + head, fill);
        }
        if (!written)
            return abandon(parts, parts.currentPath(), parts.errorString(), false);
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

ToolResult CFileSplitter::abandon(PartSet &parts, const QString &path, const QString &reason, bool reading)
{
    parts.removeAll();
    closeProgress();
    if (reading)
        showReadError(path, reason);
    else
        showWriteError(path, reason);
    return ToolResult::Failed;
}

}  // namespace orv
