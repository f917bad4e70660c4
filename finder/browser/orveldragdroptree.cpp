#include "orveldragdroptree.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>

#include <memory>

namespace orv {

namespace {

// Where the drag image starts, from the pointer.
constexpr QPoint kImageOffset(8, 8);
// The margins inside the tree in which a drag scrolls it.
constexpr int kScrollDownMargin = 30;
constexpr int kScrollUpFrom = 10;
constexpr int kScrollUpTo = 40;
constexpr int kScrollLeftMargin = 25;
constexpr int kScrollRightMargin = 10;
constexpr int kImagePadding = 3;

// The lines (-1, 0 or 1 each way) the tree scrolls for a pointer at pos in a viewport of that size.
QPoint autoScrollStep(const QPoint &pos, const QSize &viewport)
{
    QPoint step;
    if (pos.y() >= viewport.height() - kScrollDownMargin)
        step.setY(1);
    else if (pos.y() > kScrollUpFrom && pos.y() < kScrollUpTo)
        step.setY(-1);
    if (pos.x() < kScrollLeftMargin)
        step.setX(-1);
    else if (pos.x() >= viewport.width() - kScrollRightMargin)
        step.setX(1);
    return step;
}

}  // namespace

COrvelDragDropTree::COrvelDragDropTree(QWidget *parent) : QTreeWidget(parent)
{
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    m_expandTimer.setSingleShot(true);
    m_expandTimer.setInterval(ExpandDelayMs);
    m_scrollTimer.setInterval(ScrollIntervalMs);
    connect(&m_expandTimer, &QTimer::timeout, this, &COrvelDragDropTree::onExpandTimer);
    connect(&m_scrollTimer, &QTimer::timeout, this, &COrvelDragDropTree::onScrollTimer);
}

QTreeWidgetItem *COrvelDragDropTree::dropTargetNode(QTreeWidgetItem *)
{
    return nullptr;
}

bool COrvelDragDropTree::dropFile(const QString &, QTreeWidgetItem *, bool)
{
    return false;
}

QMimeData *COrvelDragDropTree::dragDataOf(QTreeWidgetItem *, const std::function<bool()> &)
{
    return nullptr;
}

// The receiving program asks for the data once the button is released over it; over the program's own
// window nothing is handed out.
bool COrvelDragDropTree::droppedOutside() const
{
    const bool outside = !window()->frameGeometry().contains(QCursor::pos());
    return outside && !QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
}

void COrvelDragDropTree::startDrag(Qt::DropActions)
{
    QTreeWidgetItem *node = currentItem();
    if (!node)
        return;
    const QPointer<COrvelDragDropTree> self(this);
    std::unique_ptr<QMimeData> offered(dragDataOf(node, [self] { return self && self->droppedOutside(); }));
    if (!offered)
        return;
    m_dragging = true;
    auto *drag = new QDrag(this);
    drag->setMimeData(offered.release());
    drag->setPixmap(dragImage(node));
    drag->setHotSpot(-kImageOffset);
    drag->exec(Qt::CopyAction);
    if (self)
        m_dragging = false;
}

// One look for every setting of the drag image: the node's icon and text on a light shade of the selection
// colour, framed.
QPixmap COrvelDragDropTree::dragImage(const QTreeWidgetItem *node) const
{
    const QString text = node->text(0);
    const int iconSide = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(text);
    const QSize size(3 * kImagePadding + iconSide + textWidth,
                     2 * kImagePadding + std::max(iconSide, metrics.height()));
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QColor shade = palette().color(QPalette::Highlight);
    shade.setAlpha(80);
    painter.fillRect(QRect(QPoint(), size), shade);
    painter.setPen(palette().color(QPalette::Highlight));
    painter.drawRect(QRect(QPoint(), size).adjusted(0, 0, -1, -1));
    node->icon(0).paint(&painter, QRect(kImagePadding, (size.height() - iconSide) / 2, iconSide, iconSide));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(2 * kImagePadding + iconSide, 0, textWidth, size.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text);
    return pixmap;
}

bool COrvelDragDropTree::acceptsDrop(const QDropEvent *event) const
{
    const QMimeData *dropped = event->mimeData();
    return !m_dragging && m_dropAllowed && m_dropAllowed() && dropped && dropped->hasUrls()
           && event->possibleActions().testFlag(Qt::CopyAction);
}

QStringList COrvelDragDropTree::droppedFiles(const QMimeData *dropped) const
{
    QStringList files;
    for (const QUrl &url : dropped->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files << url.toLocalFile();
    }
    return files;
}

QTreeWidgetItem *COrvelDragDropTree::targetAt(const QPoint &pos)
{
    QTreeWidgetItem *hit = itemAt(pos);
    if (!hit)
        return nullptr;
    const QModelIndex hitIndex = indexFromItem(hit);
    if (hitIndex == m_lastHit)
        return itemFromIndex(m_lastTarget);
    QTreeWidgetItem *target = dropTargetNode(hit);
    m_lastHit = hitIndex;
    m_lastTarget = target ? QPersistentModelIndex(indexFromItem(target)) : QPersistentModelIndex();
    return target;
}

void COrvelDragDropTree::setHighlight(QTreeWidgetItem *node)
{
    const QModelIndex index = node ? indexFromItem(node) : QModelIndex();
    if (index == m_highlight)
        return;
    m_highlight = index;
    viewport()->update();
    // Every node the pointer comes to gets the whole wait before it opens.
    if (node)
        m_expandTimer.start();
    else
        m_expandTimer.stop();
}

void COrvelDragDropTree::dragOver(QDropEvent *event)
{
    if (!acceptsDrop(event)) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    m_scrollStep = autoScrollStep(pos, viewport()->size());
    if (m_scrollStep.isNull())
        m_scrollTimer.stop();
    else if (!m_scrollTimer.isActive())
        m_scrollTimer.start();
    QTreeWidgetItem *target = targetAt(pos);
    setHighlight(target);
    if (target) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void COrvelDragDropTree::dragEnterEvent(QDragEnterEvent *event)
{
    m_lastHit = QPersistentModelIndex();
    m_lastTarget = QPersistentModelIndex();
    if (!acceptsDrop(event)) {
        event->ignore();
        return;
    }
    dragOver(event);
    // Accepted even over no target, so that the moves that follow reach the tree.
    event->accept();
}

void COrvelDragDropTree::dragMoveEvent(QDragMoveEvent *event)
{
    dragOver(event);
}

void COrvelDragDropTree::dragLeaveEvent(QDragLeaveEvent *)
{
    endDragOver();
}

void COrvelDragDropTree::endDragOver()
{
    setHighlight(nullptr);
    m_scrollTimer.stop();
    m_lastHit = QPersistentModelIndex();
    m_lastTarget = QPersistentModelIndex();
}

void COrvelDragDropTree::dropEvent(QDropEvent *event)
{
    QTreeWidgetItem *target = acceptsDrop(event) ? targetAt(event->position().toPoint()) : nullptr;
    const QStringList files = target ? droppedFiles(event->mimeData()) : QStringList();
    const QPersistentModelIndex where(target ? indexFromItem(target) : QModelIndex());
    endDragOver();
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The adds ask questions and show their progress: they run once the other program has its answer.
    QTimer::singleShot(0, this, [this, files, where] { passFiles(files, where); });
}

void COrvelDragDropTree::passFiles(const QStringList &files, const QPersistentModelIndex &target)
{
    for (qsizetype i = 0; i < files.size(); ++i) {
        QTreeWidgetItem *node = itemFromIndex(target);
        if (!node || !dropFile(files[i], node, i > 0))
            break;
    }
    dropFinished();
}

void COrvelDragDropTree::onExpandTimer()
{
    QTreeWidgetItem *node = dropHighlight();
    if (node && node->childCount() > 0 && !node->isExpanded())
        expandItem(node);
}

void COrvelDragDropTree::onScrollTimer()
{
    if (m_scrollStep.y() != 0)
        verticalScrollBar()->triggerAction(m_scrollStep.y() > 0 ? QAbstractSlider::SliderSingleStepAdd
                                                                 : QAbstractSlider::SliderSingleStepSub);
    if (m_scrollStep.x() != 0)
        horizontalScrollBar()->triggerAction(m_scrollStep.x() > 0 ? QAbstractSlider::SliderSingleStepAdd
                                                                  : QAbstractSlider::SliderSingleStepSub);
}

void COrvelDragDropTree::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    if (!m_highlight.isValid() || index.row() != m_highlight.row() || index.parent() != m_highlight.parent()) {
        QTreeWidget::drawRow(painter, option, index);
        return;
    }
    QStyleOptionViewItem highlighted(option);
    highlighted.state |= QStyle::State_Selected;
    QTreeWidget::drawRow(painter, highlighted, index);
}

}  // namespace orv
