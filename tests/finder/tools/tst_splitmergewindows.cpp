#include "finder/search/maskedit.h"
#include "finder/tools/listorder.h"
#include "finder/tools/mergefiles.h"
#include "finder/tools/splitfile.h"
#include "finder/tools/splitprogress.h"
#include "platform/events.h"
#include "tests/support/scriptedprompter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
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

}  // namespace

class TestSplitMergeWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitDialog_data();
    void splitDialog();
    void mergeListMoves_data();
    void mergeListMoves();
    void mergeDialogRefusesItsDestinationAmongTheParts();
    void progressShowsPartAndPercent();
};

void TestSplitMergeWindows::splitDialog_data()
{
    QTest::addColumn<bool>("byParts");
    QTest::addColumn<QString>("typed");  // into the box of the chosen way
    QTest::addColumn<int>("unit");
    QTest::addColumn<bool>("splitEnabled");
    QTest::addColumn<QString>("message");  // empty: the dialog closes with OK
    QTest::addColumn<QString>("focus");

    QTest::newRow("no value, no split") << false << "" << 0 << false << "" << "";
    QTest::newRow("512 bytes refused, focus on the size") << false << "512" << 0 << true
                                                         << "Part size may not be less than 1024 bytes." << "sizeEdit";
    QTest::newRow("512 Kbytes accepted") << false << "512" << 1 << true << "" << "";
    QTest::newRow("1 024 bytes accepted") << false << "1024" << 0 << true << "" << "";
    QTest::newRow("0 parts refused, focus on the parts") << true << "0" << 0 << true
                                                        << "Number of parts may not be less than 1." << "partsEdit";
    QTest::newRow("999 parts accepted, a fourth digit not taken") << true << "9999" << 0 << true << "" << "";
}

void TestSplitMergeWindows::splitDialog()
{
    QFETCH(bool, byParts);
    QFETCH(QString, typed);
    QFETCH(int, unit);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    ScriptedPrompter prompts;
    CSplitFile dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(child<QRadioButton>(&dialog, "sizeRadio")->isChecked());
    QCOMPARE(child<QComboBox>(&dialog, "unitCombo")->currentText(), QStringLiteral("Bytes"));

    child<QLineEdit>(&dialog, "sourceEdit")->setText("/data/a.zip");
    child<QLineEdit>(&dialog, "destinationEdit")->setText(" /out ");
    child<QRadioButton>(&dialog, byParts ? "partsRadio" : "sizeRadio")->click();
    QVERIFY(child<COrvelMaskEdit>(&dialog, "partsEdit")->isEnabled() == byParts);
    QVERIFY(child<QComboBox>(&dialog, "unitCombo")->isEnabled() != byParts);
    auto *box = child<COrvelMaskEdit>(&dialog, byParts ? "partsEdit" : "sizeEdit");
    QTest::keyClicks(box, typed);
    child<QComboBox>(&dialog, "unitCombo")->setCurrentIndex(unit);
    auto *split = child<QPushButton>(&dialog, "splitButton");
    QTEST(split->isEnabled(), "splitEnabled");
    if (!split->isEnabled())
        return;

    split->click();
    QCOMPARE(prompts.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(dialog.result() == QDialog::Accepted, message.isEmpty());
    if (!focus.isEmpty())
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), focus);
    const SplitRequest request = dialog.request();
    QCOMPARE(request.destinationFolder, QStringLiteral("/out"));
    QCOMPARE(request.mode, byParts ? 0 : 1);
    if (byParts)
        QCOMPARE(request.parts, qMin(typed.toInt(), 999));
}

void TestSplitMergeWindows::mergeListMoves_data()
{
    QTest::addColumn<QString>("selected");  // the selected rows of "abcde" by letter
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("order");

    QTest::newRow("one row up") << "c" << true << "acbde";
    QTest::newRow("the first row does not move up") << "a" << true << "abcde";
    QTest::newRow("the last row does not move down") << "e" << false << "abcde";
    QTest::newRow("a block moves as one") << "cd" << true << "acdbe";
    QTest::newRow("a block at the top stays, a row apart moves") << "abd" << true << "abdce";
    QTest::newRow("rows apart each move down") << "ac" << false << "badce";
}

void TestSplitMergeWindows::mergeListMoves()
{
    QFETCH(QString, selected);
    QFETCH(bool, up);
    QFETCH(QString, order);
    OrderedRows rows;
    for (QChar c : QStringLiteral("abcde")) {
        rows.rows << QString(c);
        rows.selected << selected.contains(c);
    }
    moveSelectedRows(rows, up);
    QCOMPARE(rows.rows.join(QString()), order);
    for (int i = 0; i < rows.rows.size(); ++i)
        QCOMPARE(rows.selected[i], selected.contains(rows.rows[i]));
}

void TestSplitMergeWindows::mergeDialogRefusesItsDestinationAmongTheParts()
{
    QTemporaryDir dir;
    ScriptedPrompter prompts;
    CMergeFiles dialog;
    auto *merge = child<QPushButton>(&dialog, "mergeButton");
    QVERIFY(!merge->isEnabled());
    dialog.addFiles({dir.filePath("a.001"), dir.filePath("a.002")});
    QVERIFY(!merge->isEnabled());
    child<QLineEdit>(&dialog, "destinationEdit")->setText(dir.filePath("a.002"));
    QVERIFY(merge->isEnabled());
    merge->click();
    QCOMPARE(prompts.texts(), QStringList{"The destination file '" + dir.filePath("a.002")
                                          + "' is one of the files to merge."});
    QVERIFY(dialog.result() != QDialog::Accepted);

    child<QListWidget>(&dialog, "sourcesList")->item(1)->setSelected(true);
    child<QToolButton>(&dialog, "removeButton")->click();
    merge->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.request().sources, QStringList{dir.filePath("a.001")});
    child<QToolButton>(&dialog, "clearButton")->click();
    QVERIFY(!merge->isEnabled());
}

void TestSplitMergeWindows::progressShowsPartAndPercent()
{
    CSplitProgress progress(CSplitProgress::Kind::Merge);
    QCOMPARE(progress.windowTitle(), QStringLiteral("Merging..."));
    QVERIFY(!progress.isModal());
    sendOrvEvent(&progress, Ev::SplitMergeProgress, 0, QStringLiteral("Current reading part - a.001 ..."));
    sendOrvEvent(&progress, Ev::SplitMergeProgress, 42);
    QCOMPARE(progress.text(), QStringLiteral("Current reading part - a.001 ..."));
    QCOMPARE(progress.percent(), 42);
    QVERIFY(progress.elapsedText().startsWith(QStringLiteral("Elapsed time: 0:00:")));

    QCOMPARE(CSplitProgress(CSplitProgress::Kind::Split).windowTitle(), QStringLiteral("Splitting..."));
}

QTEST_MAIN(TestSplitMergeWindows)
#include "tst_splitmergewindows.moc"
