#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <sys/types.h>
#include <vector>

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

enum class WalkResult { Ok, ThroughLink, NotAFolder, NameTooLong, CannotCreate };

using FolderCreated = std::function<void(const QString &fullPath)>;

// A hidden name for something made beside its final name and renamed to it once complete.
QByteArray temporaryName();

// The process's file mode creation mask, read without changing it.
mode_t processUmask();

// The target folder itself, which the user chose and which may well be a symbolic link.
Fd openTarget(const QString &targetFolder);

// Opens the folders below a target one component at a time, never following a symbolic link (a link in
// the way answers ThroughLink), and makes the missing ones, each reported with its full path.
//
// The folders of the last walk stay open, so that the next walk starts from the deepest of them its path
// shares instead of from the target: archives mostly come folder by folder, and a walk from the target
// for every item of a deep path costs time in the square of its depth. Every folder of the last few
// levels stays open, and above them every stride-th one; the stride grows with the depth, so a path of
// any depth holds only a few dozen descriptors. An open folder stays the same directory even when
// something renames it meanwhile, so nothing written through it can land outside the target.
class FolderCache
{
public:
    // folders: "/"-separated, relative to the target, already checked; empty for the target itself.
    WalkResult open(const QString &targetFolder, QStringView folders, const FolderCreated &created,
                    std::shared_ptr<const Fd> &out);
    // Whether the last open started from a folder an earlier one had opened.
    bool lastWasHit() const { return m_hit; }
    void clear();

private:
    struct Level
    {
        qsizetype end;                     // where the level's component ends in m_path
        std::shared_ptr<const Fd> folder;  // null once the level no longer needs to stay open
    };

    qsizetype sharedLevels(QStringView folders) const;
    WalkResult walk(QStringView folders, const FolderCreated &created);
    void push(qsizetype end, Fd folder);
    bool keeps(qsizetype level) const;

    static constexpr qsizetype FirstStride = 8;

    QString m_target;
    QString m_path;               // the folders of the last walk, "/"-separated
    std::vector<Level> m_levels;  // the target first, then one level per component of m_path
    qsizetype m_stride = FirstStride;
    bool m_hit = false;
};

}  // namespace orv::safefs
