#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include "platform/numbers.h"
#include "platform/prompts.h"
#include "unpack/rar/rardatareader.h"
#include "unpack/rar/rarunpacker.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <clocale>

using namespace orv;
using namespace orv::test;

namespace {

const QString kPassword = QStringLiteral("password");
const QString kNoDecryption = QStringLiteral("RAR decryption is not available in this build.");

struct Listed
{
    bool folder = false;
    quint64 size = 0;
    quint64 packed = 0;
    QString crc;      // upper-case hex, empty when the header has none
    QString version;  // "29", "20"; empty for RAR 5
    bool operator==(const Listed &) const = default;
};

QDebug operator<<(QDebug debug, const Listed &l)
{
    return debug << l.folder << l.size << l.packed << l.crc << l.version;
}

// 7-Zip's own listing of an archive, the oracle for what the unpacker lists.
QMap<QString, Listed> listedBy7z(const QString &archive)
{
    QMap<QString, Listed> items;
    for (const SltRecord &record : sevenZipListing(archive, kPassword)) {
        Listed item;
        item.folder = record.value(QStringLiteral("Folder")) == QLatin1String("+");
        // The unpacker fills nothing but the path and flags for a folder, and 0 for a missing CRC.
        if (!item.folder) {
            item.size = record.value(QStringLiteral("Size")).toULongLong();
            item.packed = record.value(QStringLiteral("Packed Size")).toULongLong();
            item.crc = record.value(QStringLiteral("CRC"));
            if (item.crc.isEmpty())
                item.crc = QStringLiteral("00000000");
            item.version = record.value(QStringLiteral("Version"));
        }
        items.insert(record.value(QStringLiteral("Path")), item);
    }
    return items;
}

QMap<QString, Listed> listedByUnpacker(CRarUnpacker &unpacker, bool rar5)
{
    QMap<QString, Listed> items;
    if (!unpacker.FindFile())
        return items;
    RARFILEFULLINFO record;
    while (unpacker.FindNextFileW() && unpacker.GetFileFullInfo(record)) {
        Listed item;
        item.folder = record.bFolder || record.bSubFolder;
        if (!item.folder) {
            item.size = (quint64(record.dwUnpSizeHigh) << 32) | record.dwUnpSize;
            item.packed = (quint64(record.dwPackSizeHigh) << 32) | record.dwPackSize;
            item.crc = QStringLiteral("%1").arg(record.dwFileCRC, 8, 16, QLatin1Char('0')).toUpper();
            item.version = rar5 ? QString() : QString::number(record.dwUnpVer);
        }
        items.insert(record.strPath, item);
    }
    return items;
}

quint32 crcOf(const QByteArray &bytes)
{
    return rar::crc32Update(0, bytes.constData(), std::size_t(bytes.size()));
}

const QStringList &allFixtures()
{
    static const QStringList names{
        "rar4-folders.rar", "rar5-folders.rar", "rar4-unicode.rar", "rar5-unicode.rar",
        "rar4-encrypted-files.rar", "rar5-encrypted-files.rar", "rar4-encrypted-headers.rar",
        "rar5-encrypted-headers.rar", "rar4-solid.rar", "rar5-solid.rar", "rar4-multivolume.part1.rar",
        "rar4-oldnames.rar", "rar5-multivolume.part1.rar"};
    return names;
}

}  // namespace

class TestRarUnpacker : public QObject
{
    Q_OBJECT

private:
    QString fixture(const QString &name) const { return m_fixtures + u'/' + name; }
    QString freshFolder() const { return test::freshFolder(m_scratch->path()); }
    // A writable copy of the volumes whose names begin with the stem.
    QString copyOf(const QString &stem, const QStringList &only = {})
    {
        const QString folder = freshFolder();
        const QStringList names = QDir(m_fixtures).entryList({stem + u'*'}, QDir::Files);
        for (const QString &name : names) {
            if (only.isEmpty() || only.contains(name))
                QFile::copy(fixture(name), folder + u'/' + name);
            QFile(folder + u'/' + name).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        }
        return folder;
    }

