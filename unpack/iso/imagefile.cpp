#include "imagefile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::iso {

bool ImageFile::open(const QString &path)
{
    close();
    if (path.isEmpty())
        return false;
    safefs::Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    struct stat st{};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    m_fd = std::move(fd);
    m_size = std::uint64_t(st.st_size);
    return true;
}

QByteArray ImageFile::read(std::uint64_t offset, std::uint64_t length) const
{
    if (offset >= m_size)
        return {};
    const std::uint64_t available = std::min(length, m_size - offset);
    QByteArray bytes(qsizetype(available), Qt::Uninitialized);
    bytes.resize(qsizetype(readInto(offset, bytes.data(), std::size_t(available))));
    return bytes;
}

std::size_t ImageFile::readInto(std::uint64_t offset, char *buffer, std::size_t length) const
{
    if (!m_fd.valid() || offset >= m_size)
        return 0;
    length = std::size_t(std::min<std::uint64_t>(length, m_size - offset));
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(m_fd.get(), buffer + done, length - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

}  // namespace orv::iso
