#include "pump.h"

#include <QCoreApplication>

namespace orv {

void pumpEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace orv
