#include "filecopy.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

constexpr mode_t kNewFileMode = 0666;  // the umask takes off what the user does not give

int openFlags(CCopyFile::Mode mode)
{
    switch (mode) {
    case CCopyFile::Mode::Read:
        return O_RDONLY | O_CLOEXEC;
    case CCopyFile::Mode::CreateNew:
        return O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    case CCopyFile::Mode::Replace:
        break;
    }
    return O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
}

bool isFolder(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

CCopyFile::CCopyFile(QString path, Mode mode) : m_path(std::move(path))
{
    do
        m_fd = ::open(QFile::encodeName(m_path).constData(), openFlags(mode), kNewFileMode);
    while (m_fd < 0 && errno == EINTR);
    m_existed = m_fd < 0 && errno == EEXIST;
    if (m_fd >= 0 && mode == Mode::Read && isFolder(m_fd))
        close();
}

CCopyFile::~CCopyFile()
{
    close();
}

void CCopyFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void CCopyFile::remove()
{
    close();
    ::unlink(QFile::encodeName(m_path).constData());
}

qint64 CChunkCopier::fail(Failure failure)
{
    m_failure = failure;
    m_reason = QString::fromLocal8Bit(std::strerror(errno));
    return -1;
}

// A chunk the kernel does not copy goes through the buffer, which then fails on the end that is at fault (a
// full disk, a file that cannot be read); a kernel that cannot copy these files at all (ends on two file
// systems, a pipe) is not asked again. An answer of 0 is checked by reading, since some pseudo-file systems
// give it for files that are not empty.
qint64 CChunkCopier::copy(const CCopyFile &from, const CCopyFile &to, qint64 size)
{
    m_failure = Failure::None;
    size = std::min<qint64>(size, qint64(m_buffer.size()));
    if (size <= 0)
        return 0;
    const bool tried = m_inKernel;
    if (tried) {
        const qint64 copied = copyInKernel(from, to, size);
        if (copied > 0)
            return copied;
    }
    const qint64 got = copyThroughBuffer(from, to, size);
    if (tried && got > 0)
        m_inKernel = false;
    return got;
}

qint64 CChunkCopier::copyInKernel(const CCopyFile &from, const CCopyFile &to, qint64 size)
{
    qint64 copied = 0;
    while (copied < size) {
        const ssize_t n = ::copy_file_range(from.handle(), nullptr, to.handle(), nullptr, size_t(size - copied), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        copied += n;
    }
    return copied;
}

qint64 CChunkCopier::copyThroughBuffer(const CCopyFile &from, const CCopyFile &to, qint64 size)
{
    ssize_t got;
    do
        got = ::read(from.handle(), m_buffer.data(), size_t(size));
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return fail(Failure::Reading);
    for (ssize_t written = 0; written < got;) {
        const ssize_t n = ::write(to.handle(), m_buffer.data() + written, size_t(got - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(Failure::Writing);
        written += n;
    }
    return got;
}

}  // namespace orv
