#include "bookmarksmanager.h"

#include "ui_bookmarksmanager.h"

#include "finder/bookmarks/bookmarkedits.h"
#include "finder/bookmarks/bookmarkitems.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>

namespace orv {

namespace {

const char *const kCommandProperty = "commandId";

void addCommand(QMenu *menu, int id, const QString &text, bool enabled)
{
    QAction *action = menu->addAction(text);
    action->setProperty(kCommandProperty, id);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    action->setEnabled(enabled);
}

QString parentOf(const QString &path)
{
    return QFileInfo(path).path();
}

}  // namespace

CBookmarksManager::CBookmarksManager(const QString &root, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CBookmarksManager>()), m_root(root)
{
    m_ui->setupUi(this);
    const auto [labelWidth, pathWidth] = loadBookmarkColumnWidths();
    list()->setColumnWidth(0, labelWidth);
    list()->setColumnWidth(1, pathWidth);
    // The list starts wide enough for both columns.
    m_ui->MySplitter->setSizes({width() - labelWidth - pathWidth, labelWidth + pathWidth});

    connect(tree(), &QTreeWidget::currentItemChanged, this, &CBookmarksManager::onTreeSelection);
    connect(tree(), &COrvelBookmarksView::renameRequested, this, &CBookmarksManager::onTreeRename);
    connect(list(), &COrvelBookmarksView::renameRequested, this, &CBookmarksManager::onListRename);
    connect(tree(), &COrvelBookmarksView::dropRequested, this, &CBookmarksManager::onDrop);
    connect(list(), &COrvelBookmarksView::dropRequested, this, &CBookmarksManager::onDrop);
    connect(list(), &COrvelBookmarksList::folderOpened, this, &CBookmarksManager::openFolder);

    for (QTreeWidget *view : {static_cast<QTreeWidget *>(tree()), static_cast<QTreeWidget *>(list())})
        view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree(), &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (QTreeWidgetItem *hit = tree()->itemAt(pos))
            tree()->setCurrentItem(hit);
        showMenu(BuildTreeMenu(), tree()->viewport()->mapToGlobal(pos));
    });
    connect(list(), &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        QTreeWidgetItem *hit = list()->itemAt(pos);
        if (hit && !hit->isSelected())
            list()->setCurrentItem(hit);
        showMenu(BuildListMenu(), list()->viewport()->mapToGlobal(pos));
    });

    tree()->SetRoot(root);
    onTreeSelection();
}

CBookmarksManager::~CBookmarksManager() = default;

COrvelBookmarksTree *CBookmarksManager::tree() const
{
    return m_ui->bookmarksTree;
}

COrvelBookmarksList *CBookmarksManager::list() const
{
    return m_ui->bookmarksList;
}

void CBookmarksManager::done(int result)
{
    saveBookmarkColumnWidths(list()->columnWidth(0), list()->columnWidth(1));
    QDialog::done(result);
}

std::unique_ptr<QMenu> CBookmarksManager::BuildTreeMenu()
{
    const QTreeWidgetItem *item = tree()->currentItem();
    const bool belowRoot = item && item->parent();
    auto menu = std::make_unique<QMenu>(tr("Bookmarks Tree"), this);
    addCommand(menu.get(), BookmarkCmd::TreeRename, tr("&Rename"), belowRoot);
    addCommand(menu.get(), BookmarkCmd::TreeDelete, tr("&Delete"), belowRoot);
    addCommand(menu.get(), BookmarkCmd::TreeCreateFolder, tr("&Create Folder"),
               COrvelBookmarksView::isFolder(item));
    return menu;
}

std::unique_ptr<QMenu> CBookmarksManager::BuildListMenu()
{
    const bool anySelected = !list()->selectedRows().isEmpty();
    auto menu = std::make_unique<QMenu>(tr("Bookmarks List"), this);
    addCommand(menu.get(), BookmarkCmd::ListRename, tr("&Rename"), anySelected);
    addCommand(menu.get(), BookmarkCmd::ListDelete, tr("&Delete"), anySelected);
    addCommand(menu.get(), BookmarkCmd::ListCreateFolder, tr("&Create Folder"),
               COrvelBookmarksView::isFolder(list()->lastSelectedRow()));
    return menu;
}

void CBookmarksManager::showMenu(const std::unique_ptr<QMenu> &menu, const QPoint &globalPos)
{
    const QAction *chosen = menu->exec(globalPos);
    if (chosen && chosen->isEnabled())
        RunCommand(chosen->property(kCommandProperty).toInt());
}

