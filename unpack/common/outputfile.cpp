#include "outputfile.h"

#include "platform/fileattributes.h"
#include "unpack/common/entrynames.h"
#include "unpack/common/extractpaths.h"

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

safefs::WalkResult OutputFile::openFolder(const QString &targetFolder, const QStringList &folders,
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
    m_written = 0;
    const std::optional<QString> relative = safeRelativePath(entryPath);
    if (!relative) {
        m_path = entryPath;
        return fail(Error::OutsideTarget);
    }
    m_path = *safeOutputPath(targetFolder, *relative);
    QStringList folders = relative->split(QLatin1Char('/'));
    m_name = entryNameBytes(folders.takeLast());
    for (int attempt = 0; attempt < 2; ++attempt) {
        switch (openFolder(targetFolder, folders, created, cache)) {
        case safefs::WalkResult::Ok:
            break;
        case safefs::WalkResult::ThroughLink:
            return fail(Error::OutsideTarget);
        case safefs::WalkResult::NotAFolder:
        case safefs::WalkResult::CannotCreate:
            return fail(Error::CannotCreate);
        }
        if (createFinal() || (errno == EEXIST && createTemporary()))
            return true;
        // A cached folder may have been removed since; a fresh walk makes it again.
        if (!cache || !cache->lastWasHit())
            break;
        cache->clear();
        m_folder.reset();
    }
    return fail(Error::CannotCreate);
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
        m_temporaryName = temporaryName();
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
        if (done <= 0)
            return fail(Error::CannotWrite);
        bytes += done;
        size -= static_cast<std::size_t>(done);
        m_written += static_cast<std::uint64_t>(done);
    }
    return true;
}

// Applied to the open temporary file, so the final name appears with its permissions and no path that
// could meanwhile lead elsewhere is followed.
void OutputFile::applyAttributes()
{
    if (!m_attributes)
        return;
    const std::uint32_t attributes = *m_attributes;
    if ((attributes & Attr::UnixExtension) != 0) {
        // Only permission bits: set-user-id, set-group-id and sticky bits from an archive are not trusted.
        ::fchmod(m_file.get(), static_cast<mode_t>((attributes >> 16) & 0777u));
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
    if (!finishData())
        return fail(Error::CannotWrite);
    if (m_created) {
        m_created = false;
        m_folder.reset();
        return true;
    }
    // rename replaces whatever the final name was, a symbolic link included, without following it; a
    // folder there it refuses to replace with a file.
    if (::renameat(folderFd(), m_temporaryName.constData(), folderFd(), m_name.constData()) != 0)
        return fail(errno == EISDIR ? Error::FolderInTheWay : Error::CannotWrite);
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
