#pragma once

#include "unpack/common/safefs.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <sys/types.h>

namespace orv {

// A file the running extraction wrote, as a hard link names it: where it went below the target folder,
// and which file it was, so that nothing put there since is linked instead.
struct WrittenFile
{
    QString entryPath;
    dev_t device = 0;
    ino_t inode = 0;
};

// Writes one extracted file below a target folder. A name nothing holds yet is created exclusively and
// written in place; when something is there, the data goes to a hidden temporary file beside it and
// replaces it only on commit. Either way a failed or cancelled extraction leaves neither a partial file nor
// a damaged old one. No symbolic link below the target is followed, and a link at the final name is
// replaced, never written through. Anything not committed is removed by the destructor.
class OutputFile
{
public:
    enum class Error { None, OutsideTarget, CannotCreate, CannotWrite, FolderInTheWay, FileInTheWay, NameTooLong };

    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // entryPath is relative to the target folder; the folders above it are made when missing and each is
    // reported through created. A cache shared by the files of one extraction saves the walk to a folder
    // the previous file went to.
    bool open(const QString &targetFolder, const QString &entryPath, const safefs::FolderCreated &created = {},
              safefs::FolderCache *cache = nullptr);
    bool write(const void *data, std::size_t size);
    void setModificationTime(std::int64_t secondsSince1970) { m_modified = secondsSince1970; }
    // An attribute word as the archive records it, applied as far as it maps here.
    void setAttributes(std::uint32_t attributes) { m_attributes = attributes; }
    // A Unix mode from the archive passes through this mask as a mode given to open(2) passes through the
    // umask; the process's umask when none is set.
    void setCreationMask(mode_t mask) { m_creationMask = mask; }
    bool commit();
    void discard();

    bool isOpen() const { return m_file.valid(); }
    // Something already held the final name when the file was opened; only then is there anything the
    // commit replaces, and anything to ask about.
    bool replacesExisting() const { return !m_temporaryName.isEmpty(); }
    // The final full path (known once open succeeded, or once the entry was refused).
    const QString &path() const { return m_path; }
    // The path below the target folder, as checked.
    const QString &entryPath() const { return m_entryPath; }
    Error error() const { return m_error; }
    // Why the file could not be written, in a few words ("its name is too long for the file system");
    // empty when nothing failed.
    QString errorText() const;
    std::uint64_t written() const { return m_written; }
    // Which file this is, while it is open; the entry path is where it ends up once committed.
    std::optional<WrittenFile> identity() const;

private:
    bool fail(Error error);
    safefs::WalkResult openFolder(const QString &targetFolder, QStringView folders,
                                  const safefs::FolderCreated &created, safefs::FolderCache *cache);
    bool failOnWalk(safefs::WalkResult result);
    bool failOnCreate();
    bool createFinal();
    bool createTemporary();
    void applyAttributes();
    int folderFd() const { return m_folder ? m_folder->get() : -1; }
    bool finishData();

    std::shared_ptr<const safefs::Fd> m_folder;
    safefs::Fd m_file;
    QByteArray m_name;
    QByteArray m_temporaryName;  // empty while the file is written under its final name
    QString m_path;
    QString m_entryPath;
    std::optional<std::int64_t> m_modified;
    std::optional<std::uint32_t> m_attributes;
    std::optional<mode_t> m_creationMask;
    std::uint64_t m_written = 0;
    bool m_created = false;  // the final name was made by this open and goes again if not committed
    Error m_error = Error::None;
    int m_systemError = 0;  // errno of a failed create or write
};

}  // namespace orv
