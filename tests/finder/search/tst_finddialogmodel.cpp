#include "finder/search/finddialogmodel.h"
#include "finder/search/maskeditformat.h"

#include <QDateTime>
#include <QtTest>

using namespace orv;

Q_DECLARE_METATYPE(orv::OptionsEnabling)
Q_DECLARE_METATYPE(orv::FilterPageEnabling)
Q_DECLARE_METATYPE(orv::FilterPage)

class TestFindDialogModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void optionsEnablingByMode_data();
    void optionsEnablingByMode();
    void filterPageEnabling_data();
    void filterPageEnabling();
    void filterForItemsAndRememberedChoice_data();
    void filterForItemsAndRememberedChoice();
    void criteriaOfPage_data();
    void criteriaOfPage();
    void criteriaOfOptions();
    void tooLargeSizeIsRefused();
    void maskEditText_data();
    void maskEditText();
};

void TestFindDialogModel::optionsEnablingByMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("archiveMask");
    QTest::addColumn<QString>("fileMask");
    QTest::addColumn<OptionsEnabling>("expected");

    // archive mask, sub-folders, file mask, skip tar, find
    QTest::newRow("archives, no mask") << 0 << "" << "" << OptionsEnabling{true, true, false, false, false};
    QTest::newRow("archives, blanks only") << 0 << "   " << "*.txt" << OptionsEnabling{true, true, false, false, false};
    QTest::newRow("archives, mask") << 0 << "*.zip" << "" << OptionsEnabling{true, true, false, false, true};
    QTest::newRow("files, archive mask ignored")
        << 1 << "*.zip" << "" << OptionsEnabling{false, false, true, true, false};
    QTest::newRow("files, file mask") << 1 << "" << "*.txt" << OptionsEnabling{false, false, true, true, true};
    QTest::newRow("both, one mask") << 2 << "*.zip" << " " << OptionsEnabling{true, true, true, true, false};
    QTest::newRow("both, other mask") << 2 << "" << "*.txt" << OptionsEnabling{true, true, true, true, false};
    QTest::newRow("both, both masks") << 2 << "*.zip" << "*.txt" << OptionsEnabling{true, true, true, true, true};
}

void TestFindDialogModel::optionsEnablingByMode()
{
    QFETCH(int, mode);
    CFindDialogModel model;
    model.setMode(mode);
    QFETCH(QString, archiveMask);
    QFETCH(QString, fileMask);
    model.strArchiveMask = archiveMask;
    model.strFileMask = fileMask;
    QTEST(model.optionsEnabling(), "expected");
}

void TestFindDialogModel::filterPageEnabling_data()
{
    QTest::addColumn<bool>("allFiles");
    QTest::addColumn<bool>("dateOn");
    QTest::addColumn<bool>("sizeOn");
    QTest::addColumn<FilterPageEnabling>("expected");

    // filter for, date box, pickers, size box, relation and number
    QTest::newRow("first box set: all off, whatever the others say")
        << true << true << true << FilterPageEnabling{};
    QTest::newRow("first box cleared") << false << false << false << FilterPageEnabling{true, true, false, true, false};
    QTest::newRow("date on") << false << true << false << FilterPageEnabling{true, true, true, true, false};
    QTest::newRow("size on") << false << false << true << FilterPageEnabling{true, true, false, true, true};
    QTest::newRow("both on") << false << true << true << FilterPageEnabling{true, true, true, true, true};
}

void TestFindDialogModel::filterPageEnabling()
{
    QFETCH(bool, allFiles);
    QFETCH(bool, dateOn);
    QFETCH(bool, sizeOn);
    FilterPageState page;
    page.bAllFiles = allFiles;
    page.bDateOn = dateOn;
    page.bSizeOn = sizeOn;
    QTEST(CFindDialogModel::pageEnabling(page), "expected");
}

void TestFindDialogModel::filterForItemsAndRememberedChoice_data()
{
    QTest::addColumn<int>("previousMode");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<bool>("pageOn");
    QTest::addColumn<int>("nextMode");
    QTest::addColumn<int>("itemCount");
    QTest::addColumn<int>("shown");

    QTest::newRow("chosen, then files mode shows it") << 1 << 1 << true << 1 << 3 << 1;
    QTest::newRow("chosen, then both mode shows it") << 2 << 2 << true << 2 << 3 << 2;
    QTest::newRow("archives mode offers only Archives") << 1 << 1 << true << 0 << 1 << 0;
    QTest::newRow("page off: choice not taken") << 1 << 2 << false << 1 << 3 << 0;
}

void TestFindDialogModel::filterForItemsAndRememberedChoice()
{
    QFETCH(int, previousMode);
    QFETCH(int, chosen);
    QFETCH(bool, pageOn);
    QFETCH(int, nextMode);

    CFindDialogModel first;
    first.setMode(previousMode);
    first.include.bAllFiles = !pageOn;
    first.include.nFilterFor = chosen;
    const FilterChoices kept = first.choicesToRemember();

    CFindDialogModel next(kept);
    next.setMode(nextMode);
    QTEST(static_cast<int>(next.filterForItems().size()), "itemCount");
    QTEST(next.include.nFilterFor, "shown");
    QCOMPARE(next.exclude.nFilterFor, 0);

    // A search in "Search of archives" leaves the choice for the next search in another mode.
    CFindDialogModel archivesOnly(kept);
    archivesOnly.setMode(0);
    archivesOnly.include.bAllFiles = false;
    QCOMPARE(archivesOnly.choicesToRemember().include, kept.include);
}

