#include "finder/bookmarks/addbookmark.h"
#include "finder/bookmarks/bookmarkfile.h"
#include "finder/bookmarks/bookmarktree.h"
#include "tests/finder/bookmarks/bookmarkfixtures.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QtTest>

using namespace orv;
using orv::test::readFile;
using orv::test::TestHome;
using orv::test::writeFile;

namespace {

QStringList names(const std::vector<CBookmarks> &nodes)
{
    QStringList out;
    for (const CBookmarks &node : nodes)
        out << node.strName;
    return out;
}

}  // namespace

class TestBookmarkStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rootIsMadeAtStart();
    void fileIsWrittenKeyByKey();
    void readingFillsMissingKeys_data();
    void readingFillsMissingKeys();
    void loadingSortsAndNumbers();
    void folderChoicesGoDepthFirst();
    void newFolderRefusals_data();
    void newFolderRefusals();
    void newLabelChecks_data();
    void newLabelChecks();
};

void TestBookmarkStore::rootIsMadeAtStart()
{
    TestHome home;
    const QString root = bookmarksRootPath();
    // Beside the settings file, in the roaming application data.
    QCOMPARE(root, qEnvironmentVariable("XDG_CONFIG_HOME") + "/Orvel Systems/Orvel-ZIP Finder/Bookmarks/Archive Bookmarks");
    QVERIFY(!StoreHasEntries(root));
    EnsureBookmarksRoot(root);
    QVERIFY(QFileInfo(root).isDir());
    QVERIFY(!StoreHasEntries(root));
    QVERIFY(writeFile(root + "/readme.txt", "x"));
    QVERIFY2(StoreHasEntries(root), "any file counts, not only bookmarks");
}

// A path longer than any fixed buffer comes back whole; the keys go in the order Type, Icon, Path.
void TestBookmarkStore::fileIsWrittenKeyByKey()
{
    TestHome home;
    const QString file = home.path() + "/a.obk";
    const QString longPath = "/data/" + QString(400, QLatin1Char('x')) + ".zip/inner/f.txt";
    QVERIFY(writeBookmark(file, {BookmarkType::InsideArchive, BookmarkIcon::FileInArchive, longPath}));
    QCOMPARE(readFile(file), "[ArchiveBookmark]\nType=2\nIcon=3\nPath=" + longPath.toUtf8() + "\n");
    QCOMPARE(readBookmark(file).path, longPath);
}

void TestBookmarkStore::readingFillsMissingKeys_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("path");

    QTest::newRow("complete") << QByteArray("[ArchiveBookmark]\nType=1\nIcon=0\nPath=/srv\n") << 1 << 0 << "/srv";
    QTest::newRow("no Path") << QByteArray("[ArchiveBookmark]\nType=0\nIcon=1\n") << 0 << 1 << "Empty";
    QTest::newRow("no Type, no Icon") << QByteArray("[archivebookmark]\npath=/a.zip\n") << 0 << -1 << "/a.zip";
    QTest::newRow("empty file") << QByteArray() << 0 << -1 << "Empty";
}

void TestBookmarkStore::readingFillsMissingKeys()
{
    QFETCH(QByteArray, content);
    TestHome home;
    QVERIFY(writeFile(home.path() + "/b.obk", content));
    const BookmarkRecord record = readBookmark(home.path() + "/b.obk");
    QTEST(record.type, "type");
    QTEST(record.icon, "icon");
    QTEST(record.path, "path");
}

void TestBookmarkStore::loadingSortsAndNumbers()
{
    TestHome home;
    const QString root = home.path() + "/store";
    test::layOutStore(root, {"beta.obk=/b", "Alpha.OBK=/a", "gamma.obk=/g", "notes.obk.txt", "zeta/",
                             "Beta folder/inner.obk=/i", "Beta folder/sub/"});
    CBookmarkTree tree;
    tree.Load(root);
    const CBookmarks &top = tree.root();
    QCOMPARE(names(top.folders), (QStringList{"Beta folder", "zeta"}));
    QCOMPARE(names(top.bookmarks), (QStringList{"Alpha", "beta", "gamma"}));
    QCOMPARE(top.folders[0].folders.size(), 1u);

    QList<int> ids;
    for (const CBookmarks *b : {&top.bookmarks[0], &top.bookmarks[1], &top.bookmarks[2], &top.folders[0].bookmarks[0]}) {
        ids << b->nCommandId;
        QCOMPARE(tree.FindById(b->nCommandId), b);
    }
    std::sort(ids.begin(), ids.end());
    QCOMPARE(ids, (QList<int>{2024, 2025, 2026, 2027}));
    QVERIFY(!tree.FindById(2028));
    QVERIFY(!tree.FindById(1));

    tree.Load(root);
    QCOMPARE(tree.root().bookmarks.size() + tree.root().folders[0].bookmarks.size(), 4u);
    QVERIFY2(!tree.FindById(2028), "ids start at 2024 again at every load");
}

