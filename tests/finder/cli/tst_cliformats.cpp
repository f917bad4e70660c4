#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using orv::test::runProcess;

// Every archive kind the program reads, made by the tools that make it in real life from one source tree:
// the command-line companion must list every file with its size and extract the same bytes.
class TestCliFormats : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QMap<QString, QByteArray> m_files;  // path inside the archive -> content

    QString at(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    struct Result
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Result cli(const QStringList &arguments)
    {
        const orv::test::ProcessRun run = runProcess(QStringLiteral(ORVFIND_CLI), arguments);
        return {run.exitCode, QString::fromUtf8(run.out), QString::fromUtf8(run.err)};
    }

    // "F\tsize\ttime\tpath" lines of files only, as path -> size.
    static QMap<QString, qint64> listedFiles(const QString &out, const QString &prefix)
    {
        QMap<QString, qint64> files;
        for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() == 4 && fields[0] == QLatin1String("F") && fields[3].startsWith(prefix))
                files.insert(fields[3].mid(prefix.size()), fields[1].toLongLong());
        }
        return files;
    }

private Q_SLOTS:
    void initTestCase();
    void listsAndExtractsEveryKind_data();
    void listsAndExtractsEveryKind();
    void damagedArchivesShowWhatCanBeRead_data();
    void damagedArchivesShowWhatCanBeRead();
    void keptFilesAreNoFailure_data();
    void keptFilesAreNoFailure();
};

void TestCliFormats::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_files.insert("top.txt", "top level\n");
    m_files.insert("docs/readme.txt", QByteArray("read me\n").repeated(300));
    m_files.insert("docs/deep/data.bin", QByteArray(70000, '\0') + QByteArray("tail", 4));
    m_files.insert("docs/deep/empty.txt", QByteArray());
    m_files.insert("name with spaces.txt", "spaces\n");
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
        QVERIFY(orv::test::writeFile(at("src/" + it.key()), it.value()));

    const QString src = at("src");
    const QStringList everything{"top.txt", "docs", "name with spaces.txt"};
    QVERIFY(runProcess("zip", QStringList{"-q", "-r", "-X", at("a.zip")} + everything, src).ok());
    QVERIFY(runProcess("7z", QStringList{"a", "-bd", "-y", "-tzip", "-mm=LZMA", at("lzma.zip")} + everything, src).ok());
    QVERIFY(runProcess("7z", QStringList{"a", "-bd", "-y", at("a.7z")} + everything, src).ok());
    QVERIFY(runProcess("7z", QStringList{"a", "-bd", "-y", "-v20k", at("split.7z")} + everything, src).ok());
    QVERIFY(runProcess("tar", QStringList{"-cf", at("a.tar")} + everything, src).ok());
    QVERIFY(runProcess("tar", QStringList{"-czf", at("a.tgz")} + everything, src).ok());
    QVERIFY(runProcess("tar", QStringList{"-cjf", at("a.tar.bz2")} + everything, src).ok());
    QVERIFY(runProcess("tar", QStringList{"-cJf", at("a.tar.xz")} + everything, src).ok());
    QVERIFY(runProcess("gcab", QStringList{"-c", "-z", at("a.cab")} + m_files.keys(), src).ok());
    QVERIFY(runProcess("genisoimage", {"-quiet", "-R", "-o", at("a.iso"), src}, src).ok());
    QVERIFY(runProcess("genisoimage", {"-quiet", "-udf", "-o", at("udf.iso"), src}, src).ok());

    // Damage: the first half of an archive (the half of a stored cabinet still holds the file table), and a
    // RAR sample cut inside its headers.
    QVERIFY(runProcess("gcab", QStringList{"-c", at("stored.cab")} + m_files.keys(), src).ok());
    for (const QString &name : QStringList{"a.zip", "a.7z", "stored.cab", "a.iso"}) {
        const QByteArray whole = orv::test::readFile(at(name));
        QVERIFY(orv::test::writeFile(at("half-" + name), whole.left(whole.size() / 2)));
    }
    const QByteArray rar = orv::test::readFile(qEnvironmentVariable("ORV_SHARED_DIR") + "/fixtures/rar/rar5-folders.rar");
    if (!rar.isEmpty())
        QVERIFY(orv::test::writeFile(at("a.rar"), rar) && orv::test::writeFile(at("cut.rar"), rar.left(300)));
}

void TestCliFormats::listsAndExtractsEveryKind_data()
{
    QTest::addColumn<QString>("archive");
    QTest::addColumn<QString>("inner");  // where the source tree starts inside the listing
    QTest::addColumn<bool>("upperCaseNames");

    QTest::newRow("zip (Info-ZIP)") << "a.zip" << "" << false;
    QTest::newRow("zip, LZMA (7-Zip)") << "lzma.zip" << "" << false;
    QTest::newRow("7z") << "a.7z" << "" << false;
    QTest::newRow("split 7z set") << "split.7z.001" << "" << false;
    QTest::newRow("tar") << "a.tar" << "" << false;
    QTest::newRow("tgz") << "a.tgz" << "a.tar/" << false;
    QTest::newRow("tar.bz2") << "a.tar.bz2" << "a.tar/" << false;
    QTest::newRow("tar.xz") << "a.tar.xz" << "a.tar/" << false;
    QTest::newRow("cab") << "a.cab" << "" << false;
    QTest::newRow("iso 9660 (names as the image stores them)") << "a.iso" << "" << true;
    QTest::newRow("udf") << "udf.iso" << "" << false;
}

