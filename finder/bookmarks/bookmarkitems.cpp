#include "bookmarkitems.h"

#include "finder/bookmarks/bookmarkfile.h"
#include "platform/product.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace orv {

namespace {

const QString kWidthKey = QStringLiteral("ArchiveBookmarksList_Columns/Width");
constexpr std::pair<int, int> kDefaultWidths{150, 250};

void sortByLabel(std::vector<CBookmarkItem> &items)
{
    std::stable_sort(items.begin(), items.end(), [](const CBookmarkItem &a, const CBookmarkItem &b) {
        return a.strLabel.compare(b.strLabel, Qt::CaseInsensitive) < 0;
    });
}

CBookmarkItem folderItem(const QFileInfo &entry)
{
    CBookmarkItem item;
    item.strLabel = entry.fileName();
    item.strFilePath = entry.filePath();
    item.kind = CBookmarkItem::Folder;
    return item;
}

CBookmarkItem bookmarkItem(const QFileInfo &entry)
{
    const BookmarkRecord record = readBookmark(entry.filePath());
    CBookmarkItem item;
    item.strPath = record.path;
    item.strLabel = bookmarkLabel(entry.fileName());
    item.nImage = record.icon;
    item.strFilePath = entry.filePath();
    item.kind = CBookmarkItem::Bookmark;
    return item;
}

std::vector<CBookmarkItem> listLevel(const QString &folder, bool withBookmarks)
{
    std::vector<CBookmarkItem> folders;
    std::vector<CBookmarkItem> bookmarks;
    QDirIterator entries(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        if (entry.isDir())
            folders.push_back(folderItem(entry));
        else if (withBookmarks && isBookmarkFileName(entry.fileName()))
            bookmarks.push_back(bookmarkItem(entry));
    }
    sortByLabel(folders);
    sortByLabel(bookmarks);
    folders.insert(folders.end(), bookmarks.begin(), bookmarks.end());
    for (std::size_t row = 0; row < folders.size(); ++row)
        folders[row].nIndex = static_cast<int>(row);
    return folders;
}

}  // namespace

std::vector<CBookmarkItem> listBookmarkFolder(const QString &folder)
{
    return listLevel(folder, true);
}

std::vector<CBookmarkItem> listBookmarkSubFolders(const QString &folder)
{
    return listLevel(folder, false);
}

void sortBookmarkItems(std::vector<CBookmarkItem> &items, int column, bool ascending)
{
    const auto key = [column](const CBookmarkItem &item) { return column == 0 ? item.strLabel : item.strPath; };
    std::stable_sort(items.begin(), items.end(), [&](const CBookmarkItem &a, const CBookmarkItem &b) {
        if (a.kind != b.kind)
            return a.kind == CBookmarkItem::Folder;
        const int order = key(a).compare(key(b), Qt::CaseInsensitive);
        return ascending ? order < 0 : order > 0;
    });
    for (std::size_t row = 0; row < items.size(); ++row)
        items[row].nIndex = static_cast<int>(row);
}

std::pair<int, int> loadBookmarkColumnWidths()
{
    const QString text = QSettings(organizationName(), productName()).value(kWidthKey).toString();
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return kDefaultWidths;
    bool labelOk = false;
    bool pathOk = false;
    const int label = parts[0].toInt(&labelOk);
    const int path = parts[1].toInt(&pathOk);
    if (!labelOk || !pathOk || label < 0 || path < 0)
        return kDefaultWidths;
    return {label, path};
}

void saveBookmarkColumnWidths(int label, int path)
{
    QSettings(organizationName(), productName()).setValue(kWidthKey, QStringLiteral("%1 %2").arg(label).arg(path));
}

}  // namespace orv
