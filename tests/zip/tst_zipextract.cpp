#include "platform/events.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/zip/zipfixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {

// Every file and link below a folder, relative, sorted; folders only when empty.
QStringList tree(const QString &folder)
{
    QStringList items;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString relative = QDir(folder).relativeFilePath(info.filePath());
        if (info.isSymLink() || !info.isDir() || QDir(info.filePath()).isEmpty())
            items << relative;
    }
    items.sort();
    return items;
}

INIUNPACK settings(bool withoutPaths, bool ask = true)
{
    INIUNPACK ini;
    ini.bUnpackFilesWithoutPaths = ini.bUnpackFoldersWithoutPaths = ini.bUnpackArchivesWithoutPaths = withoutPaths;
    ini.bAskBeforeOverwriting = ask;
    return ini;
}

}  // namespace

Q_DECLARE_METATYPE(orv::ReplaceAnswer)

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
        run(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script}, m_dir.path());
        run(QStringLiteral("gzip"), {QStringLiteral("-k"), path});
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fixtures = std::make_unique<ZipFixtures>(m_dir.path());
        QVERIFY(m_fixtures->isValid());
    }

    void wholeArchiveMatchesSource_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::newRow("tar") << "a.tar";
        QTest::newRow("tar.gz") << "a.tar.gz";
        QTest::newRow("tgz") << "a.tgz";
        QTest::newRow("tar.bz2") << "a.tar.bz2";
        QTest::newRow("tar.xz") << "a.tar.xz";
    }

    void wholeArchiveMatchesSource()
    {
        QFETCH(QString, archive);
        ScriptedPrompter prompter;
        QTemporaryDir target;
        auto unpacker = makeUnpacker(kindOfName(archive));
        QVERIFY(unpacker->OpenArchive(m_fixtures->path(archive)));
        QVERIFY2(unpacker->UnpackArchive(target.path()), qPrintable(unpacker->GetLastErrorText()));
        QCOMPARE(tree(target.path()), tree(m_fixtures->source()));
        for (const QString &file : tree(m_fixtures->source())) {
            const QFileInfo written(target.filePath(file));
            QCOMPARE(readFile(written.filePath()), readFile(m_fixtures->source() + QLatin1Char('/') + file));
            if (written.isFile())
                QCOMPARE(written.lastModified(), QFileInfo(m_fixtures->source() + QLatin1Char('/') + file).lastModified());
        }
        QVERIFY(prompter.records().empty());
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
        QCOMPARE(tree(target.path()), QStringList{item});
        QCOMPARE(readFile(target.filePath(item)), readFile(m_fixtures->path(original)));
    }

    void pathRules_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("withoutPaths");
        QTest::addColumn<QStringList>("expected");
        const QStringList everything = {"docs/readme.txt", "docs/sub/deep.bin", "empty.txt", "emptydir", "top.txt"};
        QTest::newRow("file with path") << "file" << "docs/sub/deep.bin" << false << QStringList{"docs/sub/deep.bin"};
        QTest::newRow("file without path") << "file" << "docs/sub/deep.bin" << true << QStringList{"deep.bin"};
        QTest::newRow("file under the tar's name") << "file" << "a.tar/docs/readme.txt" << false
                                                   << QStringList{"docs/readme.txt"};
        QTest::newRow("folder with path") << "folder" << "docs/sub" << false << QStringList{"docs/sub/deep.bin"};
        QTest::newRow("folder without path") << "folder" << "docs/sub" << true << QStringList{"sub/deep.bin"};
        QTest::newRow("top folder without path") << "folder" << "docs" << true
                                                 << QStringList{"docs/readme.txt", "docs/sub/deep.bin"};
        QTest::newRow("empty folder") << "folder" << "emptydir" << false << QStringList{"emptydir"};
        QTest::newRow("archive with paths") << "archive" << "" << false << everything;
        QTest::newRow("archive without paths")
            << "archive" << "" << true << QStringList{"deep.bin", "empty.txt", "readme.txt", "top.txt"};
    }

    void pathRules()
    {
        QFETCH(QString, operation);
        QFETCH(QString, path);
        QFETCH(bool, withoutPaths);
        QFETCH(QStringList, expected);
        ScriptedPrompter prompter;
        QTemporaryDir target;
        auto unpacker = makeUnpacker(ZipKind::GZip);
        unpacker->SetIni(settings(withoutPaths));
        QVERIFY(unpacker->OpenArchive(m_fixtures->path("a.tar.gz")));
        bool done = false;
        if (operation == QLatin1String("file"))
            done = unpacker->UnpackFile(path, target.path());
        else if (operation == QLatin1String("folder"))
            done = unpacker->UnpackFolder(path, target.path());
        else
            done = unpacker->UnpackArchive(target.path());
        QVERIFY2(done, qPrintable(unpacker->GetLastErrorText()));
        QCOMPARE(tree(target.path()), expected);
    }

    void replaceAnswers_data()
    {
        QTest::addColumn<bool>("ask");
        QTest::addColumn<QList<orv::ReplaceAnswer>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("replaced");
        using A = ReplaceAnswer;
        QTest::newRow("yes to all asks once") << true << QList<A>{A::YesToAll} << 1 << true << true;
        // Keeping a file is the user's choice, no failure.
        QTest::newRow("yes then no") << true << QList<A>{A::Yes, A::No, A::No, A::No} << 4 << true << true;
        QTest::newRow("no to each") << true << QList<A>{} << 4 << true << false;
        QTest::newRow("cancel stops") << true << QList<A>{A::Cancel} << 1 << false << false;
        QTest::newRow("not asking replaces") << false << QList<A>{} << 0 << true << true;
    }

    void replaceAnswers()
    {
        QFETCH(bool, ask);
        QFETCH(QList<orv::ReplaceAnswer>, answers);
        QFETCH(int, questions);
        QFETCH(bool, result);
        QFETCH(bool, replaced);
        ScriptedPrompter prompter;
        QTemporaryDir target;
        auto unpacker = makeUnpacker(ZipKind::Tar);
        unpacker->SetIni(settings(false, ask));
        QVERIFY(unpacker->OpenArchive(m_fixtures->path("a.tar")));
        QVERIFY(unpacker->UnpackArchive(target.path()));
        // Files come in the order docs/readme.txt, docs/sub/deep.bin, top.txt, empty.txt.
        QVERIFY(writeFile(target.filePath("docs/readme.txt"), "changed"));
        for (ReplaceAnswer answer : answers)
            prompter.queueReplaceAnswer(answer);
        QCOMPARE(unpacker->UnpackArchive(target.path()), result);
        QCOMPARE(int(prompter.records().size()), questions);
        QCOMPARE(readFile(target.filePath("docs/readme.txt")) == "read me\n", replaced);
        QCOMPARE(unpacker->yesToAll().bYesToAllFiles, answers.value(0) == ReplaceAnswer::YesToAll ? 1 : 0);
    }

    void yesToAllCarriesToTheNextArchive()
    {
        ScriptedPrompter prompter;
        QTemporaryDir target;
        auto first = makeUnpacker(ZipKind::Tar);
        QVERIFY(first->OpenArchive(m_fixtures->path("a.tar")));
        QVERIFY(first->UnpackArchive(target.path()));
        prompter.queueReplaceAnswer(ReplaceAnswer::YesToAll);
        QVERIFY(first->UnpackFile("top.txt", target.path()));
        auto second = makeUnpacker(ZipKind::Xz);
        QVERIFY(second->OpenArchive(m_fixtures->path("a.tar.xz")));
        second->SetIniYesToAll(first->yesToAll());
        QVERIFY(second->UnpackArchive(target.path()));
        QCOMPARE(int(prompter.records().size()), 1);
        QVERIFY(second->OpenArchive(m_fixtures->path("a.tar.xz")));
        QCOMPARE(second->yesToAll().bYesToAllFiles, 0);
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
        QCOMPARE(tree(base.filePath("outside")), QStringList{});
        QCOMPARE(tree(base.path()).filter(QRegularExpression(QStringLiteral("(^|/)x[12]$"))), QStringList{});
        QVERIFY(!QFileInfo::exists(QStringLiteral("/abs.txt")));
        QCOMPARE(tree(target), (QStringList{"a", "good.txt", "hard", "last.txt", "out/evil.txt", "sub/ok"}));
        QCOMPARE(QFileInfo(target + "/sub/ok").symLinkTarget(), QFileInfo(target + "/good.txt").absoluteFilePath());
        QVERIFY(!QFileInfo(target + "/hard").isSymLink());
        QCOMPARE(readFile(target + "/hard"), QByteArray("good\n"));
        const QStringList messages = prompter.texts();
        for (const char *refused : {"../x1", "/abs.txt", "a/../../x2", "\"out\"", "abslink", "sub/climb"})
            QVERIFY2(!messages.filter(QLatin1String(refused)).isEmpty(), refused);
    }

    void stopRequest_data()
    {
        QTest::addColumn<bool>("interrupt");
        QTest::newRow("interrupt") << true;
        QTest::newRow("go on") << false;
    }

    void stopRequest()
    {
        QFETCH(bool, interrupt);
        ScriptedPrompter prompter;
        prompter.queueMessageAnswer(interrupt ? MsgAnswer::Yes : MsgAnswer::No);
        QTemporaryDir target;
        QObject progress;
        auto unpacker = makeUnpacker(ZipKind::GZip);
        unpacker->SetHandleDialogProgress(&progress);
        QVERIFY(unpacker->OpenArchive(m_fixtures->path("a.tar.gz")));
        postOrvEvent(&progress, Ev::UnpackStop);
        QCOMPARE(unpacker->UnpackFile("docs/sub/deep.bin", target.path()), !interrupt);
        QCOMPARE(prompter.texts(), QStringList{"Interrupt the unpack?"});
        const QStringList left = tree(target.path());
        if (interrupt)
            QVERIFY2(left.isEmpty() || left == QStringList{"docs/sub"}, qPrintable(left.join(',')));
        else
            QCOMPARE(readFile(target.filePath("docs/sub/deep.bin")),
                     readFile(m_fixtures->source() + "/docs/sub/deep.bin"));
    }
};

QTEST_GUILESS_MAIN(TestZipExtract)
#include "tst_zipextract.moc"
