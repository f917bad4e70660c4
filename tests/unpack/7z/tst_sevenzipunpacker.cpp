#include "tests/support/cursorwalk.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/unpack/sevenzip/szfixtures.h"

#include "platform/numbers.h"
#include "platform/prompts.h"
#include "unpack/7z/sevenzipunpacker.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {

const QString kPassword = QStringLiteral("p\u00E4ss w0rd");
const QDateTime kOddSecond(QDate(2021, 3, 4), QTime(5, 6, 7));

struct Listed
{
    quint64 size = 0;
    quint32 crc = 0;
    bool folder = false;
    QString method;
};

QMap<QString, Listed> enumerate(C7zUnpacker &unpacker)
{
    QMap<QString, Listed> items;
    for (const SEVENZIPFILEFULLINFO &record : fullRecords<SEVENZIPFILEFULLINFO>(unpacker))
        items.insert(record.strPath, {record.nSize, record.dwCRC, record.bFolder || record.bSubFolder, record.strMethod});
    return items;
}

}  // namespace

class TestSevenZipUnpacker : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_source;

    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }
    QString freshFolder() const { return test::freshFolder(m_dir.path()); }
    void make(const QString &name, const QStringList &switches)
    {
        const QStringList arguments = QStringList{QStringLiteral("a"), QStringLiteral("-bd"), path(name)} + switches
                                      + QStringList{QStringLiteral(".")};
        QCOMPARE(runTool(QStringLiteral("7z"), arguments, m_source).exitCode, 0);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("7z")).isEmpty())
            QSKIP("7z is not installed");
        m_source = path(QStringLiteral("src"));
        makeSourceTree(m_source);
        writeFile(m_source + QStringLiteral("/docs/readme.txt"), "inside docs");
        writeFile(m_source + QStringLiteral("/docs2/other.txt"), "a sibling that only shares the prefix");
        QFile stamped(m_source + QStringLiteral("/a.txt"));
        QVERIFY(stamped.open(QIODevice::ReadWrite) && stamped.setFileTime(kOddSecond, QFileDevice::FileModificationTime));
        stamped.close();
        make(QStringLiteral("plain.7z"), {QStringLiteral("-ms=off")});
        make(QStringLiteral("solid.7z"), {QStringLiteral("-ms=on")});
        make(QStringLiteral("files.7z"), {QStringLiteral("-p") + kPassword});
        make(QStringLiteral("headers.7z"), {QStringLiteral("-p") + kPassword, QStringLiteral("-mhe=on")});
        make(QStringLiteral("split.7z"), {QStringLiteral("-v40k"), QStringLiteral("-mx0")});
        // The same set named in the letter style.
        const QStringList parts = QDir(m_dir.path()).entryList({QStringLiteral("split.7z.0*")}, QDir::Files, QDir::Name);
        QVERIFY(parts.size() > 2);
        QString letter = path(QStringLiteral("letters.aa"));
        for (const QString &part : parts) {
            QVERIFY(QFile::copy(path(part), letter));
            letter[letter.size() - 1] = QChar(letter.back().unicode() + 1);
        }
    }

    void listingMatches7z_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("multiVolume");
        QTest::newRow("non-solid") << "plain.7z" << QString() << false;
        QTest::newRow("solid") << "solid.7z" << QString() << false;
        QTest::newRow("encrypted headers") << "headers.7z" << kPassword << false;
        QTest::newRow("split set") << "split.7z.001" << QString() << true;
    }
    void listingMatches7z()
    {
        QFETCH(QString, archive);
        QFETCH(QString, password);
        QFETCH(bool, multiVolume);
        ScriptedPrompter prompts;
        prompts.setDefaultPassword(password);
        C7zUnpacker unpacker;
        QVERIFY(multiVolume ? unpacker.OpenMultiVolumeArchive(path(archive)) : unpacker.OpenArchive(path(archive)));
        const QMap<QString, Listed> ours = enumerate(unpacker);
        const QList<SltRecord> theirs = sevenZipListing(path(archive), password);
        QCOMPARE(ours.size(), theirs.size());
        for (const SltRecord &record : theirs) {
            const QString itemPath = record.value(QStringLiteral("Path"));
            QVERIFY2(ours.contains(itemPath), qPrintable(itemPath));
            const Listed &item = ours[itemPath];
            QCOMPARE(item.folder, record.value(QStringLiteral("Attributes")).startsWith(u'D'));
            if (item.folder)
                continue;
            QCOMPARE(item.size, record.value(QStringLiteral("Size")).toULongLong());
            QCOMPARE(item.method, record.value(QStringLiteral("Method")));
            QCOMPARE(item.crc, record.value(QStringLiteral("CRC")).toUInt(nullptr, 16));
        }
    }

    void extractsWholeArchive_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<bool>("multiVolume");
        QTest::addColumn<int>("questions");
        QTest::newRow("non-solid") << "plain.7z" << false << 0;
        QTest::newRow("encrypted files") << "files.7z" << false << 1;
        QTest::newRow("encrypted headers") << "headers.7z" << false << 1;
        QTest::newRow("split set, letters") << "letters.aa" << true << 0;
    }
    void extractsWholeArchive()
    {
        QFETCH(QString, archive);
        QFETCH(bool, multiVolume);
        QFETCH(int, questions);
        ScriptedPrompter prompts;
        prompts.setDefaultPassword(kPassword);
        C7zUnpacker unpacker;
        QVERIFY(multiVolume ? unpacker.OpenMultiVolumeArchive(path(archive)) : unpacker.OpenArchive(path(archive)));
        const QString target = freshFolder();
        QVERIFY2(unpacker.UnpackArchive(target), qPrintable(unpacker.GetLastErrorText()));
        QCOMPARE(tree(target), tree(m_source));
        // The library asks once per encrypted block; the user is asked once in all.
        QCOMPARE(prompts.count(ScriptedPrompter::Record::Password), questions);
        const QString file = QStringLiteral("/sub/noise.bin");
        QCOMPARE(QFileInfo(target + file).lastModified().toSecsSinceEpoch(),
                 QFileInfo(m_source + file).lastModified().toSecsSinceEpoch());
        // Remembered: a second extraction does not ask again.
        QVERIFY(unpacker.UnpackFile(QStringLiteral("a.txt"), freshFolder()));
        QCOMPARE(prompts.count(ScriptedPrompter::Record::Password), questions);
    }

    void passwords_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("answer");  // "<cancel>" declines
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("extracts");
        QTest::newRow("headers, right") << "headers.7z" << kPassword << true << true;
        QTest::newRow("headers, wrong") << "headers.7z" << "nope" << false << false;
        QTest::newRow("headers, cancelled") << "headers.7z" << "<cancel>" << false << false;
        QTest::newRow("files, right") << "files.7z" << kPassword << true << true;
        QTest::newRow("files, wrong") << "files.7z" << "nope" << true << false;
        QTest::newRow("files, cancelled") << "files.7z" << "<cancel>" << true << false;
    }
    void passwords()
    {
        QFETCH(QString, archive);
        QFETCH(QString, answer);
        QFETCH(bool, opens);
        QFETCH(bool, extracts);
        ScriptedPrompter prompts;
        if (answer != u"<cancel>")
            prompts.queuePassword(answer);
        C7zUnpacker unpacker;
        QCOMPARE(unpacker.OpenArchive(path(archive)), opens);
        if (!opens) {
            QCOMPARE(prompts.count(ScriptedPrompter::Record::Password), 1);
            return;
        }
        const QString target = freshFolder();
        QCOMPARE(unpacker.UnpackFolder(QStringLiteral("sub"), target), extracts);
        QCOMPARE(prompts.count(ScriptedPrompter::Record::Password), 1);
        // Garbage from a wrong password is never left behind, nor are partial files.
        const QMap<QString, QByteArray> written = tree(target);
        for (auto it = written.cbegin(); it != written.cend(); ++it) {
            if (!it.key().endsWith(u'/'))
                QCOMPARE(it.value(), readFile(m_source + u'/' + it.key()));
        }
        if (!extracts)
            QVERIFY(!written.contains(QStringLiteral("sub/noise.bin")));
    }

    void presetPassword_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("entered");
        QTest::newRow("right preset, no question") << kPassword << 0 << false;
        QTest::newRow("refused preset, the user is asked") << "stale" << 1 << true;
    }
    void presetPassword()
    {
        QFETCH(QString, preset);
        QFETCH(int, questions);
        QFETCH(bool, entered);
        ScriptedPrompter prompts;
        prompts.setDefaultPassword(kPassword);
        C7zUnpacker unpacker;
        QVERIFY(!unpacker.IsPasswordEntered());
        unpacker.SetPassword(preset);
        unpacker.SetUsePassword(true);
        QVERIFY(unpacker.OpenArchive(path(QStringLiteral("headers.7z"))));
        QCOMPARE(prompts.count(ScriptedPrompter::Record::Password), questions);
        QCOMPARE(unpacker.IsPasswordEntered(), entered);
        QCOMPARE(unpacker.GetPassword(), kPassword);
    }

    void recordsAndTexts()
    {
        C7zUnpacker unpacker;
        QVERIFY(!unpacker.CloseArchive());
        QVERIFY(unpacker.OpenArchive(path(QStringLiteral("plain.7z"))));
        QVERIFY(unpacker.GetFileOutputInfo(QStringLiteral("empty.txt")).contains(u"Size - 0 bytes, Packed - 0 bytes, Ratio - 0%, CRC - 00000000"));
        QVERIFY(unpacker.GetFileOutputInfo(QStringLiteral("a.txt")).contains(u"Size - 12 000 bytes"));
        // The time the listing shows: the record's DOS time, in two-second steps.
        const QString listedTime = localTimeText(kOddSecond.addSecs(-1).toSecsSinceEpoch());
        QVERIFY(unpacker.GetFileOutputInfo(QStringLiteral("a.txt")).startsWith(QStringLiteral("Modified - %1, ").arg(listedTime)));
        QVERIFY(unpacker.GetFolderOutputInfo(QStringLiteral("sub")).startsWith(u"Files - 2, Folders - 1, Size - 250 000 bytes"));
        QVERIFY(unpacker.GetArchiveOutputInfo().startsWith(u"Files - 7, Folders - 5, "));
        QMap<QString, std::pair<int, int>> flags;
        QVERIFY(unpacker.FindFile());
        bool more = true;
        while (more) {
            more = unpacker.FindNextFileW();
            SEVENZIPFILESHORTINFO record;
            QVERIFY(unpacker.GetFileShortInfo(record));
            flags.insert(record.strPath, {record.bFolder, record.bSubFolder});
            if (record.strPath == u"sub/deeper/c.txt") {
                QCOMPARE(record.strName, QStringLiteral("c.txt"));
                QCOMPARE(record.strTitle, QStringLiteral("c"));
                QCOMPARE(record.strExtension, QStringLiteral("txt"));
            }
        }
        QCOMPARE(flags.value(QStringLiteral("sub")), std::make_pair(1, 0));
        QCOMPARE(flags.value(QStringLiteral("sub/deeper")), std::make_pair(0, 1));
        QCOMPARE(flags.value(QStringLiteral("a.txt")), std::make_pair(0, 0));
        QVERIFY(unpacker.CloseArchive());
        QVERIFY(!unpacker.FindFile());
    }

    // Only an executable may carry a program before its archive; a file named as an archive starts with it.
    void stubOnlyBeforeAnExecutable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("opens");
        QTest::newRow("named .7z") << "stub.7z" << false;
        QTest::newRow("named .exe") << "stub.exe" << true;
    }
    void stubOnlyBeforeAnExecutable()
    {
        QFETCH(QString, name);
        QFETCH(bool, opens);
        QVERIFY(writeFile(path(name), QByteArray(4096, 'M') + readFile(path(QStringLiteral("plain.7z")))));
        QCOMPARE(C7zUnpacker().OpenArchive(path(name)), opens);
    }

    void splitSetNeedsItsFirstVolume()
    {
        C7zUnpacker unpacker;
        QVERIFY(!unpacker.OpenMultiVolumeArchive(path(QStringLiteral("split.7z.002"))));
        QVERIFY(!unpacker.OpenMultiVolumeArchive(path(QStringLiteral("letters.ab"))));
        QVERIFY(!unpacker.OpenMultiVolumeArchive(path(QStringLiteral("missing.7z.001"))));
    }

    void randomDamageNeverCrashes_data()
    {
        QTest::addColumn<QString>("archive");
        for (const char *name : {"plain.7z", "solid.7z", "files.7z", "headers.7z"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void randomDamageNeverCrashes()
    {
        QFETCH(QString, archive);
        ScriptedPrompter prompts;
        prompts.setDefaultPassword(kPassword);
        prompts.setDefaultReplaceAnswer(ReplaceAnswer::Yes);
        const QByteArray original = readFile(path(archive));
        QRandomGenerator random(0x7a7a);
        for (int round = 0; round < 12; ++round) {
            QByteArray damaged = original;
            for (int hits = 0; hits < 1 + round % 4; ++hits)
                damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
            if (round % 3 == 2)
                damaged.truncate(random.bounded(int(damaged.size())));
            const QString copy = path(QStringLiteral("damaged-") + archive);
            QVERIFY(writeFile(copy, damaged));
            C7zUnpacker unpacker;
            if (!unpacker.OpenArchive(copy))
                continue;
            enumerate(unpacker);
            unpacker.GetArchiveOutputInfo();
            unpacker.UnpackArchive(freshFolder());
        }
    }
};

QTEST_GUILESS_MAIN(TestSevenZipUnpacker)
#include "tst_sevenzipunpacker.moc"
