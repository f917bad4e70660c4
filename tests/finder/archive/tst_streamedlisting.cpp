#include "finder/archive/archiveaccess.h"
#include "finder/archive/archivelisting.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"
#include "tests/zip/zipfixtures.h"
#include "unpack/common/entrynames.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orv;

namespace {

struct Listed
{
    QString path;
    bool folder = false;
    std::uint64_t size = 0;
    std::optional<std::int64_t> modified;
    bool operator==(const Listed &) const = default;
};

QString describe(const QList<Listed> &items)
{
    QStringList lines;
    for (const Listed &item : items)
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(item.path)
                     .arg(item.folder)
                     .arg(item.size)
                     .arg(item.modified.value_or(-1));
    return lines.join(QLatin1Char('\n'));
}

struct Outcome
{
    EntryStream result = EntryStream::Failed;
    QList<Listed> items;  // in the order of the cursor
    int leading = 0;
    QString error;
};

Outcome streamed(const QString &path, ArchiveKindCode kind)
{
    CArchiveAccess access;
    Outcome outcome;
    outcome.result = access.StreamArchiveOfKind(path, kind, TarNames::UnderTar, [&](const StreamedEntry &entry) {
        const Listed item{orv::decodeEntryName(entry.path), entry.folder, entry.size, entry.modified};
        if (entry.leading)
            outcome.items.insert(outcome.leading++, item);
        else
            outcome.items << item;
    });
    outcome.error = access.LastReaderError();
    return outcome;
}

Outcome opened(const QString &path, ArchiveKindCode kind)
{
    CArchiveAccess access;
    Outcome outcome;
    if (access.OpenArchiveOfKind(path, kind)) {
        outcome.result = EntryStream::Listed;
        forEachEntry(*access.CurrentUnpacker(kind), TarNames::UnderTar, [&outcome](const ArchiveEntry &entry) {
            outcome.items << Listed{entry.path, entry.folder, entry.size, entry.modified};
            return true;
        });
    }
    outcome.error = access.LastReaderError();
    return outcome;
}

ArchiveKindCode kindOfName(const QString &name)
{
    switch (test::kindOfName(name)) {
    case test::ZipKind::GZip:
        return ArchiveKind::GZip;
    case test::ZipKind::BZip2:
        return ArchiveKind::BZip2;
    case test::ZipKind::Xz:
        return ArchiveKind::Xz;
    case test::ZipKind::Tar:
        break;
    }
    return ArchiveKind::Tar;
}

}  // namespace

// The listing shown while a sequential reader reads the file must be the one an open and a walk of the
// cursor give, entry for entry, so that the command line may use either.
class TestStreamedListing : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<test::ZipFixtures> m_fixtures;

    QString at(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }

    bool makeArchives()
    {
        const QString script = QStringLiteral(
            "set -e; mkdir -p odd/A odd/a odd/Größe odd/docs; cd odd;"
            "touch A/x a/y Größe/ü.txt 'back\\slash.txt' \"$(printf 'bad\\377.txt')\" up docs/f;"
            "echo linked > docs/f; ln docs/f docs/link;"
            "tar -czPf ../odd.tar.gz --no-recursion --transform 's,^a/y$,a//./y,;s,^up$,../up/z,'"
            " ./A/x a/y Größe/ü.txt 'back\\slash.txt' \"$(printf 'bad\\377.txt')\" up;"
            "tar -cf ../links.tar docs;"
            "cd ..; rm -rf odd; head -c 3000 a.tar.gz > cut.tar.gz; head -c 700 a.tar > cut.tar; : > empty.tar;"
            "cp a.tar.xz flipped.tar.xz;"
            "printf 'XXXXXXXX' | dd of=flipped.tar.xz bs=1 seek=200 conv=notrunc 2>/dev/null");
        return test::runTool(QStringLiteral("sh"), {QStringLiteral("-c"), script}, m_dir.path()).ok();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fixtures = std::make_unique<test::ZipFixtures>(m_dir.path());
        QVERIFY(m_fixtures->isValid());
        QVERIFY(makeArchives());
    }

    void agreesWithOpen_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<EntryStream>("result");
        const auto listed = EntryStream::Listed;
        QTest::newRow("tar with folder headers") << "a.tar" << listed;
        QTest::newRow("tar with implied folders only") << "nodirs.tar" << listed;
        QTest::newRow("tar in gzip") << "a.tar.gz" << listed;
        QTest::newRow("tar in gzip, no name stored") << "a.tgz" << listed;
        QTest::newRow("tar in bzip2") << "a.tar.bz2" << listed;
        QTest::newRow("tar in xz") << "a.tar.xz" << listed;
        QTest::newRow("gzip of a file, name stored") << "note.txt.gz" << listed;
        QTest::newRow("gzip of a file, no name stored") << "renamed.gz" << listed;
        QTest::newRow("bzip2 of a file") << "note.txt.bz2" << listed;
        QTest::newRow("xz of a file") << "note.txt.xz" << listed;
        QTest::newRow("names to normalise, not UTF-8, folders told by case") << "odd.tar.gz" << listed;
        QTest::newRow("hard link: left to the open") << "links.tar" << EntryStream::Unavailable;
        QTest::newRow("gzip cut short") << "cut.tar.gz" << EntryStream::Failed;
        QTest::newRow("tar cut short") << "cut.tar" << EntryStream::Failed;
        QTest::newRow("xz damaged inside") << "flipped.tar.xz" << EntryStream::Failed;
        QTest::newRow("empty file") << "empty.tar" << EntryStream::Failed;
    }

    void agreesWithOpen()
    {
        QFETCH(QString, archive);
        QFETCH(EntryStream, result);
        const ArchiveKindCode kind = kindOfName(archive);
        const Outcome stream = streamed(at(archive), kind);
        const Outcome open = opened(at(archive), kind);
        QCOMPARE(stream.result, result);
        switch (result) {
        case EntryStream::Listed:
            QVERIFY(!open.items.isEmpty());
            QCOMPARE(describe(stream.items), describe(open.items));
            QCOMPARE(stream.leading, kind == ArchiveKind::Tar ? 0 : 1);
            QCOMPARE(stream.error, QString());
            break;
        case EntryStream::Failed:
            QCOMPARE(open.result, EntryStream::Failed);
            QCOMPARE(stream.error, open.error);
            QVERIFY(!stream.error.isEmpty());
            break;
        case EntryStream::Unavailable:
            QCOMPARE(open.result, EntryStream::Listed);
            break;
        }
    }

    void kindsWithoutStreamAreOpened()
    {
        QVERIFY(test::writeFile(at("x.zip"), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')));
        CArchiveAccess access;
        int entries = 0;
        const EntryStream result = access.StreamArchiveOfKind(at("x.zip"), ArchiveKind::Zip, TarNames::UnderTar,
                                                              [&entries](const StreamedEntry &) { ++entries; });
        QCOMPARE(result, EntryStream::Unavailable);
        QCOMPARE(entries, 0);
    }
};

QTEST_GUILESS_MAIN(TestStreamedListing)
#include "tst_streamedlisting.moc"
