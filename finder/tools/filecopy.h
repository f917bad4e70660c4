#pragma once

#include <QString>

#include <vector>

namespace orv {

// A file of the copy loops, owned: closed when it goes. Opening never follows a name into something that
// is not a file, and a new part is never written through an existing name (a link included).
class CCopyFile
{
public:
    enum class Mode {
        Read,       // an existing file, not a folder
        CreateNew,  // fails when the name is taken
        Replace,    // made, or emptied when it is there
    };

    CCopyFile() = default;
    CCopyFile(QString path, Mode mode);
    ~CCopyFile();
    CCopyFile(const CCopyFile &) = delete;
    CCopyFile &operator=(const CCopyFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // The name was taken (CreateNew only).
    bool existed() const { return m_existed; }
    int handle() const { return m_fd; }
    const QString &path() const { return m_path; }
    void close();
    // Closes the file and takes its name away.
    void remove();

private:
    QString m_path;
    int m_fd = -1;
    bool m_existed = false;
};

// Moves chunks from one file to another: in the kernel where both ends allow it (a copy that never passes
// through the program), else by reading into a buffer and writing it out. Which end failed, and why, is
// told apart so that the message can name the file.
class CChunkCopier
{
public:
    enum class Failure { None, Reading, Writing };

    explicit CChunkCopier(qint64 chunkSize) : m_buffer(static_cast<size_t>(chunkSize)) {}

    // Up to size bytes (at most the chunk size) from the source's position on; 0 at its end, -1 on a failure.
    qint64 copy(const CCopyFile &from, const CCopyFile &to, qint64 size);
    Failure failure() const { return m_failure; }
    const QString &reason() const { return m_reason; }

private:
    qint64 copyInKernel(const CCopyFile &from, const CCopyFile &to, qint64 size);
    qint64 copyThroughBuffer(const CCopyFile &from, const CCopyFile &to, qint64 size);
    qint64 fail(Failure failure);

    std::vector<char> m_buffer;
    bool m_inKernel = true;
    Failure m_failure = Failure::None;
    QString m_reason;
};

}  // namespace orv
