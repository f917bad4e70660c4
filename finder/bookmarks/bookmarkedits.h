#pragma once

#include <QString>

namespace orv {

// The manager's changes to the store. Each works on the disk at once, asks and refuses through the
// prompter, and answers the new path, or an empty text when nothing changed.

// A new name for a folder in its parent. The same name in other case changes nothing.
QString RenameBookmarkFolder(const QString &folderPath, const QString &newName);
// A new label for a bookmark file; its content stays as it is.
QString RenameBookmarkFile(const QString &filePath, const QString &newLabel);

// After the confirmation; true when the file or the folder is gone.
bool DeleteBookmarkFile(const QString &filePath);
// Everything below the folder goes, depth first, links as links, then the folder itself.
bool DeleteBookmarkFolder(const QString &folderPath);

// "New Folder", else "New Folder 1", "New Folder 2"... in the parent.
QString CreateNewBookmarkFolder(const QString &parent);

// Files and folders below a folder, at every depth, links counted and not entered.
int countFolderObjects(const QString &folderPath);

}  // namespace orv
