#include "finder/app/mainframe.h"
#include "finder/archive/extraction.h"
#include "finder/browser/archivebrowserpane.h"
#include "finder/browser/archivedock.h"
#include "finder/browser/orvelarchivetree.h"
#include "finder/common/commandids.h"
#include "finder/search/filedock.h"
#include "finder/search/findprogress.h"
#include "finder/search/listingcatalogue.h"
#include "finder/search/searchengine.h"
#include "finder/search/foundfilesmodel.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace orv;
using orv::test::TestHome;
using orv::test::writeFile;

namespace {

bool makeZip(const QString &zipPath, const QString &workDir, const QStringList &members)
{
    return test::runProcess(QStringLiteral("zip"), QStringList{QStringLiteral("-q"), zipPath} + members, workDir).ok();
}

SearchCriteria criteriaOf(SearchMode mode, const QString &archiveMask, const QString &fileMask)
{
    SearchCriteria criteria;
    criteria.setMode(mode);
    criteria.strArchiveMask = archiveMask;
    criteria.strFileMask = fileMask;
    return criteria;
}

// A main window over a fresh home whose Archive Browser shows one drive: the test's folder.
struct Window
{
    TestHome home;
    std::unique_ptr<CMainFrame> frame;
    CArchiveBrowserPane *pane = nullptr;
    CArchiveDockController *dock = nullptr;
    COrvelArchiveTree *tree = nullptr;

    explicit Window(const QString &drive)
    {
        frame = std::make_unique<CMainFrame>();
        pane = frame->browser();
        dock = pane->controller();
        tree = pane->tree();
        tree->setDrives({{drive, QStringLiteral("Test"), DriveType::Fixed}});
        dock->history().setRecording(false);
        tree->Fill();
        dock->history().setRecording(true);
        dock->OnClearHistory();
    }

    QTreeWidgetItem *check(const QString &path)
    {
        QTreeWidgetItem *node = tree->SelectPath(path);
        if (node)
            node->setCheckState(0, Qt::Checked);
        return node;
    }
};

CFindProgress *progressWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *progress = qobject_cast<CFindProgress *>(w); progress && progress->isVisible())
            return progress;
    }
    return nullptr;
}

}  // namespace

class TestArchiveDock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void searchFromThePaneFillsTheStore_data();
    void searchFromThePaneFillsTheStore();
    void cancelledDialogSearchesNothing();
    void searchKeepsListingsWhenAsked_data();
    void searchKeepsListingsWhenAsked();
    void stopDuringALongSearch_data();
    void stopDuringALongSearch();
    void treeUsedInsideALongOperation_data();
    void treeUsedInsideALongOperation();
    void historyFollowsTheSelection();
    void archiveMenuOnlyForArchives_data();
    void archiveMenuOnlyForArchives();
    void archiveMenuPromptsReachTheStatusBar_data();
    void archiveMenuPromptsReachTheStatusBar();

private:
    QTemporaryDir m_dir;
    QString m_drive;
    QString m_long;
    QString m_big;
};

void TestArchiveDock::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_drive = m_dir.path() + "/drive";
    const QString src = m_dir.path() + "/src";
    QVERIFY(writeFile(src + "/x.txt", "x"));
    QVERIFY(writeFile(src + "/y.doc", "y"));
    QVERIFY(writeFile(src + "/docs/z.txt", "z"));
    QVERIFY(QDir().mkpath(m_drive + "/a/deep"));
    QVERIFY(makeZip(m_drive + "/a/one.zip", src, {"x.txt", "y.doc"}));
    QVERIFY(makeZip(m_drive + "/a/deep/two.zip", src, {"docs/z.txt"}));
    QVERIFY(writeFile(m_drive + "/plain.txt", "not in an archive"));

    // Archives of every reader that pumps while it works, each big enough to pump many times. Plain ISO 9660
    // names, so the image lists the same whichever directory tree its reader takes.
    m_big = m_dir.path() + "/big";
    const QString many = src + "/many";
    QStringList names;
    for (int i = 0; i < 2000; ++i) {
        names << QStringLiteral("F%1.TXT").arg(i, 4, 10, QLatin1Char('0'));
        QVERIFY(writeFile(many + "/" + names.last(), QByteArray(i % 7 + 1, 'q')));
    }
    QVERIFY(QDir().mkpath(m_big));
    QVERIFY(makeZip(m_big + "/all.zip", many, names));
    const auto tool = [&](const QString &program, const QStringList &arguments) {
        return test::runProcess(program, arguments, many).ok();
    };
    QVERIFY(tool("7z", {"a", "-bd", "-ms=off", m_big + "/all.7z", "."}));
    QVERIFY(tool("genisoimage", {"-quiet", "-R", "-J", "-o", m_big + "/all.iso", "."}));
    QVERIFY(tool("gcab", QStringList{"-c", m_big + "/all.cab"} + names));

    // Many names that count as archives by their extension alone: "Search of archives" never opens them.
    m_long = m_dir.path() + "/long";
    for (int folder = 0; folder < 50; ++folder) {
        for (int file = 0; file < 100; ++file)
            QVERIFY(writeFile(QStringLiteral("%1/f%2/n%3.zip").arg(m_long).arg(folder).arg(file), "z"));
    }
}