void TestFindDialogModel::criteriaOfPage_data()
{
    QTest::addColumn<FilterPageState>("page");
    QTest::addColumn<FilterPage>("expected");

    const QDate day(2020, 1, 1);
    const qint64 midnight = QDateTime(day, QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch();

    FilterPageState off;
    off.bAllFiles = true;
    off.bDateOn = true;
    off.bSizeOn = true;
    off.strSize = QStringLiteral("1 000");
    off.nFilterFor = 2;
    QTest::newRow("page off copies nothing") << off << FilterPage{};

    FilterPageState date;
    date.bAllFiles = false;
    date.nFilterFor = 1;
    date.bDateOn = true;
    date.fromDate = day;
    date.fromTime = QTime(0, 0, 0);
    date.toDate = day;
    date.toTime = QTime(10, 20, 30);
    date.strSize = QStringLiteral("55");
    QTest::newRow("date as local time, size box clear")
        << date << FilterPage{false, FilterFor::FilesInArchives, true, midnight, midnight + 37230, false,
                              SizeRelation::Equal, 0};

    FilterPageState size;
    size.bAllFiles = false;
    size.nFilterFor = 2;
    size.bSizeOn = true;
    size.nRelation = 1;
    size.strSize = QStringLiteral("1 234 567");
    QTest::newRow("size without blanks")
        << size << FilterPage{false, FilterFor::Both, false, 0, 0, true, SizeRelation::NoLess, 1234567};

    FilterPageState empty = size;
    empty.strSize.clear();
    empty.nRelation = 2;
    QTest::newRow("empty size is 0")
        << empty << FilterPage{false, FilterFor::Both, false, 0, 0, true, SizeRelation::NoMore, 0};

    FilterPageState reversed = date;
    reversed.fromDate = day.addDays(1);
    QTest::newRow("start after end is kept as typed")
        << reversed << FilterPage{false, FilterFor::FilesInArchives, true, midnight + 86400, midnight + 37230,
                                  false, SizeRelation::Equal, 0};
}

void TestFindDialogModel::criteriaOfPage()
{
    QFETCH(FilterPageState, page);
    QFETCH(FilterPage, expected);
    CFindDialogModel model;
    model.setMode(2);
    model.include = page;
    model.exclude = page;
    QCOMPARE(model.criteria().include, expected);
    QCOMPARE(model.criteria().exclude, expected);
}

void TestFindDialogModel::criteriaOfOptions()
{
    CFindDialogModel model;
    model.setMode(1);
    model.strArchiveMask = QStringLiteral("  *.zip ");
    model.strFileMask = QStringLiteral(" *.txt\t");
    model.bIncludeSubfolders = false;
    model.bSkipCompressedTar = true;
    const SearchCriteria criteria = model.criteria();
    QCOMPARE(criteria.nModeIndex, 1);
    QCOMPARE(criteria.strMode, QStringLiteral("Search of files in archives"));
    QCOMPARE(criteria.strArchiveMask, QStringLiteral("*.zip"));
    QCOMPARE(criteria.strFileMask, QStringLiteral("*.txt"));
    QVERIFY(!criteria.bIncludeSubfolders);
    QVERIFY(criteria.bSkipCompressedTar);
    QVERIFY(!criteria.bInnerFolder);
}

void TestFindDialogModel::tooLargeSizeIsRefused()
{
    CFindDialogModel model;
    model.include.bAllFiles = false;
    model.include.bSizeOn = true;
    model.include.strSize = QStringLiteral("9 223 372 036 854 775 807");
    QVERIFY(!model.inputProblem());
    QCOMPARE(model.criteria().include.nSize, std::numeric_limits<std::int64_t>::max());
    model.include.strSize = QStringLiteral("9 223 372 036 854 775 808");
    QVERIFY(model.inputProblem());
    model.include.bSizeOn = false;
    QVERIFY(!model.inputProblem());
}

void TestFindDialogModel::maskEditText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("radix");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("value");

    QTest::newRow("three groups") << "1234567" << 10 << "1 234 567" << "1234567";
    QTest::newRow("exact groups") << "123456" << 10 << "123 456" << "123456";
    QTest::newRow("short") << "12" << 10 << "12" << "12";
    QTest::newRow("empty") << "" << 10 << "" << "";
    QTest::newRow("letters and blanks dropped") << "1a2 b3,4" << 10 << "1 234" << "1234";
    QTest::newRow("old blanks regrouped") << "1 23 4" << 10 << "1 234" << "1234";
    QTest::newRow("cut to 25 digits") << QString(30, QLatin1Char('9')) << 10
                                      << "9 999 999 999 999 999 999 999 999" << QString(25, QLatin1Char('9'));
    QTest::newRow("radix 16 groups of four") << "123456" << 16 << "12 3456" << "123456";
}

void TestFindDialogModel::maskEditText()
{
    QFETCH(QString, typed);
    QFETCH(int, radix);
    const QString shown = MaskEditFormat::grouped(MaskEditFormat::digitsOf(typed), radix);
    QTEST(shown, "shown");
    QTEST(MaskEditFormat::valueOf(shown), "value");
}

QTEST_GUILESS_MAIN(TestFindDialogModel)
#include "tst_finddialogmodel.moc"
