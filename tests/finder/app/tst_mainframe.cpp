#include "finder/app/application.h"
#include "finder/app/filelauncher.h"
#include "finder/app/mainframe.h"
#include "finder/app/visualstyle.h"
#include "finder/browser/archivebrowserpane.h"
#include "finder/browser/archivedock.h"
#include "finder/browser/orvelarchivetree.h"
#include "finder/search/filedock.h"
#include "finder/search/foundfileslist.h"
#include "finder/settings/options.h"
#include "finder/settings/optionspage.h"
#include "finder/common/commandids.h"
#include "finder/export/exportcommands.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QProxyStyle>
#include <QStyle>
#include <QToolBar>
#include <QToolTip>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

using orv::CMainFrame;
using PageAction = std::function<void(QWidget *page)>;
Q_DECLARE_METATYPE(PageAction)
using orv::test::TestHome;

namespace {

class StopCounter : public QObject
{
public:
    QList<int> received;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() < QEvent::User)
            return QObject::event(e);
        received << static_cast<int>(e->type());
        return true;
    }
};

QStringList menuTitles(const QMenuBar *bar)
{
    QStringList titles;
    for (const QAction *a : bar->actions())
        titles << a->text();
    return titles;
}

}  // namespace

class TestMainFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void firstStartWritesSettingsAndShowsBothPanes();
    void commandsCarryTheirNumbersAndTexts_data();
    void commandsCarryTheirNumbersAndTexts();
    void fileMenuExportsTheCheckedRows();
    void closeIsRefusedWhileBusy_data();
    void closeIsRefusedWhileBusy();
    void styleSwitchingRewritesApplicationLook_data();
    void styleSwitchingRewritesApplicationLook();
    void splitterWidthsSurviveARestart();
    void temporaryFolderIsEmptiedAtStart();
    void acceleratorsActFromEveryPane_data();
    void acceleratorsActFromEveryPane();
    void toolbarTooltipsFollowTheSetting_data();
    void toolbarTooltipsFollowTheSetting();
    void programForAFileType_data();
    void programForAFileType();
    void optionsApplyAtOnceOrNotAtAll_data();
    void optionsApplyAtOnceOrNotAtAll();
};

void TestMainFrame::initTestCase()
{
    orv::COrvelZipFinderApp::setIdentity();
    orv::CVisualStyle::rememberPlatformStyle();
}

void TestMainFrame::init()
{
    QSettings().clear();
}

void TestMainFrame::firstStartWritesSettingsAndShowsBothPanes()
{
    TestHome home;
    const QString ini = home.configHome() + "/Orvel Systems/Orvel-ZIP Finder/orvfind.ini";
    QVERIFY(!QFile::exists(ini));

    CMainFrame frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));

    QVERIFY(QFile::exists(ini));
    QCOMPARE(frame.settings().filePath(), ini);
    QVERIFY(orv::test::readFile(ini).endsWith("VideosUserFolder=Empty\n"));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Orvel-ZIP Finder"));
    QCOMPARE(frame.archivePane()->dock()->caption(), QStringLiteral("Archive Browser"));
    QCOMPARE(frame.filePane()->dock()->caption(), QStringLiteral("Found Files"));
    QCOMPARE(frame.archivePane()->dock()->controlId(), 42001);
    QCOMPARE(frame.filePane()->dock()->controlId(), 42002);
    QVERIFY(frame.archivePane()->isVisible() && frame.filePane()->isVisible());

    auto *splitter = qobject_cast<QSplitter *>(frame.centralWidget());
    QVERIFY(splitter);
    QCOMPARE(splitter->widget(0), frame.archivePane());
    const QList<int> sizes = splitter->sizes();
    QVERIFY2(qAbs(sizes[0] - sizes[1]) <= 2, qPrintable(QStringLiteral("%1 %2").arg(sizes[0]).arg(sizes[1])));

    QCOMPARE(menuTitles(frame.menuBar()),
             (QStringList{"&File", "&Edit", "&View", "&Bookmarks", "&Tools", "&Help"}));
    QVERIFY(frame.statusBar()->isVisible());
    // The start drive's line, though the drive was selected before the status bar listened.
    QVERIFY2(frame.statusText()->text().startsWith(QStringLiteral("Objects: ")), qPrintable(frame.statusText()->text()));
    QCOMPARE(frame.applicationLook(), 218);
    QVERIFY(frame.commands().action(218)->isChecked());

    // All four columns of the Found Files list are in sight, without a scroll bar.
    const orv::COrvelListFiles *list = frame.foundFiles()->list();
    int total = 0;
    for (int c = 0; c < orv::FoundFilesColumns::Count; ++c)
        total += list->columnWidth(c);
    QVERIFY2(total <= list->viewport()->width(), qPrintable(QStringLiteral("%1 %2").arg(total).arg(list->viewport()->width())));
}

