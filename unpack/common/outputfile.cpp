#include "outputfile.h"

#include "platform/fileattributes.h"
#include "unpack/common/extractpaths.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

constexpr int CreateAttempts = 16;

QByteArray temporaryName()
{
    return QByteArrayLiteral(".orvpart-") + QByteArray::number(QRandomGenerator::global()->generate(), 16);
}

safefs::WalkResult openParent(const QString &target, const QStringList &folders, const safefs::FolderCreated &created,
                              safefs::Fd &out)
{
    const safefs::Fd root = safefs::openTarget(target);
    if (!root.valid())
        return safefs::WalkResult::CannotCreate;
    return safefs::walkFolders(root, target, folders, true, created, out);
}

}  // namespace

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::fail(Error error)
{
    m_error = error;
    discard();
    return false;
}

bool OutputFile::open(const QString &targetFolder, const QString &entryPath, const safefs::FolderCreated &created)
{
    discard();
    m_error = Error::None;
    m_written = 0;
    const std::optional<QString> relative = safeRelativePath(entryPath);
    if (!relative) {
        m_path = entryPath;
        return fail(Error::OutsideTarget);
    }
    m_path = *safeOutputPath(targetFolder, *relative);
    QStringList folders = relative->split(QLatin1Char('/'));
    m_name = QFile::encodeName(folders.takeLast());
    switch (openParent(targetFolder, folders, created, m_folder)) {
    case safefs::WalkResult::Ok:
        break;
    case safefs::WalkResult::ThroughLink:
        return fail(Error::OutsideTarget);
    case safefs::WalkResult::NotAFolder:
    case safefs::WalkResult::CannotCreate:
        return fail(Error::CannotCreate);
    }
    return createTemporary() || fail(Error::CannotCreate);
}

bool OutputFile::createTemporary()
{
    for (int attempt = 0; attempt < CreateAttempts; ++attempt) {
        m_temporaryName = temporaryName();
        m_file = safefs::Fd(::openat(m_folder.get(), m_temporaryName.constData(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (m_file.valid())
            return true;
        if (errno != EEXIST)
            break;
    }
    m_temporaryName.clear();
    return false;
}

bool OutputFile::write(const void *data, std::size_t size)
{
    if (!m_file.valid())
        return false;
    const auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t done = ::write(m_file.get(), bytes, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return fail(Error::CannotWrite);
        bytes += done;
        size -= static_cast<std::size_t>(done);
        m_written += static_cast<std::uint64_t>(done);
    }
    return true;
}

bool OutputFile::finishData()
{
    if (m_modified) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(*m_modified), 0}};
        ::futimens(m_file.get(), times);
    }
    return m_file.reset();
}

bool OutputFile::commit()
{
    if (!m_file.valid())
        return false;
    if (!finishData())
        return fail(Error::CannotWrite);
    struct stat existing{};
    if (::fstatat(m_folder.get(), m_name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0
        && S_ISDIR(existing.st_mode))
        return fail(Error::FolderInTheWay);
    // rename replaces whatever the final name was, a symbolic link included, without following it.
    if (::renameat(m_folder.get(), m_temporaryName.constData(), m_folder.get(), m_name.constData()) != 0)
        return fail(Error::CannotWrite);
    m_temporaryName.clear();
    if (m_attributes)
        applyArchivedAttributes(m_path, *m_attributes);
    m_folder.reset();
    return true;
}

void OutputFile::discard()
{
    m_file.reset();
    if (m_folder.valid() && !m_temporaryName.isEmpty())
        ::unlinkat(m_folder.get(), m_temporaryName.constData(), 0);
    m_temporaryName.clear();
    m_folder.reset();
}

}  // namespace orv