void TestBookmarkStore::folderChoicesGoDepthFirst()
{
    TestHome home;
    const QString root = home.path() + "/Archive Bookmarks";
    test::layOutStore(root, {"b/", "A/x/", "A/w/deep/", "c.obk=/c"});
    QStringList shown;
    for (const BookmarkFolderChoice &choice : bookmarkFolderChoices(root))
        shown << QString(choice.depth, QLatin1Char('-')) + choice.name;
    QCOMPARE(shown, (QStringList{"Archive Bookmarks", "-A", "--w", "---deep", "--x", "-b"}));
}

void TestBookmarkStore::newFolderRefusals_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("created");

    const QString exists = "A folder with this name already exists. Specify a different name.";
    QTest::newRow("forbidden character") << "" << "a*b" << forbiddenFolderNameText() << "";
    QTest::newRow("forbidden before existing") << "" << "old?" << forbiddenFolderNameText() << "";
    QTest::newRow("folder exists") << "" << "old" << exists << "";
    QTest::newRow("file of that name") << "" << "file" << exists << "";
    QTest::newRow("cannot be made") << "/gone" << "new" << "Cannot create the folder." << "";
    QTest::newRow("trimmed") << "/old" << "  Trips  " << "" << "old/Trips";
}

void TestBookmarkStore::newFolderRefusals()
{
    QFETCH(QString, parent);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(QString, created);
    TestHome home;
    ScriptedPrompter prompts;
    const QString root = home.path() + "/store";
    test::layOutStore(root, {"old/", "file"});
    const std::optional<QString> made = CreateBookmarkFolder(root + parent, name);
    QCOMPARE(made.value_or(QString()), created.isEmpty() ? QString() : root + '/' + created);
    if (!created.isEmpty())
        QVERIFY(QFileInfo(root + '/' + created).isDir());
    QCOMPARE(prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty())
        QCOMPARE(prompts.records().front().caption, QStringLiteral("Error Creating Folder"));
}

void TestBookmarkStore::newLabelChecks_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("accepted");

    const QString replace = "A label with this name already exists. Replace the existent label with new?";
    QTest::newRow("new label") << " fresh " << int(MsgAnswer::No) << "" << "" << true;
    QTest::newRow("forbidden character") << "a|b" << int(MsgAnswer::Yes) << forbiddenFileNameText() << "Error Adding Label" << false;
    QTest::newRow("existing, No") << "old" << int(MsgAnswer::No) << replace << "Adding Label" << false;
    QTest::newRow("existing, Yes") << "old" << int(MsgAnswer::Yes) << replace << "Adding Label" << true;
}

// Replacing rewrites the three keys and keeps whatever else the old file held.
void TestBookmarkStore::newLabelChecks()
{
    QFETCH(QString, label);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(QString, caption);
    QFETCH(bool, accepted);
    TestHome home;
    ScriptedPrompter prompts;
    prompts.queueMessageAnswer(MsgAnswer(answer));
    const QString old = home.path() + "/old.obk";
    const QByteArray oldContent = "[ArchiveBookmark]\nType=1\nIcon=0\nPath=/old\nNote=kept\n[Other]\nx=1\n";
    QVERIFY(writeFile(old, oldContent));

    const std::optional<QString> file = CheckNewBookmark(home.path(), label);
    QCOMPARE(file.has_value(), accepted);
    QCOMPARE(prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!caption.isEmpty())
        QCOMPARE(prompts.records().front().caption, caption);
    if (!file) {
        QCOMPARE(readFile(old), oldContent);
        return;
    }
    QCOMPARE(*file, home.path() + '/' + label.trimmed() + ".obk");
    QVERIFY(WriteNewBookmark(*file, "/nowhere/a.zip/f.txt", false));
    if (*file == old)
        QCOMPARE(readFile(old), "[ArchiveBookmark]\nType=2\nIcon=3\nPath=/nowhere/a.zip/f.txt\nNote=kept\n[Other]\nx=1\n");
}

QTEST_GUILESS_MAIN(TestBookmarkStore)
#include "tst_bookmarkstore.moc"
