#include "finder/search/foundfileslistcolumns.h"
#include "finder/search/foundfilesmodel.h"
#include "finder/search/searchinresults.h"
#include "platform/events.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"

#include <QCoreApplication>
#include <QTest>

#include <ctime>

using namespace orv;

Q_DECLARE_METATYPE(orv::CFileInfo)
Q_DECLARE_METATYPE(orv::FilterPage)

namespace {

CFileInfo hit(const QString &fullPath, std::uint64_t size, std::int64_t modified, bool inArchive = false)
{
    CFileInfo r;
    r.m_strFullPath = fullPath;
    r.m_strName = fullPath.mid(fullPath.lastIndexOf(QLatin1Char('/')) + 1);
    r.m_nSize = r.m_nSize2 = size;
    r.m_tModified = r.m_tCreated = modified;
    r.m_bInArchive = inArchive ? 1 : 0;
    return r;
}

// Names, folders, sizes and times chosen so that every column orders the rows differently, with a tie
// in each column (names equal but for case, two rows in one folder, equal sizes, equal times).
void fill(CResultStore &store)
{
    store.AddFoundFile(hit(QStringLiteral("/b/zeta.txt"), 30, 300));
    store.AddFoundFile(hit(QStringLiteral("/a/Alpha.txt"), 10, 500));
    store.AddFoundFile(hit(QStringLiteral("/c.zip/beta.txt"), 30, 100, true));
    store.AddFoundFile(hit(QStringLiteral("/b/ALPHA.txt"), 20000000000ULL, 300));
}

QStringList column(const CFoundFilesModel &model, int col)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.data(model.index(row, col)).toString();
    return texts;
}

QString strftimeText(std::int64_t seconds)
{
    const std::time_t t = std::time_t(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[128];
    std::strftime(buffer, sizeof buffer, "%x %X", &local);
    return QString::fromLocal8Bit(buffer);
}

}  // namespace

class TestFoundFilesModel : public QObject
{
    Q_OBJECT

private slots:
    void texts_data()
    {
        QTest::addColumn<CFileInfo>("record");
        QTest::addColumn<QStringList>("expected");
        const QString t = strftimeText(1700000000);
        QTest::newRow("groups of three") << hit("/d/big.bin", 1234567, 1700000000)
                                         << QStringList{"big.bin", "/d", "1 234 567 bytes", t};
        QTest::newRow("under a thousand") << hit("/d/e/small", 999, 1700000000)
                                          << QStringList{"small", "/d/e", "999 bytes", t};
        QTest::newRow("empty file, unknown time") << hit("/d/empty", 0, 0) << QStringList{"empty", "/d", "0 bytes", ""};
        QTest::newRow("root folder") << hit("/top.zip", 1000, 1700000000) << QStringList{"top.zip", "/", "1 000 bytes", t};
        QTest::newRow("entry in archive") << hit("/x/b.zip/dir/a.txt", 5, 1700000000, true)
                                          << QStringList{"a.txt", "/x/b.zip/dir", "5 bytes", t};
        CFileInfo folder = hit("/x/b.zip/dir", 77, 1700000000);
        folder.m_nIsFolder = 1;
        QTest::newRow("folder record") << folder << QStringList{"dir", "/x/b.zip/dir", "", t};
    }
    void texts()
    {
        QFETCH(CFileInfo, record);
        QFETCH(QStringList, expected);
        CResultStore store;
        CFoundFilesModel model(store);
        store.AddFoundFile(record);
        QCOMPARE(model.rowCount(), 1);
        QStringList shown;
        for (int col = 0; col < CFoundFilesModel::ColumnCount; ++col)
            shown << model.data(model.index(0, col)).toString();
        QCOMPARE(shown, expected);
    }

