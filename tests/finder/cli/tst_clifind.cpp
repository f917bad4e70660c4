#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

// "orvfind-cli find" as a real process over a small tree, in UTC and the C locale so that times print
// the same everywhere.
class TestCliFind : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString at(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    struct Result
    {
        int exitCode = -1;
        QByteArray out;
        QString err;
    };

    Result run(const QStringList &arguments)
    {
        QTemporaryDir config;
        const orv::test::ProcessRun run =
            orv::test::runProcess(QStringLiteral(ORVFIND_CLI), QStringList{"find"} + arguments, m_dir.path(),
                                  {{"XDG_CONFIG_HOME", config.path()}, {"TZ", "UTC"}, {"LC_ALL", "C"}});
        return {run.exitCode, run.out, QString::fromUtf8(run.err)};
    }

    static QString count(int n)
    {
        return QStringLiteral("Orvel-ZIP Finder: For the given search options %1 files are found.\n").arg(n);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QDateTime stamp(QDate(2020, 1, 1), QTime(0, 0), QTimeZone::utc());
        QVERIFY(orv::test::writeFile(at("src/docs/x.txt"), "hello\n"));
        QVERIFY(orv::test::writeFile(at("src/big.bin"), QByteArray(1500, 'b')));
        QVERIFY(QDir().mkpath(at("tree")));
        QVERIFY(orv::test::runProcess("tar", {"--mtime=2020-01-01 00:00:00 UTC", "-czf", at("tree/a.tgz"), "docs", "big.bin"},
                                      at("src")).ok());
        QFile archive(at("tree/a.tgz"));
        QVERIFY(archive.open(QIODevice::ReadWrite));
        QVERIFY(archive.setFileTime(stamp, QFileDevice::FileModificationTime));
        QVERIFY(orv::test::writeFile(at("odd/semi;colon \"q\".tgz"), orv::test::readFile(at("tree/a.tgz"))));
        QFile odd(at("odd/semi;colon \"q\".tgz"));
        QVERIFY(odd.open(QIODevice::ReadWrite) && odd.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    void hits_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<int>("found");

        const QByteArray x = "x.txt;" + at("tree/a.tgz/a.tar/docs").toUtf8() + ";6 bytes;01/01/20 00:00:00\n";
        const QByteArray big = "big.bin;" + at("tree/a.tgz/a.tar").toUtf8() + ";1 500 bytes;01/01/20 00:00:00\n";
        QTest::newRow("files, csv") << QStringList{"--files", "*.TXT", "--format", "csv", "tree"}
                                    << "Name;Path;Size;Modified\n" + x << 1;
        QTest::newRow("archives, text") << QStringList{"--archives", "a.*", "tree/"}
                                        << "a.tgz " + at("tree").toUtf8() + " " + QByteArray::number(QFileInfo(at("tree/a.tgz")).size()) + " bytes 01/01/20 00:00:00\n"
                                        << 1;
        QTest::newRow("size filter on entries")
            << QStringList{"--mode=files", "--files=*", "--include", "for=files,size=ge:1000", "--format=csv", "tree"}
            << "Name;Path;Size;Modified\na.tar;" + at("tree/a.tgz").toUtf8() + ";10 240 bytes;01/01/20 00:00:00\n" + big
            << 2;
        QTest::newRow("date filter excludes the day")
            << QStringList{"--files", "*", "--exclude",
                           "for=both,modified=2020-01-01 00:00:00..2020-01-01 23:59:59", "tree"}
            << QByteArray() << 0;
        QTest::newRow("folder inside the archive")
            << QStringList{"--files", "*", "--format", "csv", "tree/a.tgz/a.tar/docs"}
            << "Name;Path;Size;Modified\n" + x << 1;
        QTest::newRow("csv: a name holding ; and quotes is quoted")
            << QStringList{"--archives", "*", "--format", "csv", "odd"}
            << "Name;Path;Size;Modified\n\"semi;colon \"\"q\"\".tgz\";" + at("odd").toUtf8() + ";"
                   + QByteArray::number(QFileInfo(at("tree/a.tgz")).size()) + " bytes;01/01/20 00:00:00\n"
            << 1;
        QTest::newRow("skip compressed tar")
            << QStringList{"--files", "*", "--skip-compressed-tar", "--format", "xml", "tree"}
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<found_files>\n<file>\n<name>a.tar</name>\n<path>"
                   + at("tree/a.tgz").toUtf8()
                   + "</path>\n<size>10 240 bytes</size>\n<modified>01/01/20 00:00:00</modified>\n</file>\n"
                     "</found_files>\n"
            << 1;
    }

    void hits()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, out);
        QFETCH(int, found);
        const Result result = run(arguments);
        QCOMPARE(result.out, out);
        QCOMPARE(result.err, count(found));
        QCOMPARE(result.exitCode, 0);
    }

    void outputFileIsTheSavedForm()
    {
        QVERIFY(orv::test::writeFile(at("list.csv"), "old content that is longer than the new one\n"));
        const Result result = run({"--files", "*.txt", "--format", "csv", "--output", "list.csv", "tree"});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QByteArray());
        QCOMPARE(orv::test::readFile(at("list.csv")),
                 "\xEF\xBB\xBFName;Path;Size;Modified\r\nx.txt;" + at("tree/a.tgz/a.tar/docs").toUtf8()
                     + ";6 bytes;01/01/20 00:00:00\r\n");
    }

    // The workbook that the program exports, read back by openpyxl.
    void workbook()
    {
        const Result result = run({"--files", "*.txt", "--format", "xlsx", "--output", "list.xlsx", "tree"});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, count(1));
        const char script[] = "import openpyxl, sys\n"
                              "for r in openpyxl.load_workbook(sys.argv[1]).active.values: print('|'.join(map(str, r)))";
        const orv::test::ProcessRun python = orv::test::runProcess("/usr/bin/python3", {"-c", script, at("list.xlsx")});
        QCOMPARE(QString::fromUtf8(python.out), "Num.|Name|Path|Size|Modified\n1|x.txt|" + at("tree/a.tgz/a.tar/docs")
                                                    + "|6 bytes|01/01/20 00:00:00\n");
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no place") << QStringList{"--files", "*"} << 2 << "no place to search";
        QTest::newRow("archives mode, blank mask") << QStringList{"--mode", "archives", "--archives", "  ", "tree"}
                                                   << 2 << "needs a mask for archives";
        QTest::newRow("both mode without file mask") << QStringList{"--mode", "both", "--archives", "*", "tree"}
                                                     << 2 << "needs a mask for files";
        QTest::newRow("bad size") << QStringList{"--files", "*", "--include", "size=ge:12x", "tree"} << 2
                                  << "bad filter part";
        QTest::newRow("bad date") << QStringList{"--files", "*", "--include", "modified=2020-13-01 00:00:00..", "tree"}
                                  << 2 << "bad filter part";
        QTest::newRow("bad format") << QStringList{"--files", "*", "--format", "json", "tree"} << 2 << "--format";
        QTest::newRow("workbook to standard output") << QStringList{"--files", "*", "--format", "xlsx", "tree"} << 2
                                                     << "need --output";
        QTest::newRow("option of another command") << QStringList{"--files", "*", "--password", "p", "tree"} << 2
                                                   << "unknown option";
        QTest::newRow("missing place still counts") << QStringList{"--files", "*", "nowhere"} << 1
                                                    << "no such place";
        QTest::newRow("output folder missing") << QStringList{"--files", "*", "--output", "no/such/list.txt", "tree"}
                                               << 1 << "cannot create file";
    }

    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const Result result = run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QCOMPARE(result.out, QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestCliFind)
#include "tst_clifind.moc"