void TestArchiveDock::searchFromThePaneFillsTheStore_data()
{
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<QStringList>("hits");

    QTest::newRow("files in archives over the drive")
        << QStringList{""} << criteriaOf(SearchMode::FilesInArchives, "", "*.txt")
        << QStringList{"a/deep/two.zip/docs/z.txt", "a/one.zip/x.txt"};
    QTest::newRow("archives in one folder")
        << QStringList{"a/deep"} << criteriaOf(SearchMode::Archives, "*.zip", "") << QStringList{"a/deep/two.zip"};
    QTest::newRow("a folder inside an archive")
        << QStringList{"a/deep/two.zip/docs"} << criteriaOf(SearchMode::FilesInArchives, "", "*")
        << QStringList{"a/deep/two.zip/docs/z.txt"};
    QTest::newRow("two places, archives and their files")
        << QStringList{"a/one.zip", "a/deep"} << criteriaOf(SearchMode::ArchivesAndFiles, "one*", "*")
        << QStringList{"a/one.zip/x.txt", "a/one.zip/y.doc"};
}

void TestArchiveDock::searchFromThePaneFillsTheStore()
{
    QFETCH(QStringList, checked);
    QFETCH(SearchCriteria, criteria);
    Window window(m_drive);
    QStringList paths;
    for (const QString &place : checked)
        paths << (place.isEmpty() ? m_drive : m_drive + "/" + place);
    // Selecting a path reloads the levels on its way, so the marks are set once every node is loaded.
    for (const QString &path : paths)
        QVERIFY(window.tree->SelectPath(path));
    for (const QString &path : paths)
        window.tree->loadedNode(path)->setCheckState(0, Qt::Checked);
    QCoreApplication::processEvents();
    QVERIFY(window.dock->startAction()->isEnabled());

    window.dock->setCriteriaSource([&criteria](FilterChoices &choices) {
        choices.include = FilterFor::Both;
        return std::optional<SearchCriteria>(criteria);
    });
    ScriptedPrompter prompts;
    window.dock->startAction()->trigger();

    QStringList found;
    for (const CFileInfo &record : window.frame->results().CopyAll())
        found << QDir(m_drive).relativeFilePath(record.m_strFullPath);
    found.sort();
    QTEST(found, "hits");
    QCOMPARE(prompts.texts(), QStringList{CSearchEngine::CountMessage(found.size())});
    QCOMPARE(window.dock->filterChoices().include, FilterFor::Both);
    QVERIFY2(window.dock->CheckedPaths().isEmpty(), "searched places are unchecked");
    QVERIFY(!window.dock->startAction()->isEnabled());
    QVERIFY(!window.frame->busyFlags().isRunning(CBusyFlags::Search));
    auto *list = qobject_cast<CFoundFilesPane *>(window.frame->filePane()->dock()->body());
    QVERIFY(list && list->model()->holdsResults());

    // Search in Results narrows with this search's record: its pages go there, "Filter for" stays.
    QCOMPARE(window.frame->criteria(), criteria);
    FilterPage larger;
    larger.bOff = false;
    larger.nFilterFor = FilterFor::Both;
    larger.bSizeOn = true;
    larger.nSize = 5;
    list->SearchInResults(QStringLiteral("*"), larger, {});
    QCOMPARE(window.frame->criteria().include.nSize, 5);
    QCOMPARE(window.frame->criteria().include.nFilterFor, criteria.include.nFilterFor);
}

