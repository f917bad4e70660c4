#include "stopeventfilter.h"

#include "platform/events.h"

#include <QEvent>

namespace orv {

StopEventFilter::StopEventFilter(int stopEvent, std::function<void()> onStop, Delivery delivery)
    : m_stopEvent(stopEvent), m_onStop(std::move(onStop)), m_delivery(delivery)
{
}

StopEventFilter::~StopEventFilter()
{
    watch(nullptr);
}

void StopEventFilter::watch(QObject *window)
{
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
    if (window)
        window->installEventFilter(this);
}

bool StopEventFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == Ev::type(m_stopEvent)) {
        m_onStop();
        if (m_delivery == Delivery::Take)
            return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace orv
