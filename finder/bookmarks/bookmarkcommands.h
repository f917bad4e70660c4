#pragma once

#include "finder/bookmarks/bookmarktree.h"

#include <QObject>

class QMenu;
class QWidget;

namespace orv {

// The frame's bookmark operations: the store's root made at start-up, the Bookmarks menu built afresh at
// every opening, adding a bookmark for a place of the Archive Browser, and the manager. Choosing a bookmark
// asks for its target to be selected; the frame hands that to the tree.
class CBookmarkCommands : public QObject
{
    Q_OBJECT

public:
    CBookmarkCommands(QString root, bool pathTooltips, QWidget *window);

    const QString &root() const { return m_root; }
    const CBookmarkTree &tree() const { return m_tree; }

    // Clears the node tree, loads it from the store and fills the menu with it.
    void LoadMenu(QMenu *menu);
    // Shows a menu that LoadMenu fills each time it opens; a chosen entry opens its bookmark.
    void AttachMenu(QMenu *menu);
    void OpenBookmark(int commandId);
    // Runs the Add Bookmark dialog for a target and writes the bookmark file.
    void AddBookmark(const QString &targetPath, bool folderNode);
    void OnBookmarksManager();

signals:
    void bookmarkChosen(const QString &targetPath);
    // The store was changed from here; whether it holds entries may have changed with it.
    void storeChanged();

private:
    void fillMenu(QMenu *menu, const CBookmarks &folder);

    QString m_root;
    bool m_pathTooltips;
    QWidget *m_window;
    CBookmarkTree m_tree;
};

}  // namespace orv
