#include "finder/bookmarks/bookmarkedits.h"
#include "finder/bookmarks/bookmarkfile.h"
#include "finder/bookmarks/bookmarkmover.h"
#include "tests/finder/bookmarks/bookmarkfixtures.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"

#include <QFile>
#include <QtTest>

using namespace orv;
using orv::test::layOutStore;
using orv::test::storeSnapshot;
using orv::test::TestHome;

namespace {

const QString kForbiddenFolder = forbiddenFolderNameText();
const QString kForbiddenFile = forbiddenFileNameText();

void makeReadOnly(const QString &path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
}

}  // namespace

class TestBookmarkEdits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void renames_data();
    void renames();
    void deletes_data();
    void deletes();
    void newFoldersAreNumbered();
    void moves_data();
    void moves();
};

// The store before each rename: a folder "alpha", a bookmark "Alpha.obk", "other" of both kinds, a
// read-only and a hidden bookmark.
void TestBookmarkEdits::renames_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("renamed");

    const QString folderExists = "A folder with this name already exists. Specify a different name.";
    const QString fileExists = "A file with this name already exists. Specify a different name.";
    const int yes = int(MsgAnswer::Yes);
    const int no = int(MsgAnswer::No);
    QTest::newRow("folder, empty") << "alpha/" << "" << yes << QStringList{"You must specify a folder name."} << "";
    QTest::newRow("folder, forbidden") << "alpha/" << "a:b" << yes << QStringList{kForbiddenFolder} << "";
    QTest::newRow("folder, case only") << "alpha/" << "ALPHA" << yes << QStringList{} << "";
    QTest::newRow("folder, taken") << "alpha/" << "other" << yes << QStringList{folderExists} << "";
    QTest::newRow("folder") << "alpha/" << "beta" << yes << QStringList{} << "beta/";
    QTest::newRow("bookmark, empty") << "Alpha.obk" << "" << yes << QStringList{"You must specify a file name."} << "";
    QTest::newRow("bookmark, forbidden") << "Alpha.obk" << "a\"b" << yes << QStringList{kForbiddenFile} << "";
    QTest::newRow("bookmark, case only") << "Alpha.obk" << "alpha" << yes << QStringList{} << "";
    QTest::newRow("bookmark, taken") << "Alpha.obk" << "other" << yes << QStringList{fileExists} << "";
    QTest::newRow("bookmark") << "Alpha.obk" << "Gamma" << no << QStringList{} << "Gamma.obk";
    QTest::newRow("read-only, No")
        << "ro.obk" << "rw" << no
        << QStringList{"Are you sure you want to rename the read-only file 'ro.obk'\nto 'rw.obk'?"} << "";
    QTest::newRow("hidden, Yes")
        << ".h.obk" << "shown" << yes
        << QStringList{"Are you sure you want to rename the hidden file '.h.obk'\nto 'shown.obk'?"} << "shown.obk";
}

void TestBookmarkEdits::renames()
{
    QFETCH(QString, item);
    QFETCH(QString, newName);
    QFETCH(int, answer);
    QFETCH(QStringList, texts);
    QFETCH(QString, renamed);
    TestHome home;
    ScriptedPrompter prompts;
    prompts.setDefaultMessageAnswer(MsgAnswer(answer));
    const QString root = home.path() + "/store";
    layOutStore(root, {"alpha/", "Alpha.obk=/a", "other/", "other.obk=/o", "ro.obk=/r", ".h.obk=/h"});
    makeReadOnly(root + "/ro.obk");
    const QStringList before = storeSnapshot(root);

    const bool folder = item.endsWith('/');
    const QString path = root + '/' + item.chopped(folder ? 1 : 0);
    const QString result = folder ? RenameBookmarkFolder(path, newName) : RenameBookmarkFile(path, newName);

    QStringList shown;
    for (const QString &text : prompts.texts())
        shown << text.section('\n', 0, 1);
    QCOMPARE(shown, texts);
    QCOMPARE(result, renamed.isEmpty() ? QString() : root + '/' + renamed.chopped(folder ? 1 : 0));
    if (renamed.isEmpty()) {
        QCOMPARE(storeSnapshot(root), before);
        return;
    }
    QStringList after = before;
    const int at = after.indexOf(folder ? item : item + '=' + readBookmark(result).path);
    QVERIFY2(at >= 0, "the content goes along unchanged");
    after[at].replace(0, item.size(), renamed);
    after.sort();
    QCOMPARE(storeSnapshot(root), after);
}

