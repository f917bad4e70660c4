#include "szfixtures.h"

#include "tests/support/testhome.h"
#include "unpack/sevenzip/sevenziparchive.h"
#include "unpack/sevenzip/szlibrary.h"
#include "unpack/sevenzip/szvolumes.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;
using namespace orv::test;
using sz::OpenStatus;

namespace {

const QString kPassword = QStringLiteral("Secret pass 1");

struct Fixture
{
    QStringList volumes;
    QString password;  // for 7z's own listing
    QStringList formats;
};

// Answers password requests from a script and counts them; "<cancel>" declines.
struct ScriptedPasswords
{
    QStringList answers;
    int calls = 0;
    sz::PasswordProvider provider()
    {
        return [this]() -> std::optional<QString> {
            const QString answer = answers.value(calls++, QStringLiteral("<cancel>"));
            if (answer == u"<cancel>")
                return std::nullopt;
            return answer;
        };
    }
};

qint64 sltTime(const QString &text)
{
    QDateTime time = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    time.setTimeSpec(Qt::UTC);
    return time.toSecsSinceEpoch();
}

}  // namespace

class TestSevenZipArchive : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_source;
    QHash<QString, Fixture> m_fixtures;

    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }
    void make(const QString &name, const QString &file, const QStringList &switches, const QString &password = {},
              const QStringList &formats = {QStringLiteral("7z")});
    bool openFixture(sz::SevenZipArchive &archive, const QString &name, sz::ArchiveOpenOptions options = {});

private slots:
    void initTestCase();
    void listing_data();
    void listing();
    void passwords_data();
    void passwords();
    void openFailures_data();
    void openFailures();
    void missingLibrary_data();
    void missingLibrary();
    void volumeNames_data();
    void volumeNames();
    void splitSetIsCollected();
};

void TestSevenZipArchive::make(const QString &name, const QString &file, const QStringList &switches,
                               const QString &password, const QStringList &formats)
{
    // 7z names the volumes of a split archive itself.
    const bool split = file.endsWith(QLatin1String(".001"));
    QStringList arguments{QStringLiteral("a"), split ? path(file).chopped(4) : path(file)};
    arguments += switches;
    if (!password.isEmpty())
        arguments += QStringLiteral("-p") + password;
    arguments += QStringList{QStringLiteral("a.txt"), QStringLiteral("sub"), QStringLiteral("empty.txt"),
                             QStringLiteral("emptydir"), QStringLiteral("\U0001F600 \u00FC.txt")};
    const ToolRun run = runTool(QStringLiteral("7z"), arguments, m_source);
    QVERIFY2(run.exitCode == 0, run.output.constData());
    Fixture fixture{{path(file)}, password, formats};
    if (split) {
        QString error;
        fixture.volumes = sz::splitVolumePaths(path(file), &error);
    }
    m_fixtures.insert(name, fixture);
}

bool TestSevenZipArchive::openFixture(sz::SevenZipArchive &archive, const QString &name, sz::ArchiveOpenOptions options)
{
    const Fixture &fixture = m_fixtures[name];
    options.formats = fixture.formats;
    return archive.openVolumes(fixture.volumes, options);
}

