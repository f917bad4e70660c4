#include "tests/support/cursorwalk.h"
#include "tests/support/scriptedprompter.h"
#include "ziptools.h"

#include "platform/prompts.h"
#include "tests/support/testhome.h"
#include "zip/zipunpacker.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {

const QString kPassword = QStringLiteral("Open sesame 7");

QStringList listedPaths(CZipUnpacker &unpacker)
{
    QStringList paths;
    for (const ZIPFILEFULLINFO &record : fullRecords<ZIPFILEFULLINFO>(unpacker))
        paths << (record.bFolder ? record.strPath + u'/' : record.strPath);
    paths.sort();
    return paths;
}

ZIPFILEFULLINFO recordOf(CZipUnpacker &unpacker, const QString &path)
{
    for (const ZIPFILEFULLINFO &record : fullRecords<ZIPFILEFULLINFO>(unpacker)) {
        if (record.strPath == path)
            return record;
    }
    return {};
}

// Sets a ZIP method number in every local and central header of a one-entry archive.
bool setMethod(const QString &path, quint16 method)
{
    QByteArray bytes = readFile(path);
    const qsizetype local = bytes.indexOf(QByteArray("PK\x03\x04", 4));
    const qsizetype central = bytes.indexOf(QByteArray("PK\x01\x02", 4));
    if (local < 0 || central < 0 || central + 12 > bytes.size())
        return false;
    for (const qsizetype at : {local + 8, central + 10}) {
        bytes[at] = static_cast<char>(method & 0xFF);
        bytes[at + 1] = static_cast<char>(method >> 8);
    }
    return writeFile(path, bytes);
}

}  // namespace

