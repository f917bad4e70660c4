#include "finder/app/tempfolder.h"
#include "finder/browser/archiveservice.h"
#include "finder/browser/orvelarchivetree.h"
#include "finder/browser/treelevels.h"
#include "platform/events.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using orv::COrvelArchiveTree;
using orv::test::readFile;
using orv::test::writeFile;

namespace {

const QStringList kTypes{"ZIP", "JAR", "RAR", "7Z", "CAB", "GZ", "TGZ", "TAR", "ISO", "BZ2", "XZ", "001"};

// The names of a node's children, an expandable one followed by "+".
QStringList childTexts(const QTreeWidgetItem *node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem *child = node->child(i);
        const bool expandable = child->childCount() == 1 && COrvelArchiveTree::isPlaceholder(child->child(0));
        texts << child->text(0) + (expandable ? "+" : "");
    }
    return texts;
}

void doubleClick(QTreeWidget &tree, const QTreeWidgetItem *item)
{
    const QPoint centre = tree.visualItemRect(item).center();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, centre);
}

bool holdsOnlyPlaceholder(const QTreeWidgetItem *node)
{
    return node->childCount() == 1 && COrvelArchiveTree::isPlaceholder(node->child(0));
}

}  // namespace

// A tree over one drive whose mount point is a folder of archives made by the real tools at the start.
class TestArchiveTree : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_root;
    QString m_tarName;  // the name the gzip reader gives the tar inside b.tgz

    QString at(const QString &relative) const { return m_root + '/' + relative; }
    void run(const QString &program, const QStringList &arguments, const QString &folder);
    void makeFixtures();
    void setUp(COrvelArchiveTree &tree, const QString &drive = {}) const;
    QTreeWidgetItem *expanded(COrvelArchiveTree &tree, const QString &relative) const;

private Q_SLOTS:
    void initTestCase();
    void levelsLoadOnExpansion();
    void levelsOfEveryKind_data();
    void levelsOfEveryKind();
    void levelOfAPathInOtherCase();
    void keptListingsGiveTheSameLevels_data();
    void keptListingsGiveTheSameLevels();
    void changedArchiveIsReadAgain_data();
    void changedArchiveIsReadAgain();
    void statusTexts_data();
    void statusTexts();
    void openFailureMessage_data();
    void openFailureMessage();
    void selectPathRebuildsThePath_data();
    void selectPathRebuildsThePath();
    void openingAFile_data();
    void openingAFile();
    void openingWithoutTemporaryFolder();
    void passwordAskedOncePerExpansion();
    void statusFollowsALaterPassword_data();
    void statusFollowsALaterPassword();
    void drivesComeAndGo();
};

void TestArchiveTree::run(const QString &program, const QStringList &arguments, const QString &folder)
{
    const orv::test::ProcessRun run = orv::test::runProcess(program, arguments, folder);
    QVERIFY2(run.ok(), qPrintable(program + ": " + run.err));
}

