#include "bookmarkviews.h"

#include "finder/bookmarks/bookmarkmover.h"

#include <QDrag>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimer>

namespace orv {

namespace {

QStringList pathsIn(const QMimeData *data)
{
    if (!data || !data->hasFormat(QString::fromLatin1(COrvelBookmarksView::MimeType)))
        return {};
    return QString::fromUtf8(data->data(QString::fromLatin1(COrvelBookmarksView::MimeType)))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class RenameDelegate : public QStyledItemDelegate
{
public:
    explicit RenameDelegate(COrvelBookmarksView *view) : QStyledItemDelegate(view), m_view(view) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setMaxLength(COrvelBookmarksView::MaxLabelLength);
        return editor;
    }

    // The item keeps its text until the rename succeeded on disk.
    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        const auto *line = qobject_cast<QLineEdit *>(editor);
        const QTreeWidgetItem *item = m_view->itemOf(index);
        if (!line || !item || line->text() == item->text(0))
            return;
        const QString text = line->text();
        QPointer<COrvelBookmarksView> view = m_view;
        const QPersistentModelIndex edited(index);
        QTimer::singleShot(0, m_view, [view, edited, text] {
            // Gone when the view was reloaded meanwhile: the rename is then dropped.
            if (view && edited.isValid())
                emit view->renameRequested(view->itemOf(edited), text);
        });
    }

private:
    COrvelBookmarksView *m_view;
};

}  // namespace

COrvelBookmarksView::COrvelBookmarksView(QWidget *parent) : QTreeWidget(parent)
{
    setItemDelegate(new RenameDelegate(this));
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

QString COrvelBookmarksView::pathOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, PathRole).toString() : QString();
}

bool COrvelBookmarksView::isFolder(const QTreeWidgetItem *item)
{
    return item && item->data(0, FolderRole).toBool();
}

QStringList COrvelBookmarksView::mimeTypes() const
{
    return {QString::fromLatin1(MimeType)};
}

QMimeData *COrvelBookmarksView::mimeData(const QList<QTreeWidgetItem *> &items) const
{
    QStringList paths;
    for (const QTreeWidgetItem *item : items)
        paths << pathOf(item);
    auto *dragged = new QMimeData;
    dragged->setData(QString::fromLatin1(MimeType), paths.join(QLatin1Char('\n')).toUtf8());
    return dragged;
}

void COrvelBookmarksView::startDrag(Qt::DropActions)
{
    QList<QTreeWidgetItem *> items;
    for (QTreeWidgetItem *item : selectedItems()) {
        if (item->flags().testFlag(Qt::ItemIsDragEnabled))
            items << item;
    }
    if (items.isEmpty())
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(mimeData(items));
    drag->exec(Qt::MoveAction);
}

QTreeWidgetItem *COrvelBookmarksView::folderAt(const QPoint &pos, const QMimeData *dragged) const
{
    QTreeWidgetItem *target = itemAt(pos);
    if (!isFolder(target))
        return nullptr;
    const QStringList paths = pathsIn(dragged);
    if (paths.isEmpty())
        return nullptr;
    for (const QString &path : paths) {
        if (!CBookmarkMover::canDropInto(path, pathOf(target)))
            return nullptr;
    }
    return target;
}

void COrvelBookmarksView::dragEnterEvent(QDragEnterEvent *event)
{
    if (pathsIn(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    QTreeWidget::dragEnterEvent(event);
    event->acceptProposedAction();
}

void COrvelBookmarksView::dragMoveEvent(QDragMoveEvent *event)
{
    // The base class scrolls near the edges and opens a folder the pointer rests on.
    QTreeWidget::dragMoveEvent(event);
    QTreeWidgetItem *target = folderAt(event->position().toPoint(), event->mimeData());
    if (target) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void COrvelBookmarksView::dropEvent(QDropEvent *event)
{
    QTreeWidgetItem *target = folderAt(event->position().toPoint(), event->mimeData());
    if (!target) {
        event->ignore();
        return;
    }
    const QStringList paths = pathsIn(event->mimeData());
    const QString folder = pathOf(target);
    event->setDropAction(Qt::MoveAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    // The move may ask questions: it runs once the drag is over.
    QTimer::singleShot(0, this, [this, paths, folder] { emit dropRequested(paths, folder); });
}

}  // namespace orv