void TestMainFrame::commandsCarryTheirNumbersAndTexts_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("exit") << 57665 << "E&xit" << true;
    QTest::newRow("about") << 57664 << "&About Orvel-ZIP Finder" << true;
    QTest::newRow("windows style") << 219 << "Windows" << true;
    QTest::newRow("aqua style") << 218 << "&Aqua" << true;
    QTest::newRow("black style") << 216 << "B&lack" << true;
    QTest::newRow("back, later") << 32784 << "&Back\tCtrl+Left Arrow" << false;
    QTest::newRow("clear history") << 32786 << "&Clear History" << true;
    QTest::newRow("options") << 32791 << "&Options..." << true;
    QTest::newRow("bookmarks manager") << 32799 << "&Archive Bookmarks Manager..." << true;
    QTest::newRow("split") << 32834 << "Split File..." << true;
    QTest::newRow("merge") << 32835 << "Merge Files..." << true;
    QTest::newRow("sort by date, later") << 32815 << "Sort by Da&te" << false;
    QTest::newRow("show selected always, later") << 32824 << "Show Selected &Always" << false;
    QTest::newRow("export to word, nothing checked") << 32832 << "Export to &Word" << false;
}

void TestMainFrame::commandsCarryTheirNumbersAndTexts()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    TestHome home;
    CMainFrame frame;
    QAction *action = frame.commands().action(id);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(action->data().toInt(), id);
}

// The File menu's export follows the Found Files list and writes its checked rows into a new file of the
// scratch folder each time.
void TestMainFrame::fileMenuExportsTheCheckedRows()
{
    TestHome home;
    orv::ScriptedPrompter prompts;
    CMainFrame frame;
    QStringList opened;
    frame.exportCommands()->setFileOpener([&opened](const QString &path) {
        opened << path;
        return true;
    });
    QAction *toExcel = frame.commands().action(orv::Cmd::ExportToExcel);
    orv::CFileInfo record;
    record.m_strName = QStringLiteral("a.zip");
    record.m_strFullPath = QStringLiteral("/d/a.zip");
    frame.results().AddFoundFile(record);
    QVERIFY(!toExcel->isEnabled());
    frame.foundFiles()->model()->setAllChecked(true);
    QVERIFY(toExcel->isEnabled());
    toExcel->trigger();
    toExcel->trigger();
    const QDir scratch(frame.temporaryFolder());
    QCOMPARE(opened, (QStringList{scratch.filePath("Found Files.xlsx"), scratch.filePath("Found Files (2).xlsx")}));
    QCOMPARE(prompts.texts().value(0), QStringLiteral("Exported 1 lines to Excel"));
}

void TestMainFrame::closeIsRefusedWhileBusy_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("stopEvent");

    QTest::newRow("unpack") << int(orv::CBusyFlags::Unpack) << 1125;
    QTest::newRow("pack") << int(orv::CBusyFlags::Pack) << 1128;
    QTest::newRow("search") << int(orv::CBusyFlags::Search) << 1130;
    QTest::newRow("split or merge") << int(orv::CBusyFlags::SplitMerge) << 1134;
}

void TestMainFrame::closeIsRefusedWhileBusy()
{
    QFETCH(int, operation);
    QFETCH(int, stopEvent);
    TestHome home;
    CMainFrame frame;
    frame.show();
    StopCounter progress;
    const auto op = static_cast<orv::CBusyFlags::Operation>(operation);
    frame.busyFlags().setRunning(op, &progress);

    QVERIFY(!frame.close());
    QVERIFY(frame.isVisible());
    QCoreApplication::processEvents();
    QCOMPARE(progress.received, QList<int>{stopEvent});

    frame.busyFlags().clear(op);
    QVERIFY(frame.close());
    QCoreApplication::processEvents();
    QCOMPARE(progress.received.size(), 1);
}

void TestMainFrame::styleSwitchingRewritesApplicationLook_data()
{
    QTest::addColumn<int>("look");
    QTest::addColumn<bool>("coloured");

    QTest::newRow("blue") << 215 << true;
    QTest::newRow("black") << 216 << true;
    QTest::newRow("silver") << 217 << true;
    QTest::newRow("windows") << 219 << false;
}