void TestArchiveTree::makeFixtures()
{
    const QString src = m_dir.path() + "/src";
    QVERIFY(writeFile(src + "/z/deep/only/x.txt", "x"));
    QVERIFY(QDir().mkpath(src + "/z/emptydir"));
    QVERIFY(writeFile(src + "/z/top.txt", "top of the zip\n"));
    run("zip", {"-q", "-X", src + "/z/inner.zip", "top.txt"}, src + "/z");
    run("zip", {"-q", "-X", "-r", at("a.zip"), "deep", "emptydir", "top.txt", "inner.zip"}, src + "/z");

    QVERIFY(writeFile(src + "/t/docs/x.txt", "tar x"));
    QVERIFY(writeFile(src + "/t/Docs/y.txt", "tar y"));
    QVERIFY(writeFile(src + "/t/top.txt", "tar top"));
    run("tar", {"-czf", at("b.tgz"), "docs", "Docs", "top.txt"}, src + "/t");

    QVERIFY(writeFile(src + "/s/dir/f.txt", "secret"));
    QVERIFY(writeFile(src + "/s/top.txt", "secret top"));
    run("7z", {"a", "-bd", "-y", "-pPW", "-mhe=on", at("secret/c.7z"), "dir", "top.txt"}, src + "/s");

    // Plain ISO 9660 names, so the listing is the same whichever directory tree the reader takes.
    QVERIFY(writeFile(src + "/i/DISC/README.TXT", "on the disc"));
    run("genisoimage", {"-quiet", "-R", "-J", "-o", at("d.iso"), "."}, src + "/i");

    // Beside the drive: a plain 7z, a zip without folder entries, and two zips of one size.
    run("7z", {"a", "-bd", "-y", m_dir.path() + "/kept/e.7z", "docs", "Docs", "top.txt"}, src + "/t");
    run("zip", {"-q", "-X", "-D", "-r", m_dir.path() + "/kept/f.zip", "deep"}, src + "/z");
    QVERIFY(writeFile(src + "/p/p.txt", "same size"));
    QVERIFY(writeFile(src + "/p/q.txt", "same size"));
    run("zip", {"-q", "-X", src + "/p.zip", "p.txt"}, src + "/p");
    run("zip", {"-q", "-X", src + "/q.zip", "q.txt"}, src + "/p");

    QVERIFY(writeFile(at("broken.zip"), QByteArray("PK\x03\x04", 4) + QByteArray(200, '\x11')));
    QVERIFY(writeFile(at("docs/sub/deeper/n.txt"), "n"));
    QVERIFY(writeFile(at("docs/note.txt"), "not an archive"));
    QVERIFY(writeFile(at("docs/only.zip"), readFile(src + "/z/inner.zip")));
    const QByteArray whole = readFile(at("a.zip"));
    QVERIFY(writeFile(at("docs/sub/cut.zip"), whole.left(whole.size() / 2)));
    QVERIFY(QDir().mkpath(at("empty")));
    QVERIFY(writeFile(at("notes.txt"), "not shown"));
}

void TestArchiveTree::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_root = m_dir.path() + "/drive";
    QVERIFY(QDir().mkpath(m_root));
    makeFixtures();

    orv::CArchiveService service;
    COrvelArchiveTree tree(service);
    setUp(tree);
    QTreeWidgetItem *archive = expanded(tree, "b.tgz");
    QVERIFY(archive && archive->childCount() == 1);
    m_tarName = archive->child(0)->text(0);
    QVERIFY(m_tarName.endsWith(".tar"));
}

void TestArchiveTree::setUp(COrvelArchiveTree &tree, const QString &drive) const
{
    tree.service().layer().SetArchiveExtensions(kTypes);
    tree.setDrives({{drive.isEmpty() ? m_root : drive, "Test", orv::DriveType::Fixed}});
    tree.service().setTemporaryFolder(m_dir.path() + "/opened");
    tree.Fill();
}

QTreeWidgetItem *TestArchiveTree::expanded(COrvelArchiveTree &tree, const QString &relative) const
{
    QTreeWidgetItem *node = tree.SelectPath(relative.isEmpty() ? m_root : at(relative));
    if (node && tree.nodePath(node) == (relative.isEmpty() ? m_root : at(relative)))
        tree.ExpandNode(node);
    return node;
}

void TestArchiveTree::levelsLoadOnExpansion()
{
    orv::CArchiveService service;
    COrvelArchiveTree tree(service);
    setUp(tree);
    QCOMPARE(tree.topLevelItemCount(), 1);
    QTreeWidgetItem *root = tree.topLevelItem(0);
    QCOMPARE(root->text(0), "Test (" + m_root + ")");
    QCOMPARE(tree.currentItem(), root);
    QVERIFY(holdsOnlyPlaceholder(root));
    QCOMPARE(root->checkState(0), Qt::Unchecked);

    tree.expandItem(root);
    QCOMPARE(root->childCount(), 7);
    tree.collapseItem(root);
    QVERIFY(holdsOnlyPlaceholder(root));
    tree.expandItem(root);
    QCOMPARE(root->childCount(), 7);
    for (int i = 0; i < root->childCount(); ++i)
        QVERIFY(root->child(i)->flags() & Qt::ItemIsUserCheckable);
}

