#pragma once

#include "finder/bookmarks/bookmarkviews.h"

namespace orv {

// The manager's folder tree. The root item is the store's root; an item's children are read from disk
// each time it expands, and collapsing it drops them again, leaving one empty child for its button.
class COrvelBookmarksTree : public COrvelBookmarksView
{
    Q_OBJECT

public:
    explicit COrvelBookmarksTree(QWidget *parent = nullptr);

    // Shows the root expanded and selected.
    void SetRoot(const QString &root);
    QTreeWidgetItem *rootItem() const { return topLevelItem(0); }
    // The loaded item of a folder, or null.
    QTreeWidgetItem *itemOfPath(const QString &path) const;
    // Reads an item's children again, keeping open the folders below it that were open and still exist.
    void Reload(QTreeWidgetItem *item);
    // Expands the item when needed and answers its child for the path, or null.
    QTreeWidgetItem *childOfPath(QTreeWidgetItem *item, const QString &path);

private:
    void onExpanded(QTreeWidgetItem *item);
    void onCollapsed(QTreeWidgetItem *item);
    void loadChildren(QTreeWidgetItem *item);
    static QTreeWidgetItem *makeFolderItem(const QString &path, const QString &label, bool editable);
    static void resetToPlaceholder(QTreeWidgetItem *item);
};

}  // namespace orv