class TestZipUnpacker : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QMap<QString, QByteArray> m_files;

    QString source() const { return m_dir.path() + QStringLiteral("/src"); }
    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }
    QString freshFolder() const { return test::freshFolder(m_dir.path()); }

    // The sample tree packed by a tool run in the source folder; the archive's path.
    QString pack(const QString &name, const QString &tool, const QStringList &arguments)
    {
        const QString archive = path(name);
        QFile::remove(archive);
        QStringList all = arguments;
        all.replaceInStrings(QStringLiteral("@"), archive);
        if (!runTool(tool, all, source()).ok())
            return {};
        return archive;
    }
    QString packWith7z(const QString &name, const QStringList &switches)
    {
        return pack(name, QStringLiteral("7z"), QStringList{QStringLiteral("a"), QStringLiteral("-tzip")} + switches
                                                    + QStringList{QStringLiteral("@"), QStringLiteral(".")});
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_files = sampleTree();
        QVERIFY(writeTree(source(), m_files));
    }

    void listsAndUnpacksEveryMethod_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<bool>("folderEntries");
        QTest::newRow("stored") << packWith7z(QStringLiteral("copy.zip"), {QStringLiteral("-mm=Copy")}) << true;
        QTest::newRow("deflate") << packWith7z(QStringLiteral("deflate.zip"), {QStringLiteral("-mm=Deflate")}) << true;
        QTest::newRow("deflate64") << packWith7z(QStringLiteral("d64.zip"), {QStringLiteral("-mm=Deflate64")}) << true;
        QTest::newRow("bzip2") << packWith7z(QStringLiteral("bzip2.zip"), {QStringLiteral("-mm=BZip2")}) << true;
        QTest::newRow("lzma") << packWith7z(QStringLiteral("lzma.zip"), {QStringLiteral("-mm=LZMA")}) << true;
        QTest::newRow("ppmd") << packWith7z(QStringLiteral("ppmd.zip"), {QStringLiteral("-mm=PPMd")}) << true;
        QTest::newRow("info-zip") << pack(QStringLiteral("iz.zip"), QStringLiteral("zip"),
                                          {QStringLiteral("-rq"), QStringLiteral("@"), QStringLiteral(".")}) << true;
        QTest::newRow("info-zip without folder entries")
            << pack(QStringLiteral("izd.zip"), QStringLiteral("zip"),
                    {QStringLiteral("-rqD"), QStringLiteral("@"), QStringLiteral(".")}) << false;
    }

    void listsAndUnpacksEveryMethod()
    {
        QFETCH(QString, archive);
        QFETCH(bool, folderEntries);
        QVERIFY(!archive.isEmpty());
        CZipUnpacker unpacker;
        QVERIFY2(unpacker.OpenArchive(archive), qPrintable(unpacker.GetDetailedErrorMessage()));

        QStringList expected = m_files.keys();
        expected << QStringLiteral("sub/") << QStringLiteral("sub/deeper/");
        if (folderEntries)
            expected << QStringLiteral("sub/emptydir/");
        expected.sort();
        QCOMPARE(listedPaths(unpacker), expected);

        // The record agrees with 7-Zip's own listing.
        const ZIPFILEFULLINFO record = recordOf(unpacker, QStringLiteral("sub/deeper/c.txt"));
        QCOMPARE(record.nSize, quint64(m_files.value(QStringLiteral("sub/deeper/c.txt")).size()));
        for (const auto &item : sevenZipListing(archive)) {
            if (item.value(QStringLiteral("Path")) == QStringLiteral("sub/deeper/c.txt"))
                QCOMPARE(QStringLiteral("%1").arg(record.dwCRC, 8, 16, QLatin1Char('0')).toUpper(),
                         item.value(QStringLiteral("CRC")));
        }
        QVERIFY(record.dwDosDateTime != 0);
        QVERIFY(!record.strMethod.isEmpty());

        const QString target = freshFolder();
        QVERIFY2(unpacker.UnpackArchive(target), qPrintable(unpacker.GetDetailedErrorMessage()));
        QCOMPARE(filesOf(tree(target)), m_files);
        QCOMPARE(QFileInfo(target + QStringLiteral("/sub/emptydir")).isDir(), folderEntries);
    }

    void passwords_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::newRow("zip 2.0 by zip") << pack(QStringLiteral("zc1.zip"), QStringLiteral("zip"),
                                                 {QStringLiteral("-rqP"), kPassword, QStringLiteral("@"), QStringLiteral(".")});
        QTest::newRow("zip 2.0 by 7z")
            << packWith7z(QStringLiteral("zc2.zip"), {QStringLiteral("-mem=ZipCrypto"), QStringLiteral("-p") + kPassword});
        QTest::newRow("aes-128") << packWith7z(QStringLiteral("aes128.zip"),
                                               {QStringLiteral("-mem=AES128"), QStringLiteral("-p") + kPassword});
        QTest::newRow("aes-256 lzma")
            << packWith7z(QStringLiteral("aes256.zip"),
                          {QStringLiteral("-mm=LZMA"), QStringLiteral("-mem=AES256"), QStringLiteral("-p") + kPassword});
    }

    void passwords()
    {
        QFETCH(QString, archive);
        QVERIFY(!archive.isEmpty());
        ScriptedPrompter prompter;
        CZipUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(archive));

        // Cancelling the question unpacks nothing and says why.
        prompter.queuePassword(std::nullopt);
        const QString cancelled = freshFolder();
        QVERIFY(!unpacker.UnpackFile(QStringLiteral("a.txt"), cancelled));
        QVERIFY(unpacker.IsDetailedError());
        QVERIFY(!QFile::exists(cancelled + QStringLiteral("/a.txt")));

        // A wrong password writes nothing, is named, and is not kept.
        prompter.queuePassword(QStringLiteral("not it"));
        const QString wrong = freshFolder();
        QVERIFY(!unpacker.UnpackFile(QStringLiteral("a.txt"), wrong));
        QVERIFY2(unpacker.GetDetailedErrorMessage().contains(QStringLiteral("password"), Qt::CaseInsensitive),
                 qPrintable(unpacker.GetDetailedErrorMessage()));
        QVERIFY(!QFile::exists(wrong + QStringLiteral("/a.txt")));
        QCOMPARE(prompter.count(ScriptedPrompter::Record::Password), 2);

        // The right one is asked for once and serves every entry, now and in later calls.
        prompter.queuePassword(kPassword);
        const QString all = freshFolder();
        QVERIFY2(unpacker.UnpackArchive(all), qPrintable(unpacker.GetDetailedErrorMessage()));
        QCOMPARE(filesOf(tree(all)), m_files);
        QVERIFY(unpacker.UnpackFile(QStringLiteral("sub/noise.bin"), freshFolder()));
        QCOMPARE(prompter.count(ScriptedPrompter::Record::Password), 3);
    }

    void opensUnderOtherNamesAndBehindStubs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("stub");
        QTest::addColumn<bool>("adjust");
        const QByteArray stub = QByteArray("MZ stub ").repeated(6250);
        QTest::newRow("jar") << QStringLiteral("x.jar") << QByteArray() << false;
        QTest::newRow("xap") << QStringLiteral("x.xap") << QByteArray() << false;
        QTest::newRow("custom extension") << QStringLiteral("x.abc") << QByteArray() << false;
        QTest::newRow("self-extracting") << QStringLiteral("sfx.exe") << stub << false;
        QTest::newRow("self-extracting, offsets adjusted") << QStringLiteral("sfxa.exe") << stub << true;
    }

    void opensUnderOtherNamesAndBehindStubs()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, stub);
        QFETCH(bool, adjust);
        const QString base = packWith7z(QStringLiteral("base.zip"), {});
        QVERIFY(writeFile(path(name), stub + readFile(base)));
        if (adjust)
            QVERIFY(runTool(QStringLiteral("zip"), {QStringLiteral("-qA"), path(name)}).ok());
        CZipUnpacker unpacker;
        QVERIFY2(unpacker.OpenArchive(path(name)), qPrintable(unpacker.GetDetailedErrorMessage()));
        QCOMPARE(listedPaths(unpacker).size(), m_files.size() + 3);
        const QString target = freshFolder();
        QVERIFY(unpacker.UnpackFile(QStringLiteral("sub/deeper/c.txt"), target));
        QCOMPARE(readFile(target + QStringLiteral("/sub/deeper/c.txt")), m_files.value(QStringLiteral("sub/deeper/c.txt")));
    }

    void namesHonourTheFlagElseCodePage437_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("diskName");
        QTest::addColumn<QByteArray>("patchFrom");
        QTest::addColumn<QByteArray>("patchTo");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Info-ZIP, UTF-8 bytes without the flag")
            << QStringLiteral("zip") << QStringLiteral("f\u00fcr.txt") << QByteArray() << QByteArray()
            << QStringLiteral("f\u00fcr.txt");
        QTest::newRow("code page 437 bytes without the flag")
            << QStringLiteral("zip") << QStringLiteral("fQrZ.txt") << QByteArray("fQrZ") << QByteArray("f\x81r\xe1")
            << QStringLiteral("f\u00fcr\u00df.txt");
        QTest::newRow("UTF-8 flag set") << QStringLiteral("7z") << QStringLiteral("\u4e2d \U0001F600.txt")
                                        << QByteArray() << QByteArray() << QStringLiteral("\u4e2d \U0001F600.txt");
    }

    void namesHonourTheFlagElseCodePage437()
    {
        QFETCH(QString, tool);
        QFETCH(QString, diskName);
        QFETCH(QByteArray, patchFrom);
        QFETCH(QByteArray, patchTo);
        QFETCH(QString, expected);
        const QString folder = freshFolder();
        QVERIFY(writeFile(folder + u'/' + diskName, "x"));
        const QString archive = folder + QStringLiteral(".zip");
        const QStringList arguments = tool == QStringLiteral("zip")
                                          ? QStringList{QStringLiteral("-q"), archive, diskName}
                                          : QStringList{QStringLiteral("a"), QStringLiteral("-tzip"), archive, diskName};
        QVERIFY(runTool(tool, arguments, folder).ok());
        if (!patchFrom.isEmpty())
            QVERIFY(patchFile(archive, patchFrom, patchTo));
        CZipUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(archive));
        QCOMPARE(listedPaths(unpacker), QStringList{expected});
        const QString target = freshFolder();
        QVERIFY(unpacker.UnpackArchive(target));
        QVERIFY(QFile::exists(target + u'/' + expected));
    }

    void detailedErrors_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("expected");
        QTest::newRow("not an archive") << QStringLiteral("text") << QStringLiteral("not a ZIP archive");
        QTest::newRow("CRC error") << QStringLiteral("crc") << QStringLiteral("CRC error");
        QTest::newRow("unsupported method") << QStringLiteral("method") << QStringLiteral("a.txt (80) is not supported");
        QTest::newRow("truncated") << QStringLiteral("truncate") << QStringLiteral("truncated");
    }

    void detailedErrors()
    {
        QFETCH(QString, damage);
        QFETCH(QString, expected);
        const QString archive = path(QStringLiteral("broken.zip"));
        QFile::remove(archive);
        QVERIFY(runTool(QStringLiteral("7z"), {QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-mm=Copy"),
                                               archive, QStringLiteral("a.txt")}, source()).ok());
        if (damage == QStringLiteral("text"))
            QVERIFY(writeFile(archive, "just some words\n"));
        else if (damage == QStringLiteral("crc"))
            QVERIFY(patchFile(archive, "alpha\nalpha\nalpha\n", "alpha\nalphX\nalpha\n"));
        else if (damage == QStringLiteral("method"))
            QVERIFY(setMethod(archive, 0x50));
        else
            QVERIFY(writeFile(archive, readFile(archive).left(9000)));

        CZipUnpacker unpacker;
        QString detail;
        if (!unpacker.OpenArchive(archive)) {
            detail = unpacker.GetDetailedErrorMessage();
        } else {
            QVERIFY(!unpacker.UnpackArchive(freshFolder()));
            detail = unpacker.GetDetailedErrorMessage();
        }
        QVERIFY2(detail.contains(expected, Qt::CaseInsensitive), qPrintable(detail));
    }

    void textsCountImpliedFolders()
    {
        const QString archive = pack(QStringLiteral("texts.zip"), QStringLiteral("zip"),
                                     {QStringLiteral("-rqD"), QStringLiteral("@"), QStringLiteral(".")});
        CZipUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(archive));
        const QRegularExpression fileText(QStringLiteral("^Modified - .+, Size - 18 000 bytes, Packed - [0-9 ]+ bytes, "
                                                         "Ratio - \\d+%, CRC - [0-9a-f]{8}, Compression method - Deflate$"));
        QVERIFY2(fileText.match(unpacker.GetFileOutputInfo(QStringLiteral("A.TXT"))).hasMatch(),
                 qPrintable(unpacker.GetFileOutputInfo(QStringLiteral("a.txt"))));
        QVERIFY(unpacker.GetFileOutputInfo(QStringLiteral("sub")).isEmpty());
        QVERIFY(unpacker.GetArchiveOutputInfo().startsWith(QStringLiteral("Files - 4, Folders - 2, Size - 218 000 bytes")));
        QVERIFY(unpacker.GetFolderOutputInfo(QStringLiteral("sub")).startsWith(QStringLiteral("Files - 2, Folders - 1,")));
        QVERIFY(unpacker.IsFolder(QStringLiteral("sub/deeper")));
        QVERIFY(!unpacker.IsFolder(QStringLiteral("a.txt")));
    }

    void entriesLeavingTheTargetAreRefused()
    {
        const QString archive = path(QStringLiteral("evil.zip"));
        const QString script = QStringLiteral("import zipfile,sys\nwith zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                                              " z.writestr('../evil.txt', b'x')\n z.writestr('ok.txt', b'y')\n");
        QVERIFY(runTool(QStringLiteral("python3"), {QStringLiteral("-c"), script, archive}).ok());
        ScriptedPrompter prompter;
        CZipUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(archive));
        const QString target = freshFolder() + QStringLiteral("/inner");
        QVERIFY(!unpacker.UnpackArchive(target));
        QVERIFY(!QFile::exists(target + QStringLiteral("/../evil.txt")));
        QCOMPARE(readFile(target + QStringLiteral("/ok.txt")), QByteArray("y"));
        QCOMPARE(prompter.records().size(), std::size_t(1));
    }

    void damagedArchivesNeverCrash()
    {
        const QByteArray good = readFile(packWith7z(QStringLiteral("good.zip"), {QStringLiteral("-mm=Deflate")}));
        QVERIFY(!good.isEmpty());
        ScriptedPrompter prompter;
        prompter.setDefaultPassword(QStringLiteral("x"));
        prompter.setDefaultReplaceAnswer(ReplaceAnswer::Yes);
        const QString damaged = path(QStringLiteral("damaged.zip"));
        for (int round = 0; round < 120; ++round) {
            QByteArray bytes = good;
            if (round % 3 == 0) {
                bytes.truncate(static_cast<qsizetype>(good.size()) * round / 120);
            } else {
                const qsizetype at = (static_cast<qsizetype>(round) * 7919) % good.size();
                bytes[at] = static_cast<char>(bytes[at] ^ (0x5A + round));
            }
            QVERIFY(writeFile(damaged, bytes));
            CZipUnpacker unpacker;
            if (!unpacker.OpenArchive(damaged)) {
                QVERIFY(unpacker.IsDetailedError());
                continue;
            }
            listedPaths(unpacker);
            unpacker.GetArchiveOutputInfo();
            const QString target = path(QStringLiteral("damaged-out"));
            if (!unpacker.UnpackArchive(target))
                QVERIFY(unpacker.IsDetailedError() || !prompter.records().empty());
            QDir(target).removeRecursively();
        }
    }
};

QTEST_GUILESS_MAIN(TestZipUnpacker)
#include "tst_zipunpacker.moc"