void TestSevenZipArchive::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_source = path(QStringLiteral("src"));
    makeSourceTree(m_source);
    const QStringList zip{QStringLiteral("zip")};
    make(QStringLiteral("zip deflate"), QStringLiteral("deflate.zip"), {QStringLiteral("-tzip"), QStringLiteral("-mm=Deflate")}, {}, zip);
    make(QStringLiteral("zip bzip2"), QStringLiteral("bzip2.zip"), {QStringLiteral("-tzip"), QStringLiteral("-mm=BZip2")}, {}, zip);
    make(QStringLiteral("zip lzma"), QStringLiteral("lzma.zip"), {QStringLiteral("-tzip"), QStringLiteral("-mm=LZMA")}, {}, zip);
    make(QStringLiteral("zip stored"), QStringLiteral("stored.zip"), {QStringLiteral("-tzip"), QStringLiteral("-mx=0")}, {}, zip);
    make(QStringLiteral("zip ZipCrypto"), QStringLiteral("zipcrypto.zip"), {QStringLiteral("-tzip"), QStringLiteral("-mem=ZipCrypto")}, kPassword, zip);
    make(QStringLiteral("zip AES-256"), QStringLiteral("aes.zip"), {QStringLiteral("-tzip"), QStringLiteral("-mem=AES256")}, kPassword, zip);
    make(QStringLiteral("7z"), QStringLiteral("plain.7z"), {});
    make(QStringLiteral("7z non-solid"), QStringLiteral("nonsolid.7z"), {QStringLiteral("-ms=off")});
    make(QStringLiteral("7z encrypted"), QStringLiteral("encrypted.7z"), {QStringLiteral("-ms=off")}, kPassword);
    make(QStringLiteral("7z encrypted stored"), QStringLiteral("encstored.7z"), {QStringLiteral("-mx=0")}, kPassword);
    make(QStringLiteral("7z header-encrypted"), QStringLiteral("headers.7z"), {QStringLiteral("-mhe=on")}, kPassword);
    make(QStringLiteral("7z split"), QStringLiteral("split.7z.001"), {QStringLiteral("-v60k"), QStringLiteral("-mx=1")});
    make(QStringLiteral("7z split header-encrypted"), QStringLiteral("splithe.7z.001"),
         {QStringLiteral("-v60k"), QStringLiteral("-mhe=on")}, kPassword);
    QVERIFY(m_fixtures[QStringLiteral("7z split")].volumes.size() >= 2);
}

