#include "tests/support/scriptedprompter.h"
#include "ziptools.h"

#include "platform/events.h"
#include "platform/prompts.h"
#include "tests/support/testhome.h"
#include "zip/zippacker.h"
#include "zip/zipunpacker.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {

const QString kPassword = QStringLiteral("Pack pass 9");

QStringList listedPaths(const QString &archive)
{
    CZipUnpacker unpacker;
    QStringList paths;
    if (!unpacker.OpenArchive(archive) || !unpacker.FindFile())
        return paths;
    bool more = true;
    while (more) {
        more = unpacker.FindNextFileW();
        ZIPFILESHORTINFO record;
        if (unpacker.GetFileShortInfo(record))
            paths << (record.bFolder ? record.strPath + u'/' : record.strPath);
    }
    paths.sort();
    return paths;
}

// The entries the archive really holds, as 7-Zip lists them; folders end in "/".
QStringList storedEntries(const QString &archive)
{
    QStringList paths;
    for (const auto &item : sevenZipListing(archive)) {
        const bool folder = item.value(QStringLiteral("Folder")) == QStringLiteral("+");
        paths << item.value(QStringLiteral("Path")) + (folder ? QStringLiteral("/") : QString());
    }
    paths.sort();
    return paths;
}

QMap<QString, QString> itemOf(const QString &archive, const QString &path, const QString &password = {})
{
    for (const auto &item : sevenZipListing(archive, password)) {
        if (item.value(QStringLiteral("Path")) == path)
            return item;
    }
    return {};
}

// Records the refresh requests the archive tree receives.
class TreeRecorder : public QObject
{
public:
    QStringList refreshed;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == Ev::type(Ev::TreeRefresh))
            refreshed << static_cast<OrvEvent *>(event)->text();
        return QObject::event(event);
    }
};

INIPACK settings(int method = 8, int level = 6)
{
    INIPACK ini;
    ini.nCompressionMethod = method;
    ini.nCompressionLevel = level;
    return ini;
}

}  // namespace

