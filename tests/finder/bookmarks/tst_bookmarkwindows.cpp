#include "finder/app/application.h"
#include "finder/app/mainframe.h"
#include "finder/bookmarks/addbookmarkdialog.h"
#include "finder/bookmarks/bookmarkcommands.h"
#include "finder/bookmarks/bookmarkfile.h"
#include "finder/bookmarks/bookmarkslist.h"
#include "finder/bookmarks/bookmarksmanager.h"
#include "finder/bookmarks/bookmarkstree.h"
#include "finder/browser/archivebrowserpane.h"
#include "finder/browser/archivedock.h"
#include "finder/browser/orvelarchivetree.h"
#include "tests/finder/bookmarks/bookmarkfixtures.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <functional>

using namespace orv;
using orv::test::layOutStore;
using orv::test::storeSnapshot;
using orv::test::TestHome;

namespace {

// Runs `act` on the modal dialog once exec() shows it; one left open is closed, so a failure never hangs.
void whenModalShown(std::function<void(QDialog *)> act)
{
    QTimer::singleShot(0, qApp, [act = std::move(act)] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(modal);
        act(modal);
        if (modal->isVisible())
            modal->reject();
    });
}

void click(QWidget *dialog, const char *button)
{
    auto *target = dialog->findChild<QPushButton *>(button);
    QVERIFY2(target && target->isVisible() && target->isEnabled(), button);
    QTest::mouseClick(target, Qt::LeftButton);
}

// "Folder>[entries]" for a sub-menu, the text alone for an entry, "!" after a disabled one.
QString describe(const QMenu *menu)
{
    QStringList parts;
    for (const QAction *action : menu->actions()) {
        QString part = action->menu() ? action->text() + ">[" + describe(action->menu()) + "]" : action->text();
        parts << part + (action->isEnabled() ? "" : "!");
    }
    return parts.join('|');
}

QAction *entryNamed(const QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

void typeLabel(QTreeWidget *view, QTreeWidgetItem *item, const QString &text)
{
    view->editItem(item, 0);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    QCOMPARE(editor->maxLength(), 260);
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
}

// Drags reach a view the way the application delivers them: an enter first, which makes it the target.
bool dragOver(QTreeWidget *view, QTreeWidgetItem *item, const QMimeData &data, bool drop)
{
    const QPoint at = view->visualItemRect(item).center();
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    if (!move.isAccepted() || !drop)
        return move.isAccepted();
    QDropEvent dropped(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &dropped);
    return dropped.isAccepted();
}

}  // namespace

class TestBookmarkWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void menuShowsTheStore_data();
    void menuShowsTheStore();
    void addDialogWritesTheLabel_data();
    void addDialogWritesTheLabel();
    void managerMenusFollowTheSelection_data();
    void managerMenusFollowTheSelection();
    void managerRenamesInPlace_data();
    void managerRenamesInPlace();
    void managerMovesWhatIsDropped();
    void managerOpensFolderRowsAndKeepsWidths();
    void frameAddsAndOpensBookmarks_data();
    void frameAddsAndOpensBookmarks();
};

void TestBookmarkWindows::initTestCase()
{
    COrvelZipFinderApp::setIdentity();
}

void TestBookmarkWindows::menuShowsTheStore_data()
{
    QTest::addColumn<QStringList>("store");
    QTest::addColumn<bool>("tooltips");
    QTest::addColumn<QString>("menu");

    QTest::newRow("empty store") << QStringList{} << true << "<empty>!";
    QTest::newRow("folders first, by name")
        << QStringList{"gamma.obk=/g", "beta.obk=/b", "Alpha.obk=/a", "zoo/", "Box/a.obk=/c", "x.obk.txt"} << true
        << "Box>[a]|zoo>[<empty>!]|Alpha|beta|gamma";
    QTest::newRow("no tooltips") << QStringList{"a.obk=/a"} << false << "a";
}

