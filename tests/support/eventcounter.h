#pragma once

#include "platform/events.h"

#include <QObject>

namespace orv::test {

// A stand-in for a window the libraries report to: counts the events of one number it receives and
// handles them as any QObject does.
class EventCounter : public QObject
{
public:
    explicit EventCounter(int number) : m_number(number) {}

    int count = 0;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == Ev::type(m_number))
            ++count;
        return QObject::event(e);
    }

private:
    int m_number;
};

}  // namespace orv::test
