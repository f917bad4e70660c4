#include "platform/numbers.h"

#include <QTest>

#include <clocale>
#include <limits>

namespace {

// Rows pick their own time zone; the C library reads TZ again on tzset.
void useZone(const QByteArray &zone)
{
    qputenv("TZ", zone);
    tzset();
}

}  // namespace

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { std::setlocale(LC_TIME, "C"); }

    void formatNumber_data()
    {
        QTest::addColumn<quint64>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << quint64(0) << QStringLiteral("0");
        QTest::newRow("three digits stay whole") << quint64(999) << QStringLiteral("999");
        QTest::newRow("first group boundary") << quint64(1000) << QStringLiteral("1 000");
        QTest::newRow("six digits") << quint64(100000) << QStringLiteral("100 000");
        QTest::newRow("seven digits") << quint64(1234567) << QStringLiteral("1 234 567");
        QTest::newRow("largest value") << quint64(std::numeric_limits<quint64>::max())
                                       << QStringLiteral("18 446 744 073 709 551 615");
    }
    void formatNumber()
    {
        QFETCH(quint64, value);
        QFETCH(QString, expected);
        QCOMPARE(orv::formatNumber64(value), expected);
    }

    void ratio_data()
    {
        QTest::addColumn<quint64>("packed");
        QTest::addColumn<quint64>("size");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty file") << quint64(0) << quint64(0) << 0;
        QTest::newRow("packed but no size") << quint64(50) << quint64(0) << 0;
        QTest::newRow("stored") << quint64(10) << quint64(10) << 100;
        QTest::newRow("truncated not rounded") << quint64(2) << quint64(3) << 66;
        QTest::newRow("grew when packed") << quint64(3) << quint64(2) << 150;
        QTest::newRow("beyond 32 bits") << quint64(3) << (quint64(1) << 40) << 0;
        QTest::newRow("absurd claim stays an int") << std::numeric_limits<quint64>::max() << quint64(1)
                                                   << std::numeric_limits<int>::max();
    }
    void ratio()
    {
        QFETCH(quint64, packed);
        QFETCH(quint64, size);
        QFETCH(int, expected);
        QCOMPARE(orv::ratioPercent(packed, size), expected);
    }

    void dosToSeconds_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<quint32>("dos");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("utc") << QByteArray("UTC") << quint32(0x52ef5000) << qint64(1626343200);
        QTest::newRow("summer time applied") << QByteArray("Europe/Berlin") << quint32(0x52ef6000)
                                             << qint64(1626343200);
        QTest::newRow("winter time") << QByteArray("Europe/Berlin") << quint32(0x522f6000) << qint64(1610708400);
        QTest::newRow("first DOS day") << QByteArray("UTC") << quint32(0x00210000) << qint64(315532800);
        QTest::newRow("last DOS second") << QByteArray("UTC") << quint32(0xff9fbf7d) << qint64(4354819198);
    }
    void dosToSeconds()
    {
        QFETCH(QByteArray, zone);
        QFETCH(quint32, dos);
        QFETCH(qint64, expected);
        useZone(zone);
        std::int64_t seconds = -1;
        QVERIFY(orv::dosDateTimeToSeconds(dos, seconds));
        QCOMPARE(seconds, expected);
        QCOMPARE(orv::secondsToDosDateTime(seconds), dos);
    }

    void damagedDosStamp_data()
    {
        QTest::addColumn<quint32>("dos");
        QTest::newRow("all zero") << quint32(0);
        QTest::newRow("month 13") << quint32(((41u << 9) | (13u << 5) | 1u) << 16);
        QTest::newRow("day 0") << quint32(((41u << 9) | (1u << 5) | 0u) << 16);
        QTest::newRow("hour 24") << (quint32(0x00210000) | (24u << 11));
        QTest::newRow("minute 60") << (quint32(0x00210000) | (60u << 5));
        QTest::newRow("second 60") << (quint32(0x00210000) | 30u);
    }
    void damagedDosStamp()
    {
        QFETCH(quint32, dos);
        useZone("UTC");
        std::int64_t seconds = 77;
        QVERIFY(!orv::dosDateTimeToSeconds(dos, seconds));
        QCOMPARE(seconds, qint64(77));
    }

    void secondsToDos_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("odd second rounds down") << qint64(1626343201) << quint32(0x52ef5000);
        QTest::newRow("before 1980 pinned") << qint64(0) << quint32(0x00210000);
        QTest::newRow("negative pinned") << qint64(-86400) << quint32(0x00210000);
        QTest::newRow("after 2107 pinned") << qint64(4354819198) + 86400 * 400 << quint32(0xff9fbf7d);
    }
    void secondsToDos()
    {
        QFETCH(qint64, seconds);
        QFETCH(quint32, expected);
        useZone("UTC");
        QCOMPARE(orv::secondsToDosDateTime(seconds), expected);
    }

    void timeTexts_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("comma");
        QTest::newRow("epoch") << QByteArray("UTC") << qint64(0) << QStringLiteral("01/01/70 00:00:00")
                               << QStringLiteral("01/01/70, 00:00:00");
        QTest::newRow("local zone with summer time") << QByteArray("Europe/Berlin") << qint64(1626343200)
                                                     << QStringLiteral("07/15/21 12:00:00")
                                                     << QStringLiteral("07/15/21, 12:00:00");
    }
    void timeTexts()
    {
        QFETCH(QByteArray, zone);
        QFETCH(qint64, seconds);
        QFETCH(QString, plain);
        QFETCH(QString, comma);
        useZone(zone);
        QCOMPARE(orv::localTimeText(seconds), plain);
        QCOMPARE(orv::localTimeTextComma(seconds), comma);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
