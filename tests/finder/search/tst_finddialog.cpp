#include "finder/search/finddialog.h"
#include "finder/search/findprogress.h"
#include "finder/search/maskedit.h"
#include "finder/search/searchinresultsdialog.h"
#include "platform/events.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QTimeEdit>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace orv;

namespace {

template <typename T>
T *child(const QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

class StopCounter : public QObject
{
public:
    int stops = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == Ev::type(Ev::FindStop))
            ++stops;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

class TestFindDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void maskEditTyping_data();
    void maskEditTyping();
    void dialogControlsFollowTheRules_data();
    void dialogControlsFollowTheRules();
    void filterPageBoxesToggleTheirControls();
    void tooLargeSizeKeepsTheDialogOpen();
    void searchInResultsUsesTheFindPages_data();
    void searchInResultsUsesTheFindPages();
    void progressShowsPathAndElapsedTimeAndStops();
};

void TestFindDialog::maskEditTyping_data()
{
    QTest::addColumn<int>("maxDigits");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("shown");

    QTest::newRow("digits grouped as typed") << 25 << "1234567" << "" << "1 234 567";
    QTest::newRow("letters refused") << 25 << "12a3b" << "" << "123";
    QTest::newRow("paste keeps digits only") << 25 << "" << "size: 98,765 bytes" << "98 765";
    QTest::newRow("paste cut to 25 digits") << 25 << "" << QString(40, QLatin1Char('7'))
                                            << "7 777 777 777 777 777 777 777 777";
    QTest::newRow("a box of three digits takes no fourth") << 3 << "1234" << "" << "123";
    QTest::newRow("a box of three digits keeps three of a paste") << 3 << "" << "98,765" << "987";
}

void TestFindDialog::maskEditTyping()
{
    QFETCH(QString, keys);
    QFETCH(QString, pasted);
    QFETCH(int, maxDigits);
    COrvelMaskEdit edit;
    edit.setMaxDigits(maxDigits);
    QTest::keyClicks(&edit, keys);
    if (!pasted.isEmpty()) {
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    }
    QTEST(edit.text(), "shown");
    QCOMPARE(edit.value(), edit.text().remove(QLatin1Char(' ')));
}

void TestFindDialog::dialogControlsFollowTheRules_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("archiveMask");
    QTest::addColumn<QString>("fileMask");
    QTest::addColumn<bool>("findEnabled");
    QTest::addColumn<bool>("fileMaskEnabled");
    QTest::addColumn<int>("filterForItems");

    QTest::newRow("archives, blank mask") << 0 << "  " << "" << false << false << 1;
    QTest::newRow("archives, mask") << 0 << "*.zip" << "" << true << false << 1;
    QTest::newRow("files, old archive mask ignored") << 1 << "*.zip" << "" << false << true << 3;
    QTest::newRow("both, both masks") << 2 << "*.zip" << "*.txt" << true << true << 3;
}

void TestFindDialog::dialogControlsFollowTheRules()
{
    QFETCH(int, mode);
    QFETCH(QString, archiveMask);
    QFETCH(QString, fileMask);
    CFindArchives dialog(FilterChoices{});
    QVERIFY(!child<QPushButton>(&dialog, "findButton")->isEnabled());
    QVERIFY(child<QCheckBox>(&dialog, "subfoldersCheck")->isChecked());

    child<QLineEdit>(&dialog, "archiveMaskEdit")->setText(archiveMask);
    child<QComboBox>(&dialog, "modeCombo")->setCurrentIndex(mode);
    child<QLineEdit>(&dialog, "fileMaskEdit")->setText(fileMask);
    QTEST(child<QPushButton>(&dialog, "findButton")->isEnabled(), "findEnabled");
    QTEST(child<QLineEdit>(&dialog, "fileMaskEdit")->isEnabled(), "fileMaskEnabled");
    QTEST(child<QComboBox>(dialog.includePage(), "filterForCombo")->count(), "filterForItems");
    QCOMPARE(dialog.criteria().nModeIndex, mode);
}

void TestFindDialog::filterPageBoxesToggleTheirControls()
{
    CFindArchives dialog(FilterChoices{FilterFor::FilesInArchives, FilterFor::Both});
    child<QComboBox>(&dialog, "modeCombo")->setCurrentIndex(1);
    CSearchFilterPage *page = dialog.includePage();
    auto *filterFor = child<QComboBox>(page, "filterForCombo");
    auto *fromDate = child<QDateEdit>(page, "fromDate");
    auto *sizeEdit = child<COrvelMaskEdit>(page, "sizeEdit");
    QCOMPARE(filterFor->currentIndex(), 1);
    QCOMPARE(child<QComboBox>(dialog.excludePage(), "filterForCombo")->currentIndex(), 2);
    QVERIFY(!filterFor->isEnabled() && !fromDate->isEnabled() && !sizeEdit->isEnabled());

    page->firstBox()->setChecked(false);
    QVERIFY(filterFor->isEnabled() && !fromDate->isEnabled() && !sizeEdit->isEnabled());
    child<QCheckBox>(page, "dateCheck")->setChecked(true);
    child<QCheckBox>(page, "sizeCheck")->setChecked(true);
    QVERIFY(fromDate->isEnabled() && sizeEdit->isEnabled());
    page->firstBox()->setChecked(true);
    QVERIFY(!filterFor->isEnabled() && !fromDate->isEnabled() && !sizeEdit->isEnabled());
    QVERIFY(dialog.criteria().include.bOff);
}