void TestBookmarkEdits::deletes_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("info");
    QTest::addColumn<QStringList>("left");

    const int yes = int(MsgAnswer::Yes);
    const QString folderQuestion = "Are you sure you want to delete the folder 'F' and all its contents?";
    QTest::newRow("folder, Yes") << "F/" << yes << folderQuestion << "objects: 3" << QStringList{"ro.obk=/r"};
    QTest::newRow("folder, No") << "F/" << int(MsgAnswer::No) << folderQuestion << "objects: 3"
                                << QStringList{"F/", "F/a.obk=/a", "F/b.obk=/b", "F/sub/", "ro.obk=/r"};
    QTest::newRow("read-only file") << "ro.obk" << yes << "Are you sure you want to delete the read-only file 'ro.obk'?"
                                    << "size: 40 bytes"
                                    << QStringList{"F/", "F/a.obk=/a", "F/b.obk=/b", "F/sub/"};
}

void TestBookmarkEdits::deletes()
{
    QFETCH(QString, item);
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    TestHome home;
    ScriptedPrompter prompts;
    prompts.setDefaultMessageAnswer(MsgAnswer(answer));
    const QString root = home.path() + "/store";
    layOutStore(root, {"F/a.obk=/a", "F/b.obk=/b", "F/sub/", "ro.obk=/r"});
    makeReadOnly(root + "/ro.obk");

    const bool folder = item.endsWith('/');
    const QString path = root + '/' + item.chopped(folder ? 1 : 0);
    QCOMPARE(folder ? DeleteBookmarkFolder(path) : DeleteBookmarkFile(path), answer == int(MsgAnswer::Yes));
    QCOMPARE(prompts.records().size(), 1u);
    QCOMPARE(prompts.records().front().caption, folder ? "Confirm Folder Delete" : "Confirm File Delete");
    const QStringList lines = prompts.texts().front().split('\n');
    QTEST(lines.value(0), "question");
    QTEST(lines.value(1), "info");
    QCOMPARE(storeSnapshot(root), left);
}

void TestBookmarkEdits::newFoldersAreNumbered()
{
    TestHome home;
    ScriptedPrompter prompts;
    const QString root = home.path() + "/store";
    layOutStore(root, {"full/New Folder/", "full/New Folder 1"});
    for (const char *name : {"New Folder", "New Folder 1", "New Folder 2"})
        QCOMPARE(CreateNewBookmarkFolder(root), root + '/' + name);
    QVERIFY(prompts.texts().isEmpty());

    QCOMPARE(CreateNewBookmarkFolder(root + "/full"), QString());
    QCOMPARE(prompts.texts(), QStringList{"Cannot create the folder."});
    QCOMPARE(prompts.records().front().caption, QStringLiteral("Error Creating Folder"));
}