void TestArchiveDock::cancelledDialogSearchesNothing()
{
    Window window(m_drive);
    window.frame->results().AddFoundFile(CFileInfo{});
    window.check(m_drive + "/a");
    window.dock->setCriteriaSource([](FilterChoices &) { return std::optional<SearchCriteria>(); });
    ScriptedPrompter prompts;
    window.dock->OnStart();
    QCOMPARE(window.frame->results().size(), std::size_t(1));
    QCOMPARE(window.dock->CheckedPaths(), QStringList{m_drive + "/a"});
    QVERIFY(prompts.texts().isEmpty());
}

void TestArchiveDock::searchKeepsListingsWhenAsked_data()
{
    QTest::addColumn<bool>("keep");
    QTest::newRow("listings kept") << true;
    QTest::newRow("listings not kept") << false;
}

// The Tools menu's option, on unless turned off, decides whether the search keeps what it lists; a search
// that reads the kept listings finds what the first one found.
void TestArchiveDock::searchKeepsListingsWhenAsked()
{
    QFETCH(bool, keep);
    Window window(m_drive);
    QAction *option = window.frame->commands().action(Cmd::KeepListings);
    QVERIFY(option->isChecked());
    option->setChecked(keep);
    const SearchCriteria criteria = criteriaOf(SearchMode::FilesInArchives, "", "*.txt");
    window.dock->setCriteriaSource([&criteria](FilterChoices &) { return std::optional<SearchCriteria>(criteria); });
    QStringList runs[2];
    for (QStringList &found : runs) {
        window.check(m_drive + "/a");
        ScriptedPrompter prompts;
        window.dock->OnStart();
        for (const CFileInfo &record : window.frame->results().CopyAll())
            found << record.m_strFullPath;
        found.sort();
    }
    QCOMPARE(runs[0].size(), 2);
    QCOMPARE(runs[1], runs[0]);
    CListingCatalogue catalogue;
    QVERIFY(catalogue.open(CListingCatalogue::defaultPath()));
    QCOMPARE(catalogue.info().archives, keep ? 2 : 0);
    QCOMPARE(Window(m_drive).frame->commands().action(Cmd::KeepListings)->isChecked(), keep);
}

void TestArchiveDock::stopDuringALongSearch_data()
{
    QTest::addColumn<bool>("byClosingTheWindow");
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<bool>("complete");

    QTest::newRow("stop, yes") << false << MsgAnswer::Yes << false;
    QTest::newRow("stop, no: the search goes on") << false << MsgAnswer::No << true;
    QTest::newRow("closing the window, yes") << true << MsgAnswer::Yes << false;
}

void TestArchiveDock::stopDuringALongSearch()
{
    QFETCH(bool, byClosingTheWindow);
    QFETCH(MsgAnswer, answer);
    QFETCH(bool, complete);

    Window window(m_long);
    window.frame->show();
    QVERIFY(window.check(m_long));
    window.dock->setCriteriaSource(
        [](FilterChoices &) { return std::optional<SearchCriteria>(criteriaOf(SearchMode::Archives, "*", "")); });
    ScriptedPrompter prompts;
    prompts.queueMessageAnswer(answer);

    // Fires at the search's first pump, while the progress window is up.
    bool stopped = false;
    QTimer::singleShot(0, window.frame.get(), [&] {
        CFindProgress *progress = progressWindow();
        if (!progress)
            return;
        stopped = true;
        // Sorting is refused while hits still arrive; the end of the search lifts that.
        window.frame->commands().action(Cmd::SortByName)->trigger();
        if (byClosingTheWindow)
            window.frame->close();
        else
            progress->findChild<QPushButton *>("stopButton")->click();
    });
    window.dock->OnStart();

    QVERIFY(stopped);
    const QStringList texts = prompts.texts();
    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts.first(), QStringLiteral("Interrupt the find?"));
    const std::size_t found = window.frame->results().size();
    QCOMPARE(texts.last(), CSearchEngine::CountMessage(static_cast<std::uint32_t>(found)));
    QCOMPARE(found == 5000, complete);
    QVERIFY(window.frame->isVisible());
    QVERIFY(!progressWindow());
    auto *list = qobject_cast<CFoundFilesPane *>(window.frame->filePane()->dock()->body());
    QCOMPARE(list->model()->sortColumn(), -1);
    QCOMPARE(list->model()->holdsResults(), found > 0);
}

