#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The command-line companion run as a real process on archives that tar makes, with its own settings
// folder per run.
class TestCliRun : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    const QDateTime m_time{QDate(2021, 3, 4), QTime(5, 6, 7)};

    QString at(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    struct Result
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Result run(const QStringList &arguments, const QByteArray &settings = {})
    {
        QTemporaryDir config;
        if (!settings.isEmpty())
            orv::test::writeFile(config.path() + "/Orvel Systems/Orvel-ZIP Finder/orvfind.ini", settings);
        const orv::test::ProcessRun run = orv::test::runProcess(QStringLiteral(ORVFIND_CLI), arguments, m_dir.path(),
                                                                {{"XDG_CONFIG_HOME", config.path()}});
        return {run.exitCode, QString::fromUtf8(run.out), QString::fromUtf8(run.err)};
    }

    void makeFile(const QString &relative, const QByteArray &bytes)
    {
        QVERIFY(orv::test::writeFile(at(relative), bytes));
        QFile file(at(relative));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(m_time, QFileDevice::FileModificationTime));
    }

    void tar(const QStringList &arguments) { QVERIFY(orv::test::runProcess("tar", arguments, at("src")).ok()); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        makeFile("src/docs/x.txt", "hello\n");
        makeFile("src/docs/sub/y.bin", QByteArray(3000, '\x7f'));
        makeFile("src/top.txt", "abc");
        // Every item gets the same local time, folders included.
        const QStringList items{"--mtime=" + m_time.toString("yyyy-MM-dd hh:mm:ss"), "--no-recursion", "docs",
                                "docs/sub", "docs/sub/y.bin", "docs/x.txt", "top.txt"};
        tar(QStringList{"-cf", at("a.tar")} + items);
        tar(QStringList{"-czf", at("a.tar.gz")} + items);
        makeFile("src/Docs/z.txt", "twin\n");
        tar({"-cf", at("twins.tar"), items.first(), "--no-recursion", "docs", "docs/x.txt", "Docs", "Docs/z.txt"});
        QVERIFY(orv::test::runProcess("zip", {"-q", "-X", at("a.zip"), "top.txt"}, at("src")).ok());
        const QByteArray stub(4096, 'M');
        QVERIFY(orv::test::writeFile(at("setup.exe"), stub + orv::test::readFile(at("a.zip"))));
        QVERIFY(orv::test::writeFile(at("plain.exe"), stub));
        QVERIFY(orv::test::writeFile(at("damaged.tar.gz"), orv::test::readFile(at("a.tar.gz")).left(60)));
        QVERIFY(orv::test::writeFile(at("garbage.tar"), QByteArray(700, '\x01')));
        QVERIFY(orv::test::writeFile(at("notes.txt"), "plain text"));
        // Names with a line feed, a carriage return, an escape sequence and a tab; a backslash inside an
        // archive is a separator, as everywhere in the program, so the one to be escaped is in a folder on disk.
        QVERIFY(QDir().mkpath(at("back\\slash")));
        const QString script = QStringLiteral(
            "import io, sys, tarfile\n"
            "with tarfile.open(sys.argv[1], 'w', format=tarfile.PAX_FORMAT) as t:\n"
            "    for name, data in (('line\\nbreak', None), ('ok.txt', b'ok'),\n"
            "                       ('line\\nbreak/a\\rb\\x1b[2Jc', None),\n"
            "                       ('line\\nbreak/a\\rb\\x1b[2Jc\\\\d\\te', b'abc')):\n"
            "        info = tarfile.TarInfo(name)\n"
            "        info.mtime = int(sys.argv[2])\n"
            "        info.type = tarfile.DIRTYPE if data is None else tarfile.REGTYPE\n"
            "        info.size = len(data or b'')\n"
            "        t.addfile(info, io.BytesIO(data) if data else None)\n");
        QVERIFY(orv::test::runProcess("python3", {"-c", script, at("back\\slash/odd.tar"),
                                                  QString::number(m_time.toSecsSinceEpoch())}).ok());
    }

    void listLines_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("lines");
        const QString t = QStringLiteral("2021-03-04 05:06:07");

        QTest::newRow("whole tar") << "a.tar"
                                   << QStringList{"D\t\t" + t + "\tdocs", "D\t\t" + t + "\tdocs/sub",
                                                  "F\t3000\t" + t + "\tdocs/sub/y.bin", "F\t6\t" + t + "\tdocs/x.txt",
                                                  "F\t3\t" + t + "\ttop.txt"};
        QTest::newRow("folder inside") << "a.tar/docs/sub"
                                       << QStringList{"D\t\t" + t + "\tdocs/sub", "F\t3000\t" + t + "\tdocs/sub/y.bin"};
        QTest::newRow("file inside, other case") << "a.tar/TOP.txt" << QStringList{"F\t3\t" + t + "\ttop.txt"};
        QTest::newRow("folder inside, not its twin in other case")
            << "twins.tar/Docs" << QStringList{"D\t\t" + t + "\tDocs", "F\t5\t" + t + "\tDocs/z.txt"};
        QTest::newRow("tar inside gzip") << "a.tar.gz/a.tar/docs/sub"
                                         << QStringList{"D\t\t" + t + "\ta.tar/docs/sub",
                                                        "F\t3000\t" + t + "\ta.tar/docs/sub/y.bin"};
    }

    void listLines()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, lines);
        const Result result = run({"list", path});
        QCOMPARE(result.err, QString());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out.split('\n', Qt::SkipEmptyParts), lines);
    }

    // Control characters in names are written escaped, so that each entry is one line and nothing reaches the
    // terminal as a control; the plain find output starts each line with the name and the folder.
    void controlCharactersEscaped_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("lineStarts");
        const QString t = QStringLiteral("2021-03-04 05:06:07");
        const QString folder = QStringLiteral(R"(line\nbreak/a\rb\x1b[2Jc)");
        QTest::newRow("list") << QStringList{"list", "back\\slash/odd.tar"}
                              << QStringList{"D\t\t" + t + "\t" + R"(line\nbreak)", "F\t2\t" + t + "\tok.txt",
                                             "D\t\t" + t + "\t" + folder, "F\t3\t" + t + "\t" + folder + R"(/d\te)"};
        const QString archive = m_dir.path() + QStringLiteral(R"(/back\\slash/odd.tar)");
        QTest::newRow("find") << QStringList{"find", "--files", "*", "back\\slash"}
                              << QStringList{"ok.txt " + archive + " 2 bytes ",
                                             R"(d\te )" + archive + "/" + folder + " 3 bytes "};
    }

    void controlCharactersEscaped()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, lineStarts);
        const Result result = run(arguments);
        QCOMPARE(result.exitCode, 0);
        const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), lineStarts.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(lines[i].startsWith(lineStarts[i]), qPrintable(lines[i]));
    }

    void info_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("line");
        QTest::newRow("archive") << "a.tar" << "Files - 3, Folders - 2, Size - 3 009 bytes";
        QTest::newRow("folder") << "a.tar/docs" << "Files - 2, Folders - 1, Size - 3 006 bytes";
    }

    void info()
    {
        QFETCH(QString, path);
        QFETCH(QString, line);
        const Result result = run({"info", path});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, line + '\n');
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");

        QTest::newRow("no command") << QStringList{} << 2 << "usage:";
        QTest::newRow("unknown command") << QStringList{"show", "a.tar"} << 2 << "unknown command show";
        QTest::newRow("unknown option") << QStringList{"list", "--fast", "a.tar"} << 2 << "unknown option --fast";
        QTest::newRow("unknown option alone") << QStringList{"--fast"} << 2 << "usage:";
        QTest::newRow("extract option on list") << QStringList{"list", "--files-without-paths", "a.tar"} << 2
                                                << "not valid here";
        QTest::newRow("bad overwrite value") << QStringList{"extract", "--overwrite", "maybe", "a.tar", "out"} << 2
                                             << "--overwrite";
        QTest::newRow("extract without target") << QStringList{"extract", "a.tar"} << 2 << "usage:";
        QTest::newRow("missing file") << QStringList{"list", "nothing.tar"} << 1 << "not an archive";
        QTest::newRow("not an archive kind") << QStringList{"list", "notes.txt"} << 1 << "not an archive";
        QTest::newRow("damaged gzip") << QStringList{"list", "damaged.tar.gz"} << 1 << "Cannot open the archive.";
        QTest::newRow("garbage tar") << QStringList{"info", "garbage.tar"} << 1 << "Cannot open the archive.";
        QTest::newRow("damaged, extract") << QStringList{"extract", "damaged.tar.gz", "out-damaged"} << 1
                                          << "Cannot open the archive.";
        QTest::newRow("missing item") << QStringList{"info", "a.tar/docs/none.txt"} << 1 << "no such item";
        QTest::newRow("missing item, extract") << QStringList{"extract", "a.tar/none.txt", "out-none"} << 1
                                               << "Cannot unpack the file none.txt.";
        QTest::newRow("options after paths") << QStringList{"list", "a.tar", "--password", "x"} << 0 << "";
    }

    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const Result result = run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        if (message.isEmpty())
            QCOMPARE(result.err, QString());
        else
            QVERIFY2(result.err.contains(message), qPrintable(result.err));
    }

    void helpAndVersion_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("start");  // of the standard output
        QTest::newRow("--help") << QStringList{"--help"} << "usage: orvfind-cli ";
        QTest::newRow("-h") << QStringList{"-h"} << "usage: orvfind-cli ";
        QTest::newRow("--version") << QStringList{"--version"} << "orvfind-cli " ORV_VERSION "\n";
    }

    // Asked for, the usage is an answer rather than an error: it goes to the standard output.
    void helpAndVersion()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, start);
        const Result result = run(arguments);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QString());
        QVERIFY2(result.out.startsWith(start), qPrintable(result.out));
    }

    void extractBytes_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("files");

        const QByteArray withPaths = "[Unpack]\nUnpackFilesWithoutPaths=No\nUnpackFoldersWithoutPaths=No\n";
        QTest::newRow("whole archive") << QStringList{} << "a.tar" << QByteArray()
                                       << QStringList{"docs/sub/y.bin", "docs/x.txt", "top.txt"};
        QTest::newRow("whole compressed tar") << QStringList{} << "a.tar.gz" << QByteArray()
                                              << QStringList{"docs/sub/y.bin", "docs/x.txt", "top.txt"};
        QTest::newRow("archive without paths") << QStringList{"--archives-without-paths"} << "a.tar" << QByteArray()
                                               << QStringList{"top.txt", "x.txt", "y.bin"};
        QTest::newRow("file, new settings drop its path") << QStringList{} << "a.tar/docs/x.txt" << QByteArray()
                                                          << QStringList{"x.txt"};
        QTest::newRow("file, settings keep paths") << QStringList{} << "a.tar/docs/x.txt" << withPaths
                                                   << QStringList{"docs/x.txt"};
        QTest::newRow("option overrides settings") << QStringList{"--files-without-paths"} << "a.tar/docs/x.txt"
                                                   << withPaths << QStringList{"x.txt"};
        QTest::newRow("folder, settings keep paths") << QStringList{} << "a.tar/docs/sub" << withPaths
                                                     << QStringList{"docs/sub/y.bin"};
        QTest::newRow("folder without the path above") << QStringList{"--folders-without-paths"} << "a.tar/docs/sub"
                                                       << withPaths << QStringList{"sub/y.bin"};
    }

    void extractBytes()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, path);
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, files);
        const QString target = at(QStringLiteral("out/") + QTest::currentDataTag());
        const Result result = run(QStringList{"extract"} + options + QStringList{path, target + "/new/level"}, settings);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QHash<QString, QString> sources{
            {"top.txt", "src/top.txt"}, {"x.txt", "src/docs/x.txt"}, {"y.bin", "src/docs/sub/y.bin"}};
        QDir root(target + "/new/level");
        for (const QString &file : files) {
            QVERIFY2(root.exists(file), qPrintable(file));
            QCOMPARE(orv::test::readFile(root.filePath(file)), orv::test::readFile(at(sources[file.section('/', -1)])));
        }
        QDirIterator all(root.path(), QDir::Files, QDirIterator::Subdirectories);
        int count = 0;
        for (; all.hasNext(); all.next())
            ++count;
        QCOMPARE(count, files.size());
    }

    void selfExtracting_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("exitCode");
        const QByteArray exeOn = "[Additional archives]\nEXE=1\n";
        QTest::newRow("zip inside, EXE enabled") << "setup.exe" << exeOn << 0;
        QTest::newRow("zip inside, EXE disabled as in a new file") << "setup.exe" << QByteArray() << 1;
        QTest::newRow("no archive inside") << "plain.exe" << exeOn << 1;
        QTest::newRow("plain zip") << "a.zip" << QByteArray() << 0;
    }

    void selfExtracting()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, settings);
        QFETCH(int, exitCode);
        const Result result = run({"list", path}, settings);
        QCOMPARE(result.exitCode, exitCode);
        // DOS times keep even seconds; zip rounds the odd second up.
        if (exitCode == 0)
            QCOMPARE(result.out.section('\t', 1), QStringLiteral("3\t2021-03-04 05:06:08\ttop.txt\n"));
        else
            QVERIFY(result.err.contains("not an archive"));
    }

    void overwrite_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("exitCode");

        QTest::newRow("never") << QStringList{"--overwrite", "never"} << QByteArray() << QByteArray("old") << 0;
        QTest::newRow("always") << QStringList{"--overwrite=always"} << QByteArray() << QByteArray("abc") << 0;
        QTest::newRow("ask without a terminal keeps the file") << QStringList{} << QByteArray() << QByteArray("old")
                                                               << 0;
        QTest::newRow("settings do not ask") << QStringList{} << QByteArray("[Unpack]\nAskBeforeOverwriting=No\n")
                                             << QByteArray("abc") << 0;
    }

    void overwrite()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, content);
        QFETCH(int, exitCode);
        const QString target = at(QStringLiteral("over/") + QTest::currentDataTag());
        QVERIFY(orv::test::writeFile(target + "/top.txt", "old"));
        const Result result = run(QStringList{"extract"} + options + QStringList{"a.tar/top.txt", target}, settings);
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(orv::test::readFile(target + "/top.txt"), content);
    }
};

QTEST_GUILESS_MAIN(TestCliRun)
#include "tst_clirun.moc"
