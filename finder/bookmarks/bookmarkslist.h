#pragma once

#include "finder/bookmarks/bookmarkitems.h"
#include "finder/bookmarks/bookmarkviews.h"

#include <vector>

namespace orv {

// The manager's list of one folder's content: "Label" and "Path", folders first. A click on a column
// header sorts by it, ascending at first and the other way round at the next click on the same column.
class COrvelBookmarksList : public COrvelBookmarksView
{
    Q_OBJECT

public:
    enum Column { LabelColumn = 0, PathColumn = 1 };

    explicit COrvelBookmarksList(QWidget *parent = nullptr);

    // Reads the folder's content and shows it in the current sort order.
    void Load(const QString &folder);
    const QString &folder() const { return m_folder; }
    QTreeWidgetItem *itemOfPath(const QString &path) const;
    // The selected rows, top down; the last one is the one the selection ended on.
    QList<QTreeWidgetItem *> selectedRows() const;
    QTreeWidgetItem *lastSelectedRow() const;
    void SortBy(int column);

signals:
    void folderOpened(const QString &path);

private:
    void showItems();

    QString m_folder;
    std::vector<CBookmarkItem> m_items;
    int m_sortColumn = -1;
    bool m_ascending = true;
};

}  // namespace orv