void CBookmarksManager::RunCommand(int id)
{
    switch (id) {
    case BookmarkCmd::TreeRename:
        if (QTreeWidgetItem *item = tree()->currentItem(); item && item->parent())
            tree()->editItem(item);
        break;
    case BookmarkCmd::TreeDelete:
        deleteTreeFolder();
        break;
    case BookmarkCmd::TreeCreateFolder:
        createInTree();
        break;
    case BookmarkCmd::ListRename:
        if (QTreeWidgetItem *row = list()->lastSelectedRow())
            list()->editItem(row, COrvelBookmarksList::LabelColumn);
        break;
    case BookmarkCmd::ListDelete:
        deleteListRows();
        break;
    case BookmarkCmd::ListCreateFolder:
        createInList();
        break;
    default:
        break;
    }
}

void CBookmarksManager::onTreeSelection()
{
    const QTreeWidgetItem *item = tree()->currentItem();
    if (COrvelBookmarksView::isFolder(item))
        list()->Load(COrvelBookmarksView::pathOf(item));
}

void CBookmarksManager::onTreeRename(QTreeWidgetItem *item, const QString &text)
{
    if (!item || !item->parent())
        return;
    const QString renamed = RenameBookmarkFolder(COrvelBookmarksView::pathOf(item), text);
    if (renamed.isEmpty())
        return;
    QTreeWidgetItem *parent = item->parent();
    tree()->Reload(parent);
    if (QTreeWidgetItem *again = tree()->itemOfPath(renamed))
        tree()->setCurrentItem(again);
}

void CBookmarksManager::onListRename(QTreeWidgetItem *item, const QString &text)
{
    if (!item)
        return;
    const QString path = COrvelBookmarksView::pathOf(item);
    const bool folder = COrvelBookmarksView::isFolder(item);
    const QString renamed = folder ? RenameBookmarkFolder(path, text) : RenameBookmarkFile(path, text);
    if (renamed.isEmpty())
        return;
    if (folder)
        reloadTreeFolders({list()->folder()});
    list()->Load(list()->folder());
    if (QTreeWidgetItem *row = list()->itemOfPath(renamed))
        list()->setCurrentItem(row);
}

void CBookmarksManager::deleteTreeFolder()
{
    QTreeWidgetItem *item = tree()->currentItem();
    if (!item || !item->parent() || !DeleteBookmarkFolder(COrvelBookmarksView::pathOf(item)))
        return;
    QTreeWidgetItem *parent = item->parent();
    tree()->setCurrentItem(parent);
    tree()->Reload(parent);
    onTreeSelection();
}

void CBookmarksManager::deleteListRows()
{
    QStringList folders;
    QStringList files;
    for (const QTreeWidgetItem *row : list()->selectedRows())
        (COrvelBookmarksView::isFolder(row) ? folders : files) << COrvelBookmarksView::pathOf(row);
    for (const QString &folder : folders)
        DeleteBookmarkFolder(folder);
    for (const QString &file : files)
        DeleteBookmarkFile(file);
    if (!folders.isEmpty())
        reloadTreeFolders({list()->folder()});
    list()->Load(list()->folder());
}

void CBookmarksManager::createInTree()
{
    QTreeWidgetItem *item = tree()->currentItem();
    if (!COrvelBookmarksView::isFolder(item))
        return;
    const QString created = CreateNewBookmarkFolder(COrvelBookmarksView::pathOf(item));
    if (created.isEmpty())
        return;
    item->setExpanded(true);
    tree()->Reload(item);
    if (QTreeWidgetItem *child = tree()->itemOfPath(created)) {
        tree()->setCurrentItem(child);
        tree()->editItem(child);
    }
}

void CBookmarksManager::createInList()
{
    const QTreeWidgetItem *row = list()->lastSelectedRow();
    if (!COrvelBookmarksView::isFolder(row))
        return;
    const QString folder = COrvelBookmarksView::pathOf(row);
    const QString created = CreateNewBookmarkFolder(folder);
    if (created.isEmpty())
        return;
    openFolder(folder);
    if (QTreeWidgetItem *newRow = list()->itemOfPath(created)) {
        list()->setCurrentItem(newRow);
        list()->editItem(newRow, COrvelBookmarksList::LabelColumn);
    }
}

// The folder is a row of the list, so a child of the tree's current folder.
void CBookmarksManager::openFolder(const QString &path)
{
    QTreeWidgetItem *current = tree()->currentItem();
    tree()->Reload(current);
    QTreeWidgetItem *child = tree()->childOfPath(current, path);
    if (!child)
        return;
    tree()->setCurrentItem(child);
    if (list()->topLevelItemCount() > 0)
        list()->setCurrentItem(list()->topLevelItem(0));
}

void CBookmarksManager::onDrop(const QStringList &paths, const QString &targetFolder)
{
    m_mover.MoveInto(paths, targetFolder);
    QStringList touched{targetFolder};
    for (const QString &path : paths)
        touched << parentOf(path);
    reloadTreeFolders(touched);
    list()->Load(list()->folder());
}

void CBookmarksManager::reloadTreeFolders(const QStringList &folders)
{
    for (const QString &folder : folders)
        tree()->Reload(tree()->itemOfPath(folder));
}

}  // namespace orv
