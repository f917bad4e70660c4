#include "isotestsupport.h"

#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "unpack/iso/isotime.h"
#include "unpack/iso/isounpacker.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <functional>
#include <thread>

using namespace orv;
using namespace orv::test;

Q_DECLARE_METATYPE(orv::test::UdfOptions)

namespace {

using Build = std::function<QByteArray()>;

// The listing as one line per item: "path size" or "path/" for a folder, in list order.
QString listed(CIsoUnpacker &unpacker)
{
    QStringList lines;
    if (!unpacker.FindFile())
        return {};
    for (bool more = true; more;) {
        more = unpacker.FindNextFileW();
        ISOFILEFULLINFO info;
        if (!unpacker.GetFileFullInfo(info))
            break;
        const std::uint64_t size = unpacker.IsUDF() ? info.nSize : info.dwDataLength;
        lines << (info.bFolder ? info.strPath + u'/' : QStringLiteral("%1 %2").arg(info.strPath).arg(size));
    }
    return lines.join(QLatin1String(", "));
}

IsoRecord file(const char *id, std::uint32_t extent, std::uint32_t length)
{
    return {QByteArray(id), extent, length, 0, {124, 5, 17, 10, 20, 30}};
}

IsoRecord folder(const char *id, std::uint32_t extent, std::uint32_t length = 2048)
{
    return {QByteArray(id), extent, length, 2, {124, 5, 17, 10, 20, 30}};
}

// Root directory at block 20 with the given records after its two dot records, a file's data at 30.
QByteArray isoWithRoot(std::vector<IsoRecord> records, const std::vector<int> &breaks = {})
{
    IsoBuilder b(40);
    b.primaryVolume(16, 20, 2 * 2048);
    b.terminator(17);
    std::vector<IsoRecord> all = dots(20, 20);
    all.insert(all.end(), records.begin(), records.end());
    b.directory(20, all, breaks);
    b.bytes(30 * 2048, "file data");
    return b.image();
}

}  // namespace

// Layouts no tool writes, built byte by byte here: each row is its own recipe.
class TestIsoHandmade : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString write(const QByteArray &image)
    {
        const QString path = m_dir.path() + QStringLiteral("/%1.iso").arg(QTest::currentDataTag());
        return writeFile(path, image) ? path : QString();
    }

private slots:
    void initTestCase();
    void iso9660_data();
    void iso9660();
    void udf_data();
    void udf();
    void recordedTimes();
    void hostileNamesStayInsideTarget();
    void timesConvertOnSeveralThreads();
};

void TestIsoHandmade::initTestCase()
{
    qputenv("TZ", "UTC");
    tzset();
    QVERIFY(m_dir.isValid());
}

