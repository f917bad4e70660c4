#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

namespace orv {

// A long operation's link to its progress window: the window it reports to, and the stop request that
// arrives there as an event. The filter sees that event before the window does and hands it on; the window
// still gets it unless the filter is made to take it. One window is watched at a time; the filter lets go
// of it when another is set and when the filter goes.
class StopEventFilter : public QObject
{
public:
    enum class Delivery {
        LeaveToWindow,  // the window handles the event too
        Take,           // the event ends here
    };

    StopEventFilter(int stopEvent, std::function<void()> onStop, Delivery delivery = Delivery::LeaveToWindow);
    ~StopEventFilter() override;

    // Null stops watching.
    void watch(QObject *window);
    // Null when none was set or it is gone.
    QObject *window() const { return m_window; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_stopEvent;
    std::function<void()> m_onStop;
    Delivery m_delivery;
    QPointer<QObject> m_window;
};

}  // namespace orv
