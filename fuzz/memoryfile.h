#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace orv::fuzz {

// A file in memory with a path, for readers that open what they read by name: each input replaces the
// content, and the path stays the same for the whole run, so no input touches the disk.
class MemoryFile
{
public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile &) = delete;
    MemoryFile &operator=(const MemoryFile &) = delete;

    // Replaces the content; returns the path, or an empty path when the file cannot be written.
    QString put(const std::uint8_t *data, std::size_t size);
    const QString &path() const { return m_path; }

private:
    int m_fd = -1;
    QString m_path;
};

// A folder of its own below the temporary folder, removed with everything in it at the end of the run.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    // With a trailing "/".
    const QString &path() const { return m_path; }
    // Removes every file the last input left here.
    void empty() const;

private:
    QString m_path;
};

}  // namespace orv::fuzz
