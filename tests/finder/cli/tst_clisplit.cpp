#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using orv::test::readFile;
using orv::test::writeFile;

// "orvfind-cli split" and "merge" run as real processes in a folder of their own: the exit codes, the
// messages, what stays on disk, a file-size limit standing in for a full disk, and Ctrl-C.
class TestCliSplit : public QObject
{
    Q_OBJECT

private:
    struct Result
    {
        int exitCode = -1;
        QString err;
    };

    static void start(QProcess &process, const QString &folder, const QStringList &arguments, qint64 sizeLimit)
    {
        process.setWorkingDirectory(folder);
        if (sizeLimit > 0) {
            process.setChildProcessModifier([sizeLimit] {
                const rlimit limit{rlim_t(sizeLimit), rlim_t(sizeLimit)};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
        }
        process.start(QStringLiteral(ORVFIND_CLI), arguments);
        process.closeWriteChannel();
    }

    static Result run(const QString &folder, const QStringList &arguments, qint64 sizeLimit = 0)
    {
        QProcess process;
        start(process, folder, arguments, sizeLimit);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }

private Q_SLOTS:
    void commands_data();
    void commands();
    void splitAndMergeGiveTheFileBack();
    void ctrlCRemovesTheDestination();
};

void TestCliSplit::commands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<qint64>("sizeLimit");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");  // part of the error stream; %1 is the folder
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    const qint64 none = 0;
    QTest::newRow("split in parts of 512 Kbytes") << QStringList{"split", "--size", "512K", "src.bin", "out"} << none
                                                 << 0 << "" << QStringList{"out/src.bin.001", "out/src.bin.002"}
                                                 << QStringList{"out/src.bin.003"};
    QTest::newRow("split in 3 parts into a folder it makes")
        << QStringList{"split", "--parts=3", "src.bin", "new/out"} << none << 0 << ""
        << QStringList{"new/out/src.bin.003"} << QStringList{"new/out/src.bin.004"};
    QTest::newRow("0 parts refused") << QStringList{"split", "--parts", "0", "src.bin", "out"} << none << 2
                                     << "Number of parts may not be less than 1." << QStringList{}
                                     << QStringList{"out"};
    QTest::newRow("1000 parts refused") << QStringList{"split", "--parts", "1000", "src.bin", "out"} << none << 2
                                        << "Number of parts may not be more than 999." << QStringList{}
                                        << QStringList{"out"};
    QTest::newRow("unknown unit") << QStringList{"split", "--size", "12X", "src.bin", "out"} << none << 2
                                  << "--size takes" << QStringList{} << QStringList{"out"};
    QTest::newRow("both modes") << QStringList{"split", "--parts", "2", "--size", "2K", "src.bin", "out"} << none
                                << 2 << "either --parts or --size" << QStringList{} << QStringList{"out"};
    QTest::newRow("a full disk while splitting: the part named and removed")
        << QStringList{"split", "--size", "600K", "src.bin", "out"} << qint64(500000) << 1
        << "Cannot write file '%1/out/src.bin.001'.\nFile too large" << QStringList{"out"}
        << QStringList{"out/src.bin.001", "out/src.bin.002"};
    QTest::newRow("merge in the order given") << QStringList{"merge", "joined", "p2", "p1"} << none << 0 << ""
                                             << QStringList{"joined"} << QStringList{};
    QTest::newRow("merge without parts") << QStringList{"merge", "joined"} << none << 2 << "at least one part"
                                         << QStringList{} << QStringList{"joined"};
    QTest::newRow("a full disk while merging: the destination removed")
        << QStringList{"merge", "joined", "p1", "p2"} << qint64(800000) << 1
        << "Cannot write file '%1/joined'.\nFile too large" << QStringList{} << QStringList{"joined"};
}

void TestCliSplit::commands()
{
    QFETCH(QStringList, arguments);
    QFETCH(qint64, sizeLimit);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);

    orv::test::TestHome home;
    QTemporaryDir dir;
    const QByteArray p1 = orv::test::noise(600000, 1);
    const QByteArray p2 = orv::test::noise(500000, 2);
    QVERIFY(writeFile(dir.filePath("src.bin"), orv::test::noise(1000000, 3)));
    QVERIFY(writeFile(dir.filePath("p1"), p1));
    QVERIFY(writeFile(dir.filePath("p2"), p2));

    const Result result = run(dir.path(), arguments, sizeLimit);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(QString(message).replace("%1", dir.path())), qPrintable(result.err));
    for (const QString &path : present)
        QVERIFY2(QFile::exists(dir.filePath(path)), qPrintable(path));
    for (const QString &path : absent)
        QVERIFY2(!QFile::exists(dir.filePath(path)), qPrintable(path));
    QCOMPARE(readFile(dir.filePath("p1")), p1);
    if (present.contains("joined"))
        QCOMPARE(readFile(dir.filePath("joined")), p2 + p1);
}

void TestCliSplit::splitAndMergeGiveTheFileBack()
{
    orv::test::TestHome home;
    QTemporaryDir dir;
    const QByteArray source = orv::test::noise(5 * 1024 * 1024 + 3, 9);
    QVERIFY(writeFile(dir.filePath("data.bin"), source));
    QCOMPARE(run(dir.path(), {"split", "--size", "2M", "data.bin", "parts"}).exitCode, 0);
    QCOMPARE(QDir(dir.filePath("parts")).entryList(QDir::Files),
             (QStringList{"data.bin.001", "data.bin.002", "data.bin.003"}));
    QCOMPARE(run(dir.path(), {"merge", "back.bin", "parts/data.bin.001", "parts/data.bin.002", "parts/data.bin.003"})
                 .exitCode,
             0);
    QCOMPARE(readFile(dir.filePath("back.bin")), source);
}

// The last part is a pipe that the test feeds, so the merge is surely under way when Ctrl-C comes: the
// signal is seen at the pump after the next bytes the test writes.
void TestCliSplit::ctrlCRemovesTheDestination()
{
    orv::test::TestHome home;
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("p1"), orv::test::noise(1000, 1)));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
    QProcess process;
    start(process, dir.path(), {"merge", "joined", "p1", "pipe"}, 0);
    QVERIFY(process.waitForStarted());
    QFile pipe(dir.filePath("pipe"));
    QVERIFY(pipe.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QCOMPARE(pipe.write(QByteArray(100, 'x')), 100);
    QTRY_COMPARE(QFileInfo(dir.filePath("joined")).size(), 1100);
    ::kill(pid_t(process.processId()), SIGINT);
    QCOMPARE(pipe.write(QByteArray(100, 'y')), 100);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(!QFile::exists(dir.filePath("joined")));
}

QTEST_GUILESS_MAIN(TestCliSplit)
#include "tst_clisplit.moc"
