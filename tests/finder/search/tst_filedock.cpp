#include "finder/common/commandids.h"
#include "finder/search/filedock.h"
#include "finder/search/findprogress.h"
#include "finder/search/foundfileslist.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace orv;

namespace {

void fill(CResultStore &store, int count)
{
    for (int i = 0; i < count; ++i) {
        CFileInfo r;
        r.m_strName = QStringLiteral("file%1.%2").arg(i).arg(i % 2 ? "txt" : "doc");
        r.m_strFullPath = QStringLiteral("/data/a.zip/") + r.m_strName;
        r.m_nSize = r.m_nSize2 = std::uint64_t(100 - i);
        r.m_tModified = 1700000000 + i;
        r.m_bInArchive = 1;
        store.AddFoundFile(r);
    }
}

}  // namespace

class TestFileDock : public QObject
{
    Q_OBJECT

private slots:
    // The toolbar follows the list: rows, a selection and check marks each open their commands, and a
    // frame menu command mirrors the pane's.
    void enablingFollowsTheList()
    {
        test::TestHome home;
        CResultStore store;
        CFoundFilesPane pane(store);
        QAction frameSortBySize;
        frameSortBySize.setData(Cmd::SortBySize);
        pane.forwardFrameAction(&frameSortBySize);
        const auto enabled = [&pane](int id) { return pane.action(id)->isEnabled(); };
        QVERIFY(!enabled(FoundFilesCmd::ClearAll) && !enabled(FoundFilesCmd::SearchInResults));
        QVERIFY(!frameSortBySize.isEnabled());

        fill(store, 3);
        QVERIFY(enabled(FoundFilesCmd::ClearAll) && enabled(FoundFilesCmd::CheckAll));
        QVERIFY(enabled(FoundFilesCmd::SearchInResults) && frameSortBySize.isEnabled());
        QVERIFY(!enabled(FoundFilesCmd::DeleteSelected) && !enabled(FoundFilesCmd::RemoveChecks));

        pane.list()->selectRow(1);
        QVERIFY(enabled(FoundFilesCmd::DeleteSelected) && enabled(FoundFilesCmd::FindInBrowser));
        pane.action(FoundFilesCmd::CheckAll)->trigger();
        QVERIFY(enabled(FoundFilesCmd::RemoveChecks) && enabled(FoundFilesCmd::Extract));
        QVERIFY(enabled(FoundFilesCmd::Save) && enabled(FoundFilesCmd::Export) && enabled(Cmd::ExportToExcel));

        frameSortBySize.trigger();
        frameSortBySize.trigger();
        QCOMPARE(pane.model()->sortOrder(), Qt::DescendingOrder);
        QVERIFY(frameSortBySize.isChecked());
        QCOMPARE(pane.list()->sortHeader()->arrowSection(), 2);
        QCOMPARE(pane.list()->sortHeader()->arrowOrder(), Qt::DescendingOrder);

        pane.action(FoundFilesCmd::ClearAll)->trigger();
        QCOMPARE(store.size(), std::size_t(0));
        QCOMPARE(pane.list()->sortHeader()->arrowSection(), -1);
        QVERIFY(!enabled(FoundFilesCmd::CheckAll) && !enabled(FoundFilesCmd::RemoveChecks));
        QVERIFY(!frameSortBySize.isChecked());
    }

