#include "listorder.h"

namespace orv {

void moveSelectedRows(OrderedRows &order, bool up)
{
    const qsizetype count = qMin(order.rows.size(), order.selected.size());
    const qsizetype step = up ? -1 : 1;
    const qsizetype first = up ? 1 : count - 2;
    for (qsizetype i = first; i >= 0 && i < count; i -= step) {
        const qsizetype target = i + step;
        if (order.selected[i] && !order.selected[target]) {
            order.rows.swapItemsAt(i, target);
            order.selected.swapItemsAt(i, target);
        }
    }
}

}  // namespace orv
