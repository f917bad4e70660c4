#include "tests/support/testhome.h"

#include "unpack/rar/rararchive.h"
#include "unpack/rar/rarcatalogue.h"
#include "unpack/rar/rarheader.h"
#include "unpack/rar/rarsignature.h"
#include "unpack/rar/rarvolumes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;
using namespace orv::rar;

// The pieces below the unpacker class: volume names, the signature and flags, and the reader's refusals.
class TestRarLayer : public QObject
{
    Q_OBJECT

private:
    QString fixture(const QString &name) const { return m_fixtures + u'/' + name; }
    QString m_fixtures;

private slots:
    void initTestCase()
    {
        m_fixtures = qEnvironmentVariable("ORV_SHARED_DIR") + QStringLiteral("/fixtures/rar");
        if (!QDir(m_fixtures).exists())
            QSKIP("the RAR samples are not at hand");
    }

    void nextVolume_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("next");
        QTest::newRow("new style") << "/a/x.part1.rar" << "/a/x.part2.rar";
        QTest::newRow("new style keeps width") << "x.part09.rar" << "x.part10.rar";
        QTest::newRow("new style grows past width") << "x.part9.rar" << "x.part10.rar";
        QTest::newRow("new style upper case") << "X.PART1.RAR" << "X.PART2.RAR";
        QTest::newRow("old style first") << "x.rar" << "x.r00";
        QTest::newRow("old style upper case") << "X.RAR" << "X.R00";
        QTest::newRow("old style counts") << "x.r07" << "x.r08";
        QTest::newRow("old style carries to the next letter") << "x.r99" << "x.s00";
        QTest::newRow("dots in the folder") << "/a.part1.rar/x.rar" << "/a.part1.rar/x.r00";
        QTest::newRow("not a volume name") << "x.zip" << "";
        QTest::newRow("no extension") << "rar" << "";
        QTest::newRow("the last part number counts") << "x.part1.part2.rar" << "x.part1.part3.rar";
        QTest::newRow("part without a number is old style") << "x.part.rar" << "x.part.r00";
        QTest::newRow("number without part is old style") << "x12.rar" << "x12.r00";
        QTest::newRow("letters after the number") << "x.part1a.rar" << "x.part1a.r00";
        QTest::newRow("number beyond 64 bits is old style") << "x.part99999999999999999999.rar"
                                                            << "x.part99999999999999999999.r00";
    }
    void nextVolume()
    {
        QFETCH(QString, path);
        QFETCH(QString, next);
        QCOMPARE(nextVolumePath(path).value_or(QString()), next);
    }

    void methodText_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<uint>("method30");
        QTest::addColumn<uint>("rar5Version");
        QTest::newRow("empty") << "" << 0x30u << 50u;
        QTest::newRow("rar5 algorithm 0") << "v6:m3:4M" << 0x33u << 50u;
        QTest::newRow("rar7 algorithm") << "v7:m5:128M" << 0x35u << 70u;
        QTest::newRow("large version") << "v12:m1" << 0x31u << 70u;
        QTest::newRow("level only") << "m0" << 0x30u << 50u;
        QTest::newRow("level out of range skipped") << "m7:m2" << 0x32u << 50u;
        QTest::newRow("m inside a word is no level") << "vm4" << 0x30u << 50u;
        QTest::newRow("v without digits") << "v:m1" << 0x31u << 50u;
        QTest::newRow("version not first") << "m1:v7" << 0x31u << 50u;
        QTest::newRow("version beyond 32 bits") << "v99999999999" << 0x30u << 50u;
    }
    void methodText()
    {
        QFETCH(QString, method);
        QFETCH(uint, method30);
        QFETCH(uint, rar5Version);
        QCOMPARE(methodFromText(method), method30);
        QCOMPARE(rar5VersionFromMethod(method), rar5Version);
    }

    void volumeSetStopsAtGapAndCount()
    {
        QTemporaryDir dir;
        for (const char *name : {"s.rar", "s.r00", "s.r01", "s.r03"})
            QVERIFY(test::writeFile(dir.filePath(QString::fromLatin1(name)), "x"));
        QCOMPARE(volumeSet(dir.filePath("s.rar"), 10).size(), 3);
        // An unrelated s.r00 beside a single archive is not taken as its second volume.
        QCOMPARE(volumeSet(dir.filePath("s.rar"), 1).size(), 1);
    }

    void signature_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("rar5");
        QTest::addColumn<bool>("encryptedHeaders");
        QTest::addColumn<bool>("volume");
        QTest::newRow("rar4") << "rar4-folders.rar" << false << false << false;
        QTest::newRow("rar5") << "rar5-folders.rar" << true << false << false;
        QTest::newRow("rar4 headers encrypted") << "rar4-encrypted-headers.rar" << false << true << false;
        QTest::newRow("rar5 headers encrypted") << "rar5-encrypted-headers.rar" << true << true << false;
        QTest::newRow("rar4 files encrypted only") << "rar4-encrypted-files.rar" << false << false << false;
        QTest::newRow("rar4 volume") << "rar4-multivolume.part2.rar" << false << false << true;
        QTest::newRow("rar5 volume") << "rar5-multivolume.part1.rar" << true << false << true;
    }
    void signature()
    {
        QFETCH(QString, file);
        QFETCH(bool, rar5);
        QFETCH(bool, encryptedHeaders);
        QFETCH(bool, volume);
        const std::optional<Signature> found = readSignature(fixture(file), false);
        QVERIFY(found);
        QCOMPARE(found->rar5, rar5);
        QCOMPARE(bool(found->archiveFlags & ArchiveFlag::EncryptedHeaders), encryptedHeaders);
        QCOMPARE(bool(found->archiveFlags & ArchiveFlag::Volume), volume);
    }

    void signatureBehindStub()
    {
        const QByteArray archive = test::readFile(fixture("rar5-folders.rar"));
        // A stub that holds the signature prefix by chance before the real archive.
        const QByteArray exe = QByteArray("MZ stub Rar!\x1a\x07 garbage") + QByteArray(1000, 'x') + archive;
        QVERIFY(!parseSignature(exe, false));
        const std::optional<Signature> found = parseSignature(exe, true);
        QVERIFY(found);
        QCOMPARE(found->offset, quint64(exe.size() - archive.size()));
        QVERIFY(!parseSignature(QByteArray("Rar!\x1a\x07\x01\x00", 8), false));
    }

    // The reader refuses, with its own code, what it cannot decode, and hands out no bytes for it.
    void refusals_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("code");
        QTest::newRow("rar4 encrypted") << "rar4-encrypted-files.rar" << "b.txt" << int(RarCode::DecryptionUnavailable);
        QTest::newRow("rar5 encrypted") << "rar5-encrypted-files.rar" << "d.txt" << int(RarCode::DecryptionUnavailable);
        QTest::newRow("rar4 solid second") << "rar4-solid.rar" << "stest2.txt" << int(RarCode::SolidUnreachable);
        QTest::newRow("rar5 solid second") << "rar5-solid.rar" << "stest2.txt" << int(RarCode::Success);
        QTest::newRow("rar4 solid first") << "rar4-solid.rar" << "stest1.txt" << int(RarCode::Success);
        QTest::newRow("rar4 clear file") << "rar4-encrypted-files.rar" << "c.txt" << int(RarCode::Success);
    }
    void refusals()
    {
        QFETCH(QString, file);
        QFETCH(QString, entry);
        QFETCH(int, code);
        RarArchive archive;
        QCOMPARE(archive.open(fixture(file)), RarCode::Success);
        RarHeader header;
        while (archive.readHeader(header) == RarCode::Success && header.fileName != entry)
            archive.processFile(Operation::Skip);
        QCOMPARE(header.fileName, entry);
        QCOMPARE(int(archive.checkCurrent()), code);
        QByteArray data;
        const RarCode result = archive.processFile(Operation::Extract, [&](const char *bytes, std::size_t size) {
            data.append(bytes, qsizetype(size));
            return true;
        });
        QCOMPARE(int(result), code);
        if (code == int(RarCode::Success)) {
            QCOMPARE(quint64(data.size()), header.unpSize);
            QCOMPARE(crc32Update(0, data.constData(), std::size_t(data.size())), header.fileCrc);
        } else {
            QVERIFY(data.isEmpty());
        }
    }

    void headersNeedPasswordBeforeListing()
    {
        RarArchive archive;
        QCOMPARE(archive.open(fixture("rar5-encrypted-headers.rar")), RarCode::Success);
        RarHeader header;
        QCOMPARE(archive.readHeader(header), RarCode::MissingPassword);
        archive.setPassword(QStringLiteral("wrong"));
        QCOMPARE(archive.readHeader(header), RarCode::BadPassword);
        archive.setPassword(QStringLiteral("password"));
        QCOMPARE(archive.readHeader(header), RarCode::Success);
        QCOMPARE(header.fileName, QStringLiteral("a.txt"));
    }

    void notRar()
    {
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath("x.rar"), "PK\x03\x04 not a rar"));
        RarArchive archive;
        QCOMPARE(archive.open(dir.filePath("x.rar")), RarCode::BadArchive);
        QCOMPARE(archive.open(dir.filePath("missing.rar")), RarCode::EOpen);
    }
};

QTEST_GUILESS_MAIN(TestRarLayer)
#include "tst_rarlayer.moc"
