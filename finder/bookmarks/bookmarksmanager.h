#pragma once

#include "finder/bookmarks/bookmarkmover.h"

#include <QDialog>

#include <memory>

class QMenu;
class QTreeWidgetItem;

namespace Ui {
class CBookmarksManager;
}

namespace orv {

class COrvelBookmarksList;
class COrvelBookmarksTree;

// The commands of the manager's two context menus.
namespace BookmarkCmd {
constexpr int TreeRename = 32800;
constexpr int TreeDelete = 32801;
constexpr int TreeCreateFolder = 32802;
constexpr int ListRename = 32803;
constexpr int ListDelete = 32804;
constexpr int ListCreateFolder = 32805;
}  // namespace BookmarkCmd

// Organises the store: its folders as a tree, the selected folder's content as a list, and renaming,
// deleting, creating and moving by drag and drop, each straight on the disk. It keeps nothing of its own
// but the list's column widths and the "Yes To All" answers of its moves.
class CBookmarksManager : public QDialog
{
    Q_OBJECT

public:
    CBookmarksManager(const QString &root, QWidget *parent = nullptr);
    ~CBookmarksManager() override;

    COrvelBookmarksTree *tree() const;
    COrvelBookmarksList *list() const;

    // The context menus with their commands enabled as the selection allows.
    std::unique_ptr<QMenu> BuildTreeMenu();
    std::unique_ptr<QMenu> BuildListMenu();
    void RunCommand(int id);

    void done(int result) override;

private:
    void onTreeSelection();
    void onTreeRename(QTreeWidgetItem *item, const QString &text);
    void onListRename(QTreeWidgetItem *item, const QString &text);
    void onDrop(const QStringList &paths, const QString &targetFolder);
    void openFolder(const QString &path);
    void deleteTreeFolder();
    void deleteListRows();
    void createInTree();
    void createInList();
    void reloadTreeFolders(const QStringList &folders);
    void showMenu(const std::unique_ptr<QMenu> &menu, const QPoint &globalPos);

    std::unique_ptr<Ui::CBookmarksManager> m_ui;
    QString m_root;
    CBookmarkMover m_mover;
};

}  // namespace orv
