#pragma once

#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

namespace orv {

// One row of the manager's list or one item of its folder tree.
struct CBookmarkItem
{
    enum Kind : std::uint8_t { Folder = 0, Bookmark = 1 };

    QString strPath;      // a bookmark's target ("Path"); empty for a folder
    QString strLabel;     // the directory name, or the bookmark's label
    int nImage = -1;      // a bookmark's "Icon" value
    QString strFilePath;  // the directory, or the bookmark file
    int nIndex = 0;       // the row
    Kind kind = Folder;
};

// The folders of a directory, then its bookmarks, each group by label without regard to case; rows
// numbered in that order.
std::vector<CBookmarkItem> listBookmarkFolder(const QString &folder);
// The sub-folders alone, in the same order.
std::vector<CBookmarkItem> listBookmarkSubFolders(const QString &folder);

// Orders the rows by the "Label" (0) or "Path" (1) column without regard to case, folders always first,
// then numbers them again.
void sortBookmarkItems(std::vector<CBookmarkItem> &items, int column, bool ascending);

// The widths of the manager's "Label" and "Path" columns in the framework profile: section
// "ArchiveBookmarksList_Columns", entry "Width", "%d %d", "150 250" when absent or unreadable.
std::pair<int, int> loadBookmarkColumnWidths();
void saveBookmarkColumnWidths(int label, int path);

}  // namespace orv