void TestFindDialog::tooLargeSizeKeepsTheDialogOpen()
{
    ScriptedPrompter prompts;
    CFindArchives dialog(FilterChoices{});
    child<QLineEdit>(&dialog, "archiveMaskEdit")->setText(QStringLiteral("*"));
    CSearchFilterPage *page = dialog.excludePage();
    page->firstBox()->setChecked(false);
    child<QCheckBox>(page, "sizeCheck")->setChecked(true);
    child<COrvelMaskEdit>(page, "sizeEdit")->setValue(QString(20, QLatin1Char('9')));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(prompts.records().size(), std::size_t(1));
    QCOMPARE(prompts.records().front().icon, MsgIcon::Error);

    child<COrvelMaskEdit>(page, "sizeEdit")->setValue(QStringLiteral("1024"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.criteria().exclude.nSize, 1024);
}

void TestFindDialog::searchInResultsUsesTheFindPages_data()
{
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<QString>("size");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<qint64>("recorded");

    QTest::newRow("20 digits refused") << true << QString(20, QLatin1Char('9')) << false << qint64(0);
    QTest::newRow("largest size kept") << false << "9223372036854775807" << true << qint64(9223372036854775807);
    QTest::newRow("one past the largest refused") << false << "9223372036854775808" << false << qint64(0);
    QTest::newRow("grouped size") << true << "1 048 576" << true << qint64(1048576);
}

// The pages are the Find dialog's: the grouped number edit with its refusal, a date and a time picker
// for each end, and no "Filter for".
void TestFindDialog::searchInResultsUsesTheFindPages()
{
    QFETCH(bool, exclude);
    QFETCH(QString, size);
    QFETCH(bool, accepted);
    QFETCH(qint64, recorded);
    ScriptedPrompter prompts;
    CSearchResults dialog;
    child<QLineEdit>(&dialog, "maskEdit")->setText(QStringLiteral("*.txt"));
    CSearchFilterPage *page = exclude ? dialog.excludePage() : dialog.includePage();
    QVERIFY(!child<QComboBox>(page, "filterForCombo")->isVisibleTo(page));
    page->firstBox()->setChecked(false);
    child<QCheckBox>(page, "sizeCheck")->setChecked(true);
    child<QCheckBox>(page, "dateCheck")->setChecked(true);
    child<QDateEdit>(page, "fromDate")->setDate(QDate(2024, 3, 1));
    child<QTimeEdit>(page, "fromTime")->setTime(QTime(10, 20, 30));
    child<COrvelMaskEdit>(page, "sizeEdit")->setValue(size);

    dialog.accept();
    QCOMPARE(dialog.result(), accepted ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(prompts.records().size(), std::size_t(accepted ? 0 : 1));
    const FilterPage filter = exclude ? dialog.exclude() : dialog.include();
    QVERIFY(!filter.bOff && filter.bSizeOn && filter.bDateOn);
    QCOMPARE(filter.nSize, recorded);
    QCOMPARE(filter.tFrom, QDateTime(QDate(2024, 3, 1), QTime(10, 20, 30)).toSecsSinceEpoch());
    QVERIFY((exclude ? dialog.include() : dialog.exclude()).bOff);
}

void TestFindDialog::progressShowsPathAndElapsedTimeAndStops()
{
    CFindProgress progress;
    QVERIFY(!progress.isModal());
    QCOMPARE(progress.elapsedText(), QString());
    sendOrvEvent(&progress, Ev::FindProgress, 0, QStringLiteral("/data/a.zip"));
    QCOMPARE(progress.itemText(), QStringLiteral("/data/a.zip"));
    QVERIFY(progress.elapsedText().startsWith(QStringLiteral("Elapsed time: 0:00:")));

    StopCounter counter;
    progress.installEventFilter(&counter);
    child<QPushButton>(&progress, "stopButton")->click();
    progress.reject();
    QCoreApplication::processEvents();
    QCOMPARE(counter.stops, 2);
}

QTEST_MAIN(TestFindDialog)
#include "tst_finddialog.moc"
