#include "safefs.h"

#include "unpack/common/entrynames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::safefs {

namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

WalkResult classifyOpenFailure(int dirFd, const QByteArray &name)
{
    struct stat st{};
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
        return WalkResult::ThroughLink;
    return WalkResult::NotAFolder;
}

WalkResult openStep(int dirFd, const QByteArray &name, bool create, bool &made, Fd &out)
{
    made = false;
    out = Fd(::openat(dirFd, name.constData(), FolderFlags));
    if (out.valid())
        return WalkResult::Ok;
    if (errno != ENOENT)
        return classifyOpenFailure(dirFd, name);
    if (!create)
        return WalkResult::NotAFolder;
    if (::mkdirat(dirFd, name.constData(), 0777) == 0)
        made = true;
    else if (errno != EEXIST)
        return WalkResult::CannotCreate;
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

Fd openTarget(const QString &targetFolder)
{
    const QByteArray native = entryNameBytes(targetFolder);
    return Fd(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

WalkResult walkFolders(const Fd &base, const QString &basePath, const QStringList &components, bool create,
                       const FolderCreated &created, Fd &out)
{
    Fd current(::fcntl(base.get(), F_DUPFD_CLOEXEC, 0));
    if (!current.valid())
        return WalkResult::NotAFolder;
    QString path = basePath;
    for (const QString &component : components) {
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        path += component;
        Fd next;
        bool made = false;
        const WalkResult result = openStep(current.get(), entryNameBytes(component), create, made, next);
        if (result != WalkResult::Ok)
            return result;
        if (made && created)
            created(path);
        current = std::move(next);
    }
    out = std::move(current);
    return WalkResult::Ok;
}

WalkResult FolderCache::open(const QString &targetFolder, const QStringList &components,
                             const FolderCreated &created, std::shared_ptr<const Fd> &out)
{
    m_hit = m_folder && m_target == targetFolder && m_components == components;
    if (m_hit) {
        out = m_folder;
        return WalkResult::Ok;
    }
    clear();
    const Fd root = openTarget(targetFolder);
    if (!root.valid())
        return WalkResult::CannotCreate;
    Fd folder;
    const WalkResult result = walkFolders(root, targetFolder, components, true, created, folder);
    if (result != WalkResult::Ok)
        return result;
    m_folder = std::make_shared<const Fd>(std::move(folder));
    m_target = targetFolder;
    m_components = components;
    out = m_folder;
    return WalkResult::Ok;
}

void FolderCache::clear()
{
    m_folder.reset();
    m_target.clear();
    m_components.clear();
    m_hit = false;
}

}  // namespace orv::safefs