void TestSevenZipArchive::listing_data()
{
    QTest::addColumn<QString>("fixture");
    for (const char *name : {"zip deflate", "zip bzip2", "zip lzma", "zip stored", "zip ZipCrypto", "zip AES-256",
                             "7z", "7z non-solid", "7z encrypted", "7z header-encrypted", "7z split",
                             "7z split header-encrypted"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Every property we read must agree with 7-Zip's own listing of the same archive.
void TestSevenZipArchive::listing()
{
    QFETCH(QString, fixture);
    const Fixture &f = m_fixtures[fixture];
    const QList<SltRecord> expected = sevenZipListing(f.volumes.first(), f.password);
    QVERIFY(!expected.isEmpty());

    sz::SevenZipArchive archive;
    sz::ArchiveOpenOptions options;
    options.knownPassword = f.password.isEmpty() ? std::nullopt : std::optional(f.password);
    QVERIFY2(openFixture(archive, fixture, options), qPrintable(archive.errorText()));
    QCOMPARE(archive.itemCount(), quint32(expected.size()));
    for (quint32 i = 0; i < archive.itemCount(); ++i) {
        const sz::ItemInfo item = archive.item(i);
        const SltRecord &record = expected[qsizetype(i)];
        QCOMPARE(item.path, record.value(QStringLiteral("Path")));
        QCOMPARE(item.isDir, record.value(QStringLiteral("Attributes")).startsWith(u'D')
                                 || record.value(QStringLiteral("Folder")) == u"+");
        QCOMPARE(item.size.value_or(0), record.value(QStringLiteral("Size")).toULongLong());
        const QString packed = record.value(QStringLiteral("Packed Size"));
        QCOMPARE(item.packSize.has_value(), !packed.isEmpty());
        QCOMPARE(item.packSize.value_or(0), packed.toULongLong());
        const QString crc = record.value(QStringLiteral("CRC"));
        QCOMPARE(item.crc.has_value(), !crc.isEmpty());
        if (item.crc)
            QCOMPARE(QStringLiteral("%1").arg(*item.crc, 8, 16, QLatin1Char('0')).toUpper(), crc);
        QCOMPARE(item.encrypted, record.value(QStringLiteral("Encrypted")) == u"+");
        QCOMPARE(item.method, record.value(QStringLiteral("Method")));
        QVERIFY(item.mTime.has_value());
        QCOMPARE(*item.mTime, sltTime(record.value(QStringLiteral("Modified"))));
    }
}

void TestSevenZipArchive::passwords_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("withProvider");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<OpenStatus>("openStatus");
    QTest::addColumn<int>("asked");

    const QString wrong = QStringLiteral("not it");
    const QString cancel = QStringLiteral("<cancel>");
    QTest::newRow("7z data only") << "7z encrypted" << true << QStringList{kPassword} << OpenStatus::Ok << 0;
    QTest::newRow("7z headers, right") << "7z header-encrypted" << true << QStringList{kPassword} << OpenStatus::Ok << 1;
    QTest::newRow("7z headers, wrong") << "7z header-encrypted" << true << QStringList{wrong}
                                       << OpenStatus::WrongPassword << 1;
    QTest::newRow("7z headers, cancelled") << "7z header-encrypted" << true << QStringList{cancel}
                                           << OpenStatus::PasswordCancelled << 1;
    QTest::newRow("7z headers, nobody to ask") << "7z header-encrypted" << false << QStringList{}
                                               << OpenStatus::NeedsPassword << 0;
    QTest::newRow("split headers, right") << "7z split header-encrypted" << true << QStringList{kPassword}
                                          << OpenStatus::Ok << 1;
    QTest::newRow("zip AES") << "zip AES-256" << true << QStringList{kPassword} << OpenStatus::Ok << 0;
}

// The user is asked at most once per open, whatever the number of encrypted blocks, and only when the
// headers are encrypted; the password that opened the archive is kept for later opens.
void TestSevenZipArchive::passwords()
{
    QFETCH(QString, fixture);
    QFETCH(bool, withProvider);
    QFETCH(QStringList, answers);
    QFETCH(OpenStatus, openStatus);
    QFETCH(int, asked);

    ScriptedPasswords script{answers};
    sz::SevenZipArchive archive;
    sz::ArchiveOpenOptions options;
    if (withProvider)
        options.passwordProvider = script.provider();
    QCOMPARE(openFixture(archive, fixture, options), openStatus == OpenStatus::Ok);
    QCOMPARE(archive.openStatus(), openStatus);
    QCOMPARE(archive.errorText().isEmpty(), openStatus == OpenStatus::Ok);
    QCOMPARE(script.calls, asked);
    QCOMPARE(archive.password(), openStatus == OpenStatus::Ok && asked ? std::optional(kPassword) : std::nullopt);
}

void TestSevenZipArchive::openFailures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");  // written to file when not empty
    QTest::addColumn<QStringList>("formats");
    QTest::addColumn<OpenStatus>("status");

    const QStringList sevenZip{QStringLiteral("7z")};
    QTest::newRow("missing file") << "nothing.7z" << QByteArray() << sevenZip << OpenStatus::CannotReadFile;
    QTest::newRow("folder") << "src" << QByteArray() << sevenZip << OpenStatus::CannotReadFile;
    QTest::newRow("text file") << "text.7z" << QByteArray("just some text\n") << sevenZip << OpenStatus::NotArchive;
    QTest::newRow("empty file") << "empty.7z" << QByteArray("-") << sevenZip << OpenStatus::NotArchive;
    QTest::newRow("first volume alone") << "split.7z.001" << QByteArray() << sevenZip << OpenStatus::Damaged;
    QTest::newRow("zip as 7z") << "deflate.zip" << QByteArray() << sevenZip << OpenStatus::NotArchive;
    QTest::newRow("unknown format") << "plain.7z" << QByteArray() << QStringList{QStringLiteral("NoSuchKind")}
                                    << OpenStatus::FormatMissing;
    QTest::newRow("second format fits") << "deflate.zip" << QByteArray()
                                        << QStringList{QStringLiteral("7z"), QStringLiteral("zip")} << OpenStatus::Ok;
}

void TestSevenZipArchive::openFailures()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, formats);
    QFETCH(OpenStatus, status);
    if (content == "-")
        QVERIFY(writeFile(path(file), QByteArray()));
    else if (!content.isEmpty())
        QVERIFY(writeFile(path(file), content));

    sz::SevenZipArchive archive;
    sz::ArchiveOpenOptions options;
    options.formats = formats;
    QCOMPARE(archive.open(path(file), options), status == OpenStatus::Ok);
    QCOMPARE(archive.openStatus(), status);
    QCOMPARE(archive.errorText().isEmpty(), status == OpenStatus::Ok);
    QCOMPARE(archive.isOpen(), status == OpenStatus::Ok);
    QCOMPARE(archive.close(), status == OpenStatus::Ok);
    QVERIFY(!archive.close());
}

