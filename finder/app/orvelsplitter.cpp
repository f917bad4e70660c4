#include "orvelsplitter.h"

namespace orv {

COrvelSplitter::COrvelSplitter(int viewNumber, QWidget *parent) : QSplitter(Qt::Horizontal, parent), m_view(viewNumber)
{
    setObjectName(QStringLiteral("OrvelSplitter"));
    setChildrenCollapsible(false);
}

void COrvelSplitter::setMinimumColumnWidth(int column, int width)
{
    if (QWidget *w = widget(column))
        w->setMinimumWidth(width);
}

void COrvelSplitter::setIdealColumnWidth(int column, int width)
{
    if (column >= 0 && column < 2)
        m_ideal[column] = width;
}

void COrvelSplitter::restorePositions(const FrameProfile &profile)
{
    const std::optional<SplitterPositions> saved = profile.splitterPositions(m_view);
    if (!saved) {
        setSizes({m_ideal[0], m_ideal[1]});
        return;
    }
    setSizes({saved->column0, saved->column1});
    for (int column = 0; column < count(); ++column)
        widget(column)->setVisible(column != saved->hiddenColumn);
}

void COrvelSplitter::savePositions(FrameProfile &profile) const
{
    SplitterPositions positions;
    const QList<int> widths = sizes();
    positions.column0 = widths.value(0, -1);
    positions.column1 = widths.value(1, -1);
    for (int column = 0; column < count(); ++column)
        if (widget(column)->isHidden())
            positions.hiddenColumn = column;
    profile.setSplitterPositions(m_view, positions);
}

}  // namespace orv
