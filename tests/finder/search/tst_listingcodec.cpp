#include "finder/search/listingcodec.h"

#include <QTest>

#include <limits>

using namespace orv;

Q_DECLARE_METATYPE(std::vector<orv::ArchiveEntry>)

namespace {

ArchiveEntry entry(const QString &path, std::uint64_t size, std::optional<std::int64_t> modified, bool folder = false)
{
    ArchiveEntry e;
    e.path = path;
    e.size = size;
    e.modified = modified;
    e.folder = folder;
    return e;
}

bool same(const std::vector<ArchiveEntry> &a, const std::vector<ArchiveEntry> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ArchiveEntry &x, const ArchiveEntry &y) {
        return x.path == y.path && x.size == y.size && x.modified == y.modified && x.folder == y.folder;
    });
}

}  // namespace

class TestListingCodec : public QObject
{
    Q_OBJECT

private slots:
    void readsBackWhatItWrote_data();
    void readsBackWhatItWrote();
    void refusesDamage_data();
    void refusesDamage();
};

void TestListingCodec::readsBackWhatItWrote_data()
{
    QTest::addColumn<std::vector<ArchiveEntry>>("entries");
    const std::int64_t most = std::numeric_limits<std::int64_t>::max();
    const std::int64_t least = std::numeric_limits<std::int64_t>::min();
    QTest::newRow("none") << std::vector<ArchiveEntry>{};
    QTest::newRow("shared folders") << std::vector<ArchiveEntry>{
        entry("docs", 0, 100, true), entry("docs/a.txt", 5, 100), entry("docs/ab.txt", 6, 90),
        entry("docs/a", 0, std::nullopt, true), entry("docs/a/b.txt", 7, 110), entry("d", 1, 110)};
    QTest::newRow("a path that is the one before cut short, and an empty one")
        << std::vector<ArchiveEntry>{entry("abc/def", 1, 5), entry("abc", 2, 5), entry("", 0, 5), entry("abc", 3, 5)};
    QTest::newRow("extreme numbers") << std::vector<ArchiveEntry>{
        entry("a", std::numeric_limits<std::uint64_t>::max(), most), entry("b", 0, least), entry("c", 1, most),
        entry("d", 2, 0), entry("e", 3, -1)};
    QTest::newRow("beyond ASCII, a lone surrogate, a pair cut at the shared part")
        << std::vector<ArchiveEntry>{entry(u"päth/\U0001F600.txt"_qs, 1, 1), entry(u"päth/\U0001F601.txt"_qs, 2, 1),
                                     entry(QString(QChar(0xDCFF)) + "x", 3, 1)};
}

void TestListingCodec::readsBackWhatItWrote()
{
    QFETCH(std::vector<ArchiveEntry>, entries);
    const std::optional<std::vector<ArchiveEntry>> back =
        decodeListing(encodeListing(entries), std::int64_t(entries.size()));
    QVERIFY(back);
    QVERIFY(same(*back, entries));
}

// Each value is refused as a whole; none is read as fewer or other entries.
void TestListingCodec::refusesDamage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");
    // One entry: no flags, size 5, shares 0, adds 2 units "ab".
    const QByteArray good("\x00\x05\x00\x02" "a\x00" "b\x00", 8);
    QVERIFY(decodeListing(good, 1));
    QTest::newRow("more entries than held") << good << 2;
    QTest::newRow("fewer entries than held") << good + good << 1;
    QTest::newRow("a negative count") << good << -1;
    QTest::newRow("cut in the path") << good.chopped(1) << 1;
    QTest::newRow("cut in a number") << QByteArray("\x00\x85", 2) << 1;
    QTest::newRow("unknown flags") << QByteArray("\x04\x05\x00\x02" "a\x00" "b\x00", 8) << 1;
    QTest::newRow("shares more than the path before holds") << QByteArray("\x00\x05\x01\x01" "a\x00", 6) << 1;
    QTest::newRow("a number of eleven bytes")
        << QByteArray("\x00\xff\xff\xff\xff\xff\xff\xff\xff\xff\x7f\x00\x00", 13) << 1;
    QTest::newRow("a number past 64 bits") << QByteArray("\x00\xff\xff\xff\xff\xff\xff\xff\xff\xff\x02\x00\x00", 13)
                                           << 1;
    QTest::newRow("a path longer than the value") << QByteArray("\x00\x05\x00\xff\xff\x03" "a\x00", 8) << 1;
}

void TestListingCodec::refusesDamage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    QVERIFY(!decodeListing(bytes, count));
}

QTEST_GUILESS_MAIN(TestListingCodec)
#include "tst_listingcodec.moc"