void TestArchiveTree::levelsOfEveryKind_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<QStringList>("children");

    QTest::newRow("drive: folders first, then archives")
        << "" << QStringList{"docs+", "empty", "secret+", "a.zip+", "b.tgz+", "broken.zip+", "d.iso+"};
    QTest::newRow("folder with only deeper folders") << "docs" << QStringList{"sub+", "only.zip+"};
    QTest::newRow("zip: empty folder has no button, inner zip is a leaf")
        << "a.zip" << QStringList{"deep+", "emptydir", "inner.zip", "top.txt"};
    QTest::newRow("zip folder holding only a folder") << "a.zip/deep" << QStringList{"only+"};
    QTest::newRow("zip inside zip does not open") << "a.zip/inner.zip" << QStringList{};
    QTest::newRow("tgz shows its tar alone") << "b.tgz" << QStringList{m_tarName + "+"};
    QTest::newRow("the tar level, folders differing in case alone apart")
        << "b.tgz/" + m_tarName << QStringList{"Docs+", "docs+", "top.txt"};
    QTest::newRow("folder of the tar") << "b.tgz/" + m_tarName + "/docs" << QStringList{"x.txt"};
    QTest::newRow("its twin in other case") << "b.tgz/" + m_tarName + "/Docs" << QStringList{"y.txt"};
    QTest::newRow("iso") << "d.iso" << QStringList{"DISC+"};
    QTest::newRow("iso folder") << "d.iso/DISC" << QStringList{"README.TXT"};
    QTest::newRow("broken zip stays empty") << "broken.zip" << QStringList{};
}

void TestArchiveTree::levelsOfEveryKind()
{
    QFETCH(QString, node);
    QFETCH(QStringList, children);
    orv::ScriptedPrompter prompter;
    orv::CArchiveService service;
    COrvelArchiveTree tree(service);
    setUp(tree);
    QTreeWidgetItem *item = expanded(tree, node);
    QVERIFY(item);
    QCOMPARE(tree.nodePath(item), node.isEmpty() ? m_root : at(node));
    QCOMPARE(childTexts(item), children);
}

// Nodes list their levels by their own paths; a path in other case lists the level of the folder that
// differs from it in case alone.
void TestArchiveTree::levelOfAPathInOtherCase()
{
    orv::CArchiveAccess access;
    access.SetArchiveExtensions(kTypes);
    const orv::ArchiveLevel level = orv::listArchiveLevel(access, at("a.zip"), orv::ArchiveKind::Zip, "DEEP");
    QVERIFY(level.opened);
    QCOMPARE(level.folders.size(), 1);
    QCOMPARE(level.folders[0].name, "only");
    QVERIFY(level.folders[0].expandable);
}

void TestArchiveTree::keptListingsGiveTheSameLevels_data()
{
    QTest::addColumn<QString>("node");  // below the test's folder
    QTest::addColumn<bool>("kept");     // the second expansion opens nothing

    QTest::newRow("zip") << "drive/a.zip" << true;
    QTest::newRow("zip: folders implied by paths alone") << "kept/f.zip/deep" << true;
    QTest::newRow("tgz: its tar alone") << "drive/b.tgz" << true;
    QTest::newRow("tgz: the tar level") << "drive/b.tgz/" + m_tarName << true;
    QTest::newRow("7z") << "kept/e.7z" << true;
    QTest::newRow("iso folder") << "drive/d.iso/DISC" << true;
    QTest::newRow("7z with encrypted names") << "drive/secret/c.7z" << false;
    QTest::newRow("a folder of it, read with the kept password") << "drive/secret/c.7z/dir" << false;
}