void TestIsoHandmade::iso9660_data()
{
    QTest::addColumn<Build>("build");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("listing");

    QTest::newRow("version suffixes and trailing dots") << Build([] {
        return isoWithRoot({file("README.;1", 30, 9), file("A.TXT;2", 30, 9), file("DATA.BIN;1", 30, 9),
                            file("PLAIN.", 30, 9)});
    }) << true << "README 9, A.TXT;2 9, DATA.BIN 9, PLAIN. 9";
    QTest::newRow("volume descriptor not at block 16") << Build([] {
        IsoBuilder b(40);
        b.bytes(16 * 2048, QByteArray("\x00JUNK!", 6));
        b.primaryVolume(23, 20, 2048);
        b.directory(20, {dots(20, 20)[0], dots(20, 20)[1], file("X;1", 30, 9)});
        return b.image();
    }) << true << "X 9";
    QTest::newRow("directory goes on after zero padding") << Build([] {
        return isoWithRoot({file("ONE;1", 30, 9), file("TWO;1", 30, 9), file("THREE;1", 30, 9)}, {3});
    }) << true << "ONE 9, TWO 9, THREE 9";
    QTest::newRow("folders in pre-order") << Build([] {
        IsoBuilder b(40);
        b.primaryVolume(16, 20, 2048);
        b.directory(20, {dots(20, 20)[0], dots(20, 20)[1], folder("D", 21), file("Z;1", 30, 1)});
        b.directory(21, {dots(21, 20)[0], dots(21, 20)[1], folder("E", 22), file("F;1", 30, 2)});
        b.directory(22, {dots(22, 21)[0], dots(22, 21)[1], file("G;1", 30, 3)});
        return b.image();
    }) << true << "D/, D/E/, D/E/G 3, D/F 2, Z 1";
    QTest::newRow("directory loop to itself and to its parent") << Build([] {
        IsoBuilder b(40);
        b.primaryVolume(16, 20, 2048);
        b.directory(20, {dots(20, 20)[0], dots(20, 20)[1], folder("D", 21), folder("SELF", 20)});
        b.directory(21, {dots(21, 20)[0], dots(21, 20)[1], folder("UP", 20), file("F;1", 30, 2)});
        return b.image();
    }) << true << "D/, D/UP/, D/F 2, SELF/";
    QTest::newRow("directory length of gigabytes") << Build([] {
        return isoWithRoot({folder("HUGE", 21, 0xFFFFFFF0u), file("F;1", 30, 9)});
    }) << true << "HUGE/, F 9";
    QTest::newRow("record running past the directory") << Build([] {
        QByteArray image = isoWithRoot({file("OK;1", 30, 9), file("CUT;1", 30, 9)});
        image[16 * 2048 + 156 + 10] = char(34 + 34 + 38 + 20);  // the root ends inside the last record
        image[16 * 2048 + 156 + 11] = 0;
        return image;
    }) << true << "OK 9";
    QTest::newRow("identifier longer than its record") << Build([] {
        QByteArray image = isoWithRoot({file("OK;1", 30, 9), file("BAD;1", 30, 9)});
        image[20 * 2048 + 34 + 34 + 38 + 32] = char(200);  // its identifier length
        return image;
    }) << true << "OK 9";
    QTest::newRow("no volume descriptor") << Build([] { return QByteArray(40 * 2048, '\0'); }) << false << "";
    QTest::newRow("logical block size of zero") << Build([] {
        QByteArray image = isoWithRoot({file("F;1", 30, 9)});
        image[16 * 2048 + 128] = 0;
        image[16 * 2048 + 129] = 0;
        return image;
    }) << false << "";
}

void TestIsoHandmade::iso9660()
{
    QFETCH(Build, build);
    QFETCH(bool, opens);
    QFETCH(QString, listing);
    CIsoUnpacker unpacker;
    QCOMPARE(unpacker.OpenArchive(write(build())), opens);
    QVERIFY(!unpacker.IsUDF());
    QCOMPARE(listed(unpacker), listing);
}

void TestIsoHandmade::udf_data()
{
    QTest::addColumn<UdfOptions>("options");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("listing");

    const auto with = [](auto change) {
        UdfOptions o;
        change(o);
        return o;
    };
    QTest::newRow("2048-byte sectors") << UdfOptions{} << true << "ab.txt 5, d/, d/in.bin 3000, d/small 4";
    QTest::newRow("512-byte sectors") << with([](UdfOptions &o) { o.sectorSize = 512; }) << true
                                      << "ab.txt 5, d/, d/in.bin 3000, d/small 4";
    QTest::newRow("extended file entries") << with([](UdfOptions &o) { o.extendedEntries = true; }) << true
                                           << "ab.txt 5, d/, d/in.bin 3000, d/small 4";
    QTest::newRow("long allocation descriptors") << with([](UdfOptions &o) { o.longAllocation = true; }) << true
                                                 << "ab.txt 5, d/, d/in.bin 3000, d/small 4";
    QTest::newRow("names in UTF-16") << with([](UdfOptions &o) { o.compression16 = true; }) << true
                                     << "ab.txt 5, d/, d/in.bin 3000, d/small 4";
    QTest::newRow("directory loop") << with([](UdfOptions &o) { o.loop = true; }) << true
                                    << "ab.txt 5, d/, d/in.bin 3000, d/small 4, d/again/";
    QTest::newRow("second volume claims the same partition")
        << with([](UdfOptions &o) { o.secondVolumeSamePartition = true; }) << false << "";
    QTest::newRow("partition map of type 2") << with([](UdfOptions &o) { o.mapType = 2; }) << false << "";
    QTest::newRow("non-zero padding after a descriptor") << with([](UdfOptions &o) { o.badPadding = true; }) << false
                                                         << "";
    QTest::newRow("extended allocation descriptors") << with([](UdfOptions &o) { o.extendedAllocation = true; })
                                                     << false << "";
}

