#include "memoryfile.h"

#include <QDir>

#include <cerrno>
#include <sys/mman.h>
#include <unistd.h>

namespace orv::fuzz {

MemoryFile::MemoryFile() : m_fd(::memfd_create("orv-fuzz-input", MFD_CLOEXEC))
{
    if (m_fd >= 0)
        m_path = QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

MemoryFile::~MemoryFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString MemoryFile::put(const std::uint8_t *data, std::size_t size)
{
    if (m_fd < 0 || ::ftruncate(m_fd, 0) != 0)
        return {};
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::pwrite(m_fd, data + done, size - done, off_t(done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return {};
        done += std::size_t(wrote);
    }
    return m_path;
}

ScratchFolder::ScratchFolder()
{
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + QStringLiteral("/orv-fuzz-XXXXXX"));
    if (::mkdtemp(pattern.data()))
        m_path = QFile::decodeName(pattern) + QLatin1Char('/');
}

ScratchFolder::~ScratchFolder()
{
    if (!m_path.isEmpty())
        QDir(m_path).removeRecursively();
}

void ScratchFolder::empty() const
{
    if (m_path.isEmpty())
        return;
    QDir folder(m_path);
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        folder.remove(name);
}

}  // namespace orv::fuzz