void TestBookmarkWindows::menuShowsTheStore()
{
    QFETCH(QStringList, store);
    QFETCH(bool, tooltips);
    TestHome home;
    const QString root = home.path() + "/store";
    layOutStore(root, store);
    QWidget window;
    CBookmarkCommands commands(root, tooltips, &window);
    QMenu menu;
    commands.LoadMenu(&menu);
    commands.LoadMenu(&menu);
    QTEST(describe(&menu), "menu");
    const QAction *last = menu.actions().constLast();
    QCOMPARE(last->toolTip(), tooltips && !store.isEmpty() ? QStringLiteral("/g") : last->text());
    for (const QMenu *shown = &menu; shown; shown = shown->actions().constFirst()->menu())
        QCOMPARE(shown->toolTipsVisible(), tooltips);
}

void TestBookmarkWindows::addDialogWritesTheLabel_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("newFolder");
    QTest::addColumn<QString>("written");

    QTest::newRow("label as offered") << "" << "" << "report.obk";
    QTest::newRow("label typed") << "  My archive " << "" << "My archive.obk";
    QTest::newRow("into a new folder") << "" << "Trips" << "Trips/report.obk";
    QTest::newRow("blank label") << "   " << "" << "";
}

void TestBookmarkWindows::addDialogWritesTheLabel()
{
    QFETCH(QString, label);
    QFETCH(QString, newFolder);
    QFETCH(QString, written);
    TestHome home;
    ScriptedPrompter prompts;
    const QString root = home.path() + "/store";
    layOutStore(root, {"Old/"});
    CAddBookmark dialog(root, "report");
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Archive Boookmark"));
    auto *labelEdit = dialog.findChild<QLineEdit *>("labelEdit");
    QCOMPARE(labelEdit->text(), QStringLiteral("report"));
    if (!label.isEmpty())
        labelEdit->setText(label);
    if (!newFolder.isEmpty()) {
        QVERIFY(!dialog.findChild<QWidget *>("createGroup")->isVisible());
        click(&dialog, "createFolderButton");
        auto *folderEdit = dialog.findChild<QLineEdit *>("folderEdit");
        QVERIFY(!dialog.findChild<QPushButton *>("createButton")->isEnabled());
        folderEdit->setText(newFolder);
        QTest::keyClick(folderEdit, Qt::Key_Return);
        QVERIFY(!dialog.findChild<QWidget *>("createGroup")->isVisible());
        QCOMPARE(dialog.findChild<QComboBox *>("addInChooser")->currentText(), newFolder);
    }
    auto *add = dialog.findChild<QPushButton *>("addButton");
    QCOMPARE(add->isEnabled(), !written.isEmpty());
    if (add->isEnabled())
        QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(dialog.result(), written.isEmpty() ? 0 : int(QDialog::Accepted));
    QCOMPARE(dialog.bookmarkFile(), written.isEmpty() ? QString() : root + '/' + written);
    QVERIFY(prompts.texts().isEmpty());
}

void TestBookmarkWindows::managerMenusFollowTheSelection_data()
{
    QTest::addColumn<QString>("treeSelected");
    QTest::addColumn<QStringList>("rowsSelected");
    QTest::addColumn<QString>("treeEnabled");  // rename, delete, create folder
    QTest::addColumn<QString>("listEnabled");

    QTest::newRow("root, nothing in the list") << "" << QStringList{} << "001" << "000";
    QTest::newRow("sub-folder") << "F" << QStringList{} << "111" << "000";
    QTest::newRow("bookmark row") << "" << QStringList{"a"} << "001" << "110";
    QTest::newRow("bookmark then folder row") << "" << QStringList{"a", "F"} << "001" << "111";
    QTest::newRow("folder then bookmark row") << "" << QStringList{"F", "a"} << "001" << "110";
}