// With the catalogue, a level is what the archive itself gives, and an archive read once is not opened
// again to be expanded, unless its names may be secret.
void TestArchiveTree::keptListingsGiveTheSameLevels()
{
    QFETCH(QString, node);
    QFETCH(bool, kept);
    const orv::test::TestHome home;
    orv::ScriptedPrompter prompter;
    prompter.setDefaultPassword(QStringLiteral("PW"));
    const QString path = m_dir.path() + '/' + node;
    const auto levelOf = [&](COrvelArchiveTree &tree) {
        setUp(tree, m_dir.path());
        QTreeWidgetItem *item = tree.SelectPath(path);
        tree.ExpandNode(item);
        return childTexts(item);
    };
    orv::CArchiveService plain;
    COrvelArchiveTree plainTree(plain);
    const QStringList children = levelOf(plainTree);
    QVERIFY(!children.isEmpty());

    int opens = 0;
    orv::CArchiveService service([&opens](orv::ArchiveKindCode kind) {
        ++opens;
        return orv::createUnpackerOfKind(kind);
    });
    service.setCatalogueEnabled(true);
    COrvelArchiveTree tree(service);
    QCOMPARE(levelOf(tree), children);
    QTreeWidgetItem *item = tree.loadedNode(path);
    tree.CollapseNode(item);
    const int before = opens;
    tree.ExpandNode(item);
    QCOMPARE(childTexts(item), children);
    QCOMPARE(opens == before, kept);
}

void TestArchiveTree::changedArchiveIsReadAgain_data()
{
    QTest::addColumn<bool>("byRefreshEvent");
    QTest::addColumn<bool>("keepListings");
    QTest::newRow("collapse and expand") << false << false;
    QTest::newRow("refresh of the folder above") << true << false;
    QTest::newRow("collapse and expand, listings kept") << false << true;
}

// Rewritten in place to the same size: only its times tell the new archive from the old.
void TestArchiveTree::changedArchiveIsReadAgain()
{
    QFETCH(bool, byRefreshEvent);
    QFETCH(bool, keepListings);
    const orv::test::TestHome home;
    const QString drive = m_dir.path() + "/changing";
    const QByteArray before = readFile(m_dir.path() + "/src/p.zip");
    const QByteArray after = readFile(m_dir.path() + "/src/q.zip");
    QCOMPARE(after.size(), before.size());
    QVERIFY(writeFile(drive + "/m.zip", before));
    orv::CArchiveService service;
    service.setCatalogueEnabled(keepListings);
    COrvelArchiveTree tree(service);
    setUp(tree, drive);
    QTreeWidgetItem *archive = tree.SelectPath(drive + "/m.zip");
    tree.expandItem(archive);
    QCOMPARE(childTexts(archive), QStringList{"p.txt"});

    QVERIFY(writeFile(drive + "/m.zip", after));
    QFile changed(drive + "/m.zip");
    QVERIFY(changed.open(QIODevice::ReadWrite));
    QVERIFY(changed.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    changed.close();
    if (byRefreshEvent) {
        orv::sendOrvEvent(&tree, orv::Ev::TreeRefresh, orv::Ev::TreeRefreshDone, drive);
        archive = tree.loadedNode(drive + "/m.zip");
        QVERIFY(archive && archive->isExpanded());
    } else {
        tree.collapseItem(archive);
        tree.expandItem(archive);
    }
    QCOMPARE(childTexts(archive), QStringList{"q.txt"});
    QVERIFY(QFile::remove(drive + "/m.zip"));
}

void TestArchiveTree::statusTexts_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<bool>("suppressed");
    QTest::addColumn<QString>("start");  // the text, or its start when it ends in "..."

    QTest::newRow("drive") << "" << false << "Objects: 7 (including archives: 4)";
    QTest::newRow("folder") << "docs" << false << "Objects: 2 (including archives: 1)";
    QTest::newRow("empty folder") << "empty" << false << "Objects: 0 (including archives: 0)";
    QTest::newRow("archive") << "a.zip" << false << "Files - 3, Folders - 3...";
    QTest::newRow("folder in archive") << "a.zip/deep" << false << "Files - 1, Folders - 1...";
    QTest::newRow("file in archive") << "a.zip/top.txt" << false << "...";
    QTest::newRow("file in tar level") << "b.tgz/" + m_tarName + "/top.txt" << false << "...";
    QTest::newRow("unreadable archive") << "broken.zip" << false << "Invalid archive";
    QTest::newRow("archive cut in half") << "docs/sub/cut.zip" << false
                                         << "The archive is damaged: unexpected end of data. Files - ...";
    QTest::newRow("zip while an archive is made") << "a.zip/top.txt" << true << "";
    QTest::newRow("other kinds while an archive is made") << "d.iso" << true << "Files - 1, Folders - 1...";
}

