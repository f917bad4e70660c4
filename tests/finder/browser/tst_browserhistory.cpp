#include "finder/browser/browserhistory.h"

#include <QtTest>

using orv::CArchiveHistory;
using orv::CBrowserHistory;

using Indices = QList<qint64>;

namespace {

// Runs a script of words against a history: "sel" records a new node, "back", "forward", "goto:N",
// "clear", "sel-off" records with recording off.
void play(CBrowserHistory &history, const QStringList &script)
{
    int made = 0;
    for (const QString &word : script) {
        if (word == QLatin1String("sel"))
            history.Record(QStringLiteral("/data/n%1").arg(made++), 0);
        else if (word == QLatin1String("sel-off")) {
            history.setRecording(false);
            history.Record(QStringLiteral("/data/off"), 0);
            history.setRecording(true);
        } else if (word == QLatin1String("back"))
            history.Back();
        else if (word == QLatin1String("forward"))
            history.Forward();
        else if (word.startsWith(QLatin1String("goto:")))
            history.GoTo(word.mid(5).toLongLong());
        else if (word == QLatin1String("clear"))
            history.Clear();
    }
}

Indices indicesOf(const std::vector<CArchiveHistory> &steps)
{
    Indices list;
    for (const CArchiveHistory &step : steps)
        list << qint64(step.nIndex);
    return list;
}

QStringList times(const QString &word, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << word;
    return list;
}

}  // namespace

class TestBrowserHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void steps_data();
    void steps();
    void tooltipsNameTheNeighbours();
    void stepNames_data();
    void stepNames();
    void stepsShownOutsideRangeIsFive_data();
    void stepsShownOutsideRangeIsFive();
};

void TestBrowserHistory::steps_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<int>("stepsShown");
    QTest::addColumn<qint64>("current");
    QTest::addColumn<int>("stepCount");
    QTest::addColumn<bool>("canBack");
    QTest::addColumn<bool>("canForward");
    QTest::addColumn<Indices>("backList");
    QTest::addColumn<Indices>("forwardList");

    const QStringList ten = times(QStringLiteral("sel"), 10);
    QTest::newRow("empty") << QStringList{} << 5 << qint64(-1) << 0 << false << false << Indices{} << Indices{};
    QTest::newRow("one step: neither way") << QStringList{"sel"} << 5 << qint64(0) << 1 << false << false
                                           << Indices{} << Indices{};
    QTest::newRow("ten steps, five shown: 8 down to 4")
        << ten << 5 << qint64(9) << 10 << true << false << Indices{8, 7, 6, 5, 4} << Indices{};
    QTest::newRow("ten steps, twenty shown: down to 0")
        << ten << 20 << qint64(9) << 10 << true << false << Indices{8, 7, 6, 5, 4, 3, 2, 1, 0} << Indices{};
    QTest::newRow("back three: forward lists the rest")
        << ten + QStringList{"back", "back", "back"} << 5 << qint64(6) << 10 << true << true
        << Indices{5, 4, 3, 2, 1} << Indices{7, 8, 9};
    QTest::newRow("forward list stops at steps shown")
        << ten + QStringList{"goto:1"} << 5 << qint64(1) << 10 << true << true << Indices{0}
        << Indices{2, 3, 4, 5, 6};
    QTest::newRow("back at index 0 does nothing")
        << QStringList{"sel", "sel", "back", "back"} << 5 << qint64(0) << 2 << false << true << Indices{}
        << Indices{1};
    QTest::newRow("forward at the last step does nothing")
        << QStringList{"sel", "sel", "forward"} << 5 << qint64(1) << 2 << true << false << Indices{0}
        << Indices{};
    QTest::newRow("back then select keeps the later steps")
        << QStringList{"sel", "sel", "sel", "back", "back", "sel"} << 5 << qint64(3) << 4 << true << false
        << Indices{2, 1, 0} << Indices{};
    QTest::newRow("goto outside the list keeps the current step")
        << QStringList{"sel", "sel", "goto:7", "goto:-1"} << 5 << qint64(1) << 2 << true << false << Indices{0}
        << Indices{};
    QTest::newRow("recording off adds nothing")
        << QStringList{"sel", "sel", "back", "sel-off"} << 5 << qint64(0) << 2 << false << true << Indices{}
        << Indices{1};
    QTest::newRow("clear empties and disables both")
        << ten + QStringList{"back", "clear"} << 5 << qint64(-1) << 0 << false << false << Indices{} << Indices{};
    QTest::newRow("select after clear starts at 0")
        << ten + QStringList{"clear", "sel"} << 5 << qint64(0) << 1 << false << false << Indices{} << Indices{};
}

void TestBrowserHistory::steps()
{
    QFETCH(QStringList, script);
    QFETCH(int, stepsShown);
    CBrowserHistory history;
    play(history, script);

    QTEST(qint64(history.current()), "current");
    QTEST(static_cast<int>(history.steps().size()), "stepCount");
    QTEST(history.CanGoBack(), "canBack");
    QTEST(history.CanGoForward(), "canForward");
    QTEST(indicesOf(history.BackList(stepsShown)), "backList");
    QTEST(indicesOf(history.ForwardList(stepsShown)), "forwardList");
    for (std::size_t i = 0; i < history.steps().size(); ++i)
        QCOMPARE(history.steps()[i].nIndex, qint64(i));
}

void TestBrowserHistory::tooltipsNameTheNeighbours()
{
    CBrowserHistory history;
    QCOMPARE(history.BackTooltip(), QString());
    history.Record(QStringLiteral("/home/u/a.zip"), 1);
    history.Record(QStringLiteral("/home/u/a.zip/docs/"), 2);
    history.Record(QStringLiteral("/home/u/b.7z"), 3);
    history.Back();
    QCOMPARE(history.BackTooltip(), QStringLiteral("Back to a.zip"));
    QCOMPARE(history.ForwardTooltip(), QStringLiteral("Forward to b.7z"));
    history.Forward();
    QCOMPARE(history.BackTooltip(), QStringLiteral("Back to docs"));
    QCOMPARE(history.ForwardTooltip(), QString());
}

void TestBrowserHistory::stepNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("file") << "/home/u/a.zip" << "a.zip";
    QTest::newRow("trailing separator dropped") << "/home/u/docs/" << "docs";
    QTest::newRow("root stays itself") << "/" << "/";
    QTest::newRow("inside an archive") << "/home/u/a.zip/x/readme.txt" << "readme.txt";
}

void TestBrowserHistory::stepNames()
{
    QFETCH(QString, path);
    QTEST(CBrowserHistory::StepName(path), "name");
}

void TestBrowserHistory::stepsShownOutsideRangeIsFive_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("used");
    QTest::newRow("30") << 30 << 5;
    QTest::newRow("4") << 4 << 5;
    QTest::newRow("5") << 5 << 5;
    QTest::newRow("20") << 20 << 20;
    QTest::newRow("21") << 21 << 5;
}

void TestBrowserHistory::stepsShownOutsideRangeIsFive()
{
    QFETCH(int, stored);
    QTEST(CBrowserHistory::ValidStepsShown(stored), "used");
}

QTEST_GUILESS_MAIN(TestBrowserHistory)
#include "tst_browserhistory.moc"
