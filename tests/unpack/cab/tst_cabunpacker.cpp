#include "tests/support/cursorwalk.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/unpack/sevenzip/szfixtures.h"

#include "platform/prompts.h"
#include "unpack/cab/cabunpacker.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;
using namespace orv::test;

// QSKIP returns from the test function, so the check cannot live in a helper.
#define QSKIP_UNLESS_FIXTURES()                                          \
    if (m_fixtures.isEmpty())                                            \
    QSKIP("the shared cabinet samples are not at hand")

namespace {

QMap<QString, quint32> enumerate(CCabUnpacker &unpacker)
{
    QMap<QString, quint32> items;
    for (const CABFILEFULLINFO &record : fullRecords<CABFILEFULLINFO>(unpacker))
        items.insert(record.strPath, record.dwSize);
    return items;
}

QString md5(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

}  // namespace

class TestCabUnpacker : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_source;
    QString m_fixtures;
    const QStringList m_files{"a.txt", "noise.bin", "docs/readme.txt", "docs2/other.txt", "sub/deeper/c.txt"};

    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }
    QString freshFolder() const { return test::freshFolder(m_dir.path()); }
    QString cabinet(const QString &name) const
    {
        return name.startsWith(u"cab") && !name.startsWith(u"cabinet") ? m_fixtures + u'/' + name : path(name);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("gcab")).isEmpty())
            QSKIP("gcab is not installed");
        m_source = path(QStringLiteral("src"));
        writeFile(m_source + QStringLiteral("/a.txt"), QByteArray("alpha\n").repeated(3000));
        writeFile(m_source + QStringLiteral("/noise.bin"), noise(100000, 3));
        writeFile(m_source + QStringLiteral("/docs/readme.txt"), "inside docs");
        writeFile(m_source + QStringLiteral("/docs2/other.txt"), "a sibling that only shares the prefix");
        writeFile(m_source + QStringLiteral("/sub/deeper/c.txt"), QByteArray("fox ").repeated(9000));
        for (const auto &[name, compress] : {std::pair{"cabinet-stored.cab", false}, std::pair{"cabinet-mszip.cab", true}}) {
            QStringList arguments{QStringLiteral("-c")};
            if (compress)
                arguments << QStringLiteral("-z");
            arguments << path(QString::fromLatin1(name)) << m_files;
            QCOMPARE(runTool(QStringLiteral("gcab"), arguments, m_source).exitCode, 0);
        }
        const QString shared = qEnvironmentVariable("ORV_SHARED_DIR") + QStringLiteral("/fixtures/cab");
        if (QFileInfo(shared + QStringLiteral("/cab-stored.cab")).isFile())
            m_fixtures = shared;
    }

    void listingMatches7z_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::newRow("gcab stored") << "cabinet-stored.cab";
        QTest::newRow("gcab mszip") << "cabinet-mszip.cab";
        QTest::newRow("lzx") << "cab-lzx.cab";
        QTest::newRow("three methods") << "cab-mszip-lzx-quantum.cab";
        QTest::newRow("utf-8 names") << "cab-utf8-names.cab";
        QTest::newRow("first of a set") << "cabd_multi_basic_pt1.cab";
    }
    void listingMatches7z()
    {
        QFETCH(QString, archive);
        if (archive.startsWith(u"cab-") || archive.startsWith(u"cabd"))
            QSKIP_UNLESS_FIXTURES();
        CCabUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(cabinet(archive)));
        const QMap<QString, quint32> ours = enumerate(unpacker);
        QMap<QString, quint32> theirs;
        for (const SltRecord &record : sevenZipListing(cabinet(archive)))
            theirs.insert(record.value(QStringLiteral("Path")), record.value(QStringLiteral("Size")).toUInt());
        QVERIFY(!theirs.isEmpty());
        QCOMPARE(ours, theirs);
    }

    void extractsSamples_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("digest");  // empty: the file must not exist
        QTest::newRow("stored") << "cab-stored.cab" << true << "dir2/file2" << "cc38402d8b50f75cdb7279e90ee33b39";
        QTest::newRow("mszip, two blocks") << "cab-mszip.cab" << true << "zero" << "d7ea97d313b83e91efbb901cc558bea4";
        QTest::newRow("lzx") << "cab-lzx.cab" << true << "dir1/file1" << "9f348626c6a84b91537327656c98e113";
        QTest::newRow("quantum in the third folder")
            << "cab-mszip-lzx-quantum.cab" << true << "qtm.txt" << "98fcfa4962a0f169a3c7fdbcb445cf17";
        QTest::newRow("set followed from its first cabinet")
            << "cabd_multi_basic_pt1.cab" << true << "test3.txt" << "e207982a9612cd1d9af933d5f00000f8";
        QTest::newRow("middle of a set: the start is missing") << "cabd_multi_basic_pt3.cab" << false << "test1.txt" << "";
        QTest::newRow("cut before the data") << "cab-damaged-nodata.cab" << false << "hello.c" << "";
    }
    void extractsSamples()
    {
        QFETCH(QString, archive);
        QFETCH(bool, result);
        QFETCH(QString, file);
        QFETCH(QString, digest);
        QSKIP_UNLESS_FIXTURES();
        ScriptedPrompter prompts;
        CCabUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(cabinet(archive)));
        const QString target = freshFolder();
        QCOMPARE(unpacker.UnpackArchive(target), result);
        if (digest.isEmpty())
            QVERIFY(!QFileInfo::exists(target + u'/' + file));
        else
            QCOMPARE(md5(readFile(target + u'/' + file)), digest);
        QVERIFY(prompts.records().empty());
    }

    void refusesWhatIsNoCabinet_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::newRow("cut inside the file table") << "cab-damaged-header.cab";
        QTest::newRow("missing") << "missing.cab";
        QTest::newRow("a folder") << "src";
        QTest::newRow("not a cabinet") << "src/a.txt";
    }
    void refusesWhatIsNoCabinet()
    {
        QFETCH(QString, archive);
        if (archive.startsWith(u"cab-"))
            QSKIP_UNLESS_FIXTURES();
        CCabUnpacker unpacker;
        QVERIFY(!unpacker.OpenArchive(cabinet(archive)));
        QVERIFY(!unpacker.FindFile());
        QVERIFY(!unpacker.UnpackArchive(freshFolder()));
    }

    void recordsAndTexts()
    {
        CCabUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(path(QStringLiteral("cabinet-mszip.cab"))));
        QVERIFY(unpacker.IsFolder(QStringLiteral("sub\\deeper")));
        QCOMPARE(unpacker.GetArchiveOutputInfo(), QStringLiteral("Files - 5, Folders - 4, Size - 154 048 bytes"));
        QCOMPARE(unpacker.GetFolderOutputInfo(QStringLiteral("sub")), QStringLiteral("Files - 1, Folders - 1, Size - 36 000 bytes"));
        QVERIFY(unpacker.GetFileOutputInfo(QStringLiteral("A.TXT")).endsWith(u", Size - 18 000 bytes"));
        QVERIFY(unpacker.FindFile());
        QMap<QString, int> subFolder;
        bool more = true;
        while (more) {
            more = unpacker.FindNextFileW();
            CABFILESHORTINFO record;
            QVERIFY(unpacker.GetFileShortInfo(record));
            QCOMPARE(record.bFolder, 0);
            subFolder.insert(record.strPath, record.bSubFolder);
        }
        QCOMPARE(subFolder.value(QStringLiteral("a.txt"), -1), 0);
        QCOMPARE(subFolder.value(QStringLiteral("sub/deeper/c.txt"), -1), 1);
    }

    void forgetsAWriterThatIsGone()
    {
        {
            CCabUnpacker unpacker;
            QVERIFY(unpacker.OpenArchive(path(QStringLiteral("cabinet-stored.cab"))));
            QVERIFY(unpacker.UnpackFile(QStringLiteral("a.txt"), freshFolder()));
            QCOMPARE(CCabUnpacker::GetThis(), &unpacker);
        }
        QCOMPARE(CCabUnpacker::GetThis(), nullptr);
    }

    void randomDamageNeverCrashes_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::newRow("gcab mszip") << path(QStringLiteral("cabinet-mszip.cab"));
        const QString shared = qEnvironmentVariable("ORV_SHARED_DIR") + QStringLiteral("/fixtures/cab");
        for (const QString &name : QDir(shared).entryList({QStringLiteral("*.cab")}, QDir::Files))
            QTest::newRow(qPrintable(name)) << shared + u'/' + name;
    }
    void randomDamageNeverCrashes()
    {
        QFETCH(QString, archive);
        ScriptedPrompter prompts;
        prompts.setDefaultReplaceAnswer(ReplaceAnswer::Yes);
        const QByteArray original = readFile(archive);
        QRandomGenerator random(0xcab);
        for (int round = 0; round < 16; ++round) {
            QByteArray damaged = original;
            for (int hits = 0; hits < 1 + round % 4; ++hits)
                damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
            if (round % 4 == 3)
                damaged.truncate(random.bounded(int(damaged.size())));
            const QString copy = path(QStringLiteral("damaged.cab"));
            QVERIFY(writeFile(copy, damaged));
            CCabUnpacker unpacker;
            if (!unpacker.OpenArchive(copy))
                continue;
            enumerate(unpacker);
            unpacker.GetArchiveOutputInfo();
            unpacker.UnpackArchive(freshFolder());
        }
    }
};

QTEST_GUILESS_MAIN(TestCabUnpacker)
#include "tst_cabunpacker.moc"