void TestArchiveTree::statusTexts()
{
    QFETCH(QString, node);
    QFETCH(bool, suppressed);
    QFETCH(QString, start);
    orv::ScriptedPrompter prompter;
    orv::CArchiveService service;
    COrvelArchiveTree tree(service);
    setUp(tree);
    tree.service().setSuppressOpenErrors(suppressed);
    QSignalSpy texts(&tree, &COrvelArchiveTree::statusTextChanged);
    QSignalSpy selections(&tree, &COrvelArchiveTree::nodeSelected);
    QVERIFY(tree.SelectPath(node.isEmpty() ? m_root : at(node)));
    QVERIFY(!texts.isEmpty());
    const QString text = texts.last().at(0).toString();
    if (start.endsWith("...")) {
        QVERIFY2(text.startsWith(start.chopped(3)) && text.size() > start.size() - 3, qPrintable(text));
        QVERIFY(!text.contains("Invalid archive"));
    } else {
        QCOMPARE(text, start);
    }
    QCOMPARE(selections.last().at(0).toString(), node.isEmpty() ? m_root : at(node));
    QVERIFY(prompter.records().empty());
}

void TestArchiveTree::openFailureMessage_data()
{
    QTest::addColumn<bool>("suppressed");
    QTest::newRow("shown") << false;
    QTest::newRow("suppressed while an archive is made") << true;
}

void TestArchiveTree::openFailureMessage()
{
    QFETCH(bool, suppressed);
    orv::ScriptedPrompter prompter;
    orv::CArchiveService service;
    COrvelArchiveTree tree(service);
    setUp(tree);
    tree.service().setSuppressOpenErrors(suppressed);
    QTreeWidgetItem *root = tree.topLevelItem(0);
    tree.expandItem(root);
    QTreeWidgetItem *broken = tree.loadedNode(at("broken.zip"));
    QVERIFY(broken);
    tree.expandItem(broken);
    QCOMPARE(broken->childCount(), 0);
    if (suppressed) {
        QVERIFY(prompter.records().empty());
        return;
    }
    QCOMPARE(prompter.records().size(), size_t(1));
    const auto &message = prompter.records().front();
    QCOMPARE(message.caption, "Error Opening Archive");
    QCOMPARE(message.icon, orv::MsgIcon::Error);
    // The ZIP reader's own reason follows after a blank line.
    QVERIFY2(message.text.startsWith("Cannot open the archive.\n\n") && message.text.size() > 26,
             qPrintable(message.text));
}

void TestArchiveTree::selectPathRebuildsThePath_data()
{
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("selected");

    QTest::newRow("inside an archive, any case") << "a.zip/DEEP/Only" << "a.zip/deep/only";
    QTest::newRow("through the tar level") << "b.tgz/" + m_tarName + "/docs/x.txt"
                                           << "b.tgz/" + m_tarName + "/docs/x.txt";
    QTest::newRow("disc image") << "d.iso/disc/readme.txt" << "d.iso/DISC/README.TXT";
    QTest::newRow("missing part stops at the deepest node") << "docs/missing/x" << "docs";
    QTest::newRow("trailing separator") << "docs/sub/" << "docs/sub";
}

