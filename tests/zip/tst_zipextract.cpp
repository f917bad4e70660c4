#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"
#include "tests/zip/zipfixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;
using namespace orv::test;


class TestZipExtract : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ZipFixtures> m_fixtures;

    QString hostileTar()
    {
        const QString path = m_fixtures->path(QStringLiteral("hostile.tar"));
        if (QFileInfo::exists(path))
            return path;
        const QString script = QStringLiteral(R"(
import io, tarfile
def add(t, name, data=b'', kind=tarfile.REGTYPE, link=''):
    i = tarfile.TarInfo(name); i.type = kind; i.linkname = link; i.size = len(data); i.mode = 0o644
    t.addfile(i, io.BytesIO(data) if data else None)
with tarfile.open('hostile.tar', 'w', format=tarfile.GNU_FORMAT) as t:
    add(t, 'good.txt', b'good\n')
    add(t, '../x1', b'evil')
    add(t, '/abs.txt', b'evil')
    add(t, 'a/../../x2', b'evil')
    add(t, 'out', kind=tarfile.SYMTYPE, link='../outside')
    add(t, 'out/evil.txt', b'evil')
    add(t, 'abslink', kind=tarfile.SYMTYPE, link='/tmp')
    add(t, 'sub/climb', kind=tarfile.SYMTYPE, link='x/../..')
    add(t, 'sub/ok', kind=tarfile.SYMTYPE, link='../good.txt')
    add(t, 'hard', kind=tarfile.LNKTYPE, link='good.txt')
    add(t, 'pipe', kind=tarfile.FIFOTYPE)
    add(t, 'last.txt', b'last\n')
)");
        runTool(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script}, m_dir.path());
        runTool(QStringLiteral("gzip"), {QStringLiteral("-k"), path});
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fixtures = std::make_unique<ZipFixtures>(m_dir.path());
        QVERIFY(m_fixtures->isValid());
    }

    void compressedItemIsTheDecompressedStream_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("original");
        QTest::newRow("tar inside gzip") << "a.tar.gz" << "a.tar" << "a.tar";
        QTest::newRow("tar inside xz") << "a.tar.xz" << "a.tar" << "a.tar";
        QTest::newRow("gzip") << "note.txt.gz" << "note.txt" << "note.txt";
        QTest::newRow("gzip without a name") << "renamed.gz" << "renamed" << "note.txt";
        QTest::newRow("bzip2") << "note.txt.bz2" << "note.txt" << "note.txt";
    }

    void compressedItemIsTheDecompressedStream()
    {
        QFETCH(QString, archive);
        QFETCH(QString, item);
        QFETCH(QString, original);
        ScriptedPrompter prompter;
        QTemporaryDir target;
        auto unpacker = makeUnpacker(kindOfName(archive));
        QVERIFY(unpacker->OpenArchive(m_fixtures->path(archive)));
        QVERIFY2(unpacker->UnpackFile(item, target.path()), qPrintable(unpacker->GetLastErrorText()));
        QCOMPARE(tree(target.path()).keys(), QStringList{item});
        QCOMPARE(readFile(target.filePath(item)), readFile(m_fixtures->path(original)));
    }

    // Inside a compressed tar the browser shows the tar's items below the tar's name.
    void pathUnderTheTarsName()
    {
        ScriptedPrompter prompter;
        QTemporaryDir target;
        auto unpacker = makeUnpacker(ZipKind::GZip);
        QVERIFY(unpacker->OpenArchive(m_fixtures->path("a.tar.gz")));
        QVERIFY2(unpacker->UnpackFile("a.tar/DOCS/readme.txt", target.path()), qPrintable(unpacker->GetLastErrorText()));
        QCOMPARE(tree(target.path()).keys(), (QStringList{"docs/", "docs/readme.txt"}));
    }

    void hostileEntriesAreRefused_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::newRow("tar") << "hostile.tar";
        QTest::newRow("tar.gz") << "hostile.tar.gz";
    }

    void hostileEntriesAreRefused()
    {
        QFETCH(QString, archive);
        hostileTar();
        ScriptedPrompter prompter;
        QTemporaryDir base;
        const QString target = base.filePath("target");
        QVERIFY(QDir().mkpath(base.filePath("outside")));
        QVERIFY(QDir().mkpath(target + "/a"));
        auto unpacker = makeUnpacker(kindOfName(archive));
        QVERIFY2(unpacker->OpenArchive(m_fixtures->path(archive)), qPrintable(unpacker->GetLastErrorText()));
        QVERIFY(!unpacker->UnpackArchive(target));
        QCOMPARE(tree(base.filePath("outside")).keys(), QStringList{});
        QCOMPARE(tree(base.path()).keys().filter(QRegularExpression(QStringLiteral("(^|/)x[12]$"))), QStringList{});
        QVERIFY(!QFileInfo::exists(QStringLiteral("/abs.txt")));
        QCOMPARE(tree(target).keys(), (QStringList{"a/", "good.txt", "hard", "last.txt", "out/", "out/evil.txt", "sub/", "sub/ok"}));
        QCOMPARE(QFileInfo(target + "/sub/ok").symLinkTarget(), QFileInfo(target + "/good.txt").absoluteFilePath());
        QVERIFY(!QFileInfo(target + "/hard").isSymLink());
        QCOMPARE(readFile(target + "/hard"), QByteArray("good\n"));
        const QStringList messages = prompter.texts();
        for (const char *refused : {"../x1", "/abs.txt", "a/../../x2", "\"out\"", "abslink", "sub/climb"})
            QVERIFY2(!messages.filter(QLatin1String(refused)).isEmpty(), refused);
    }

};

QTEST_GUILESS_MAIN(TestZipExtract)
#include "tst_zipextract.moc"