void TestMainFrame::styleSwitchingRewritesApplicationLook()
{
    QFETCH(int, look);
    QFETCH(bool, coloured);
    TestHome home;
    CMainFrame frame;
    const QColor aquaWindow = QApplication::palette().color(QPalette::Window);

    frame.commands().action(look)->trigger();

    QCOMPARE(frame.applicationLook(), look);
    QCOMPARE(QSettings().value("ApplicationLook").toInt(), look);
    QVERIFY(frame.commands().action(look)->isChecked());
    QVERIFY(!frame.commands().action(218)->isChecked());
    QCOMPARE(QApplication::palette().color(QPalette::Window) != aquaWindow, true);
    const auto *proxy = qobject_cast<QProxyStyle *>(QApplication::style());
    const QString styleName = (proxy ? proxy->baseStyle() : QApplication::style())->name();
    QCOMPARE(styleName, coloured ? QStringLiteral("fusion") : orv::CVisualStyle::nameOf(219));
    const QPalette palette = QApplication::palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        QVERIFY2(palette.color(QPalette::Disabled, role) != palette.color(QPalette::Active, role), "disabled looks disabled");

    CMainFrame restarted;
    QCOMPARE(restarted.applicationLook(), look);
}

void TestMainFrame::splitterWidthsSurviveARestart()
{
    TestHome home;
    {
        CMainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        auto *splitter = qobject_cast<QSplitter *>(frame.centralWidget());
        const QList<int> sizes = splitter->sizes();
        splitter->setSizes({300, sizes[0] + sizes[1] - 300});
        QVERIFY(frame.close());
    }
    const QString saved = QSettings().value("SplitterPos/View_0").toString();
    QVERIFY2(saved.startsWith("-1 300 -1 "), qPrintable(saved));

    CMainFrame again;
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(qobject_cast<QSplitter *>(again.centralWidget())->sizes().value(0), 300);
}

void TestMainFrame::temporaryFolderIsEmptiedAtStart()
{
    TestHome home;
    const QString temp = home.runtimePath() + "/Orvel-ZIP Finder.Temp";
    QVERIFY(orv::test::writeFile(temp + "/old/left-over.txt", "x"));
    CMainFrame frame;
    QCOMPARE(frame.temporaryFolder(), temp);
    QVERIFY(QDir(temp).exists());
    QVERIFY(QDir(temp).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System));
}

void TestMainFrame::acceleratorsActFromEveryPane_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("inTree");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("back in the tree") << int(Qt::Key_Left) << 32784 << true << true;
    QTest::newRow("back in the list") << int(Qt::Key_Left) << 32784 << false << true;
    QTest::newRow("forward in the tree") << int(Qt::Key_Right) << 32785 << true << true;
    QTest::newRow("forward in the list") << int(Qt::Key_Right) << 32785 << false << true;
    QTest::newRow("cut in the list") << int(Qt::Key_X) << 57635 << false << true;
    QTest::newRow("paste in the tree") << int(Qt::Key_V) << 57637 << true << true;
    QTest::newRow("exit in the list") << int(Qt::Key_Q) << 57665 << false << true;
    QTest::newRow("disabled back in the tree") << int(Qt::Key_Left) << 32784 << true << false;
    QTest::newRow("disabled copy in the list") << int(Qt::Key_C) << 57634 << false << false;
}

// The tree's own Ctrl+Left would move to the parent node: the frame's key comes first, also when its
// command is disabled.
void TestMainFrame::acceleratorsActFromEveryPane()
{
    QFETCH(int, key);
    QFETCH(int, id);
    QFETCH(bool, inTree);
    QFETCH(bool, enabled);
    TestHome home;
    CMainFrame frame;
    frame.show();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    orv::COrvelArchiveTree *tree = frame.browser()->tree();
    QTreeWidgetItem *root = tree->topLevelItem(0);
    tree->ExpandNode(root);
    QVERIFY(root->childCount() > 0);
    tree->setCurrentItem(root->child(0));
    QAction *command = frame.commands().action(id);
    command->setEnabled(enabled);
    QSignalSpy triggered(command, &QAction::triggered);
    QWidget *focus = inTree ? static_cast<QWidget *>(tree) : frame.foundFiles()->list();
    focus->setFocus();

    QTest::keyClick(focus, Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(triggered.count(), enabled ? 1 : 0);
    if (!enabled)
        QCOMPARE(tree->currentItem(), root->child(0));
}

void TestMainFrame::toolbarTooltipsFollowTheSetting_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<bool>("browserPane");
    QTest::addColumn<QString>("tooltip");

    QTest::newRow("start, tooltips on") << "Yes" << true << "Start";
    QTest::newRow("clear all, tooltips on") << "Yes" << false << "Clear All";
    QTest::newRow("start, tooltips off") << "No" << true << "";
    QTest::newRow("clear all, tooltips off") << "No" << false << "";
}

