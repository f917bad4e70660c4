#include "tests/support/tools.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Crafted archives whose names or items read differently by format: names that are no valid UTF-8, "."
// and empty names, folders only the paths below them name, a hard link to a hard link. Listed and
// extracted by the command-line companion as a real process.
class TestCliNames : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString at(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    orv::test::ProcessRun cli(const QStringList &arguments)
    {
        return orv::test::runProcess(QStringLiteral(ORVFIND_CLI), arguments, m_dir.path(),
                                     {{"XDG_CONFIG_HOME", at("config")}});
    }

    // The listing without its size and time columns, a line each.
    QStringList listed(const QString &archive)
    {
        const orv::test::ProcessRun run = cli({"list", archive});
        if (!run.ok())
            return {"exit " + QString::number(run.exitCode) + ": " + QString::fromUtf8(run.err)};
        QStringList lines;
        for (const QByteArray &line : run.out.split('\n')) {
            const QList<QByteArray> columns = line.split('\t');
            if (columns.size() == 4)
                lines << QString::fromUtf8(columns[0] + ' ' + columns[1] + ' ' + columns[3]);
        }
        lines.sort();
        return lines;
    }

    // Every file under the folder with its bytes, names as raw bytes.
    static QStringList extracted(const QString &folder)
    {
        QStringList files;
        const QByteArray script = "import os, sys\n"
                                  "root = os.fsencode(sys.argv[1])\n"
                                  "for d, _, fs in os.walk(root):\n"
                                  "    for f in fs:\n"
                                  "        p = os.path.join(d, f)\n"
                                  "        print(repr(os.path.relpath(p, root))[2:-1], open(p, 'rb').read().decode())\n";
        const orv::test::ProcessRun run = orv::test::runProcess("/usr/bin/python3", {"-c", script, folder});
        for (const QByteArray &line : run.out.split('\n')) {
            if (!line.isEmpty())
                files << QString::fromUtf8(line);
        }
        files.sort();
        return files;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(at("src/d/e")));
        QVERIFY(orv::test::runProcess("sh", {"-c", "printf hi > d/e/f.txt"}, at("src")).ok());
        QVERIFY(orv::test::runTool("7z", {"a", "-bd", at("implied.7z"), "d/e/f.txt"}, at("src")).ok());
        QVERIFY(orv::test::runProcess("zip", {"-q", at("implied.zip"), "d/e/f.txt"}, at("src")).ok());
        const QByteArray script =
            "import io, sys, tarfile, zipfile\n"
            "def add(t, name, data=b'', kind=tarfile.REGTYPE, link=''):\n"
            "    i = tarfile.TarInfo(name); i.type = kind; i.linkname = link; i.size = len(data)\n"
            "    t.addfile(i, io.BytesIO(data))\n"
            "with tarfile.open('names.tar', 'w', format=tarfile.GNU_FORMAT, errors='surrogateescape') as t:\n"
            "    for raw in (b'a\\xff.txt', b'a\\xfe.txt', 'a\\ufffd.txt'.encode(), b'd\\xc3/\\xe9t\\xe9'):\n"
            "        add(t, raw.decode('utf-8', 'surrogateescape'), raw.hex().encode())\n"
            "with tarfile.open('links.tar', 'w') as t:\n"
            "    add(t, '.', kind=tarfile.DIRTYPE); add(t, 'd/f.txt', b'hello')\n"
            "    add(t, 'h1', kind=tarfile.LNKTYPE, link='d/f.txt'); add(t, 'h2', kind=tarfile.LNKTYPE, link='h1')\n"
            "with zipfile.ZipFile('dots.zip', 'w') as z:\n"
            "    z.writestr('./', ''); z.writestr('.', 'x'); z.writestr('d/./g.txt', 'g')\n";
        QVERIFY(orv::test::runProcess("/usr/bin/python3", {"-c", script}, m_dir.path()).ok());
    }

    void listAndExtract_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QStringList>("listing");
        QTest::addColumn<QStringList>("files");
        const QStringList names{"F 12 a\\xfe.txt", "F 12 a\\xff.txt", "F 16 a\uFFFD.txt", "D  d\\xc3",
                                "F 12 d\\xc3/\\xe9t\\xe9"};
        const QStringList namedFiles{"a\\xef\\xbf\\xbd.txt 61efbfbd2e747874", "a\\xfe.txt 61fe2e747874",
                                     "a\\xff.txt 61ff2e747874", "d\\xc3/\\xe9t\\xe9 64c32fe974e9"};
        QTest::newRow("undecodable bytes stay apart") << "names.tar" << names << namedFiles;
        QTest::newRow("hard link to a hard link")
            << "links.tar" << QStringList{"D  d", "F 5 d/f.txt", "F 5 h1", "F 5 h2"}
            << QStringList{"d/f.txt hello", "h1 hello", "h2 hello"};
        QTest::newRow("folders only paths name, 7z") << "implied.7z" << QStringList{"D  d", "D  d/e", "F 2 d/e/f.txt"}
                                                     << QStringList{"d/e/f.txt hi"};
        QTest::newRow("folders only paths name, zip") << "implied.zip"
                                                      << QStringList{"D  d", "D  d/e", "F 2 d/e/f.txt"}
                                                      << QStringList{"d/e/f.txt hi"};
        QTest::newRow("\".\" and \"./\" name nothing, zip") << "dots.zip" << QStringList{"D  d", "F 1 d/g.txt"}
                                                            << QStringList{"d/g.txt g"};
    }

    void listAndExtract()
    {
        QFETCH(QString, archive);
        QFETCH(QStringList, listing);
        QFETCH(QStringList, files);
        listing.sort();
        QCOMPARE(listed(archive), listing);
        const QString target = at("out/" + QString::fromLatin1(QTest::currentDataTag()));
        const orv::test::ProcessRun run = cli({"extract", "--overwrite", "never", archive, target});
        QVERIFY2(run.ok(), run.err.constData());
        QCOMPARE(extracted(target), files);
    }
};

QTEST_GUILESS_MAIN(TestCliNames)
#include "tst_clinames.moc"
