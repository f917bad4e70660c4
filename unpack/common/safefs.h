#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace orv::safefs {

// Owns a file descriptor.
class Fd
{
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    Fd(Fd &&other) noexcept : m_fd(other.release()) {}
    Fd &operator=(Fd &&other) noexcept;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release();
    // Closes now; false when the close reported an error (for written files: data may be lost).
    bool reset();

private:
    int m_fd = -1;
};

enum class WalkResult { Ok, ThroughLink, NotAFolder, CannotCreate };

using FolderCreated = std::function<void(const QString &fullPath)>;

// The target folder itself, which the user chose and which may well be a symbolic link.
Fd openTarget(const QString &targetFolder);

// Opens the folder reached by walking the components below an open folder, never following a symbolic
// link: a link in the way answers ThroughLink. Missing folders are created when create is set, each
// reported with its full path (basePath + the components so far).
WalkResult walkFolders(const Fd &base, const QString &basePath, const QStringList &components, bool create,
                       const FolderCreated &created, Fd &out);

// Keeps the folder the last file went to open: the files of an archive mostly come folder by folder, and a
// walk from the target for each of them costs a chain of opens. The folder stays the same directory even
// when something renames it meanwhile, so nothing written through it can land outside the target.
class FolderCache
{
public:
    WalkResult open(const QString &targetFolder, const QStringList &components, const FolderCreated &created,
                    std::shared_ptr<const Fd> &out);
    // Whether the last open was answered from the cache.
    bool lastWasHit() const { return m_hit; }
    void clear();

private:
    QString m_target;
    QStringList m_components;
    std::shared_ptr<const Fd> m_folder;
    bool m_hit = false;
};

}  // namespace orv::safefs