void TestArchiveTree::selectPathRebuildsThePath()
{
    QFETCH(QString, requested);
    QFETCH(QString, selected);
    orv::ScriptedPrompter prompter;
    orv::CArchiveService service;
    COrvelArchiveTree tree(service);
    setUp(tree);
    QTreeWidgetItem *node = tree.SelectPath(at(requested));
    QVERIFY(node);
    QCOMPARE(tree.currentItem(), node);
    QCOMPARE(tree.nodePath(node), at(selected));
    QVERIFY(prompter.records().empty());
}

void TestArchiveTree::openingAFile_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("node");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<QString>("opened");  // the file handed to its program; empty when none
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("double-click a file in a zip") << true << "a.zip/top.txt" << false << "top.txt"
                                                  << QByteArray("top of the zip\n");
    QTest::newRow("enter on a file in a tar") << true << "b.tgz/" + m_tarName + "/docs/x.txt" << true << "x.txt"
                                              << QByteArray("tar x");
    QTest::newRow("double-click with opening off") << false << "a.zip/top.txt" << false << "" << QByteArray();
    QTest::newRow("enter with opening off") << false << "a.zip/top.txt" << true << "" << QByteArray();
    QTest::newRow("folder in an archive") << true << "a.zip/deep" << true << "" << QByteArray();
    QTest::newRow("archive itself") << true << "a.zip" << true << "" << QByteArray();
}

void TestArchiveTree::openingAFile()
{
    QFETCH(bool, enabled);
    QFETCH(QString, node);
    QFETCH(bool, byEnter);
    QFETCH(QString, opened);
    QFETCH(QByteArray, bytes);
    orv::ScriptedPrompter prompter;
    orv::CArchiveService service;
    COrvelArchiveTree tree(service);
    setUp(tree);
    QDir(m_dir.path() + "/opened").removeRecursively();
    QVERIFY(QDir().mkpath(m_dir.path() + "/opened"));
    tree.setOpenOnDoubleClick(enabled);
    QStringList launched;
    QByteArray launchedBytes;
    tree.service().setFileLauncher([&](const QString &path) {
        launched << path;
        launchedBytes = readFile(path);
        return true;
    });
    tree.resize(600, 400);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    QTreeWidgetItem *item = tree.SelectPath(at(node));
    QCOMPARE(tree.nodePath(item), at(node));
    const bool wasExpanded = item->isExpanded();

    if (byEnter)
        QTest::keyClick(&tree, Qt::Key_Return);
    else
        doubleClick(tree, item);

    if (opened.isEmpty()) {
        QVERIFY(launched.isEmpty());
    } else {
        QCOMPARE(launched, QStringList{m_dir.path() + "/opened/" + opened});
        QCOMPARE(launchedBytes, bytes);
    }
    QCOMPARE(item->isExpanded(), wasExpanded);
    QVERIFY(prompter.records().empty());
}

// The message names the places tried instead of blaming the archive as the unpack error does.
void TestArchiveTree::openingWithoutTemporaryFolder()
{
    orv::ScriptedPrompter prompter;
    orv::CArchiveService service;
    service.layer().SetArchiveExtensions(kTypes);
    QStringList launched;
    service.setFileLauncher([&launched](const QString &path) {
        launched << path;
        return true;
    });
    QVERIFY(!service.OpenFile(at("a.zip/top.txt")));
    QVERIFY(launched.isEmpty());
    QCOMPARE(prompter.texts().size(), 1);
    const QString text = prompter.texts().first();
    QVERIFY2(text.contains("top.txt") && text.contains(orv::temporaryFolderPlaces().last()), qPrintable(text));
    QVERIFY2(!text.contains("Cannot unpack"), qPrintable(text));
}

