#include "bookmarkslist.h"

#include "finder/bookmarks/bookmarkicons.h"

#include <QHeaderView>

namespace orv {

COrvelBookmarksList::COrvelBookmarksList(QWidget *parent) : COrvelBookmarksView(parent)
{
    setColumnCount(2);
    setHeaderLabels({tr("Label"), tr("Path")});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(true);
    connect(header(), &QHeaderView::sectionClicked, this, &COrvelBookmarksList::SortBy);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (isFolder(item))
            emit folderOpened(pathOf(item));
    });
}

void COrvelBookmarksList::Load(const QString &folder)
{
    m_folder = folder;
    m_items = listBookmarkFolder(folder);
    if (m_sortColumn >= 0)
        sortBookmarkItems(m_items, m_sortColumn, m_ascending);
    showItems();
}

void COrvelBookmarksList::SortBy(int column)
{
    m_ascending = column == m_sortColumn ? !m_ascending : true;
    m_sortColumn = column;
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    const QStringList selected = [this] {
        QStringList paths;
        for (const QTreeWidgetItem *item : selectedRows())
            paths << pathOf(item);
        return paths;
    }();
    sortBookmarkItems(m_items, m_sortColumn, m_ascending);
    showItems();
    for (const QString &path : selected) {
        if (QTreeWidgetItem *item = itemOfPath(path))
            item->setSelected(true);
    }
}

void COrvelBookmarksList::showItems()
{
    clear();
    QList<QTreeWidgetItem *> rows;
    for (const CBookmarkItem &entry : m_items) {
        auto *row = new QTreeWidgetItem;
        const bool folder = entry.kind == CBookmarkItem::Folder;
        row->setText(LabelColumn, entry.strLabel);
        row->setText(PathColumn, entry.strPath);
        row->setToolTip(PathColumn, entry.strPath);
        row->setIcon(LabelColumn, folder ? bookmarkFolderIcon() : bookmarkIcon(entry.nImage, entry.strPath));
        row->setData(0, PathRole, entry.strFilePath);
        row->setData(0, FolderRole, folder);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
        if (folder)
            flags |= Qt::ItemIsDropEnabled;
        row->setFlags(flags);
        rows << row;
    }
    addTopLevelItems(rows);
}

QTreeWidgetItem *COrvelBookmarksList::itemOfPath(const QString &path) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (pathOf(topLevelItem(i)) == path)
            return topLevelItem(i);
    }
    return nullptr;
}

QList<QTreeWidgetItem *> COrvelBookmarksList::selectedRows() const
{
    QList<QTreeWidgetItem *> rows;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->isSelected())
            rows << topLevelItem(i);
    }
    return rows;
}

QTreeWidgetItem *COrvelBookmarksList::lastSelectedRow() const
{
    QTreeWidgetItem *current = currentItem();
    if (current && current->isSelected())
        return current;
    const QList<QTreeWidgetItem *> rows = selectedRows();
    return rows.isEmpty() ? nullptr : rows.last();
}

}  // namespace orv
