#include "unpack/sevenzip/szstreams.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::sz {

namespace {

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string nameOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Resolves a seek against a current position and a size; false when the result would be negative.
bool seekTarget(Int64 offset, UInt32 origin, UInt64 current, UInt64 size, UInt64 *target)
{
    Int64 base = 0;
    switch (static_cast<SeekOrigin>(origin)) {
    case SeekOrigin::Set: base = 0; break;
    case SeekOrigin::Current: base = static_cast<Int64>(current); break;
    case SeekOrigin::End: base = static_cast<Int64>(size); break;
    default: return false;
    }
    if (offset < 0 && base < -offset)
        return false;
    if (offset > 0 && base > std::numeric_limits<Int64>::max() - offset)
        return false;
    *target = static_cast<UInt64>(base + offset);
    return true;
}

}  // namespace

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

int UniqueFd::close()
{
    if (m_fd < 0)
        return 0;
    const int result = ::close(std::exchange(m_fd, -1));
    return result == 0 || errno == EINTR ? 0 : errno;
}

UniqueFd createFileBeside(const std::string &target, std::string *createdPath, int *error)
{
    std::random_device seed;
    std::mt19937 random(seed());
    const std::string stem = folderOf(target) + "/." + nameOf(target) + ".orv-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = stem + std::to_string(random() % 1000000000u);
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            *createdPath = candidate;
            return UniqueFd(fd);
        }
        if (errno != EEXIST) {
            *error = errno;
            return {};
        }
    }
    *error = EEXIST;
    return {};
}

ComPtr<FileInStream> FileInStream::open(const std::vector<std::string> &paths, int *error, std::string *failedPath)
{
    ComPtr<FileInStream> stream(new FileInStream);
    for (const std::string &path : paths) {
        UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat info{};
        int failure = 0;
        if (!fd.isValid() || ::fstat(fd.get(), &info) != 0)
            failure = errno;
        else if (!S_ISREG(info.st_mode))
            failure = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        if (failure != 0) {
            *error = failure;
            if (failedPath)
                *failedPath = path;
            return {};
        }
        const auto size = static_cast<UInt64>(info.st_size);
        stream->m_parts.push_back(Part{std::move(fd), stream->m_size, size});
        stream->m_size += size;
    }
    return stream;
}

HRESULT FileInStream::Read(void *data, UInt32 size, UInt32 *processedSize) noexcept
{
    if (processedSize)
        *processedSize = 0;
    if (size == 0 || m_position >= m_size)
        return hr::ok;
    // The part holding the position: the last one that starts at or before it, skipping empty ones.
    auto part = std::upper_bound(m_parts.begin(), m_parts.end(), m_position,
                                 [](UInt64 position, const Part &p) { return position < p.start; });
    --part;
    while (part != m_parts.end() && m_position >= part->start + part->size)
        ++part;
    if (part == m_parts.end())
        return hr::ok;
    const UInt64 inPart = m_position - part->start;
    const auto wanted = static_cast<std::size_t>(std::min<UInt64>(size, part->size - inPart));
    ssize_t got;
    do {
        got = ::pread(part->fd.get(), data, wanted, static_cast<off_t>(inPart));
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        return hr::fromErrno(errno);
    m_position += static_cast<UInt64>(got);
    if (processedSize)
        *processedSize = static_cast<UInt32>(got);
    return hr::ok;
}

HRESULT FileInStream::Seek(Int64 offset, UInt32 seekOrigin, UInt64 *newPosition) noexcept
{
    UInt64 target = 0;
    if (!seekTarget(offset, seekOrigin, m_position, m_size, &target))
        return seekOrigin > 2 ? hr::invalidArg : hr::negativeSeek;
    m_position = target;
    if (newPosition)
        *newPosition = target;
    return hr::ok;
}

HRESULT FileInStream::GetSize(UInt64 *size) noexcept
{
    if (!size)
        return hr::invalidArg;
    *size = m_size;
    return hr::ok;
}

HRESULT FileOutStream::Write(const void *data, UInt32 size, UInt32 *processedSize) noexcept
{
    if (processedSize)
        *processedSize = 0;
    const char *bytes = static_cast<const char *>(data);
    UInt32 done = 0;
    while (done < size) {
        const ssize_t written = ::write(m_fd.get(), bytes + done, size - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_writeError = written < 0 ? errno : ENOSPC;
            return hr::fromErrno(m_writeError);
        }
        done += static_cast<UInt32>(written);
        if (processedSize)
            *processedSize = done;
    }
    return hr::ok;
}

HRESULT FileOutStream::Seek(Int64 offset, UInt32 seekOrigin, UInt64 *newPosition) noexcept
{
    if (seekOrigin > 2)
        return hr::invalidArg;
    const off_t result = ::lseek(m_fd.get(), static_cast<off_t>(offset), static_cast<int>(seekOrigin));
    if (result < 0)
        return errno == EINVAL ? hr::negativeSeek : hr::fromErrno(errno);
    if (newPosition)
        *newPosition = static_cast<UInt64>(result);
    return hr::ok;
}

HRESULT FileOutStream::SetSize(UInt64 newSize) noexcept
{
    if (::ftruncate(m_fd.get(), static_cast<off_t>(newSize)) != 0)
        return hr::fromErrno(errno);
    return hr::ok;
}

int FileOutStream::finish(bool sync)
{
    int error = m_writeError;
    if (sync && error == 0 && m_fd.isValid() && ::fsync(m_fd.get()) != 0)
        error = errno;
    const int closeError = m_fd.close();
    return error != 0 ? error : closeError;
}

}  // namespace orv::sz
