#include "szfixtures.h"

#include "tests/support/testhome.h"
#include "unpack/sevenzip/sevenziparchive.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {

const QString kPassword = QStringLiteral("damage");

QByteArray damaged(QByteArray bytes, QRandomGenerator &random)
{
    const auto at = [&] { return qsizetype(random.bounded(quint32(bytes.size()))); };
    switch (random.bounded(4)) {
    case 0:  // a few flipped bytes
        for (int i = 0, n = int(random.bounded(1, 9)); i < n; ++i)
            bytes[at()] = char(random.bounded(256));
        break;
    case 1:  // cut short
        bytes.truncate(at());
        break;
    case 2: {  // a run overwritten
        const qsizetype start = at();
        const qsizetype length = std::min<qsizetype>(bytes.size() - start, random.bounded(1, 64));
        bytes.replace(start, length, QByteArray(length, random.bounded(2) ? '\0' : '\xFF'));
        break;
    }
    default:  // a size or offset field made huge
        if (bytes.size() > 8)
            bytes.replace(at() % (bytes.size() - 4), 4, QByteArray("\xFF\xFF\xFF\x7F", 4));
        break;
    }
    return bytes;
}

}  // namespace

// Damaged archives may fail in any way but must never crash or hang the reader.
class TestSevenZipDamage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }

private slots:
    void initTestCase();
    void randomDamage_data();
    void randomDamage();
};

void TestSevenZipDamage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString source = path(QStringLiteral("src"));
    QVERIFY(writeFile(source + QStringLiteral("/a.txt"), QByteArray("some text to pack ").repeated(300)));
    QVERIFY(writeFile(source + QStringLiteral("/b/c.bin"), noise(3000, 3)));
    QVERIFY(writeFile(source + QStringLiteral("/b/d.txt"), QByteArray("x")));
}

void TestSevenZipDamage::randomDamage_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<int>("iterations");
    // 7zAES derives its key slowly on purpose, so the encrypted 7z rows run fewer rounds.
    QTest::newRow("zip Deflate") << QStringList{QStringLiteral("-tzip")} << "zip" << 400;
    QTest::newRow("zip BZip2") << QStringList{QStringLiteral("-tzip"), QStringLiteral("-mm=BZip2")} << "zip" << 200;
    QTest::newRow("zip LZMA, AES") << QStringList{QStringLiteral("-tzip"), QStringLiteral("-mm=LZMA"),
                                                  QStringLiteral("-mem=AES256"), QStringLiteral("-p") + kPassword}
                                   << "zip" << 200;
    QTest::newRow("zip ZipCrypto stored") << QStringList{QStringLiteral("-tzip"), QStringLiteral("-mx=0"),
                                                         QStringLiteral("-mem=ZipCrypto"), QStringLiteral("-p") + kPassword}
                                          << "zip" << 200;
    QTest::newRow("7z solid") << QStringList{} << "7z" << 400;
    QTest::newRow("7z non-solid BCJ2") << QStringList{QStringLiteral("-ms=off"), QStringLiteral("-mf=BCJ2")} << "7z" << 200;
    QTest::newRow("7z encrypted") << QStringList{QStringLiteral("-p") + kPassword} << "7z" << 20;
    QTest::newRow("7z header-encrypted") << QStringList{QStringLiteral("-p") + kPassword, QStringLiteral("-mhe=on")}
                                         << "7z" << 20;
}

void TestSevenZipDamage::randomDamage()
{
    QFETCH(QStringList, switches);
    QFETCH(QString, extension);
    QFETCH(int, iterations);
    const QString archivePath = path(QStringLiteral("%1.%2").arg(QTest::currentDataTag(), extension));
    const ToolRun run = runTool(QStringLiteral("7z"), QStringList{QStringLiteral("a"), archivePath, QStringLiteral("a.txt"),
                                                                  QStringLiteral("b")} + switches,
                                path(QStringLiteral("src")));
    QVERIFY2(run.exitCode == 0, run.output.constData());
    const QByteArray pristine = readFile(archivePath);
    QRandomGenerator random(0x5EED + quint32(pristine.size()));
    const QString victim = path(QStringLiteral("victim"));
    int opened = 0;
    for (int i = 0; i < iterations; ++i) {
        QVERIFY(writeFile(victim, damaged(pristine, random)));
        sz::SevenZipArchive archive;
        sz::ArchiveOpenOptions options;
        options.formats = {QStringLiteral("7z"), QStringLiteral("zip")};
        const QString answer = i % 3 == 0 ? QStringLiteral("wrong") : kPassword;
        options.passwordProvider = [answer] { return std::optional(answer); };
        if (!archive.open(victim, options)) {
            QVERIFY(!archive.errorText().isEmpty());
            continue;
        }
        ++opened;
        for (quint32 index = 0; index < archive.itemCount(); ++index)
            archive.item(index);
        QTemporaryDir out;
        extractEverything(archive, out.path(), answer);
    }
    QVERIFY(opened > 0);
}

QTEST_GUILESS_MAIN(TestSevenZipDamage)
#include "tst_szdamage.moc"
