#include "platform/events.h"
#include "platform/stopeventfilter.h"
#include "tests/support/eventcounter.h"

#include <QCoreApplication>
#include <QTest>

#include <memory>

using namespace orv;

class TestStopEventFilter : public QObject
{
    Q_OBJECT

private slots:
    void stopReachesTheOperation_data()
    {
        QTest::addColumn<bool>("take");
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("noticed");
        QTest::addColumn<int>("windowGets");
        QTest::newRow("left to the window") << false << Ev::UnpackStop << 1 << 1;
        QTest::newRow("taken") << true << Ev::UnpackStop << 1 << 0;
        QTest::newRow("another event passes") << true << Ev::PackStop << 0 << 1;
    }
    void stopReachesTheOperation()
    {
        QFETCH(bool, take);
        QFETCH(int, event);
        QFETCH(int, noticed);
        QFETCH(int, windowGets);
        int stops = 0;
        StopEventFilter filter(event, [&stops] { ++stops; },
                               take ? StopEventFilter::Delivery::Take : StopEventFilter::Delivery::LeaveToWindow);
        test::EventCounter window(Ev::UnpackStop);
        filter.watch(&window);
        sendOrvEvent(&window, Ev::UnpackStop);
        QCOMPARE(stops, noticed);
        QCOMPARE(window.count, windowGets);
    }

    // One window at a time, and none once the filter or the window is gone.
    void watchesOneWindowAtATime()
    {
        int stops = 0;
        auto filter = std::make_unique<StopEventFilter>(Ev::UnpackStop, [&stops] { ++stops; });
        test::EventCounter first(Ev::UnpackStop);
        auto second = std::make_unique<test::EventCounter>(Ev::UnpackStop);
        filter->watch(&first);
        filter->watch(second.get());
        QCOMPARE(filter->window(), second.get());
        sendOrvEvent(&first, Ev::UnpackStop);
        QCOMPARE(stops, 0);
        second.reset();
        QCOMPARE(filter->window(), nullptr);
        filter->watch(&first);
        filter.reset();
        sendOrvEvent(&first, Ev::UnpackStop);
        QCOMPARE(stops, 0);
        QCOMPARE(first.count, 2);
    }
};

QTEST_GUILESS_MAIN(TestStopEventFilter)
#include "tst_stopeventfilter.moc"