void TestIsoHandmade::udf()
{
    QFETCH(UdfOptions, options);
    QFETCH(bool, opens);
    QFETCH(QString, listing);
    QByteArray noise(3000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char(i * 31 + 7);
    const QByteArray image = buildUdf({{QStringLiteral("ab.txt"), "hello"},
                                       {QStringLiteral("d/in.bin"), noise},
                                       {QStringLiteral("d/small"), "tiny", true}},
                                      options);
    CIsoUnpacker unpacker;
    QCOMPARE(unpacker.OpenArchive(write(image)), opens);
    QCOMPARE(listed(unpacker), listing);
    if (!opens)
        return;
    QVERIFY(unpacker.IsUDF());
    QTemporaryDir out;
    QVERIFY(unpacker.UnpackArchive(out.path()));
    QCOMPARE(readFile(out.path() + QStringLiteral("/ab.txt")), QByteArray("hello"));
    QCOMPARE(readFile(out.path() + QStringLiteral("/d/in.bin")), noise);
    QCOMPARE(readFile(out.path() + QStringLiteral("/d/small")), QByteArray("tiny"));
}

void TestIsoHandmade::recordedTimes()
{
    const std::time_t before = std::time(nullptr);
    IsoRecord bad = file("BAD;1", 30, 9);
    bad.time = {124, 13, 1, 0, 0, 0};  // month 13
    IsoRecord unset = file("UNSET;1", 30, 9);
    unset.time = {0, 0, 0, 0, 0, 0};
    CIsoUnpacker unpacker;
    QVERIFY(unpacker.OpenArchive(write(isoWithRoot({file("GOOD;1", 30, 9), bad, unset}))));
    const auto modified = [&](const char *path) {
        ISOFILEFULLINFO info;
        return unpacker.LocateFile(QString::fromLatin1(path)) && unpacker.GetFileFullInfo(info) ? info.tModified : -1;
    };
    QCOMPARE(modified("good"), std::int64_t(1715941230));  // 2024-05-17 10:20:30 UTC
    QCOMPARE(modified("BAD"), std::int64_t(0));
    QVERIFY(modified("UNSET") >= before && modified("UNSET") <= std::time(nullptr));
}

void TestIsoHandmade::hostileNamesStayInsideTarget()
{
    ScriptedPrompter prompter;
    CIsoUnpacker unpacker;
    QVERIFY(unpacker.OpenArchive(write(isoWithRoot({file("../ESCAPE;1", 30, 9), file("..", 30, 9), file("A\\B;1", 30, 9)}))));
    QCOMPARE(listed(unpacker), QStringLiteral(".._ESCAPE 9, .. 9, A_B 9"));
    QTemporaryDir parent;
    const QString target = parent.path() + QStringLiteral("/target");
    QVERIFY(!unpacker.UnpackArchive(target));
    QCOMPARE(QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"target"});
    QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden), (QStringList{QStringLiteral(".._ESCAPE"), QStringLiteral("A_B")}));
    QVERIFY(!prompter.records().empty());
}

// Images are listed on several threads at once by a search; each thread's conversions must stay its own.
void TestIsoHandmade::timesConvertOnSeveralThreads()
{
    const auto convertAll = [](std::vector<std::int64_t> &out) {
        for (int day = 0; day < 20000; ++day) {
            const iso::RecordedTime time{1990 + day / 336, 1 + day / 28 % 12, 1 + day % 28, day % 24, 30, 15};
            out.push_back(iso::calendarToSeconds(time));
        }
    };
    std::vector<std::vector<std::int64_t>> each(4);
    std::vector<std::thread> threads;
    for (std::vector<std::int64_t> &out : each)
        threads.emplace_back(convertAll, std::ref(out));
    for (std::thread &thread : threads)
        thread.join();
    std::vector<std::int64_t> alone;
    convertAll(alone);
    for (const std::vector<std::int64_t> &out : each)
        QVERIFY(out == alone);
}

QTEST_GUILESS_MAIN(TestIsoHandmade)
#include "tst_isohandmade.moc"