    QString m_fixtures;
    std::unique_ptr<QTemporaryDir> m_scratch;

private slots:
    void initTestCase()
    {
        m_fixtures = qEnvironmentVariable("ORV_SHARED_DIR") + QStringLiteral("/fixtures/rar");
        if (!QDir(m_fixtures).exists())
            QSKIP("the RAR samples are not at hand");
        m_scratch = std::make_unique<QTemporaryDir>();
    }

    void listingMatches7z_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &name : allFixtures())
            QTest::newRow(qPrintable(name)) << name;
    }
    void listingMatches7z()
    {
        QFETCH(QString, file);
        ScriptedPrompter prompts;
        prompts.setDefaultPassword(kPassword);
        CRarUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(fixture(file)));
        const QMap<QString, Listed> expected = listedBy7z(fixture(file));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(listedByUnpacker(unpacker, file.startsWith(QLatin1String("rar5"))), expected);
        // A second enumeration starts again at the first header.
        QCOMPARE(listedByUnpacker(unpacker, file.startsWith(QLatin1String("rar5"))).size(), expected.size());
    }

    void enumerationShape()
    {
        CRarUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(fixture("rar4-folders.rar")));
        QVERIFY(unpacker.FindFile());
        QStringList paths;
        QList<std::pair<int, int>> flags;
        RARFILESHORTINFO record;
        while (unpacker.FindNextFileW() && unpacker.GetFileShortInfo(record)) {
            paths << record.strPath;
            flags << std::pair<int, int>(record.bFolder, record.bSubFolder);
        }
        QCOMPARE(paths.size(), 10);
        QCOMPARE(paths.first(), QStringLiteral("sub/dir2/file2.txt"));
        QCOMPARE(flags.first(), std::pair(0, 0));
        QCOMPARE(flags.at(paths.indexOf("sub/dir2")), std::pair(0, 1));
        QCOMPARE(flags.at(paths.indexOf("sub")), std::pair(1, 0));
        QVERIFY(!unpacker.GetFileShortInfo(record));
    }

    void fullRecord()
    {
        CRarUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(fixture("rar4-solid.rar")));
        RARFILEFULLINFO record;
        QVERIFY(unpacker.FindFile() && unpacker.FindNextFileW() && unpacker.GetFileFullInfo(record));
        QVERIFY(unpacker.FindNextFileW() && unpacker.GetFileFullInfo(record));
        QCOMPARE(record.strPath, QStringLiteral("stest2.txt"));
        QCOMPARE(record.strTitle, QStringLiteral("stest2"));
        QCOMPARE(record.strExtension, QStringLiteral("txt"));
        QCOMPARE(record.dwUnpVer, 29u);
        QCOMPARE(record.dwUnpVer2, 29u);
        QCOMPARE(record.dwMethod, 0x33u);
        QCOMPARE(record.dwFlags, rar::HeaderFlag::Solid);
        QCOMPARE(record.dwFileCRC, 0xC5B7E6A2u);
        QCOMPARE(record.dwUnpSize, 2048u);
        QVERIFY(record.dwFileTime != 0);
        QCOMPARE(record.dwFileAttr, record.dwFileAttr2);
        QVERIFY(record.strExtra.isEmpty());
    }

    void texts()
    {
        CRarUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(fixture("rar4-folders.rar")));
        const QString file = unpacker.GetFileOutputInfo(QStringLiteral("SUB/DIR1/file1.txt"));
        QVERIFY2(file.endsWith(QLatin1String("Size - 6 bytes, Packed - 6 bytes, Ratio - 100%, CRC - e229f704, "
                                             "Version to extract - 2.9")), qPrintable(file));
        QCOMPARE(unpacker.GetFileOutputInfo(QStringLiteral("sub/dir1")), QString());
        QCOMPARE(unpacker.GetArchiveOutputInfo(),
                 QStringLiteral("Files - 4, Folders - 6, Size - 25 bytes, Packed - 25 bytes, Ratio - 100%"));
        QCOMPARE(unpacker.GetFolderOutputInfo(QStringLiteral("sub")),
                 QStringLiteral("Files - 4, Folders - 5, Size - 25 bytes, Packed - 25 bytes, Ratio - 100%"));
        QVERIFY(unpacker.IsFolder(QStringLiteral("sub/empty")));
        QVERIFY(!unpacker.IsFolder(QStringLiteral("sub/dir")));
        QVERIFY(!unpacker.IsFolder(QStringLiteral("sub/dir1/file1.txt")));

        // The description shows the time of the record, as the listing does: the DOS time, whose two-second
        // steps drop the odd second the archive stores (18:02:17 UTC).
        QVERIFY(unpacker.OpenArchive(fixture("rar5-folders.rar")));
        const QDateTime listed(QDate(2020, 7, 20), QTime(18, 2, 16), QTimeZone::utc());
        QVERIFY(unpacker.GetFileOutputInfo(QStringLiteral("sub/with space/long fn.txt"))
                    .startsWith(QStringLiteral("Modified - %1, ").arg(localTimeText(listed.toSecsSinceEpoch()))));
    }

    // Every file 7-Zip lists either lands with the CRC of its header or fails with the one message that
    // says why; nothing else is written.
    void extractionChecksAgainstHeaders_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("refused");
        QTest::addColumn<QString>("reason");
        const QString solid = QStringLiteral("solid");
        QTest::newRow("rar4 folders") << "rar4-folders.rar" << QStringList{} << QString();
        QTest::newRow("rar5 folders") << "rar5-folders.rar" << QStringList{} << QString();
        QTest::newRow("rar4 unicode") << "rar4-unicode.rar" << QStringList{} << QString();
        QTest::newRow("rar5 unicode") << "rar5-unicode.rar" << QStringList{} << QString();
        QTest::newRow("rar5 solid") << "rar5-solid.rar" << QStringList{} << QString();
        QTest::newRow("rar4 solid") << "rar4-solid.rar" << QStringList{"stest2.txt"} << solid;
        QTest::newRow("rar4 encrypted files") << "rar4-encrypted-files.rar" << QStringList{"b.txt", "d.txt"} << kNoDecryption;
        QTest::newRow("rar5 encrypted files") << "rar5-encrypted-files.rar" << QStringList{"b.txt", "d.txt"} << kNoDecryption;
        const QStringList all{"a.txt", "b.txt", "c.txt", "d.txt"};
        QTest::newRow("rar4 encrypted headers") << "rar4-encrypted-headers.rar" << all << kNoDecryption;
        QTest::newRow("rar5 encrypted headers") << "rar5-encrypted-headers.rar" << all << kNoDecryption;
        QTest::newRow("rar4 new volume names") << "rar4-multivolume.part1.rar" << QStringList{} << QString();
        QTest::newRow("rar4 old volume names") << "rar4-oldnames.rar" << QStringList{} << QString();
        QTest::newRow("rar5 volumes") << "rar5-multivolume.part1.rar" << QStringList{} << QString();
    }
    void extractionChecksAgainstHeaders()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, refused);
        QFETCH(QString, reason);
        ScriptedPrompter prompts;
        prompts.setDefaultPassword(kPassword);
        CRarUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(fixture(file)));
        prompts.clear();
        const QString target = freshFolder();
        QCOMPARE(unpacker.UnpackArchive(target), refused.isEmpty());
        const QMap<QString, QByteArray> written = tree(target);
        const QMap<QString, Listed> listed = listedBy7z(fixture(file));
        QStringList messages;
        for (auto it = listed.cbegin(); it != listed.cend(); ++it) {
            const QString key = it->folder ? it.key() + u'/' : it.key();
            if (refused.contains(it.key())) {
                QVERIFY2(!written.contains(key), qPrintable(key));
                messages << QStringLiteral("Cannot unpack the file %1.").arg(it.key());
                continue;
            }
            QVERIFY2(written.contains(key), qPrintable(key));
            if (it->folder || it->crc.isEmpty() || it->crc == QLatin1String("00000000"))
                continue;
            QCOMPARE(quint64(written[key].size()), it->size);
            QCOMPARE(crcOf(written[key]), it->crc.toUInt(nullptr, 16));
        }
        const auto files = [](const auto &map) {
            return std::count_if(map.keyBegin(), map.keyEnd(), [](const QString &key) { return !key.endsWith(u'/'); });
        };
        const qsizetype listedFiles = std::count_if(listed.cbegin(), listed.cend(), [](const Listed &l) { return !l.folder; });
        QCOMPARE(files(written), listedFiles - refused.size());
        QCOMPARE(prompts.records().size(), std::size_t(messages.size()));
        for (int i = 0; i < messages.size(); ++i) {
            QVERIFY2(prompts.texts().at(i).startsWith(messages.at(i)), qPrintable(prompts.texts().at(i)));
            QVERIFY(prompts.texts().at(i).contains(reason));
        }
    }

    void linksComeOutAsData()
    {
        CRarUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(fixture("rar5-unicode.rar")));
        const QString target = freshFolder();
        QVERIFY(unpacker.UnpackArchive(target));
        const QMap<QString, QByteArray> written = tree(target);
        QCOMPARE(written.value(QStringLiteral("Ⓗⓐⓡⓓ Ⓛⓘⓝⓚ.txt")), QByteArray("Hello, world!"));
        QCOMPARE(written.value(QStringLiteral("𝒮𝓎𝓂𝒷𝑜𝓁𝒾𝒸 𝐿𝒾𝓃𝓀.txt")), QStringLiteral("👋🌎.txt").toUtf8());
    }

    // Plain 8-bit RAR 4 names are UTF-8 here; a program left in the C locale must still read them so.
    void namesDoNotDependOnTheLocale()
    {
        const QByteArray previous = setlocale(LC_ALL, nullptr);
        setlocale(LC_ALL, "C");
        CRarUnpacker unpacker;
        const QString target = freshFolder();
        const bool done = unpacker.OpenArchive(fixture("rar4-unicode.rar")) && unpacker.UnpackArchive(target);
        setlocale(LC_ALL, previous.constData());
        QVERIFY(done);
        QCOMPARE(readFile(target + QStringLiteral("/abcdefghijklmnopqrsテスト.txt")).size(), 16);
    }

    void headerPassword_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("answers");  // a null entry cancels
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QStringList>("messages");
        const QStringList none;
        const QStringList wrong{QStringLiteral("The specified password is incorrect.")};
        for (const QString &file : {QStringLiteral("rar4-encrypted-headers.rar"), QStringLiteral("rar5-encrypted-headers.rar")}) {
            QTest::addRow("%s right", qPrintable(file)) << file << QStringList{kPassword} << true << none;
            QTest::addRow("%s wrong", qPrintable(file)) << file << QStringList{"nope"} << false << wrong;
            QTest::addRow("%s cancelled", qPrintable(file)) << file << QStringList{QString()} << false << none;
        }
        QTest::newRow("clear headers ask nothing") << "rar5-encrypted-files.rar" << QStringList{} << true << none;
    }
    void headerPassword()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, answers);
        QFETCH(bool, opens);
        QFETCH(QStringList, messages);
        ScriptedPrompter prompts;
        for (const QString &answer : answers)
            prompts.queuePassword(answer.isNull() ? std::nullopt : std::optional<QString>(answer));
        CRarUnpacker unpacker;
        QCOMPARE(unpacker.OpenArchive(fixture(file)), opens);
        QCOMPARE(unpacker.IsPasswordEntered(), opens && !answers.isEmpty());
        QCOMPARE(unpacker.GetPassword(), opens && !answers.isEmpty() ? kPassword : QString());
        QStringList shown;
        int asked = 0;
        for (const auto &record : prompts.records()) {
            if (record.kind == ScriptedPrompter::Record::Password)
                ++asked;
            else
                shown << record.text;
        }
        QCOMPARE(asked, answers.size());
        QCOMPARE(shown, messages);
        QCOMPARE(unpacker.FindFile(), opens);
    }

    void presetPassword_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<int>("questions");
        QTest::newRow("right preset asks nothing") << kPassword << 0;
        QTest::newRow("refused preset asks once") << "stale" << 1;
    }
    void presetPassword()
    {
        QFETCH(QString, preset);
        QFETCH(int, questions);
        ScriptedPrompter prompts;
        prompts.queuePassword(kPassword);
        CRarUnpacker unpacker;
        unpacker.SetPassword(preset);
        unpacker.SetUsePassword(true);
        QVERIFY(unpacker.OpenArchive(fixture("rar5-encrypted-headers.rar")));
        QCOMPARE(int(prompts.records().size()), questions);
        QCOMPARE(unpacker.IsPasswordEntered(), questions == 1);
    }

    // A set that breaks off lists what its volumes hold and says which volume is missing; extracting a file
    // that goes on into it stops there with that message.
    void missingVolume_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("missing");
        QTest::newRow("rar4, second of three") << "rar4-multivolume.part1.rar" << "rar4-multivolume.part2.rar";
        QTest::newRow("rar5, second of three") << "rar5-multivolume.part1.rar" << "rar5-multivolume.part2.rar";
        QTest::newRow("rar4, last of three") << "rar4-multivolume.part1.rar" << "rar4-multivolume.part3.rar";
        QTest::newRow("old names, second of three") << "rar4-oldnames.rar" << "rar4-oldnames.r00";
    }
    void missingVolume()
    {
        QFETCH(QString, first);
        QFETCH(QString, missing);
        const QString folder = copyOf(first.section(u'.', 0, 0));
        QVERIFY(QFile::remove(folder + u'/' + missing));
        const QString text = QStringLiteral("Cannot find the volume %1/%2.").arg(folder, missing);
        ScriptedPrompter prompts;
        CRarUnpacker unpacker;
        QVERIFY(unpacker.OpenArchive(folder + u'/' + first));
        QCOMPARE(unpacker.GetDamageText(), text);
        QCOMPARE(listedByUnpacker(unpacker, false).firstKey(), QStringLiteral("vols/bigfile.txt"));
        const QString target = freshFolder();
        QVERIFY(!unpacker.UnpackArchive(target));
        QVERIFY(!unpacker.UnpackFile(QStringLiteral("vols/bigfile.txt"), target));
        QCOMPARE(prompts.texts(), QStringList({text, text}));
        QVERIFY(tree(target).isEmpty());
    }

    // Random bytes overwritten in every sample: listing and extracting must end, whatever they answer.
    void randomDamageNeverCrashes_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &name : allFixtures())
            QTest::newRow(qPrintable(name)) << name;
    }
    void randomDamageNeverCrashes()
    {
        QFETCH(QString, file);
        const QString stem = file.section(u'.', 0, 0);
        ScriptedPrompter prompts;
        prompts.setDefaultPassword(kPassword);
        prompts.setDefaultReplaceAnswer(ReplaceAnswer::YesToAll);
        QRandomGenerator random(qHash(file));
        for (int round = 0; round < 12; ++round) {
            const QString folder = copyOf(stem);
            for (const QString &name : QDir(folder).entryList(QDir::Files)) {
                QByteArray bytes = readFile(folder + u'/' + name);
                const int hits = 1 + int(random.bounded(4));
                for (int i = 0; i < hits && !bytes.isEmpty(); ++i)
                    bytes[qsizetype(random.bounded(quint32(bytes.size())))] = char(random.bounded(256));
                QVERIFY(writeFile(folder + u'/' + name, bytes));
            }
            CRarUnpacker unpacker;
            if (!unpacker.OpenArchive(folder + u'/' + file))
                continue;
            listedByUnpacker(unpacker, false);
            unpacker.GetArchiveOutputInfo();
            unpacker.UnpackArchive(folder + QStringLiteral("/out"));
        }
    }
};

QTEST_GUILESS_MAIN(TestRarUnpacker)
#include "tst_rarunpacker.moc"
