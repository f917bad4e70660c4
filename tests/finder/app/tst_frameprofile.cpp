#include "finder/app/frameprofile.h"
#include "finder/common/busyflags.h"
#include "platform/events.h"

#include <QSettings>
#include <QtTest>

using orv::CBusyFlags;
using orv::SplitterPositions;

namespace {

// Counts the events of each number that reach it.
class EventCounter : public QObject
{
public:
    QList<int> received;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() >= QEvent::User) {
            received << static_cast<int>(e->type());
            return true;
        }
        return QObject::event(e);
    }
};

}  // namespace

class TestFrameProfile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void splitterText_data();
    void splitterText();
    void splitterTextRoundTrip();
    void applicationLookDefaultsToAqua();
    void busyGuard_data();
    void busyGuard();
};

void TestFrameProfile::init()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Orvel Systems"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvel-ZIP Finder"));
    QSettings().clear();
}

void TestFrameProfile::splitterText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QList<int>>("numbers");

    QTest::newRow("default") << "-1 150 -1 150" << true << QList<int>{-1, 150, -1, 150};
    QTest::newRow("extra blanks") << "  0   400 -1   600 " << true << QList<int>{0, 400, -1, 600};
    QTest::newRow("three numbers") << "-1 150 -1" << false << QList<int>{};
    QTest::newRow("five numbers") << "-1 150 -1 150 9" << false << QList<int>{};
    QTest::newRow("not a number") << "-1 wide -1 150" << false << QList<int>{};
    QTest::newRow("empty") << "" << false << QList<int>{};
}

void TestFrameProfile::splitterText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QList<int>, numbers);
    const auto parsed = SplitterPositions::fromText(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE((QList<int>{parsed->hiddenColumn, parsed->column0, parsed->hiddenRow, parsed->column1}), numbers);
}

void TestFrameProfile::splitterTextRoundTrip()
{
    QCOMPARE(SplitterPositions{}.toText(), QStringLiteral("-1 150 -1 150"));
    QCOMPARE((SplitterPositions{1, -5, -1, 320}.toText()), QStringLiteral("1 100 -1 320"));

    orv::FrameProfile profile;
    QVERIFY(!profile.splitterPositions(0).has_value());
    profile.setSplitterPositions(0, SplitterPositions{-1, 480, -1, 620});
    QCOMPARE(QSettings().value("SplitterPos/View_0").toString(), QStringLiteral("-1 480 -1 620"));
    QCOMPARE(profile.splitterPositions(0)->column1, 620);
}

void TestFrameProfile::applicationLookDefaultsToAqua()
{
    orv::FrameProfile profile;
    QCOMPARE(profile.applicationLook(), 218);
    profile.setApplicationLook(216);
    QCOMPARE(QSettings().value("ApplicationLook").toInt(), 216);
    QSettings().setValue("ApplicationLook", "garbage");
    QCOMPARE(profile.applicationLook(), 218);
}

void TestFrameProfile::busyGuard_data()
{
    QTest::addColumn<QList<int>>("running");
    QTest::addColumn<int>("stoppedReceiver");
    QTest::addColumn<int>("event");

    QTest::newRow("nothing runs") << QList<int>{} << -1 << 0;
    QTest::newRow("unpack") << QList<int>{CBusyFlags::Unpack} << 0 << 1125;
    QTest::newRow("pack") << QList<int>{CBusyFlags::Pack} << 1 << 1128;
    QTest::newRow("search") << QList<int>{CBusyFlags::Search} << 2 << 1130;
    QTest::newRow("split or merge") << QList<int>{CBusyFlags::SplitMerge} << 3 << 1134;
    QTest::newRow("unpack comes before search") << QList<int>{CBusyFlags::Search, CBusyFlags::Unpack} << 0 << 1125;
    QTest::newRow("pack comes before split") << QList<int>{CBusyFlags::SplitMerge, CBusyFlags::Pack} << 1 << 1128;
}

void TestFrameProfile::busyGuard()
{
    QFETCH(QList<int>, running);
    QFETCH(int, stoppedReceiver);
    QFETCH(int, event);

    EventCounter receivers[CBusyFlags::OperationCount];
    CBusyFlags flags;
    for (int op : running)
        flags.setRunning(static_cast<CBusyFlags::Operation>(op), &receivers[op]);
    QCOMPARE(flags.IsBusy(), !running.isEmpty());
    QCoreApplication::processEvents();
    for (int i = 0; i < CBusyFlags::OperationCount; ++i)
        QCOMPARE(receivers[i].received, i == stoppedReceiver ? QList<int>{event} : QList<int>{});

    for (int op : running)
        flags.clear(static_cast<CBusyFlags::Operation>(op));
    QVERIFY(!flags.IsBusy());
}

QTEST_GUILESS_MAIN(TestFrameProfile)
#include "tst_frameprofile.moc"