    void sorting_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("paths");
        // Ties keep the order the hits were found in, whichever the direction.
        QTest::newRow("name up") << 0 << int(Qt::AscendingOrder)
                                 << QStringList{"/a/Alpha.txt", "/b/ALPHA.txt", "/c.zip/beta.txt", "/b/zeta.txt"};
        QTest::newRow("name down") << 0 << int(Qt::DescendingOrder)
                                   << QStringList{"/b/zeta.txt", "/c.zip/beta.txt", "/a/Alpha.txt", "/b/ALPHA.txt"};
        QTest::newRow("folder up") << 1 << int(Qt::AscendingOrder)
                                   << QStringList{"/a/Alpha.txt", "/b/zeta.txt", "/b/ALPHA.txt", "/c.zip/beta.txt"};
        QTest::newRow("folder down") << 1 << int(Qt::DescendingOrder)
                                     << QStringList{"/c.zip/beta.txt", "/b/zeta.txt", "/b/ALPHA.txt", "/a/Alpha.txt"};
        QTest::newRow("size up, beyond 32 bits") << 2 << int(Qt::AscendingOrder)
                                     << QStringList{"/a/Alpha.txt", "/b/zeta.txt", "/c.zip/beta.txt", "/b/ALPHA.txt"};
        QTest::newRow("size down") << 2 << int(Qt::DescendingOrder)
                                   << QStringList{"/b/ALPHA.txt", "/b/zeta.txt", "/c.zip/beta.txt", "/a/Alpha.txt"};
        QTest::newRow("date up") << 3 << int(Qt::AscendingOrder)
                                 << QStringList{"/c.zip/beta.txt", "/b/zeta.txt", "/b/ALPHA.txt", "/a/Alpha.txt"};
        QTest::newRow("date down") << 3 << int(Qt::DescendingOrder)
                                   << QStringList{"/a/Alpha.txt", "/b/zeta.txt", "/b/ALPHA.txt", "/c.zip/beta.txt"};
    }
    void sorting()
    {
        QFETCH(int, col);
        QFETCH(int, order);
        QFETCH(QStringList, paths);
        CResultStore store;
        CFoundFilesModel model(store);
        fill(store);
        model.sort(col, Qt::SortOrder(order));
        QStringList shown;
        for (int row = 0; row < model.rowCount(); ++row)
            shown << model.record(row).m_strFullPath;
        QCOMPARE(shown, paths);
        QCOMPARE(model.sortColumn(), col);
    }

    void sortCommandFlipsOnlyTheSameColumn()
    {
        CResultStore store;
        CFoundFilesModel model(store);
        fill(store);
        model.sortByColumnCommand(2);
        QCOMPARE(model.sortOrder(), Qt::AscendingOrder);
        model.sortByColumnCommand(2);
        QCOMPARE(model.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(model.record(0).m_nSize, 20000000000ULL);
        model.sortByColumnCommand(0);
        QCOMPARE(model.sortColumn(), 0);
        QCOMPARE(model.sortOrder(), Qt::AscendingOrder);
    }

    void sortRefusedWithoutResult()
    {
        CResultStore store;
        CFoundFilesModel model(store);
        model.sort(0);
        QCOMPARE(model.sortColumn(), -1);
        fill(store);
        model.setSearchRunning(true);
        model.sort(2);
        QCOMPARE(model.sortColumn(), -1);
        QCOMPARE(model.record(0).m_strName, QStringLiteral("zeta.txt"));
        model.setSearchRunning(false);
        model.sort(2);
        store.FreeAll();
        QCOMPARE(model.sortColumn(), -1);
        QCOMPARE(model.rowCount(), 0);
    }

    // Checks belong to records, so they follow their rows through a sort and a deletion of other rows,
    // and the remaining records keep their list indexes.
    void checksFollowRecords()
    {
        CResultStore store;
        CFoundFilesModel model(store);
        fill(store);
        model.sort(0, Qt::AscendingOrder);  // Alpha, ALPHA, beta, zeta
        model.setChecked(1, true);          // ALPHA (list index 3)
        model.setChecked(3, true);          // zeta (list index 0)
        model.removeRows({0, 2});           // Alpha and beta
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(column(model, 0), (QStringList{"ALPHA.txt", "zeta.txt"}));
        QVERIFY(model.isChecked(0) && model.isChecked(1));
        QCOMPARE(model.record(0).m_nListIndex, 3u);
        QCOMPARE(model.checkedRecords().size(), std::size_t(2));
        model.setChecked(0, false);
        QVERIFY(model.anyChecked());
        model.setAllChecked(false);
        QVERIFY(!model.anyChecked());
        model.setAllChecked(true);
        QCOMPARE(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
        model.removeRows({0, 1});
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.anyChecked());
        store.AddFoundFile(hit("/n/new", 1, 1));
        QCOMPARE(model.record(0).m_nListIndex, 0u);
        QVERIFY(!model.isChecked(0));
    }

    void columnsFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("back");
        QTest::addColumn<bool>("folderShown");
        QTest::newRow("defaults") << "160 220 100 140" << true << "160 220 100 140" << true;
        QTest::newRow("folder stored hidden") << "160 0 100 140" << true << "160 0 100 140" << false;
        QTest::newRow("name never hidden") << "0 50 60 70" << true << "160 50 60 70" << true;
        QTest::newRow("three numbers") << "160 220 100" << false << "" << true;
        QTest::newRow("negative") << "160 -1 100 140" << false << "" << true;
        QTest::newRow("words") << "wide narrow a b" << false << "" << true;
    }
    void columnsFromText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, back);
        QFETCH(bool, folderShown);
        const std::optional<FoundFilesColumns> columns = FoundFilesColumns::fromText(text);
        QCOMPARE(columns.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(columns->toText(), back);
        QCOMPARE(columns->isShown(1), folderShown);
    }

    void hiddenColumnsGiveBackTheirWidths()
    {
        FoundFilesColumns columns = *FoundFilesColumns::fromText(QStringLiteral("160 0 0 140"));
        columns.toggle(1);
        columns.toggle(2);
        QCOMPARE(columns.toText(), QStringLiteral("160 220 100 140"));
        columns.setWidth(3, 333);
        columns.toggle(3);
        QCOMPARE(columns.width(3), 0);
        columns.toggle(3);
        QCOMPARE(columns.width(3), 333);
        columns.toggle(0);
        QVERIFY(columns.isShown(0));

        test::TestHome home;
        columns.toggle(1);
        columns.save();
        QCOMPARE(FoundFilesColumns::load().toText(), QStringLiteral("160 0 100 333"));
    }

    void enabling_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QList<bool>>("state");  // selection, empty, checked, searching in results
        QTest::addColumn<bool>("enabled");
        using namespace FoundFilesCmd;
        QTest::newRow("find: selection") << FindInBrowser << QList<bool>{true, false, false, false} << true;
        QTest::newRow("delete: no selection") << DeleteSelected << QList<bool>{false, false, true, false} << false;
        QTest::newRow("clear: empty") << ClearAll << QList<bool>{false, true, false, false} << false;
        QTest::newRow("check all: rows") << CheckAll << QList<bool>{false, false, false, false} << true;
        QTest::newRow("remove checks: none") << RemoveChecks << QList<bool>{true, false, false, false} << false;
        QTest::newRow("remove checks: some") << RemoveChecks << QList<bool>{false, false, true, false} << true;
        QTest::newRow("save: none checked") << Save << QList<bool>{true, false, false, false} << false;
        QTest::newRow("export to word: some checked") << 32832 << QList<bool>{false, false, true, false} << true;
        QTest::newRow("search in results: running") << SearchInResults << QList<bool>{true, false, true, true} << false;
        QTest::newRow("search in results: rows") << SearchInResults << QList<bool>{false, false, false, false} << true;
        QTest::newRow("sort by size: empty") << 32814 << QList<bool>{false, true, false, false} << false;
    }
    void enabling()
    {
        QFETCH(int, id);
        QFETCH(QList<bool>, state);
        QFETCH(bool, enabled);
        const FoundFilesListState s{state[0], state[1], state[2], state[3]};
        QCOMPARE(isCommandEnabled(id, s), enabled);
    }

    void searchInResults_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<FilterPage>("include");
        QTest::addColumn<FilterPage>("exclude");
        QTest::addColumn<QStringList>("names");
        const FilterPage off;
        FilterPage big;
        big.bOff = false;
        big.nFilterFor = FilterFor::Archives;  // left from a Find; the results page applies to every record
        big.bSizeOn = true;
        big.nRelation = SizeRelation::NoLess;
        big.nSize = 30;
        FilterPage early = big;
        early.bSizeOn = false;
        early.bDateOn = true;
        early.tFrom = 0;
        early.tTo = 300;
        QTest::newRow("mask with blanks") << "  a*  " << off << off << QStringList{"Alpha.txt", "ALPHA.txt"};
        QTest::newRow("include by size, entries too") << "*" << big << off << QStringList{"zeta.txt", "beta.txt", "ALPHA.txt"};
        QTest::newRow("exclude by date") << "*.txt" << off << early << QStringList{"Alpha.txt"};
        QTest::newRow("nothing") << "*.doc" << off << off << QStringList{};
    }
    void searchInResults()
    {
        QFETCH(QString, mask);
        QFETCH(FilterPage, include);
        QFETCH(FilterPage, exclude);
        QFETCH(QStringList, names);
        CResultStore store;
        CFoundFilesModel model(store);
        fill(store);
        model.setChecked(0, true);
        CSearchInResults search(store);
        QCOMPARE(search.Run({mask, include, exclude}), std::uint32_t(names.size()));
        QCOMPARE(column(model, 0), names);
        QVERIFY(!model.anyChecked());
        for (int row = 0; row < model.rowCount(); ++row)
            QCOMPARE(model.record(row).m_nListIndex, std::uint32_t(row));
    }

    void searchInResultsInterrupted_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("count");
        QTest::newRow("yes stops after the first") << int(MsgAnswer::Yes) << 1;
        QTest::newRow("no goes on") << int(MsgAnswer::No) << 4;
    }
    void searchInResultsInterrupted()
    {
        QFETCH(int, answer);
        QFETCH(int, count);
        ScriptedPrompter prompts;
        prompts.queueMessageAnswer(MsgAnswer(answer));
        CResultStore store;
        fill(store);
        QObject progress;
        CSearchInResults search(store);
        search.SetProgressWindow(&progress);
        postOrvEvent(&progress, Ev::FindStop);
        QCOMPARE(search.Run({QStringLiteral("*"), {}, {}}), std::uint32_t(count));
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Interrupt the search?")});
        QCOMPARE(search.IsCancelled(), answer == int(MsgAnswer::Yes));
    }
};

QTEST_GUILESS_MAIN(TestFoundFilesModel)
#include "tst_foundfilesmodel.moc"