// Every row starts from the same store; "dst" holds a plain and a read-only bookmark named like two in
// "src". Sources are relative to the root, answers are given to the replace questions in turn.
void TestBookmarkEdits::moves_data()
{
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("changes");  // "-entry" gone, "+entry" new, against the starting store

    const int yes = int(ReplaceAnswer::Yes), all = int(ReplaceAnswer::YesToAll);
    const int no = int(ReplaceAnswer::No), cancel = int(ReplaceAnswer::Cancel);
    const QString plainAsked = "This folder already contains a file named 'a.obk'.";
    const QString readOnlyAsked = "This folder already contains a read-only file named 'r.obk'.";
    const QString selfMove = "Cannot move the folder 'src' into itself or into one of its sub-folders.";
    QTest::newRow("free name") << QStringList{"src/n.obk"} << "dst" << QList<int>{} << QStringList{}
                               << QStringList{"-src/n.obk=/src-n", "+dst/n.obk=/src-n"};
    QTest::newRow("replace, Yes") << QStringList{"src/a.obk"} << "dst" << QList<int>{yes} << QStringList{plainAsked}
                                  << QStringList{"-src/a.obk=/src-a", "-dst/a.obk=/dst-a", "+dst/a.obk=/src-a"};
    QTest::newRow("replace, No") << QStringList{"src/a.obk", "src/n.obk"} << "dst" << QList<int>{no}
                                 << QStringList{plainAsked} << QStringList{"-src/n.obk=/src-n", "+dst/n.obk=/src-n"};
    QTest::newRow("replace, Cancel") << QStringList{"src/a.obk", "src/n.obk"} << "dst" << QList<int>{cancel}
                                     << QStringList{plainAsked} << QStringList{};
    QTest::newRow("Yes To All is per kind")
        << QStringList{"src/a.obk", "src/r.obk", "src2/a.obk"} << "dst" << QList<int>{all, no}
        << QStringList{plainAsked, readOnlyAsked}
        << QStringList{"-src/a.obk=/src-a", "-dst/a.obk=/dst-a", "-src2/a.obk=/src2-a", "+dst/a.obk=/src2-a"};
    QTest::newRow("already in the folder") << QStringList{"dst/a.obk"} << "dst" << QList<int>{yes} << QStringList{}
                                           << QStringList{};
    QTest::newRow("folder into itself") << QStringList{"src"} << "src" << QList<int>{} << QStringList{selfMove}
                                        << QStringList{};
    QTest::newRow("folder into its sub-folder") << QStringList{"src"} << "src/deep" << QList<int>{}
                                                << QStringList{selfMove} << QStringList{};
    QTest::newRow("folder onto a folder of its name") << QStringList{"src2/src"} << "." << QList<int>{}
                                                      << QStringList{"Cannot move the file."} << QStringList{};
    QTest::newRow("folder") << QStringList{"src2"} << "dst" << QList<int>{} << QStringList{}
                            << QStringList{"-src2/", "-src2/a.obk=/src2-a", "-src2/src/", "+dst/src2/",
                                           "+dst/src2/a.obk=/src2-a", "+dst/src2/src/"};
}

void TestBookmarkEdits::moves()
{
    QFETCH(QStringList, sources);
    QFETCH(QString, target);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, changes);
    TestHome home;
    ScriptedPrompter prompts;
    for (int answer : answers)
        prompts.queueReplaceAnswer(ReplaceAnswer(answer));
    const QString root = home.path() + "/store";
    layOutStore(root, {"src/a.obk=/src-a", "src/r.obk=/src-r", "src/n.obk=/src-n", "src/deep/", "src2/a.obk=/src2-a",
                       "src2/src/", "dst/a.obk=/dst-a", "dst/r.obk=/dst-r"});
    makeReadOnly(root + "/dst/r.obk");
    QStringList expected = storeSnapshot(root);
    for (const QString &change : changes) {
        if (change.startsWith('-'))
            QVERIFY2(expected.removeOne(change.mid(1)), qPrintable(change));
        else
            expected << change.mid(1);
    }
    expected.sort();

    QStringList paths;
    for (const QString &source : sources)
        paths << root + '/' + source;
    CBookmarkMover mover;
    QCOMPARE(mover.MoveInto(paths, root + '/' + target), !answers.contains(int(ReplaceAnswer::Cancel)));
    QTEST(prompts.texts(), "asked");
    QCOMPARE(storeSnapshot(root), expected);
}

QTEST_GUILESS_MAIN(TestBookmarkEdits)
#include "tst_bookmarkedits.moc"
