#include "unpack/common/linkwriter.h"
#include "zip/gzipheader.h"
#include "zip/listing.h"

#include <QTest>

using namespace orv::zip;

namespace {

// A gzip member header: magic, deflate, flags, MTIME, XFL, OS, then the optional fields as given.
QByteArray gzipHeader(quint8 flags, quint32 mtime, const QByteArray &optional)
{
    QByteArray bytes("\x1f\x8b\x08", 3);
    bytes.append(static_cast<char>(flags));
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(static_cast<char>((mtime >> shift) & 0xff));
    bytes.append("\x00\x03", 2);
    return bytes + optional;
}

// "f PATH SIZE" is a file, "h PATH TARGET" a hard link.
EntryList entriesFrom(const QStringList &lines)
{
    EntryList list;
    for (const QString &line : lines) {
        const QStringList parts = line.split(QLatin1Char(' '));
        ArchiveEntry entry;
        entry.path = parts.at(1);
        if (parts.at(0) == QLatin1String("h")) {
            entry.type = ArchiveEntry::Type::HardLink;
            entry.linkTarget = parts.at(2);
        } else {
            entry.size = parts.at(2).toULongLong();
        }
        list.add(entry);
    }
    return list;
}

}  // namespace

class TestZipParts : public QObject
{
    Q_OBJECT

private slots:
    void linkTargets_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("inside");
        QTest::newRow("sibling") << "a/l" << "b" << true;
        QTest::newRow("up to the target folder") << "a/l" << "../x" << true;
        QTest::newRow("the target folder itself") << "a/l" << ".." << true;
        QTest::newRow("one level too high") << "a/l" << "../../x" << false;
        QTest::newRow("top level climbing") << "l" << "../x" << false;
        QTest::newRow("absolute") << "a/l" << "/etc/passwd" << false;
        QTest::newRow("climb after a name") << "a/b/l" << "s/../.." << false;
        QTest::newRow("dot components") << "a/l" << "./b/./c" << true;
        QTest::newRow("empty") << "a/l" << "" << false;
    }

    void linkTargets()
    {
        QFETCH(QString, link);
        QFETCH(QString, target);
        QFETCH(bool, inside);
        QCOMPARE(orv::linkStaysInside(link, target), inside);
    }

    void gzipHeaders_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("mtime");
        QTest::newRow("name and time") << gzipHeader(0x08, 1000, QByteArray("a.tar\0", 6)) << true << "a.tar" << qint64(1000);
        QTest::newRow("no name, no time") << gzipHeader(0, 0, {}) << true << "" << qint64(-1);
        QTest::newRow("extra field before the name")
            << gzipHeader(0x0c, 5, QByteArray("\x03\x00xyzn.txt\0", 11)) << true << "n.txt" << qint64(5);
        QTest::newRow("name with folders keeps its last part")
            << gzipHeader(0x08, 0, QByteArray("../../etc/x\0", 12)) << true << "x" << qint64(-1);
        QTest::newRow("name of dots only") << gzipHeader(0x08, 0, QByteArray("..\0", 3)) << true << "" << qint64(-1);
        QTest::newRow("unterminated name") << gzipHeader(0x08, 0, QByteArray("abc")) << true << "" << qint64(-1);
        QTest::newRow("extra field past the end") << gzipHeader(0x04, 0, QByteArray("\xff\xff", 2)) << true << ""
                                                  << qint64(-1);
        QTest::newRow("latin-1 name") << gzipHeader(0x08, 0, QByteArray("caf\xe9\0", 5)) << true
                                      << QString::fromLatin1("caf\xe9") << qint64(-1);
        QTest::newRow("not gzip") << QByteArray("BZh91AY&SY") << false << "" << qint64(-1);
        QTest::newRow("too short") << QByteArray("\x1f\x8b\x08", 3) << false << "" << qint64(-1);
    }

    void gzipHeaders()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QFETCH(QString, name);
        QFETCH(qint64, mtime);
        const std::optional<GzipHeaderInfo> info = parseGzipHeader(bytes);
        QCOMPARE(info.has_value(), valid);
        if (!info)
            return;
        QCOMPARE(info->storedName.value_or(QString()), name);
        QCOMPARE(info->modified.value_or(-1), mtime);
    }

    void hardLinks_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("source");  // of the last entry, a hard link
        QTest::addColumn<qulonglong>("size");
        QTest::newRow("earlier file") << QStringList{"f a/x 5", "h b a/x"} << 0 << 5ull;
        QTest::newRow("last of two with the path") << QStringList{"f a/x 5", "f a/x 7", "h b a/x"} << 1 << 7ull;
        QTest::newRow("file added after an earlier link")
            << QStringList{"f a/x 5", "h b a/x", "f a/x 9", "h c a/x"} << 2 << 9ull;
        QTest::newRow("target not normalised") << QStringList{"f a/x 5", "h b ./a//x"} << 0 << 5ull;
        QTest::newRow("case differs") << QStringList{"f A/x 5", "h b a/x"} << -1 << 0ull;
        QTest::newRow("no such file") << QStringList{"f a/y 5", "h b a/x"} << -1 << 0ull;
    }

    void hardLinks()
    {
        QFETCH(QStringList, entries);
        QFETCH(int, source);
        QFETCH(qulonglong, size);
        const EntryList list = entriesFrom(entries);
        const ArchiveEntry &link = list.at(list.size() - 1);
        QCOMPARE(link.source, source);
        QCOMPARE(qulonglong(link.size), size);
    }

    void itemNames_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<bool>("tarInside");
        QTest::addColumn<QString>("name");
        QTest::newRow("tar.gz") << "/x/a.tar.gz" << true << "a.tar";
        QTest::newRow("tgz with a tar") << "/x/a.tgz" << true << "a.tar";
        QTest::newRow("TBZ2 with a tar") << "/x/A.TBZ2" << true << "A.tar";
        QTest::newRow("tgz without a tar") << "/x/a.tgz" << false << "a";
        QTest::newRow("no extension") << "/x/archive" << false << "archive";
        QTest::newRow("hidden name") << "/x/.gz" << false << ".gz";
    }

    void itemNames()
    {
        QFETCH(QString, archive);
        QFETCH(bool, tarInside);
        QFETCH(QString, name);
        QCOMPARE(innerItemName(archive, std::nullopt, tarInside), name);
    }
};

QTEST_GUILESS_MAIN(TestZipParts)
#include "tst_zipparts.moc"
