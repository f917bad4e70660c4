#pragma once

#include <QString>

namespace orv {

// The store is a plain directory tree: every sub-directory is a bookmark folder, every file whose name ends
// in ".obk" (in any case) a bookmark. There is no index, so every view reads the disk afresh.
QString bookmarksRootPath();
// Creates the root with its whole chain when it is not a directory; a failure is silent, as the views then
// simply show an empty store.
void EnsureBookmarksRoot(const QString &root);
// True when the root holds any entry at all, a sub-directory or a file of any name.
bool StoreHasEntries(const QString &root);

bool isBookmarkFileName(const QString &fileName);
// The label of a bookmark file: its name without the extension.
QString bookmarkLabel(const QString &fileName);
QString bookmarkFilePath(const QString &folder, const QString &label);

// The characters a file or folder name of the store may not hold, as on the platform the store's files
// were first written on, so a store copied there stays valid.
bool hasForbiddenNameCharacter(const QString &name);
QString forbiddenFolderNameText();
QString forbiddenFileNameText();

// Values of the "Type" key.
namespace BookmarkType {
constexpr int ArchiveFile = 0;
constexpr int DiskFolder = 1;
constexpr int InsideArchive = 2;
}  // namespace BookmarkType

// Values of the "Icon" key: which picture the menu and the manager show for the target.
namespace BookmarkIcon {
constexpr int Unknown = -1;
constexpr int DiskFolder = 0;
constexpr int DiskFile = 1;
constexpr int FolderInArchive = 2;
constexpr int FileInArchive = 3;
}  // namespace BookmarkIcon

struct BookmarkRecord
{
    int type = BookmarkType::ArchiveFile;
    int icon = BookmarkIcon::Unknown;
    QString path = QStringLiteral("Empty");
};

// Type and Icon by what the target is on disk now; a target that is nowhere on disk lies inside an archive,
// where only the browser's node tells a folder from a file.
BookmarkRecord classifyTarget(const QString &targetPath, bool folderNode);
// The label offered for a new bookmark: the target's last name without its last extension.
QString defaultBookmarkLabel(const QString &targetPath);

BookmarkRecord readBookmark(const QString &filePath);
// Writes Type, Icon and Path in that order; the other keys of an existing file stay. False when the file
// cannot be written.
bool writeBookmark(const QString &filePath, const BookmarkRecord &record);

}  // namespace orv
