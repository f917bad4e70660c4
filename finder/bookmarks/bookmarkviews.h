#pragma once

#include <QTreeWidget>

namespace orv {

// What the manager's tree and list share: items that stand for a directory or a bookmark file of the
// store, label editing that hands the new text over once the editor is closed, and dragging items onto a
// folder item to move them.
class COrvelBookmarksView : public QTreeWidget
{
    Q_OBJECT

public:
    static constexpr int PathRole = Qt::UserRole;
    static constexpr int FolderRole = Qt::UserRole + 1;
    static constexpr const char *MimeType = "application/x-orvel-bookmark-paths";
    // The longest label the edit box takes.
    static constexpr int MaxLabelLength = 260;

    explicit COrvelBookmarksView(QWidget *parent = nullptr);

    static QString pathOf(const QTreeWidgetItem *item);
    QTreeWidgetItem *itemOf(const QModelIndex &index) const { return itemFromIndex(index); }
    static bool isFolder(const QTreeWidgetItem *item);

signals:
    // After the editor closed, so that a refusal's message box does not meet an open editor.
    void renameRequested(QTreeWidgetItem *item, const QString &text);
    void dropRequested(const QStringList &paths, const QString &targetFolder);

protected:
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;
    // The move is the manager's to make; the view only reloads afterwards, so nothing of the dragged items
    // is removed here when the drag ends.
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QTreeWidgetItem *folderAt(const QPoint &pos, const QMimeData *dragged) const;
};

}  // namespace orv
