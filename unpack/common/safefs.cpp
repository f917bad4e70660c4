#include "safefs.h"

#include "unpack/common/entrynames.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::safefs {

namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Levels of the last walk held open: all of the deepest ones, and every stride-th above them, with the
// stride, first FolderCache::FirstStride, doubled whenever more than MaxStrideLevels of those would be open.
constexpr qsizetype RecentLevels = 8;
constexpr qsizetype MaxStrideLevels = 32;

// Keeps errno of the failed open for the caller when the reason is no other item in the way.
WalkResult classifyOpenFailure(int dirFd, const QByteArray &name)
{
    const int reason = errno;
    struct stat st{};
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode))
            return WalkResult::ThroughLink;
        if (!S_ISDIR(st.st_mode))
            return WalkResult::NotAFolder;
    }
    errno = reason;
    return WalkResult::CannotCreate;
}

WalkResult openStep(int dirFd, const QByteArray &name, bool &made, Fd &out)
{
    made = false;
    out = Fd(::openat(dirFd, name.constData(), FolderFlags));
    if (out.valid())
        return WalkResult::Ok;
    if (errno == ENAMETOOLONG)
        return WalkResult::NameTooLong;
    if (errno != ENOENT)
        return classifyOpenFailure(dirFd, name);
    if (::mkdirat(dirFd, name.constData(), 0777) == 0)
        made = true;
    else if (errno != EEXIST)
        return errno == ENAMETOOLONG ? WalkResult::NameTooLong : WalkResult::CannotCreate;
    out = Fd(::openat(dirFd, name.constData(), FolderFlags));
    return out.valid() ? WalkResult::Ok : classifyOpenFailure(dirFd, name);
}

}  // namespace

Fd &Fd::operator=(Fd &&other) noexcept
{
    if (this != &other) {
        reset();
        m_fd = other.release();
    }
    return *this;
}

int Fd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

bool Fd::reset()
{
    if (m_fd < 0)
        return true;
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0;
}

QByteArray temporaryName()
{
    return QByteArrayLiteral(".orvpart-") + QByteArray::number(QRandomGenerator::global()->generate(), 16);
}

mode_t processUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        const QByteArray field("Umask:");
        for (const QByteArray &line : status.readAll().split('\n')) {
            bool ok = false;
            const uint mask = line.startsWith(field) ? line.mid(field.size()).trimmed().toUInt(&ok, 8) : 0;
            if (ok)
                return mode_t(mask & 0777);
        }
    }
    // Kernels before 4.7 do not show it; the mask is then set back at once.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

Fd openTarget(const QString &targetFolder)
{
    const QByteArray native = entryNameBytes(targetFolder);
    return Fd(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

WalkResult FolderCache::open(const QString &targetFolder, QStringView folders, const FolderCreated &created,
                             std::shared_ptr<const Fd> &out)
{
    m_hit = !m_levels.empty() && m_target == targetFolder;
    if (!m_hit) {
        clear();
        Fd root = openTarget(targetFolder);
        if (!root.valid())
            return WalkResult::CannotCreate;
        m_target = targetFolder;
        m_levels.push_back({-1, std::make_shared<const Fd>(std::move(root))});
    }
    // The deepest shared level still open; the target's level always is.
    qsizetype from = sharedLevels(folders);
    while (!m_levels[std::size_t(from)].folder)
        --from;
    m_levels.resize(std::size_t(from) + 1);
    m_path.truncate(std::max<qsizetype>(m_levels.back().end, 0));
    const WalkResult result = walk(folders, created);
    if (result == WalkResult::Ok)
        out = m_levels.back().folder;
    return result;
}

// How many levels of the last walk the folders begin with: one text comparison, as deep paths share
// thousands of components.
qsizetype FolderCache::sharedLevels(QStringView folders) const
{
    const QStringView last(m_path);
    const qsizetype common =
        std::mismatch(folders.begin(), folders.end(), last.begin(), last.end()).first - folders.begin();
    qsizetype shared = qsizetype(m_levels.size()) - 1;
    const auto atBoundary = [&](qsizetype end) {
        return end <= common && (end == folders.size() || folders[end] == QLatin1Char('/'));
    };
    while (shared > 0 && !atBoundary(m_levels[std::size_t(shared)].end))
        --shared;
    return shared;
}

WalkResult FolderCache::walk(QStringView folders, const FolderCreated &created)
{
    const QString base = m_target.endsWith(QLatin1Char('/')) ? m_target : m_target + QLatin1Char('/');
    qsizetype offset = m_path.isEmpty() ? 0 : m_path.size() + 1;
    while (offset < folders.size()) {
        qsizetype slash = folders.indexOf(QLatin1Char('/'), offset);
        if (slash < 0)
            slash = folders.size();
        const QStringView component = folders.sliced(offset, slash - offset);
        Fd next;
        bool made = false;
        const WalkResult result =
            openStep(m_levels.back().folder->get(), entryNameBytes(component), made, next);
        if (result != WalkResult::Ok)
            return result;
        if (!m_path.isEmpty())
            m_path += QLatin1Char('/');
        m_path += component;
        push(slash, std::move(next));
        if (made && created)
            created(base + folders.first(slash).toString());
        offset = slash + 1;
    }
    return WalkResult::Ok;
}

bool FolderCache::keeps(qsizetype level) const
{
    const qsizetype deepest = qsizetype(m_levels.size()) - 1;
    return level == 0 || level % m_stride == 0 || deepest - level < RecentLevels;
}

void FolderCache::push(qsizetype end, Fd folder)
{
    m_levels.push_back({end, std::make_shared<const Fd>(std::move(folder))});
    const qsizetype deepest = qsizetype(m_levels.size()) - 1;
    if (deepest / m_stride > MaxStrideLevels) {
        m_stride *= 2;
        for (qsizetype level = 1; level < deepest; ++level)
            if (!keeps(level))
                m_levels[std::size_t(level)].folder.reset();
    } else if (deepest >= RecentLevels && !keeps(deepest - RecentLevels)) {
        m_levels[std::size_t(deepest - RecentLevels)].folder.reset();
    }
}

void FolderCache::clear()
{
    m_levels.clear();
    m_target.clear();
    m_path.clear();
    m_stride = FirstStride;
    m_hit = false;
}

}  // namespace orv::safefs
