#include "bookmarktree.h"

#include "finder/bookmarks/bookmarkfile.h"

#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace orv {

namespace {

void sortByName(std::vector<CBookmarks> &nodes)
{
    std::stable_sort(nodes.begin(), nodes.end(), [](const CBookmarks &a, const CBookmarks &b) {
        return a.strName.compare(b.strName, Qt::CaseInsensitive) < 0;
    });
}

// Folders before bookmarks is the menu's layout; within each group the order of equal names is kept.
void sortTree(CBookmarks &folder)
{
    sortByName(folder.folders);
    sortByName(folder.bookmarks);
    for (CBookmarks &child : folder.folders)
        sortTree(child);
}

const CBookmarks *findIn(const CBookmarks &node, int commandId)
{
    if (node.nCommandId == commandId)
        return &node;
    for (const CBookmarks &folder : node.folders) {
        if (const CBookmarks *found = findIn(folder, commandId))
            return found;
    }
    for (const CBookmarks &bookmark : node.bookmarks) {
        if (const CBookmarks *found = findIn(bookmark, commandId))
            return found;
    }
    return nullptr;
}

}  // namespace

void CBookmarkTree::Clear()
{
    m_root = CBookmarks{};
    m_nextId = FirstCommandId;
}

void CBookmarkTree::Load(const QString &root)
{
    Clear();
    m_root.strPath = root;
    m_root.strName = QFileInfo(root).fileName();
    QStringList ancestors;
    loadFolder(m_root, root, ancestors);
    sortTree(m_root);
}

// A link to a folder above it is shown, but not entered again: the store would otherwise never end.
void CBookmarkTree::loadFolder(CBookmarks &folder, const QString &path, QStringList &ancestors)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (ancestors.contains(canonical))
        return;
    ancestors.push_back(canonical);
    QDirIterator entries(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        if (entry.isDir()) {
            CBookmarks child;
            loadFolder(child, entry.filePath(), ancestors);
            child.strPath = entry.filePath();
            child.strName = entry.fileName();
            folder.folders.push_back(std::move(child));
        } else if (isBookmarkFileName(entry.fileName())) {
            const BookmarkRecord record = readBookmark(entry.filePath());
            CBookmarks bookmark;
            bookmark.strPath = record.path;
            bookmark.strName = bookmarkLabel(entry.fileName());
            bookmark.nType = record.type;
            bookmark.nIcon = record.icon;
            bookmark.nCommandId = m_nextId++;
            folder.bookmarks.push_back(std::move(bookmark));
        }
    }
    ancestors.pop_back();
}

const CBookmarks *CBookmarkTree::FindById(int commandId) const
{
    return commandId >= FirstCommandId ? findIn(m_root, commandId) : nullptr;
}

}  // namespace orv