void TestSevenZipArchive::missingLibrary_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("textPart");
    QTest::newRow("missing") << "/nonexistent/7z.so" << "was not found";
    QTest::newRow("not a library") << "a.txt" << "could not be loaded";
    QTest::newRow("another library") << "/usr/lib/x86_64-linux-gnu/libz.so.1" << "not a 7-Zip archive library";
}

// Without a usable 7z.so every open fails with a message, and the real library works again afterwards.
void TestSevenZipArchive::missingLibrary()
{
    QFETCH(QString, library);
    QFETCH(QString, textPart);
    if (!library.startsWith(u'/'))
        library = m_source + u'/' + library;
    if (!QFile::exists(library) && !textPart.contains(QStringLiteral("found")))
        QSKIP("The stand-in library is not on this machine.");
    qputenv(sz::Library::pathVariable, QFile::encodeName(library));
    sz::SevenZipArchive archive;
    const bool opened = openFixture(archive, QStringLiteral("7z"));
    qunsetenv(sz::Library::pathVariable);
    QVERIFY(!opened);
    QCOMPARE(archive.openStatus(), OpenStatus::LibraryMissing);
    QVERIFY2(archive.errorText().contains(textPart), qPrintable(archive.errorText()));
    QVERIFY(archive.errorText().contains(library));
    QVERIFY(openFixture(archive, QStringLiteral("7z")));
}

void TestSevenZipArchive::volumeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("first");
    QTest::addColumn<QString>("next");  // empty: none
    QTest::newRow("001") << "x.7z.001" << true << "x.7z.002";
    QTest::newRow("01") << "x.01" << true << "x.02";
    QTest::newRow("carry") << "x.7z.009" << false << "x.7z.010";
    QTest::newRow("carry twice") << "x.7z.099" << false << "x.7z.100";
    QTest::newRow("width kept") << "x.7z.999" << false << "";
    QTest::newRow("002 is not first") << "x.7z.002" << false << "x.7z.003";
    QTest::newRow("letters") << "x.aa" << true << "x.ab";
    QTest::newRow("letter carry") << "x.az" << false << "x.ba";
    QTest::newRow("upper letters") << "X.AAZ" << false << "X.ABA";
    QTest::newRow("letters run out") << "x.zz" << false << "";
    QTest::newRow("mixed is no counter") << "x.a01" << false << "";
    QTest::newRow("dot in folder only") << "dir.001/name" << false << "";
    QTest::newRow("7z itself") << "x.7z" << false << "";
}

void TestSevenZipArchive::volumeNames()
{
    QFETCH(QString, name);
    QFETCH(bool, first);
    QFETCH(QString, next);
    QCOMPARE(sz::isFirstVolume(name), first);
    QCOMPARE(sz::nextVolumePath(name).value_or(QString()), next);
}

void TestSevenZipArchive::splitSetIsCollected()
{
    const QStringList volumes = m_fixtures[QStringLiteral("7z split")].volumes;
    QString error;
    QVERIFY(sz::splitVolumePaths(volumes.value(1), &error).isEmpty());
    QVERIFY(!error.isEmpty());
    // A gap ends the set: the volumes after it are not part of it.
    const QString copy = path(QStringLiteral("gap/s.7z.001"));
    QVERIFY(writeFile(copy, readFile(volumes[0])));
    QVERIFY(writeFile(path(QStringLiteral("gap/s.7z.003")), readFile(volumes[0])));
    QCOMPARE(sz::splitVolumePaths(copy, &error), QStringList{copy});
}

QTEST_GUILESS_MAIN(TestSevenZipArchive)
#include "tst_sevenziparchive.moc"