void TestArchiveDock::treeUsedInsideALongOperation_data()
{
    QTest::addColumn<QString>("archive");
    QTest::addColumn<bool>("extracting");
    for (const char *name : {"all.zip", "all.7z", "all.iso", "all.cab"}) {
        QTest::addRow("search in %s", name) << QString(name) << false;
        QTest::addRow("extraction of %s", name) << QString(name) << true;
    }
}

// Whatever the user does in the tree while a search or an extraction pumps events reads the archive
// through readers of its own: the operation's reader stays alive and the operation ends complete.
void TestArchiveDock::treeUsedInsideALongOperation()
{
    QFETCH(QString, archive);
    QFETCH(bool, extracting);
    Window window(m_big);
    const QString path = m_big + "/" + archive;
    QTreeWidgetItem *node = window.check(path);
    QVERIFY(node);
    window.tree->ExpandNode(node);
    // The listing that expansion kept would spare the search the reader this is about.
    QFile archiveFile(path);
    QVERIFY(archiveFile.open(QIODevice::ReadWrite));
    QVERIFY(archiveFile.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    archiveFile.close();
    window.frame->archives().setFileLauncher([](const QString &) { return true; });
    const QString target = m_dir.path() + "/out-" + archive;
    QVERIFY(QDir().mkpath(target));

    // The operation is inside the archive once a hit or a file has come out of it.
    const auto inside = [&] {
        return extracting ? !QDir(target).isEmpty() : window.frame->results().size() > 0;
    };
    int used = 0;
    QTimer during;
    connect(&during, &QTimer::timeout, window.frame.get(), [&] {
        if (used > 0 || !inside())
            return;
        ++used;
        window.tree->setCurrentItem(window.tree->loadedNode(path + "/F0001.TXT"));
        window.tree->OpenSelectedFile();
        window.tree->ExpandNode(window.tree->loadedNode(path));
        window.tree->SelectPath(path + "/F0002.TXT");
    });
    during.start(0);

    ScriptedPrompter prompts;
    if (extracting) {
        const std::unique_ptr<CArchiveAccess> access = window.frame->archives().NewAccess();
        QVERIFY(CArchiveExtraction(*access).ExtractPath(path, target, nullptr));
        QCOMPARE(QDir(target).entryList(QDir::Files).size(), 2000);
    } else {
        window.dock->setCriteriaSource([](FilterChoices &) {
            return std::optional<SearchCriteria>(criteriaOf(SearchMode::FilesInArchives, "", "*.TXT"));
        });
        window.dock->OnStart();
        QCOMPARE(window.frame->results().size(), std::size_t(2000));
    }
    QCOMPARE(used, 1);
    QCOMPARE(window.tree->nodePath(window.tree->currentItem()), path + "/F0002.TXT");
}

void TestArchiveDock::historyFollowsTheSelection()
{
    Window window(m_drive);
    const QStringList visited{m_drive + "/a", m_drive + "/a/one.zip", m_drive + "/a/deep",
                              m_drive + "/a/deep/two.zip/docs", m_drive + "/a/deep/two.zip"};
    // Loads every level on the way without recording, then selects as the user's clicks do.
    window.dock->history().setRecording(false);
    QVERIFY(window.tree->SelectPath(visited[3]));
    window.dock->history().setRecording(true);
    for (const QString &path : visited) {
        QTreeWidgetItem *node = window.tree->loadedNode(path);
        QVERIFY2(node, qPrintable(path));
        window.tree->setCurrentItem(node);
    }
    QAction *menuBack = window.frame->commands().action(Cmd::HistoryBack);
    QAction *menuForward = window.frame->commands().action(Cmd::HistoryForward);
    QCOMPARE(window.dock->history().current(), 4);
    QVERIFY(menuBack->isEnabled() && window.dock->backAction()->isEnabled());
    QVERIFY(!menuForward->isEnabled());
    QCOMPARE(window.dock->backAction()->toolTip(), QStringLiteral("Back to docs"));

    menuBack->trigger();
    window.dock->backAction()->trigger();
    QCOMPARE(window.tree->nodePath(window.tree->currentItem()), visited[2]);
    QCOMPARE(window.dock->history().steps().size(), std::size_t(5));
    QCOMPARE(window.dock->forwardAction()->toolTip(), QStringLiteral("Forward to docs"));

    QMenu menu;
    window.dock->FillHistoryMenu(&menu, false);
    QStringList names;
    for (QAction *item : menu.actions())
        names << item->text();
    QCOMPARE(names, (QStringList{"one.zip", "a"}));
    QCOMPARE(menu.actions().first()->property("commandId").toInt(), Cmd::DynamicItemFirst + 1);
    menu.actions().first()->trigger();
    QCOMPARE(window.tree->nodePath(window.tree->currentItem()), visited[1]);
    QCOMPARE(window.dock->history().current(), 1);

    QVERIFY(window.tree->SelectPath(m_drive));
    QCOMPARE(window.dock->history().current(), 5);
    QVERIFY(!window.dock->forwardAction()->isEnabled());

    window.frame->commands().action(Cmd::ClearHistory)->trigger();
    QCOMPARE(window.dock->history().current(), -1);
    QVERIFY(!menuBack->isEnabled() && !window.dock->backAction()->isEnabled());
}

void TestArchiveDock::archiveMenuOnlyForArchives_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("extractToText");
    QTest::addColumn<bool>("properties");

    QTest::newRow("drive") << "" << "" << false;
    QTest::newRow("folder") << "a" << "" << false;
    QTest::newRow("plain file") << "plain.txt" << "" << false;
    QTest::newRow("archive") << "a/one.zip" << "Extract &to %1/a/one" << false;
    QTest::newRow("folder in an archive") << "a/deep/two.zip/docs" << "Extract &to %1/a/deep/two" << true;
    QTest::newRow("file in an archive") << "a/one.zip/x.txt" << "Extract &to %1/a/one" << true;
}

