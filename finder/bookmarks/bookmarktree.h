#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace orv {

// One folder or bookmark of the Bookmarks menu.
struct CBookmarks
{
    QString strPath;  // the folder's directory, or the bookmark's target
    QString strName;  // the directory name, or the bookmark's label
    int nType = -1;   // the "Type" value of a bookmark; -1 for a folder
    int nIcon = -1;   // the "Icon" value of a bookmark
    int nCommandId = 0;
    std::vector<CBookmarks> bookmarks;
    std::vector<CBookmarks> folders;
};

// The store as the Bookmarks menu shows it, rebuilt from disk at every opening of the menu. Bookmarks get
// menu command ids from 2024 on in loading order, so an id is valid only for the menu built with it.
class CBookmarkTree
{
public:
    static constexpr int FirstCommandId = 2024;

    // Frees every node, starts the ids again at 2024, reads the store below the root in the directories'
    // own order, then sorts every level for the menu.
    void Load(const QString &root);
    void Clear();
    const CBookmarks &root() const { return m_root; }
    // The bookmark with the id, depth first: the node itself, its folders, then its bookmarks.
    const CBookmarks *FindById(int commandId) const;

private:
    void loadFolder(CBookmarks &folder, const QString &path, QStringList &ancestors);

    CBookmarks m_root;
    int m_nextId = FirstCommandId;
};

}  // namespace orv