void TestMainFrame::toolbarTooltipsFollowTheSetting()
{
    QFETCH(QString, setting);
    QFETCH(bool, browserPane);
    QFETCH(QString, tooltip);
    TestHome home;
    const QString ini = home.configHome() + "/Orvel Systems/Orvel-ZIP Finder/orvfind.ini";
    QVERIFY(orv::test::writeFile(ini, "[Interface]\nEnableShowTooltipForToolbars=" + setting.toUtf8() + "\n"));
    CMainFrame frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QToolBar *bar = browserPane ? frame.browser()->toolBar() : frame.foundFiles()->toolBar();
    QAction *command = browserPane ? frame.browser()->controller()->startAction()
                                   : frame.foundFiles()->action(orv::FoundFilesCmd::ClearAll);
    QWidget *button = bar->widgetForAction(command);
    QVERIFY(button);

    QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), button->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(button, &help);
    QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tooltip);
    QToolTip::hideText();
}

void TestMainFrame::programForAFileType_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("program");

    QTest::newRow("set for the type") << "application/zip" << "orvtest-viewer.desktop";
    QTest::newRow("set for a type it derives from") << "application/x-xpinstall" << "orvtest-viewer.desktop";
    QTest::newRow("set for none") << "application/x-orvtest-nothing" << "";
}

// Opening a file from an archive reports "no program" instead of starting xdg-open for nothing.
void TestMainFrame::programForAFileType()
{
    QFETCH(QString, type);
    TestHome home;
    QVERIFY(orv::test::writeFile(home.configHome() + "/mimeapps.list",
                                 "[Default Applications]\napplication/zip=orvtest-viewer.desktop\n"));
    QVERIFY(orv::test::writeFile(qEnvironmentVariable("XDG_DATA_HOME") + "/applications/orvtest-viewer.desktop",
                                 "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %f\n"));
    QTEST(orv::defaultProgramFor(type), "program");
}

void TestMainFrame::optionsApplyAtOnceOrNotAtAll_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<PageAction>("change");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("line");  // in the file afterwards
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QStringList>("messages");

    const PageAction tooltipsOff = [](QWidget *page) {
        page->findChild<QAbstractButton *>("toolbarTipsCheck")->click();
    };
    const PageAction exeOn = [](QWidget *page) {
        page->findChild<QListWidget *>("typesList")->item(18)->setCheckState(Qt::Checked);
    };
    QTest::newRow("Cancel changes nothing") << "Show Tooltips" << tooltipsOff << false
                                            << "EnableShowTooltipForToolbars=Yes" << "Start" << QStringList{};
    QTest::newRow("OK hides the toolbar tooltips at once, no restart advised")
        << "Show Tooltips" << tooltipsOff << true << "EnableShowTooltipForToolbars=No" << "" << QStringList{};
    QTest::newRow("OK with another archive type advises a restart")
        << "Additional Archives" << exeOn << true << "EXE=1" << "Start"
        << QStringList{"For correct work with new options it is recommended to restart Orvel-ZIP Finder"};
}

void TestMainFrame::optionsApplyAtOnceOrNotAtAll()
{
    QFETCH(QString, item);
    QFETCH(PageAction, change);
    QFETCH(bool, ok);
    QFETCH(QString, line);
    QFETCH(QString, tooltip);
    TestHome home;
    orv::ScriptedPrompter prompts;
    CMainFrame frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    const QString ini = frame.settings().filePath();
    const QByteArray before = orv::test::readFile(ini);

    bool driven = false;
    QTimer::singleShot(0, &frame, [&] {
        auto *dialog = qobject_cast<orv::COptions *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto *tree = dialog->findChild<QTreeWidget *>("pageTree");
        tree->setCurrentItem(tree->findItems(item, Qt::MatchExactly | Qt::MatchRecursive).value(0));
        change(dialog->currentPage());
        dialog->findChild<QPushButton *>(ok ? "okButton" : "cancelButton")->click();
        driven = true;
    });
    frame.commands().action(orv::Cmd::Options)->trigger();
    QVERIFY(driven);

    if (!ok)
        QCOMPARE(orv::test::readFile(ini), before);
    QVERIFY(QString::fromUtf8(orv::test::readFile(ini)).split('\n').contains(line));
    QWidget *button = frame.browser()->toolBar()->widgetForAction(frame.browser()->controller()->startAction());
    QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), button->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(button, &help);
    QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tooltip);
    QToolTip::hideText();
    QTEST(prompts.texts(), "messages");
}

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