class TestZipPacker : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QMap<QString, QByteArray> m_files;
    int m_serial = 0;

    QString source() const { return m_dir.path() + QStringLiteral("/src"); }
    QString src(const QString &relative) const { return source() + u'/' + relative; }
    QString freshArchive() { return m_dir.path() + QStringLiteral("/a%1.zip").arg(++m_serial); }
    static QString stored(const QString &absolute) { return absolute.mid(1); }

    // An archive holding the sample tree, made by the packer.
    QString packedTree(const INIPACK &ini = settings())
    {
        const QString archive = freshArchive();
        CZipPacker packer;
        packer.CreateArchive(archive);
        packer.SetIni(ini);
        packer.AddFolderToArchive(source(), source());
        return archive;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_files = sampleTree();
        QVERIFY(writeTree(source(), m_files));
        QVERIFY(QFile::setPermissions(src(QStringLiteral("a.txt")),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    }

    void pathRules_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<bool>("withoutPaths");
        QTest::addColumn<QStringList>("expected");
        const QString sub = src(QStringLiteral("sub"));
        QTest::newRow("file without paths") << "file" << true << QStringList{QStringLiteral("a.txt")};
        QTest::newRow("file with paths") << "file" << false << QStringList{stored(src(QStringLiteral("a.txt")))};
        QTest::newRow("file into an archive folder") << "file in folder" << true << QStringList{QStringLiteral("docs/x/a.txt")};
        QTest::newRow("folder without paths")
            << "folder" << true
            << QStringList{QStringLiteral("sub/"), QStringLiteral("sub/deeper/"), QStringLiteral("sub/deeper/c.txt"),
                           QStringLiteral("sub/emptydir/"), QStringLiteral("sub/noise.bin")};
        QTest::newRow("folder with paths")
            << "folder" << false
            << QStringList{stored(sub) + u'/', stored(sub) + QStringLiteral("/deeper/"),
                           stored(sub) + QStringLiteral("/deeper/c.txt"), stored(sub) + QStringLiteral("/emptydir/"),
                           stored(sub) + QStringLiteral("/noise.bin")};
        QTest::newRow("folder into an archive folder, not recursive")
            << "folder in folder" << true << QStringList{QStringLiteral("in/sub/"), QStringLiteral("in/sub/noise.bin")};
    }

    void pathRules()
    {
        QFETCH(QString, call);
        QFETCH(bool, withoutPaths);
        QFETCH(QStringList, expected);
        const QString archive = freshArchive();
        INIPACK ini = settings();
        ini.bNewArchive = 1;
        ini.bPackFilesWithoutPaths = withoutPaths;
        ini.bPackFoldersWithoutPaths = withoutPaths;
        CZipPacker packer;
        QVERIFY(packer.CreateArchive(archive));
        packer.SetIni(ini);
        const QString sub = src(QStringLiteral("sub"));
        bool added = false;
        if (call == QStringLiteral("file"))
            added = packer.AddFileToArchive(src(QStringLiteral("a.txt")));
        else if (call == QStringLiteral("file in folder"))
            added = packer.AddFileToArchiveFolder(src(QStringLiteral("a.txt")), QStringLiteral("docs/x"));
        else if (call == QStringLiteral("folder"))
            added = packer.AddFolderToArchive(sub, sub);
        else
            added = packer.AddFolderToArchiveFolder(sub, sub, QStringLiteral("in"), false);
        QVERIFY2(added, qPrintable(packer.GetLastErrorText()));
        QCOMPARE(storedEntries(archive), expected);
        QVERIFY(sevenZipTests(archive));
    }

    void methodsLevelsAndEncryption_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("encryption");  // list index, -1 for none
        QTest::addColumn<QString>("expectedMethod");
        QTest::newRow("level 0 stores") << 8 << 0 << -1 << QStringLiteral("Store");
        QTest::newRow("deflate 1") << 8 << 1 << -1 << QStringLiteral("Deflate");
        QTest::newRow("deflate 9") << 8 << 9 << -1 << QStringLiteral("Deflate");
        QTest::newRow("bzip2 5") << 12 << 5 << -1 << QStringLiteral("BZip2");
        QTest::newRow("lzma 6") << 14 << 6 << -1 << QStringLiteral("LZMA");
        QTest::newRow("zip 2.0") << 8 << 6 << 0 << QStringLiteral("ZipCrypto Deflate");
        QTest::newRow("aes-128") << 8 << 6 << 1 << QStringLiteral("AES-128 Deflate");
        QTest::newRow("aes-192 bzip2") << 12 << 6 << 2 << QStringLiteral("AES-192 BZip2");
        QTest::newRow("aes-256 lzma") << 14 << 6 << 3 << QStringLiteral("AES-256 LZMA");
    }

    void methodsLevelsAndEncryption()
    {
        QFETCH(int, method);
        QFETCH(int, level);
        QFETCH(int, encryption);
        QFETCH(QString, expectedMethod);
        INIPACK ini = settings(method, level);
        ini.bEncrypt = encryption >= 0;
        ini.nEncryptionMethod = std::max(encryption, 0);
        ini.strPassword = encryption >= 0 ? kPassword : QString();
        const QString archive = packedTree(ini);
        QVERIFY(sevenZipTests(archive, kPassword));
        const auto item = itemOf(archive, QStringLiteral("src/a.txt"), kPassword);
        QVERIFY2(item.value(QStringLiteral("Method")).startsWith(expectedMethod), qPrintable(item.value(QStringLiteral("Method"))));
        QCOMPARE(item.value(QStringLiteral("Encrypted")), encryption >= 0 ? QStringLiteral("+") : QStringLiteral("-"));
        // The Unix mode travels with the file.
        QVERIFY2(item.value(QStringLiteral("Attributes")).contains(QStringLiteral("-rw-r-----")),
                 qPrintable(item.value(QStringLiteral("Attributes"))));
        if (encryption == 0)
            QVERIFY(runTool(QStringLiteral("unzip"), {QStringLiteral("-tqP"), kPassword, archive}).ok());
        if (encryption < 0 && method == 8)
            QVERIFY(runTool(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive}).ok());
    }

    void askBeforeUpdating_data()
    {
        QTest::addColumn<bool>("ask");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<bool>("unchanged");
        QTest::newRow("no question") << false << MsgAnswer::Cancel << true << false;
        QTest::newRow("yes") << true << MsgAnswer::Yes << true << false;
        QTest::newRow("no") << true << MsgAnswer::No << false << false;
        QTest::newRow("cancel") << true << MsgAnswer::Cancel << false << true;
    }

    void askBeforeUpdating()
    {
        QFETCH(bool, ask);
        QFETCH(MsgAnswer, answer);
        QFETCH(bool, replaced);
        QFETCH(bool, unchanged);
        const QString old = m_dir.path() + QStringLiteral("/old");
        QVERIFY(writeFile(old + QStringLiteral("/sub/noise.bin"), "old"));
        const QString archive = freshArchive();
        {
            CZipPacker packer;
            QVERIFY(packer.CreateArchive(archive));
            packer.SetIni(settings());
            QVERIFY(packer.AddFolderToArchive(old + QStringLiteral("/sub"), old + QStringLiteral("/sub")));
        }
        const QByteArray before = readFile(archive);
        ScriptedPrompter prompter;
        prompter.queueMessageAnswer(answer);
        INIPACK ini = settings();
        ini.bAskBeforeUpdating = ask;
        CZipPacker packer;
        QVERIFY(packer.OpenArchive(archive, false));
        packer.SetIni(ini);
        const bool added = packer.AddFolderToArchive(src(QStringLiteral("sub")), src(QStringLiteral("sub")));
        QCOMPARE(added, !unchanged);
        QCOMPARE(prompter.records().size(), std::size_t(ask ? 1 : 0));
        if (unchanged)
            QCOMPARE(readFile(archive), before);
        const QString target = m_dir.path() + QStringLiteral("/check%1").arg(++m_serial);
        CZipUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(archive));
        QVERIFY(unpacker.UnpackFile(QStringLiteral("sub/noise.bin"), target));
        QCOMPARE(readFile(target + QStringLiteral("/sub/noise.bin")) == m_files.value(QStringLiteral("sub/noise.bin")), replaced);
        QCOMPARE(listedPaths(archive).contains(QStringLiteral("sub/deeper/c.txt")), !unchanged);
    }

    void rename_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("renamed");
        QTest::addColumn<QString>("present");
        QTest::newRow("file, new name") << false << "src/a.txt" << "b.txt" << true << "src/b.txt";
        QTest::newRow("file, whole path") << false << "src/a.txt" << "top.txt" << true << "src/top.txt";
        QTest::newRow("file onto an existing name") << false << "src/a.txt" << "empty.txt" << false << "src/a.txt";
        QTest::newRow("folder") << true << "src/sub" << "moved" << true << "src/moved/deeper/c.txt";
        QTest::newRow("folder onto an existing name") << true << "src/sub" << "a.txt" << false << "src/sub/noise.bin";
    }

    void rename()
    {
        QFETCH(bool, folder);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, renamed);
        QFETCH(QString, present);
        const QString archive = packedTree();
        ScriptedPrompter prompter;
        CZipPacker packer;
        QVERIFY(packer.OpenArchive(archive, false));
        QVERIFY(folder ? packer.FolderExists(from) : packer.FileExists(from));
        ZIPFILEFULLINFO record;
        QVERIFY(packer.GetFileFullInfo(record));
        QCOMPARE(record.strPath, from);
        QCOMPARE(folder ? packer.RenameFolder(from, to) : packer.RenameFile(from, to), renamed);
        QVERIFY(listedPaths(archive).contains(present));
        QCOMPARE(listedPaths(archive).size(), m_files.size() + 4);
        QVERIFY(sevenZipTests(archive));
    }

    // Names that differ in case alone are two entries to every change.
    void caseTwinsStayApart_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QStringList>("stored");
        const QStringList twins{"Docs/", "Docs/b.txt", "docs/", "docs/a.txt"};
        QTest::newRow("adding a file is no update of its twin, nothing asked")
            << "add" << "" << "" << true << twins + QStringList{"NOTE.TXT", "note.txt"};
        QTest::newRow("renaming a folder leaves its twin")
            << "folder" << "docs" << "moved" << true
            << QStringList{"Docs/", "Docs/b.txt", "moved/", "moved/a.txt", "note.txt"};
        QTest::newRow("renaming onto the twin is refused") << "folder" << "docs" << "Docs" << false
                                                           << twins + QStringList{"note.txt"};
        QTest::newRow("renaming in case alone") << "file" << "note.txt" << "Note.txt" << true
                                                << twins + QStringList{"Note.txt"};
    }

    void caseTwinsStayApart()
    {
        QFETCH(QString, change);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, done);
        QFETCH(QStringList, stored);
        const QString folder = m_dir.path() + QStringLiteral("/twins%1").arg(++m_serial);
        QVERIFY(writeTree(folder,
                          {{"docs/a.txt", "a"}, {"Docs/b.txt", "b"}, {"note.txt", "note"}, {"new/NOTE.TXT", "new"}}));
        const QString archive = folder + QStringLiteral("/t.zip");
        QVERIFY(runTool(QStringLiteral("zip"), {"-q", "-r", "-X", archive, "docs", "Docs", "note.txt"}, folder).ok());
        ScriptedPrompter prompter;
        CZipPacker packer;
        QVERIFY(packer.OpenArchive(archive, false));
        packer.SetIni(settings());
        if (change == QStringLiteral("add"))
            QCOMPARE(packer.AddFileToArchive(folder + QStringLiteral("/new/NOTE.TXT")), done);
        else if (change == QStringLiteral("folder"))
            QCOMPARE(packer.RenameFolder(from, to), done);
        else
            QCOMPARE(packer.RenameFile(from, to), done);
        stored.sort();
        QCOMPARE(storedEntries(archive), stored);
        QCOMPARE(prompter.records().size(), std::size_t(done ? 0 : 1));
    }

    void refusalsLeaveTheArchiveAlone_data()
    {
        QTest::addColumn<QString>("case_");
        QTest::newRow("password with a non-ASCII character") << "umlaut password";
        QTest::newRow("AES password over 99 characters") << "long password";
        QTest::newRow("encryption without a password") << "empty password";
        QTest::newRow("rename of a Zip 2.0 entry with a data descriptor") << "descriptor rename";
        QTest::newRow("stub with adjusted offsets") << "adjusted stub";
        QTest::newRow("opened for reading only") << "read only";
    }

    void refusalsLeaveTheArchiveAlone()
    {
        QFETCH(QString, case_);
        QString archive = packedTree();
        if (case_ == QStringLiteral("descriptor rename")) {
            archive = m_dir.path() + QStringLiteral("/zc.zip");
            QFile::remove(archive);
            QVERIFY(runTool(QStringLiteral("zip"), {QStringLiteral("-rqP"), kPassword, archive, QStringLiteral(".")}, source()).ok());
        } else if (case_ == QStringLiteral("adjusted stub")) {
            QVERIFY(writeFile(archive, QByteArray(50000, 'M') + readFile(archive)));
            QVERIFY(runTool(QStringLiteral("zip"), {QStringLiteral("-qA"), archive}).ok());
        }
        const QByteArray before = readFile(archive);
        ScriptedPrompter prompter;
        INIPACK ini = settings(case_ == QStringLiteral("long password") ? 14 : 8);
        ini.bEncrypt = case_.endsWith(QStringLiteral("password"));
        ini.nEncryptionMethod = case_ == QStringLiteral("long password") ? 3 : 0;
        if (case_ == QStringLiteral("umlaut password"))
            ini.strPassword = QStringLiteral("gr\u00fcn");
        else if (case_ == QStringLiteral("long password"))
            ini.strPassword = QString(100, u'p');
        CZipPacker packer;
        QVERIFY(packer.OpenArchive(archive, case_ == QStringLiteral("read only")));
        packer.SetIni(ini);
        const bool changed = case_ == QStringLiteral("descriptor rename")
                                 ? packer.RenameFile(QStringLiteral("a.txt"), QStringLiteral("b.txt"))
                                 : packer.AddFileToArchive(src(QStringLiteral("a.txt")));
        QVERIFY(!changed);
        QCOMPARE(readFile(archive), before);
        QVERIFY(!packer.GetLastErrorText().isEmpty());
        QCOMPARE(prompter.records().size(), std::size_t(1));
        QCOMPARE(prompter.records().front().icon, MsgIcon::Error);
    }

    void interruptedAddLeavesTheOriginal()
    {
        const QString archive = packedTree();
        const QByteArray before = readFile(archive);
        QObject progress;
        ScriptedPrompter prompter;
        prompter.setDefaultMessageAnswer(MsgAnswer::Yes);
        CZipPacker packer;
        QVERIFY(packer.OpenArchive(archive, false));
        packer.SetHandleDialogProgress(&progress);
        packer.SetIni(settings());
        postOrvEvent(&progress, Ev::PackStop);
        QVERIFY(!packer.AddFolderToArchiveFolder(source(), source(), QStringLiteral("again"), true));
        QVERIFY(prompter.texts().contains(QStringLiteral("Interrupt the packing?")));
        QCOMPARE(readFile(archive), before);
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral(".*.orv-*")}, QDir::Files | QDir::Hidden), QStringList());
    }

    void stubKeptAndTreeTold()
    {
        const QString archive = packedTree();
        const QByteArray stub(50000, 'M');
        const QString exe = m_dir.path() + QStringLiteral("/setup.exe");
        QVERIFY(writeFile(exe, stub + readFile(archive)));
        TreeRecorder tree;
        CZipPacker packer;
        packer.SetWndArchiveTree(&tree);
        QVERIFY(packer.OpenArchive(exe, false));
        packer.SetIni(settings());
        QVERIFY2(packer.AddFileToArchiveFolder(src(QStringLiteral("a.txt")), QStringLiteral("extra")),
                 qPrintable(packer.GetLastErrorText()));
        QCOMPARE(readFile(exe).left(stub.size()), stub);
        QVERIFY(listedPaths(exe).contains(QStringLiteral("extra/a.txt")));
        QCOMPARE(tree.refreshed, QStringList{exe});
    }
};

QTEST_GUILESS_MAIN(TestZipPacker)
#include "tst_zippacker.moc"