void TestBookmarkWindows::managerMenusFollowTheSelection()
{
    QFETCH(QString, treeSelected);
    QFETCH(QStringList, rowsSelected);
    TestHome home;
    const QString root = home.path() + "/store";
    layOutStore(root, {"F/", "a.obk=/a"});
    CBookmarksManager manager(root);
    QCOMPARE(manager.windowTitle(), QStringLiteral("Archive Boookmarks Manager"));
    if (!treeSelected.isEmpty())
        manager.tree()->setCurrentItem(manager.tree()->itemOfPath(root + '/' + treeSelected));
    for (const QString &row : rowsSelected) {
        QTreeWidgetItem *item = manager.list()->findItems(row, Qt::MatchExactly).value(0);
        manager.list()->setCurrentItem(item, 0, QItemSelectionModel::Select);
    }
    const auto enabled = [](const std::unique_ptr<QMenu> &menu) {
        QString out;
        for (const QAction *action : menu->actions())
            out += action->isEnabled() ? '1' : '0';
        return out;
    };
    QTEST(enabled(manager.BuildTreeMenu()), "treeEnabled");
    QTEST(enabled(manager.BuildListMenu()), "listEnabled");
}

void TestBookmarkWindows::managerRenamesInPlace_data()
{
    QTest::addColumn<bool>("inTree");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("store");

    QTest::newRow("bookmark in the list") << false << "a" << "Zed" << QStringList{}
                                          << QStringList{"F/", "F/in.obk=/in", "Zed.obk=/a"};
    QTest::newRow("folder in the list") << false << "F" << "G" << QStringList{}
                                        << QStringList{"G/", "G/in.obk=/in", "a.obk=/a"};
    QTest::newRow("folder in the tree") << true << "F" << "G" << QStringList{}
                                        << QStringList{"G/", "G/in.obk=/in", "a.obk=/a"};
    QTest::newRow("refused in the tree") << true << "F" << "" << QStringList{"You must specify a folder name."}
                                         << QStringList{"F/", "F/in.obk=/in", "a.obk=/a"};
}

void TestBookmarkWindows::managerRenamesInPlace()
{
    QFETCH(bool, inTree);
    QFETCH(QString, item);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, store);
    TestHome home;
    ScriptedPrompter prompts;
    const QString root = home.path() + "/store";
    layOutStore(root, {"F/in.obk=/in", "a.obk=/a"});
    CBookmarksManager manager(root);
    manager.show();
    QVERIFY(QTest::qWaitForWindowExposed(&manager));
    COrvelBookmarksView *view = inTree ? static_cast<COrvelBookmarksView *>(manager.tree()) : manager.list();
    QTreeWidgetItem *edited = view->findItems(item, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QVERIFY(edited);
    typeLabel(view, edited, text);
    QTRY_COMPARE(prompts.texts(), messages);
    QTRY_COMPARE(storeSnapshot(root), store);
    const QString shown = messages.isEmpty() ? text : item;
    QVERIFY2(!view->findItems(shown, Qt::MatchExactly | Qt::MatchRecursive).isEmpty(), qPrintable(shown));
    if (!inTree && item == "F")
        QVERIFY2(manager.tree()->itemOfPath(root + "/G"), "the tree follows a rename in the list");
}

// A drop onto a folder row moves the dragged bookmark there; the list shows the result.
void TestBookmarkWindows::managerMovesWhatIsDropped()
{
    TestHome home;
    ScriptedPrompter prompts;
    const QString root = home.path() + "/store";
    layOutStore(root, {"F/", "a.obk=/a"});
    CBookmarksManager manager(root);
    manager.show();
    QVERIFY(QTest::qWaitForWindowExposed(&manager));
    COrvelBookmarksList *list = manager.list();
    QTreeWidgetItem *folderRow = list->findItems("F", Qt::MatchExactly).value(0);
    QVERIFY(folderRow);

    QMimeData data;
    data.setData(COrvelBookmarksView::MimeType, (root + "/a.obk").toUtf8());
    QVERIFY(dragOver(list, folderRow, data, true));
    QTRY_COMPARE(storeSnapshot(root), (QStringList{"F/", "F/a.obk=/a"}));
    QCOMPARE(list->topLevelItemCount(), 1);

    data.setData(COrvelBookmarksView::MimeType, (root + "/F").toUtf8());
    QVERIFY2(!dragOver(list, list->topLevelItem(0), data, false), "a folder is not offered itself as a target");
    QVERIFY(prompts.texts().isEmpty());
}

