#include "fileattributes.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace orv {

namespace {

bool lstatPath(const QString &path, struct stat &st)
{
    if (path.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(path);
    return ::lstat(native.constData(), &st) == 0;
}

bool isHiddenName(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    const QString name = trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
    return name.startsWith(QLatin1Char('.')) && name != QLatin1String(".") && name != QLatin1String("..");
}

// chmod follows symbolic links and Linux has no lchmod, so a link is left alone: changing it would
// change whatever it points at.
bool chmodRegular(const QString &path, mode_t mode)
{
    struct stat st{};
    if (!lstatPath(path, st))
        return false;
    if (S_ISLNK(st.st_mode))
        return true;
    const QByteArray native = QFile::encodeName(path);
    return ::chmod(native.constData(), mode) == 0;
}

}  // namespace

std::uint32_t fileAttributes(const QString &path)
{
    struct stat st{};
    if (!lstatPath(path, st))
        return InvalidAttributes;
    std::uint32_t attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= Attr::Directory;
    if ((st.st_mode & S_IWUSR) == 0 && !S_ISLNK(st.st_mode))
        attributes |= Attr::ReadOnly;
    if (isHiddenName(path))
        attributes |= Attr::Hidden;
    return attributes == 0 ? Attr::Normal : attributes;
}

bool clearSpecialAttributes(const QString &path)
{
    struct stat st{};
    if (!lstatPath(path, st))
        return false;
    if ((st.st_mode & S_IWUSR) != 0)
        return true;
    return chmodRegular(path, (st.st_mode & 07777) | S_IWUSR);
}

bool applyArchivedAttributes(const QString &path, std::uint32_t attributes)
{
    struct stat st{};
    if (!lstatPath(path, st))
        return false;
    if ((attributes & Attr::UnixExtension) != 0) {
        // Only permission bits: set-user-id, set-group-id and sticky bits from an archive are not trusted.
        const auto mode = static_cast<mode_t>((attributes >> 16) & 0777u);
        return chmodRegular(path, mode);
    }
    const mode_t current = st.st_mode & 0777;
    const mode_t wanted = (attributes & Attr::ReadOnly) != 0 ? (current & ~mode_t{0222}) : (current | S_IWUSR);
    return wanted == current || chmodRegular(path, wanted);
}

std::int64_t creationTime(const QString &path)
{
    if (path.isEmpty())
        return 0;
    const QByteArray native = QFile::encodeName(path);
#ifdef STATX_BTIME
    struct statx sx{};
    if (::statx(AT_FDCWD, native.constData(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_CTIME, &sx) == 0) {
        if ((sx.stx_mask & STATX_BTIME) != 0)
            return static_cast<std::int64_t>(sx.stx_btime.tv_sec);
        return static_cast<std::int64_t>(sx.stx_ctime.tv_sec);
    }
#endif
    struct stat st{};
    if (::lstat(native.constData(), &st) != 0)
        return 0;
    return static_cast<std::int64_t>(st.st_ctime);
}

}  // namespace orv
