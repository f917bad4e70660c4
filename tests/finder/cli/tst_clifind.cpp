#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <csignal>

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

    // Each run has a catalogue of its own unless it is given one.
    Result run(const QStringList &arguments, const QString &cache = {}, const QString &command = "find")
    {
        QTemporaryDir config;
        const orv::test::ProcessRun run =
            orv::test::runProcess(QStringLiteral(ORVFIND_CLI), QStringList{command} + arguments, m_dir.path(),
                                  {{"XDG_CONFIG_HOME", config.path()},
                                   {"XDG_CACHE_HOME", cache.isEmpty() ? config.path() : cache},
                                   {"TZ", "UTC"},
                                   {"LC_ALL", "C"}});
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
        for (const char *jobs : {"1", "3"}) {
            const Result result = run(QStringList{"--jobs", jobs} + arguments);
            QCOMPARE(result.out, out);
            QCOMPARE(result.err, count(found));
            QCOMPARE(result.exitCode, 0);
        }
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

    // A second search reads the listings from the catalogue and finds the same; "catalogue" shows and
    // empties it, and a search without it leaves it alone.
    void catalogue()
    {
        QTemporaryDir cache;
        const QStringList search{"--files", "*", "--format", "csv", "tree", "odd"};
        const Result first = run(search, cache.path());
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(run(search, cache.path()).out, first.out);
        const QString listings = cache.path() + "/Orvel Systems/Orvel-ZIP Finder/Listings.sqlite";
        const auto info = [&] { return run({"info"}, cache.path(), "catalogue").out; };
        QVERIFY2(info().startsWith("catalogue: " + listings.toUtf8() + "\narchives: 2\nentries: 8\n"), info());
        QCOMPARE(run({"clear"}, cache.path(), "catalogue").exitCode, 0);
        QCOMPARE(run(QStringList{"--no-catalogue"} + search, cache.path()).out, first.out);
        QVERIFY2(info().contains("\narchives: 0\n"), info());
        QCOMPARE(run({"drop"}, cache.path(), "catalogue").exitCode, 2);
    }

    // The output is written in blocks of 256 KB; while the test does not read, the pipe fills and the
    // search stands in the middle of a write, so Ctrl-C surely comes during the search. It ends at a whole
    // row, with every worker stopped, and the rows before it are those one thread gives.
    void ctrlCEndsAtAWholeRow()
    {
        QVERIFY(orv::test::writeFile(at("many/src/0.txt"), "x"));
        for (int i = 1; i < 3000; ++i)
            QVERIFY(QFile::copy(at("many/src/0.txt"), at(QStringLiteral("many/src/%1.txt").arg(i))));
        QVERIFY(QDir().mkpath(at("many/big")));
        QVERIFY(orv::test::runProcess("zip", {"-q", "-r", "-0", at("many/big/0.zip"), "."}, at("many/src")).ok());
        for (int i = 1; i < 12; ++i)
            QVERIFY(QFile::copy(at("many/big/0.zip"), at(QStringLiteral("many/big/%1.zip").arg(i))));
        const QStringList search{"--no-catalogue", "--files", "*", "many/big"};
        const Result whole = run(QStringList{"--jobs", "1"} + search);
        QVERIFY(whole.out.size() > 2 << 20);

        QTemporaryDir config;
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", config.path());
        environment.insert("XDG_CACHE_HOME", config.path());
        environment.insert("TZ", "UTC");
        environment.insert("LC_ALL", "C");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(ORVFIND_CLI), QStringList{"find", "--jobs", "3"} + search);
        process.closeWriteChannel();
        QVERIFY(process.waitForReadyRead(30000));
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(30000));
        const QByteArray out = process.readAllStandardOutput();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(out.size() < whole.out.size());
        QVERIFY(out.endsWith('\n'));
        QVERIFY(whole.out.startsWith(out));
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
        QTest::newRow("no jobs") << QStringList{"--files", "*", "--jobs", "0", "tree"} << 2 << "--jobs takes";
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
