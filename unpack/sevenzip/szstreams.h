#pragma once

// The streams we hand to 7z.so. They hold plain file descriptors and standard containers only: with
// some methods the library calls Read, Write and progress from its own worker threads.

#include "unpack/sevenzip/szcom.h"

#include <memory>
#include <string>
#include <vector>

namespace orv::sz {

class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept;
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd() { close(); }

    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }
    // 0, or the errno of a failed close (a late write error on some file systems).
    int close();

private:
    int m_fd = -1;
};

// Creates a new empty file with an unused name in the folder of target, for writing there and renaming
// over target on success. Mode 0666 less the umask.
UniqueFd createFileBeside(const std::string &target, std::string *createdPath, int *error);

// Reads one file, or the volumes of a split set one after another, as one seekable stream.
class FileInStream final : public ComObject<IInStream, IStreamGetSize>
{
public:
    // Null when a part cannot be opened; *error is its errno and *failedPath its path.
    static ComPtr<FileInStream> open(const std::vector<std::string> &paths, int *error,
                                     std::string *failedPath = nullptr);

    HRESULT Read(void *data, UInt32 size, UInt32 *processedSize) noexcept override;
    HRESULT Seek(Int64 offset, UInt32 seekOrigin, UInt64 *newPosition) noexcept override;
    HRESULT GetSize(UInt64 *size) noexcept override;

    UInt64 size() const { return m_size; }

private:
    struct Part
    {
        UniqueFd fd;
        UInt64 start = 0;
        UInt64 size = 0;
    };
    FileInStream() = default;

    std::vector<Part> m_parts;
    UInt64 m_size = 0;
    UInt64 m_position = 0;
};

// Writes to a file descriptor it owns. close() reports what a late write error would otherwise hide.
class FileOutStream final : public ComObject<IOutStream>
{
public:
    explicit FileOutStream(UniqueFd fd) : m_fd(std::move(fd)) {}

    HRESULT Write(const void *data, UInt32 size, UInt32 *processedSize) noexcept override;
    HRESULT Seek(Int64 offset, UInt32 seekOrigin, UInt64 *newPosition) noexcept override;
    HRESULT SetSize(UInt64 newSize) noexcept override;

    // 0 or an errno: the first write error, else that of fsync (when asked) or close.
    int finish(bool sync);
    int writeError() const { return m_writeError; }

private:
    UniqueFd m_fd;
    int m_writeError = 0;
};

}  // namespace orv::sz
