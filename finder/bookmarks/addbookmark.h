#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace orv {

// A folder of the store as the "Add in" choosers list it.
struct BookmarkFolderChoice
{
    QString path;
    QString name;
    int depth = 0;  // 0 for the root
};

// The root, then every folder below it, depth first: each folder right after its parent, siblings by name
// without regard to case.
std::vector<BookmarkFolderChoice> bookmarkFolderChoices(const QString &root);

// Creates a folder named by the trimmed name in the parent, or refuses through the prompter. The new
// folder's path, or nothing.
std::optional<QString> CreateBookmarkFolder(const QString &parent, const QString &name);

// Decides whether the trimmed label may become a bookmark file in the folder: refuses a name the store
// cannot hold, and asks before an existing label is replaced. The file to write, or nothing while the
// dialog should stay open.
std::optional<QString> CheckNewBookmark(const QString &folder, const QString &label);

// Writes the bookmark of the target, with its Type and Icon decided now; the other keys of a replaced file
// stay.
bool WriteNewBookmark(const QString &filePath, const QString &targetPath, bool folderNode);

}  // namespace orv
