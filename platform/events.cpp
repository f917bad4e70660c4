#include "events.h"

#include <QCoreApplication>

namespace orv {

OrvEvent::OrvEvent(int number, int value, QString text)
    : QEvent(Ev::type(number)), m_value(value), m_text(std::move(text))
{
}

void sendOrvEvent(QObject *receiver, int number, int value, const QString &text)
{
    if (!receiver)
        return;
    OrvEvent event(number, value, text);
    QCoreApplication::sendEvent(receiver, &event);
}

void postOrvEvent(QObject *receiver, int number, int value, const QString &text)
{
    if (!receiver)
        return;
    QCoreApplication::postEvent(receiver, new OrvEvent(number, value, text));
}

}  // namespace orv