void TestArchiveDock::archiveMenuOnlyForArchives()
{
    QFETCH(QString, node);
    QFETCH(QString, extractToText);
    QFETCH(bool, properties);
    Window window(m_drive);
    QTreeWidgetItem *item = window.tree->SelectPath(node.isEmpty() ? m_drive : m_drive + "/" + node);
    QVERIFY(item);
    const std::unique_ptr<QMenu> menu = window.dock->BuildArchiveMenu(item);
    if (extractToText.isEmpty()) {
        QVERIFY(!menu);
        return;
    }
    QVERIFY(menu);
    QStringList texts;
    for (QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text() + (action->isEnabled() ? "" : " (off)");
    }
    QCOMPARE(texts, (QStringList{"&Extract to...", "Extract &here", extractToText.arg(m_drive),
                                 properties ? "&Properties..." : "&Properties... (off)"}));
}

void TestArchiveDock::archiveMenuPromptsReachTheStatusBar_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("prompt");

    QTest::newRow("extract to") << "&Extract to..." << "Extract files from archive";
    QTest::newRow("extract to its folder") << "Extract &to %1/a/one" << "Extract files from archive to the folder %1/a/one";
    QTest::newRow("properties") << "&Properties..." << "Properties of the selected item";
}

// A prompt shows while its item is under the mouse and goes with the menu.
void TestArchiveDock::archiveMenuPromptsReachTheStatusBar()
{
    QFETCH(QString, item);
    QFETCH(QString, prompt);
    Window window(m_drive);
    window.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.frame.get()));
    const std::unique_ptr<QMenu> menu = window.dock->BuildArchiveMenu(window.tree->SelectPath(m_drive + "/a/one.zip"));
    QVERIFY(menu);
    menu->popup(window.tree->mapToGlobal(QPoint(10, 10)));
    QVERIFY(QTest::qWaitForWindowExposed(menu.get()));
    QAction *target = nullptr;
    for (QAction *action : menu->actions())
        target = action->text() == item.arg(m_drive) ? action : target;
    QVERIFY(target);

    QTest::mouseMove(menu.get(), menu->actionGeometry(target).center());
    QCOMPARE(window.frame->statusBar()->currentMessage(), prompt.arg(m_drive));
    menu->hide();
    QCOMPARE(window.frame->statusBar()->currentMessage(), QString());
}

QTEST_MAIN(TestArchiveDock)
#include "tst_archivedock.moc"
