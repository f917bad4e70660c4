#pragma once

#include <QList>
#include <QStringList>

namespace orv {

// The merge list's rows and which of them are selected, as the up and down buttons move them.
struct OrderedRows
{
    QStringList rows;
    QList<bool> selected;  // one per row
};

// Every selected row moves one place up (or down). A selected row at the edge stays, and so does a selected
// row right behind one that stays, so a block of selected rows moves as one and keeps its order.
void moveSelectedRows(OrderedRows &order, bool up);

}  // namespace orv
