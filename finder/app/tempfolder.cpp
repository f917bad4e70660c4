#include "tempfolder.h"

#include "platform/knownfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace orv {

namespace {

namespace fs = std::filesystem;

const char kFolderName[] = "Orvel-ZIP Finder.Temp";

// A folder without write or search permission for its owner cannot be emptied, so the owner gets them back
// first. Only real folders get here: permissions set through a link would land on the link's target.
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

bool ownedByUser(const fs::path &folder)
{
#ifdef Q_OS_UNIX
    return QFileInfo(QFile::decodeName(folder.native().c_str())).ownerId() == ::geteuid();
#else
    Q_UNUSED(folder);
    return true;
#endif
}

// The temporary folder is usually shared by every user of the machine; a name that somebody else put
// there is never followed or emptied, and a folder made here is private.
bool isOwnFolder(const fs::path &folder)
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(folder, ec);
    return !ec && fs::is_directory(status) && ownedByUser(folder);
}

bool createFolder(const fs::path &folder)
{
    std::error_code ec;
    if (!fs::create_directory(folder, ec))
        return false;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
    return isOwnFolder(folder);
}

}  // namespace

QString prepareTemporaryFolder()
{
    const QString path = QDir(temporaryFolder()).filePath(QLatin1String(kFolderName));
    const fs::path folder(QFile::encodeName(path).toStdString());

    std::error_code ec;
    const fs::file_status status = fs::symlink_status(folder, ec);
    if (status.type() == fs::file_type::not_found)
        return createFolder(folder) ? path : QString();
    if (!isOwnFolder(folder))
        return {};
    makeWritable(folder);
    removeContents(folder);
    return path;
}

}  // namespace orv
