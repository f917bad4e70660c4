#include "tempfolder.h"

#include "platform/knownfolders.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <optional>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

namespace fs = std::filesystem;

const char kFolderName[] = "Orvel-ZIP Finder.Temp";

// The folder is the user's alone, and its owner may empty it. Only real folders get here: permissions set
// through a link would land on the link's target.
void makePrivate(const fs::path &folder)
{
    std::error_code ec;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
}

// A folder inside without write or search permission for its owner cannot be emptied, so the owner gets
// them back first.
void makeWritable(const fs::path &folder)
{
    std::error_code ec;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
}

void removeContents(const fs::path &folder);

void removeEntry(const fs::directory_entry &entry)
{
    std::error_code ec;
    const fs::file_status status = entry.symlink_status(ec);
    if (ec)
        return;
    if (fs::is_directory(status)) {
        makeWritable(entry.path());
        removeContents(entry.path());
    }
    // A symbolic link is removed as a link: whatever it points to belongs to somebody else.
    fs::remove(entry.path(), ec);
}

void removeContents(const fs::path &folder)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec))
        removeEntry(*it);
}

// The folder itself, not what a link there points to.
std::optional<struct stat> linkStatus(const fs::path &path)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    return info;
}

// A name somebody else put in a shared folder is never followed or emptied.
bool isOwnFolder(const fs::path &folder)
{
    const std::optional<struct stat> info = linkStatus(folder);
    return info && S_ISDIR(info->st_mode) && info->st_uid == ::geteuid();
}

bool createFolder(const fs::path &folder)
{
    std::error_code ec;
    if (!fs::create_directory(folder, ec))
        return false;
    makePrivate(folder);
    return isOwnFolder(folder);
}

fs::path nativePath(const QString &path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

// Creates the folder, or makes the user's own folder private and empties it; false when the name is taken.
bool prepareFolder(const QString &path)
{
    const fs::path folder = nativePath(path);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(folder, ec);
    if (status.type() == fs::file_type::not_found)
        return createFolder(folder);
    if (!isOwnFolder(folder))
        return false;
    makePrivate(folder);
    removeContents(folder);
    return true;
}

// The session's folder for the user: used only when it is a real folder of the user's that nobody else may
// enter, as the rules for $XDG_RUNTIME_DIR demand; an empty string otherwise.
QString privateRuntimeFolder()
{
    const QString path = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return {};
    const std::optional<struct stat> info = linkStatus(nativePath(path));
    const bool usable = info && S_ISDIR(info->st_mode) && info->st_uid == ::geteuid() && (info->st_mode & 0777) == 0700;
    return usable ? QDir::cleanPath(path) : QString();
}

}  // namespace

QStringList temporaryFolderPlaces()
{
    QStringList places;
    if (const QString runtime = privateRuntimeFolder(); !runtime.isEmpty())
        places << QDir(runtime).filePath(QLatin1String(kFolderName));
    const QString perUser = QStringLiteral("%1-%2").arg(QLatin1String(kFolderName)).arg(::geteuid());
    places << QDir(temporaryFolder()).filePath(perUser);
    return places;
}

QString prepareTemporaryFolder()
{
    for (const QString &place : temporaryFolderPlaces()) {
        if (prepareFolder(place))
            return place;
    }
    return {};
}

}  // namespace orv