void TestCliFormats::listsAndExtractsEveryKind()
{
    QFETCH(QString, archive);
    QFETCH(QString, inner);
    QFETCH(bool, upperCaseNames);

    const Result listing = cli({"list", at(archive)});
    QCOMPARE(listing.exitCode, 0);
    QVERIFY2(listing.err.isEmpty(), qPrintable(listing.err));
    const QMap<QString, qint64> listed = listedFiles(listing.out, inner);

    QMap<QString, qint64> expected;
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
        expected.insert(upperCaseNames ? it.key().toUpper() : it.key(), it.value().size());
    if (upperCaseNames) {
        // Plain ISO 9660 names are short upper-case names; only the sizes can be compared one to one.
        QCOMPARE(QList<qint64>(listed.values()).size(), expected.size());
        return;
    }
    QCOMPARE(listed, expected);
    // A compressed tar lists the tar itself first, with its unpacked size.
    if (!inner.isEmpty())
        QVERIFY(listing.out.section(QLatin1Char('\n'), 0, 0).endsWith(QLatin1Char('\t') + inner.chopped(1)));

    const QString target = at("out-" + archive);
    const Result extraction = cli({"extract", "--overwrite", "never", at(archive), target});
    QCOMPARE(extraction.exitCode, 0);
    // Extracting a whole compressed tar writes the tar's items, not the tar.
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
        QVERIFY2(orv::test::readFile(target + "/" + it.key()) == it.value(), qPrintable(it.key()));
}

// A damaged archive shows what could be read, then says what is wrong, and the command fails.
void TestCliFormats::damagedArchivesShowWhatCanBeRead_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("archive");
    QTest::addColumn<QString>("firstLine");  // the start of standard output; empty for none
    QTest::newRow("zip cut in half") << "list" << "half-a.zip" << "F\t10\t";
    QTest::newRow("zip cut in half, info") << "info" << "half-a.zip" << "Files - ";
    QTest::newRow("7z cut in half: its headers are at the end") << "list" << "half-a.7z" << "";
    QTest::newRow("cab cut in half") << "list" << "half-stored.cab" << "F\t";
    QTest::newRow("iso cut in half") << "list" << "half-a.iso" << "D\t";
    QTest::newRow("rar cut in its headers") << "list" << "cut.rar" << "F\t6\t";
}

void TestCliFormats::damagedArchivesShowWhatCanBeRead()
{
    QFETCH(QString, command);
    QFETCH(QString, archive);
    QFETCH(QString, firstLine);
    if (!QFile::exists(at(archive)))
        QSKIP("the RAR samples are not at hand");
    const Result result = cli({command, at(archive)});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains("damaged: unexpected end of data."), qPrintable(result.err));
    QVERIFY2(firstLine.isEmpty() ? result.out.isEmpty() : result.out.startsWith(firstLine), qPrintable(result.out));
}

// Files the user keeps are no failure; a file that cannot be written still fails the extraction.
void TestCliFormats::keptFilesAreNoFailure_data()
{
    QTest::addColumn<QString>("archive");
    QTest::addColumn<bool>("folderInTheWay");
    for (const char *archive : {"a.zip", "a.7z", "a.cab", "udf.iso", "a.rar"}) {
        QTest::addRow("%s, all kept", archive) << QString::fromLatin1(archive) << false;
        QTest::addRow("%s, a folder where a file goes", archive) << QString::fromLatin1(archive) << true;
    }
}

void TestCliFormats::keptFilesAreNoFailure()
{
    QFETCH(QString, archive);
    QFETCH(bool, folderInTheWay);
    if (!QFile::exists(at(archive)))
        QSKIP("the RAR samples are not at hand");
    const QStringList files = archive == QLatin1String("a.rar")
                                  ? QStringList{"sub/dir1/file1.txt", "sub/dir2/file2.txt", "sub/with space/long fn.txt"}
                                  : m_files.keys();
    const QString target = at("kept/" + QString::fromLatin1(QTest::currentDataTag()));
    for (const QString &file : files)
        QVERIFY(orv::test::writeFile(target + '/' + file, "mine"));
    if (folderInTheWay)
        QVERIFY(QFile::remove(target + '/' + files.first()) && QDir().mkpath(target + '/' + files.first()));
    QCOMPARE(cli({"extract", "--overwrite", "never", at(archive), target}).exitCode, folderInTheWay ? 1 : 0);
    for (const QString &file : files.mid(folderInTheWay ? 1 : 0))
        QCOMPARE(orv::test::readFile(target + '/' + file), QByteArray("mine"));
}

QTEST_GUILESS_MAIN(TestCliFormats)
#include "tst_cliformats.moc"
