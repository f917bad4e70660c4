#include "bookmarkstree.h"

#include "finder/bookmarks/bookmarkicons.h"
#include "finder/bookmarks/bookmarkitems.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>

namespace orv {

namespace {

constexpr int kAutoExpandDelayMs = 700;

bool hasSubFolders(const QString &path)
{
    return !QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty();
}

bool isBelow(const QTreeWidgetItem *item, const QTreeWidgetItem *ancestor)
{
    for (const QTreeWidgetItem *up = item ? item->parent() : nullptr; up; up = up->parent()) {
        if (up == ancestor)
            return true;
    }
    return false;
}

}  // namespace

COrvelBookmarksTree::COrvelBookmarksTree(QWidget *parent) : COrvelBookmarksView(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAutoExpandDelay(kAutoExpandDelayMs);
    connect(this, &QTreeWidget::itemExpanded, this, &COrvelBookmarksTree::onExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &COrvelBookmarksTree::onCollapsed);
}

QTreeWidgetItem *COrvelBookmarksTree::makeFolderItem(const QString &path, const QString &label, bool editable)
{
    auto *item = new QTreeWidgetItem;
    item->setText(0, label);
    item->setIcon(0, bookmarkFolderIcon());
    item->setData(0, PathRole, path);
    item->setData(0, FolderRole, true);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (editable)
        flags |= Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
    item->setFlags(flags);
    if (hasSubFolders(path))
        resetToPlaceholder(item);
    return item;
}

void COrvelBookmarksTree::resetToPlaceholder(QTreeWidgetItem *item)
{
    qDeleteAll(item->takeChildren());
    auto *placeholder = new QTreeWidgetItem;
    placeholder->setFlags(Qt::NoItemFlags);
    item->addChild(placeholder);
}

void COrvelBookmarksTree::SetRoot(const QString &root)
{
    clear();
    QTreeWidgetItem *item = makeFolderItem(root, QFileInfo(root).fileName(), false);
    addTopLevelItem(item);
    setCurrentItem(item);
    item->setExpanded(true);
    loadChildren(item);
}

void COrvelBookmarksTree::loadChildren(QTreeWidgetItem *item)
{
    qDeleteAll(item->takeChildren());
    QList<QTreeWidgetItem *> children;
    for (const CBookmarkItem &folder : listBookmarkSubFolders(pathOf(item)))
        children << makeFolderItem(folder.strFilePath, folder.strLabel, true);
    item->addChildren(children);
}

void COrvelBookmarksTree::onExpanded(QTreeWidgetItem *item)
{
    loadChildren(item);
}

void COrvelBookmarksTree::onCollapsed(QTreeWidgetItem *item)
{
    if (isBelow(currentItem(), item))
        setCurrentItem(item);
    resetToPlaceholder(item);
}

QTreeWidgetItem *COrvelBookmarksTree::itemOfPath(const QString &path) const
{
    QList<QTreeWidgetItem *> pending{rootItem()};
    while (!pending.isEmpty()) {
        QTreeWidgetItem *item = pending.takeFirst();
        if (!item)
            continue;
        if (pathOf(item) == path)
            return item;
        for (int i = 0; i < item->childCount(); ++i)
            pending << item->child(i);
    }
    return nullptr;
}

void COrvelBookmarksTree::Reload(QTreeWidgetItem *item)
{
    if (!item)
        return;
    if (!item->isExpanded()) {
        if (hasSubFolders(pathOf(item)))
            resetToPlaceholder(item);
        else
            qDeleteAll(item->takeChildren());
        return;
    }
    QStringList open;
    for (int i = 0; i < item->childCount(); ++i) {
        if (item->child(i)->isExpanded())
            open << pathOf(item->child(i));
    }
    const QString current = pathOf(currentItem());
    loadChildren(item);
    for (int i = 0; i < item->childCount(); ++i) {
        if (open.contains(pathOf(item->child(i))))
            item->child(i)->setExpanded(true);
    }
    if (QTreeWidgetItem *again = itemOfPath(current))
        setCurrentItem(again);
    else
        setCurrentItem(item);
}

QTreeWidgetItem *COrvelBookmarksTree::childOfPath(QTreeWidgetItem *item, const QString &path)
{
    if (!item)
        return nullptr;
    if (!item->isExpanded())
        item->setExpanded(true);
    for (int i = 0; i < item->childCount(); ++i) {
        if (pathOf(item->child(i)) == path)
            return item->child(i);
    }
    return nullptr;
}

}  // namespace orv