void TestBookmarkWindows::managerOpensFolderRowsAndKeepsWidths()
{
    TestHome home;
    QSettings().clear();
    const QString root = home.path() + "/store";
    layOutStore(root, {"F/b.obk=/b", "F/a.obk=/a", "top.obk=/t"});
    {
        CBookmarksManager manager(root);
        QCOMPARE(manager.list()->columnWidth(0), 150);
        QCOMPARE(manager.list()->columnWidth(1), 250);
        QTreeWidgetItem *folderRow = manager.list()->topLevelItem(0);
        emit manager.list()->itemDoubleClicked(folderRow, 0);
        QCOMPARE(COrvelBookmarksView::pathOf(manager.tree()->currentItem()), root + "/F");
        QCOMPARE(manager.list()->currentItem()->text(0), QStringLiteral("a"));
        manager.list()->setColumnWidth(0, 120);
        manager.list()->setColumnWidth(1, 300);
        manager.accept();
    }
    QCOMPARE(QSettings().value("ArchiveBookmarksList_Columns/Width").toString(), QStringLiteral("120 300"));
    CBookmarksManager again(root);
    QCOMPARE(again.list()->columnWidth(1), 300);
}

void TestBookmarkWindows::frameAddsAndOpensBookmarks_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("icon");

    QTest::newRow("archive") << "a.zip" << 0 << 1;
    QTest::newRow("folder on disk") << "plain" << 1 << 0;
    QTest::newRow("folder inside an archive") << "a.zip/docs" << 2 << 2;
    QTest::newRow("file inside an archive") << "a.zip/docs/x.txt" << 2 << 3;
}

// From the Archive Browser: Add Bookmarks writes the bookmark, the Bookmarks button's menu brings the
// node back into the tree.
void TestBookmarkWindows::frameAddsAndOpensBookmarks()
{
    QFETCH(QString, target);
    TestHome home;
    const QString drive = home.path() + "/drive";
    QVERIFY(test::writeFile(drive + "/docs/x.txt", "x"));
    QVERIFY(QDir(drive).mkdir("plain"));
    QVERIFY(test::runProcess("zip", {"-qr", "a.zip", "docs"}, drive).ok());

    CMainFrame frame;
    COrvelArchiveTree *tree = frame.browser()->tree();
    CArchiveDockController *dock = frame.browser()->controller();
    tree->setDrives({{drive, "Test", DriveType::Fixed}});
    tree->Fill();
    QVERIFY2(!dock->bookmarksAction()->isEnabled(), "an empty store has nothing to show");
    QVERIFY(tree->SelectPath(drive + '/' + target));
    QCOMPARE(tree->nodePath(tree->currentItem()), drive + '/' + target);

    whenModalShown([](QDialog *dialog) { click(dialog, "addButton"); });
    dock->addBookmarkAction()->trigger();
    const QString root = bookmarksRootPath();
    const QString label = QFileInfo(target).completeBaseName();
    const BookmarkRecord written = readBookmark(root + '/' + label + ".obk");
    QCOMPARE(written.path, drive + '/' + target);
    QTEST(written.type, "type");
    QTEST(written.icon, "icon");
    QVERIFY(dock->bookmarksAction()->isEnabled());

    tree->SelectPath(drive);
    QMenu *menu = dock->bookmarksMenu();
    emit menu->aboutToShow();
    QAction *entry = entryNamed(menu, label);
    QVERIFY(entry);
    menu->triggered(entry);
    QCOMPARE(tree->nodePath(tree->currentItem()), drive + '/' + target);
}

QTEST_MAIN(TestBookmarkWindows)
#include "tst_bookmarkwindows.moc"