    void deleteAndFindTheSelection()
    {
        test::TestHome home;
        CResultStore store;
        CFoundFilesPane pane(store);
        QStringList selected;
        connect(&pane, &CFoundFilesPane::findInBrowserRequested, this, [&selected](const QString &path) { selected << path; });
        fill(store, 5);
        pane.model()->sort(2, Qt::AscendingOrder);  // file4 ... file0
        pane.list()->setSelectionBehavior(QAbstractItemView::SelectRows);
        QItemSelectionModel *selection = pane.list()->selectionModel();
        selection->select(pane.model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection->setCurrentIndex(pane.model()->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        pane.action(FoundFilesCmd::FindInBrowser)->trigger();
        QCOMPARE(selected, QStringList{QStringLiteral("/data/a.zip/file1.txt")});

        pane.action(FoundFilesCmd::DeleteSelected)->trigger();
        QStringList left;
        for (int row = 0; row < pane.model()->rowCount(); ++row)
            left << pane.model()->record(row).m_strName;
        QCOMPARE(left, (QStringList{"file3.txt", "file2.doc", "file0.doc"}));
        QVERIFY(!pane.action(FoundFilesCmd::DeleteSelected)->isEnabled());
    }

    // Widths live in the profile from one list to the next; a column hidden when the list went away starts
    // hidden and comes back at the width it had.
    void columnsOutliveTheList()
    {
        test::TestHome home;
        CResultStore store;
        {
            CFoundFilesPane pane(store);
            pane.list()->setColumnWidth(1, 300);
            pane.OnViewCommand(Cmd::ShowColumnFolder);
            QVERIFY(pane.list()->isColumnHidden(1));
            QVERIFY(!pane.action(Cmd::ShowColumnFolder)->isChecked());
            pane.OnViewCommand(Cmd::ShowGrid);
            QCOMPARE(pane.action(Cmd::ShowGrid)->text(), QStringLiteral("Hide &Grid"));
        }
        CFoundFilesPane pane(store);
        QVERIFY(pane.list()->isColumnHidden(1));
        pane.OnViewCommand(Cmd::ShowColumnFolder);
        QCOMPARE(pane.list()->columnWidth(1), 220);
        QCOMPARE(pane.list()->columnWidth(3), 140);
    }

    void searchInResultsReportsTheCount()
    {
        test::TestHome home;
        ScriptedPrompter prompts;
        CResultStore store;
        CFoundFilesPane pane(store);
        SearchCriteria criteria;
        criteria.include.nFilterFor = FilterFor::FilesInArchives;
        pane.setCriteria(&criteria);
        fill(store, 6);
        FilterPage small;
        small.bOff = false;
        small.bSizeOn = true;
        small.nRelation = SizeRelation::NoMore;
        small.nSize = 96;
        QCOMPARE(pane.SearchInResults(QStringLiteral(" *.TXT "), small, {}), 1u);
        QCOMPARE(prompts.texts(), QStringList{"For the given search options 1 files are found."});
        QCOMPARE(pane.model()->record(0).m_strName, QStringLiteral("file5.txt"));
        QCOMPARE(criteria.include.nFilterFor, FilterFor::FilesInArchives);
        QCOMPARE(criteria.include.nSize, 96);
        QVERIFY(!pane.isSearchingInResults());
        QVERIFY(pane.action(FoundFilesCmd::SearchInResults)->isEnabled());
    }

    // A click on a header sorts by that column and selects nothing: a selected column would be scrolled
    // into view, which shows the end of the list instead of its start.
    void headerClickSortsWithoutSelecting()
    {
        test::TestHome home;
        CResultStore store;
        CFoundFilesPane pane(store);
        pane.resize(800, 400);
        pane.show();
        fill(store, 50);
        QHeaderView *header = pane.list()->horizontalHeader();
        const QPoint size(header->sectionViewportPosition(2) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, size);
        QCOMPARE(pane.model()->sortColumn(), 2);
        QCOMPARE(pane.model()->record(0).m_nSize, std::uint64_t(51));
        QVERIFY(!pane.list()->selectionModel()->hasSelection());
        QCOMPARE(pane.list()->rowAt(0), 0);
    }

    // The narrowing shows the search's own progress window; its "&Stop" asks before anything is cut short,
    // and a "Yes" keeps what was found so far.
    void searchInResultsStopsFromTheProgressWindow()
    {
        test::TestHome home;
        ScriptedPrompter prompts;
        prompts.queueMessageAnswer(MsgAnswer::Yes);
        CResultStore store;
        CFoundFilesPane pane(store);
        SearchCriteria criteria;
        pane.setCriteria(&criteria);
        constexpr int kRecords = 30000;
        fill(store, kRecords);
        QString shownPath;
        QTimer::singleShot(0, &pane, [&shownPath] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *progress = qobject_cast<CFindProgress *>(w); progress && progress->isVisible()) {
                    shownPath = progress->itemText();
                    progress->findChild<QPushButton *>(QStringLiteral("stopButton"))->click();
                }
        });
        const std::uint32_t count = pane.SearchInResults(QStringLiteral("*"), {}, {});
        QVERIFY(shownPath.startsWith(QStringLiteral("/data/a.zip/file")));
        QVERIFY(count > 0 && count < std::uint32_t(kRecords));
        QCOMPARE(pane.model()->rowCount(), int(count));
        QCOMPARE(prompts.texts(), (QStringList{QStringLiteral("Interrupt the search?"),
                                               QStringLiteral("For the given search options %1 files are found.").arg(count)}));
    }

    void defaultColumnsShowWholeTexts_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QDateTime>("modified");

        const QDateTime noon(QDate(2024, 6, 1), QTime(12, 0));
        QTest::newRow("ten-digit size") << 2 << qint64(1234567890) << noon;
        QTest::newRow("three-digit size") << 2 << qint64(999) << noon;
        QTest::newRow("evening at the end of the year") << 3 << qint64(1) << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59));
        QTest::newRow("morning early in the year") << 3 << qint64(1) << QDateTime(QDate(2024, 1, 5), QTime(9, 5, 7));
    }

    // The first look: sizes and dates are read whole.
    void defaultColumnsShowWholeTexts()
    {
        QFETCH(int, column);
        QFETCH(qint64, size);
        QFETCH(QDateTime, modified);
        test::TestHome home;
        CResultStore store;
        CFileInfo record;
        record.m_strName = QStringLiteral("a.txt");
        record.m_nSize = std::uint64_t(size);
        record.m_tModified = modified.toSecsSinceEpoch();
        store.AddFoundFile(record);
        // A first start: no layout kept from an earlier list.
        QSettings(QStringLiteral("Orvel Systems"), QStringLiteral("Orvel-ZIP Finder")).remove(QStringLiteral("FileFinder_Columns"));
        CFoundFilesPane pane(store);
        COrvelListFiles *list = pane.list();
        const QString text = list->model()->index(0, column).data().toString();
        const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
        QVERIFY2(list->columnWidth(column) >= list->fontMetrics().horizontalAdvance(text) + margins, qPrintable(text));
    }
};

QTEST_MAIN(TestFileDock)
#include "tst_filedock.moc"
