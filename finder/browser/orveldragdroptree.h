#pragma once

#include <QPersistentModelIndex>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

class QMimeData;

namespace orv {

// A tree that nodes are dragged out of, to other programs, and that files from other programs are dropped
// on. What a node offers and where files may go is the subclass's; this class runs the drags: the drag
// image, the drop highlight, scrolling near the edges, opening a node the pointer rests on, and passing the
// dropped files one by one. A node dragged from the tree is never dropped on the tree itself.
class COrvelDragDropTree : public QTreeWidget
{
    Q_OBJECT

public:
    explicit COrvelDragDropTree(QWidget *parent = nullptr);

    // Whether files from other programs may be dropped; asked afresh at every drag.
    void setDropAllowed(std::function<bool()> allowed) { m_dropAllowed = std::move(allowed); }

    // The node drawn as the place of the drop, if any.
    QTreeWidgetItem *dropHighlight() const { return itemFromIndex(m_highlight); }
    bool isDragging() const { return m_dragging; }

    // How long the pointer rests on a closed node before it opens, and how often the tree scrolls while the
    // pointer is near an edge.
    static constexpr int ExpandDelayMs = 2000;
    static constexpr int ScrollIntervalMs = 100;

protected:
    // The node a drop on node would go to; none refuses. The base refuses everything.
    virtual QTreeWidgetItem *dropTargetNode(QTreeWidgetItem *node);
    // Takes one dropped file; false ends the drop. The base refuses.
    virtual bool dropFile(const QString &source, QTreeWidgetItem *target, bool laterItem);
    // After the last file of a drop.
    virtual void dropFinished() {}
    // What dragging the node offers; null when it cannot be dragged. The gate tells whether the drag ended
    // over another program's window.
    virtual QMimeData *dragDataOf(QTreeWidgetItem *node, const std::function<bool()> &droppedOutside);

    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QPixmap dragImage(const QTreeWidgetItem *node) const;
    bool droppedOutside() const;
    QStringList droppedFiles(const QMimeData *dropped) const;
    bool acceptsDrop(const QDropEvent *event) const;
    QTreeWidgetItem *targetAt(const QPoint &pos);
    void dragOver(QDropEvent *event);
    void setHighlight(QTreeWidgetItem *node);
    void endDragOver();
    void onExpandTimer();
    void onScrollTimer();
    void passFiles(const QStringList &files, const QPersistentModelIndex &target);

    std::function<bool()> m_dropAllowed;
    bool m_dragging = false;
    QPersistentModelIndex m_highlight;
    // The last node under the pointer and its drop target: the test may open an archive, so it runs once
    // per node the pointer enters, not at every move.
    QPersistentModelIndex m_lastHit;
    QPersistentModelIndex m_lastTarget;
    QTimer m_expandTimer;
    QTimer m_scrollTimer;
    QPoint m_scrollStep;
};

}  // namespace orv
