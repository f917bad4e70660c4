#include "outputfile.h"

#include "platform/fileattributes.h"
#include "unpack/common/entrynames.h"
#include "unpack/common/extractpaths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

constexpr int CreateAttempts = 16;

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

safefs::WalkResult OutputFile::openFolder(const QString &targetFolder, QStringView folders,
                                          const safefs::FolderCreated &created, safefs::FolderCache *cache)
{
    safefs::FolderCache ownCache;
    return (cache ? *cache : ownCache).open(targetFolder, folders, created, m_folder);
}

bool OutputFile::open(const QString &targetFolder, const QString &entryPath, const safefs::FolderCreated &created,
                      safefs::FolderCache *cache)
{
    discard();
    m_error = Error::None;
    m_systemError = 0;
    m_written = 0;
    const std::optional<QString> relative = safeRelativePath(entryPath);
    if (!relative) {
        m_path = m_entryPath = entryPath;
        return fail(Error::OutsideTarget);
    }
    m_entryPath = *relative;
    m_path = *safeOutputPath(targetFolder, *relative);
    const qsizetype slash = relative->lastIndexOf(QLatin1Char('/'));
    const QStringView folders = QStringView(*relative).first(std::max<qsizetype>(slash, 0));
    m_name = entryNameBytes(relative->mid(slash + 1));
    for (int attempt = 0; attempt < 2; ++attempt) {
        const safefs::WalkResult walked = openFolder(targetFolder, folders, created, cache);
        if (walked != safefs::WalkResult::Ok)
            return failOnWalk(walked);
        if (createFinal())
            return true;
        if (errno == EEXIST) {
            // Found before any data is read or any question asked: no file can take a folder's place.
            struct stat existing{};
            if (::fstatat(folderFd(), m_name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISDIR(existing.st_mode))
                return fail(Error::FolderInTheWay);
            if (createTemporary())
                return true;
        }
        m_systemError = errno;
        // A cached folder may have been removed since; a fresh walk makes it again.
        if (m_systemError == ENAMETOOLONG || !cache || !cache->lastWasHit())
            break;
        cache->clear();
        m_folder.reset();
    }
    return failOnCreate();
}

bool OutputFile::failOnWalk(safefs::WalkResult result)
{
    switch (result) {
    case safefs::WalkResult::Ok:
        break;
    case safefs::WalkResult::ThroughLink:
        return fail(Error::OutsideTarget);
    case safefs::WalkResult::NotAFolder:
        return fail(Error::FileInTheWay);
    case safefs::WalkResult::NameTooLong:
        return fail(Error::NameTooLong);
    case safefs::WalkResult::CannotCreate:
        m_systemError = errno;
        break;
    }
    return fail(Error::CannotCreate);
}

bool OutputFile::failOnCreate()
{
    return fail(m_systemError == ENAMETOOLONG ? Error::NameTooLong : Error::CannotCreate);
}

QString OutputFile::errorText() const
{
    const QString system =
        m_systemError == 0 ? QString() : QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(m_systemError));
    switch (m_error) {
    case Error::None:
        break;
    case Error::OutsideTarget:
        return QStringLiteral("it would be written outside the target folder");
    case Error::FolderInTheWay:
        return QStringLiteral("a folder of that name is in the way");
    case Error::FileInTheWay:
        return QStringLiteral("a file is in the way of one of its folders");
    case Error::NameTooLong:
        return QStringLiteral("its name is too long for the file system");
    case Error::CannotCreate:
        return QStringLiteral("it cannot be created") + system;
    case Error::CannotWrite:
        return QStringLiteral("it cannot be written") + system;
    }
    return {};
}

// The common case of a fresh extraction: nothing is at the name, so the file is written where it ends
// up and the commit needs no rename. O_EXCL also refuses a symbolic link there, which then goes the
// temporary way like any other existing name.
bool OutputFile::createFinal()
{
    m_file = safefs::Fd(::openat(folderFd(), m_name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                 0666));
    m_created = m_file.valid();
    return m_created;
}

bool OutputFile::createTemporary()
{
    for (int attempt = 0; attempt < CreateAttempts; ++attempt) {
        m_temporaryName = safefs::temporaryName();
        m_file = safefs::Fd(::openat(folderFd(), m_temporaryName.constData(),
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
        if (done <= 0) {
            m_systemError = done < 0 ? errno : ENOSPC;
            return fail(Error::CannotWrite);
        }
        bytes += done;
        size -= static_cast<std::size_t>(done);
        m_written += static_cast<std::uint64_t>(done);
    }
    return true;
}

std::optional<WrittenFile> OutputFile::identity() const
{
    struct stat st{};
    if (!m_file.valid() || ::fstat(m_file.get(), &st) != 0)
        return std::nullopt;
    return WrittenFile{m_entryPath, st.st_dev, st.st_ino};
}

// Applied to the open temporary file, so the final name appears with its permissions and no path that
// could meanwhile lead elsewhere is followed.
void OutputFile::applyAttributes()
{
    if (!m_attributes)
        return;
    const std::uint32_t attributes = *m_attributes;
    if ((attributes & Attr::UnixExtension) != 0) {
        // Only permission bits, and no more of them than the user lets new files have: an archive's 0666
        // must not make a world-writable file. Set-user-id, set-group-id and sticky bits are not trusted.
        const mode_t mask = m_creationMask ? *m_creationMask : safefs::processUmask();
        ::fchmod(m_file.get(), static_cast<mode_t>((attributes >> 16) & 0777u) & ~mask);
        return;
    }
    struct stat st{};
    if (::fstat(m_file.get(), &st) != 0)
        return;
    const mode_t current = st.st_mode & 0777;
    const mode_t wanted = (attributes & Attr::ReadOnly) != 0 ? (current & ~mode_t{0222}) : (current | S_IWUSR);
    if (wanted != current)
        ::fchmod(m_file.get(), wanted);
}

bool OutputFile::finishData()
{
    applyAttributes();
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
    if (!finishData()) {
        m_systemError = errno;
        return fail(Error::CannotWrite);
    }
    if (m_created) {
        m_created = false;
        m_folder.reset();
        return true;
    }
    // rename replaces whatever the final name was, a symbolic link included, without following it; a
    // folder there it refuses to replace with a file.
    if (::renameat(folderFd(), m_temporaryName.constData(), folderFd(), m_name.constData()) != 0) {
        m_systemError = errno;
        return fail(m_systemError == EISDIR ? Error::FolderInTheWay : Error::CannotWrite);
    }
    m_temporaryName.clear();
    m_folder.reset();
    return true;
}

void OutputFile::discard()
{
    m_file.reset();
    if (m_folder && !m_temporaryName.isEmpty())
        ::unlinkat(folderFd(), m_temporaryName.constData(), 0);
    else if (m_folder && m_created)
        ::unlinkat(folderFd(), m_name.constData(), 0);
    m_temporaryName.clear();
    m_created = false;
    m_folder.reset();
}

}  // namespace orv