void TestArchiveTree::passwordAskedOncePerExpansion()
{
    orv::ScriptedPrompter prompter;
    prompter.setDefaultPassword(QStringLiteral("PW"));
    const auto passwordsAsked = [&] { return prompter.count(orv::ScriptedPrompter::Record::Password); };
    orv::CArchiveService service;
    COrvelArchiveTree tree(service);
    setUp(tree);
    QTreeWidgetItem *folder = tree.SelectPath(at("secret"));
    tree.expandItem(folder);
    QTreeWidgetItem *archive = tree.loadedNode(at("secret/c.7z"));
    QVERIFY(archive);

    tree.expandItem(archive);
    QCOMPARE(childTexts(archive), (QStringList{"dir+", "top.txt"}));
    QCOMPARE(passwordsAsked(), 1);
    QCOMPARE(tree.service().passwords().entries(orv::ArchiveKind::SevenZip).size(), 1);

    tree.expandItem(archive->child(0));
    QCOMPARE(childTexts(archive->child(0)), QStringList{"f.txt"});
    QSignalSpy texts(&tree, &COrvelArchiveTree::statusTextChanged);
    tree.setCurrentItem(archive->child(0)->child(0));
    QVERIFY(!texts.isEmpty() && !texts.last().at(0).toString().contains("Invalid"));
    QCOMPARE(passwordsAsked(), 1);

    tree.setCurrentItem(folder);
    tree.collapseItem(archive);
    QVERIFY(tree.service().passwords().entries(orv::ArchiveKind::SevenZip).isEmpty());
    tree.expandItem(archive);
    QCOMPARE(childTexts(archive), (QStringList{"dir+", "top.txt"}));
    QCOMPARE(passwordsAsked(), 2);
    QVERIFY(prompter.texts().filter("Cannot").isEmpty());
}

void TestArchiveTree::statusFollowsALaterPassword_data()
{
    QTest::addColumn<QStringList>("passwords");  // on selecting, then on expanding; empty for Cancel
    QTest::addColumn<bool>("opened");

    QTest::newRow("cancelled, then given") << QStringList{"", "PW"} << true;
    QTest::newRow("wrong, then right") << QStringList{"pw", "PW"} << true;
    QTest::newRow("cancelled twice") << QStringList{"", ""} << false;
}

// The archive's node stays selected: the line must not keep "Invalid archive" once the archive opens.
void TestArchiveTree::statusFollowsALaterPassword()
{
    QFETCH(QStringList, passwords);
    QFETCH(bool, opened);
    orv::ScriptedPrompter prompter;
    for (const QString &password : passwords)
        prompter.queuePassword(password.isEmpty() ? std::nullopt : std::optional<QString>(password));
    orv::CArchiveService service;
    COrvelArchiveTree tree(service);
    setUp(tree);
    tree.expandItem(tree.SelectPath(at("secret")));
    QSignalSpy texts(&tree, &COrvelArchiveTree::statusTextChanged);
    QTreeWidgetItem *archive = tree.loadedNode(at("secret/c.7z"));
    tree.setCurrentItem(archive);
    QCOMPARE(texts.last().at(0).toString(), QStringLiteral("Invalid archive"));

    tree.expandItem(archive);
    QCOMPARE(archive->childCount() > 0, opened);
    QCOMPARE(texts.last().at(0).toString() == QStringLiteral("Invalid archive"), !opened);
}

void TestArchiveTree::drivesComeAndGo()
{
    const QString second = m_dir.path() + "/src";
    orv::CArchiveService service;
    COrvelArchiveTree tree(service);
    setUp(tree);
    tree.expandItem(tree.topLevelItem(0));
    tree.RefreshDrives({{m_root, "Test", orv::DriveType::Fixed}, {second, "Stick", orv::DriveType::Removable}});
    QCOMPARE(tree.topLevelItemCount(), 2);
    QCOMPARE(tree.topLevelItem(1)->text(0), "Stick (" + second + ")");
    QVERIFY(holdsOnlyPlaceholder(tree.topLevelItem(1)));
    QCOMPARE(tree.topLevelItem(0)->childCount(), 7);
    tree.RemoveDrive(second);
    QCOMPARE(tree.topLevelItemCount(), 1);
    QCOMPARE(tree.nodePath(tree.topLevelItem(0)), m_root);
}

QTEST_MAIN(TestArchiveTree)
#include "tst_archivetree.moc"
