#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using orv::test::runTool;

namespace {

constexpr int DeepLevels = 3000;
constexpr rlim_t FileSizeLimit = 512 * 1024 * 1024;

// The tar and ZIP fixtures, made with Python's own writers; the 7z, ISO and encrypted ZIP ones come from the
// real tools below.
const char *const Fixtures = R"(
import io, os, struct, sys, tarfile, zipfile, zlib
os.chdir(sys.argv[1])
def tar(name, items, mode='w'):
    with tarfile.open(name, mode, format=tarfile.PAX_FORMAT) as t:
        for path, data, perm, kind in items:
            info = tarfile.TarInfo(path); info.mode = perm
            if kind: info.type, info.linkname = kind, data or ''
            else: info.size = len(data)
            t.addfile(info, None if kind else io.BytesIO(data))
tar('deep.tar', [('d/' * %1 + 'f.txt', b'hi\n', 0o644, None)])
tar('dup.tar', [('a.txt', b'one\n', 0o644, None), ('a.txt', b'two\n', 0o644, None)])
tar('folder-in-the-way.tar', [('docs/a.txt', None, 0o755, tarfile.DIRTYPE), ('docs/a.txt', b'x\n', 0o644, None)])
tar('long-name.tar', [('n' * 300, b'x\n', 0o644, None), ('ok.txt', b'ok\n', 0o644, None)])
tar('modes.tar', [('w666.txt', b'w\n', 0o666, None), ('x777.sh', b'x\n', 0o777, None)])
tar('hard-links.tar.gz', [('data/big.bin', bytes(4 << 20), 0o644, None)]
    + [('l%d.bin' % i, 'data/big.bin', 0o644, tarfile.LNKTYPE) for i in range(5)], 'w:gz')
tar('big.tar.gz', [('big.bin', bytes(200 << 20), 0o644, None)], 'w:gz')
with zipfile.ZipFile('links.zip', 'w') as z:
    for name, target in [('inside', 'target.txt'), ('sub/up', '../target.txt'), ('outside', '../../etc/passwd'),
                         ('absolute', '/etc/passwd')]:
        info = zipfile.ZipInfo(name); info.create_system = 3; info.external_attr = 0o120777 << 16
        z.writestr(info, target)
    info = zipfile.ZipInfo('target.txt'); info.create_system = 3; info.external_attr = 0o100666 << 16
    z.writestr(info, 't\n')
# A stored file whose first byte no longer matches its CRC.
with zipfile.ZipFile('crc.zip', 'w') as z:
    z.writestr('bad.txt', 'hello\n'); z.writestr('good.txt', 'good\n')
data = bytearray(open('crc.zip', 'rb').read()); data[30 + len('bad.txt')] ^= 0x20
open('crc.zip', 'wb').write(data)
# One local record of 600 MB of zeros that three central entries name.
with zipfile.ZipFile('one.zip', 'w', zipfile.ZIP_DEFLATED, compresslevel=1) as z, z.open('a0.bin', 'w') as f:
    for _ in range(600): f.write(bytes(1 << 20))
data = open('one.zip', 'rb').read(); os.remove('one.zip')
end = data.rfind(b'PK\x05\x06'); size, start = struct.unpack_from('<II', data, end + 12)
entry = data[start:start + size]; length = struct.unpack_from('<H', entry, 28)[0]
names = [b'a%d.bin' % i for i in range(3)]
central = b''.join(entry[:46] + n + entry[46 + length:] for n in names)
open('overlap.zip', 'wb').write(data[:start] + central
    + struct.pack('<4s4H2IH', b'PK\x05\x06', 0, 0, 3, 3, len(central), start, 0))
# The first file of a stored RAR 4 archive says it holds 3 bytes of its 6 (header CRC made to match).
if os.path.exists(sys.argv[2]):
    rar = bytearray(open(sys.argv[2], 'rb').read()); at = 7 + struct.unpack_from('<H', rar, 12)[0]
    struct.pack_into('<I', rar, at + 11, 3)
    header = bytes(rar[at + 2:at + struct.unpack_from('<H', rar, at + 5)[0]])
    struct.pack_into('<H', rar, at, zlib.crc32(header) & 0xffff)
    open('longer.rar', 'wb').write(rar)
os.makedirs('src')
os.makedirs('update/sub')
for name, text in [('src/plain.txt', 'plain\n'), ('src/secret.txt', 'secret\n'), ('src/target.txt', 't\n'),
                   ('update/a.txt', 'a\n'), ('update/b.txt', 'b\n'), ('update/sub/c.txt', 'c\n')]:
    open(name, 'w').write(text)
os.symlink('target.txt', 'src/inside'); os.symlink('../../etc/passwd', 'src/outside')
os.makedirs('iso'); open('iso/a.txt', 'w').write('a\n'); open('iso/z.bin', 'wb').write(os.urandom(200 << 10))
)";

// Everything below a folder: files as "path mode size" (with "xN" for N names of one file), symbolic links
// as "path -> target", empty folders as "path/". find goes deeper than a path can be long.
QStringList tree(const QString &folder)
{
    const orv::test::ToolRun run =
        runTool("find", {folder, "-mindepth", "1", "(", "-type", "f", "-printf", "%P %#m %s x%n\\n", ")", "-o", "(",
                         "-type", "l", "-printf", "%P -> %l\\n", ")", "-o", "(", "-type", "d", "-empty", "-printf",
                         "%P/\\n", ")"});
    QStringList items = QString::fromUtf8(run.output).split('\n', Qt::SkipEmptyParts);
    items.replaceInStrings(QRegularExpression(" x1$"), QString());
    items.sort();
    return items;
}

// Time the finished child processes spent in the kernel: what a walk of the folders costs, and what neither
// a loaded machine nor a sanitizer build changes much.
double childSystemSeconds()
{
    struct rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

// Crafted archives that once made an extraction take hours, fill the disk, write outside the target folder,
// leave world-writable files, or fail without a word: the command-line companion extracts each one as a
// user would, under a file size limit, and what it leaves on disk and says is checked.
class TestCliHostile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString at(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    static bool tool(const QString &program, const QStringList &arguments, const QString &folder)
    {
        const orv::test::ToolRun run = runTool(program, arguments, folder);
        if (!run.ok())
            qWarning("%s: %s", qPrintable(program), run.output.constData());
        return run.ok();
    }

    // In the child before the program starts: a file size limit, so that amplified output fails instead of
    // filling the disk, and the signals the program reacts to at their defaults, whatever the runner ignores.
    static void limitChild()
    {
        const struct rlimit limit{FileSizeLimit, FileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, SIG_DFL);
    }

private slots:
    // The deep path is longer than Qt's file functions take.
    void cleanupTestCase() { QVERIFY(tool("rm", {"-rf", m_dir.path()}, {})); }

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        ::umask(022);
        const QString rar = qEnvironmentVariable("ORV_SHARED_DIR") + "/fixtures/rar/rar4-folders.rar";
        QVERIFY(tool("python3", {"-c", QString::fromLatin1(Fixtures).arg(DeepLevels), m_dir.path(), rar}, {}));
        const QString src = at("src");
        // AES: a wrong password passes its check one time in 65,536 (ZipCrypto's: one in 256).
        QVERIFY(tool("7z", {"a", "-bso0", "-tzip", "../mixed.zip", "plain.txt"}, src));
        QVERIFY(tool("7z", {"a", "-bso0", "-tzip", "-ppw", "-mem=AES256", "../mixed.zip", "secret.txt"}, src));
        QVERIFY(tool("7z", {"a", "-bso0", "-ppw", "-mhe=on", "../headers.7z", "plain.txt", "secret.txt"}, src));
        QVERIFY(tool("7z", {"a", "-bso0", "-ppw", "../files.7z", "secret.txt"}, src));
        QVERIFY(tool("7z", {"a", "-bso0", "../files.7z", "plain.txt"}, src));
        QVERIFY(tool("7z", {"a", "-bso0", "-snl", "../links.7z", "inside", "outside", "target.txt"}, src));
        // The difference between an archive and its folder after b.txt and sub were deleted: 7z's update
        // records them as deletion markers.
        const QString update = at("update");
        QVERIFY(tool("7z", {"a", "-bso0", "../base.7z", "a.txt", "b.txt", "sub"}, update));
        QVERIFY(QFile::remove(update + "/b.txt") && QDir(update + "/sub").removeRecursively());
        QVERIFY(tool("7z", {"u", "-bso0", "../base.7z", "-u-", "-up0q3x2z0!../deletions.7z", "*"}, update));
        QVERIFY(tool("genisoimage", {"-quiet", "-o", at("cut.iso"), at("iso")}, {}));
        // z.bin's data starts before this and runs on far past it.
        QVERIFY(QFile::resize(at("cut.iso"), 150 * 1024));
    }

    void extract_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("signal");  // sent once the first file appears
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("said");  // lines on the error stream, in this order
        const QString unpackFailed = "Error Unpacking Archive: Cannot unpack the archive %1.";

        QTest::newRow("deep path") << "deep.tar" << QStringList{} << 0 << 0
                                   << QStringList{QString("d/").repeated(DeepLevels) + "f.txt 0644 3"} << QStringList{};
        QTest::newRow("overlapping ZIP entries")
            << "overlap.zip" << QStringList{} << 0 << 1 << QStringList{}
            << QStringList{"failed a1.bin: the archive is damaged: it shares its data with a0.bin, so nothing was "
                           "unpacked", unpackFailed.arg(at("overlap.zip"))};
        QTest::newRow("tar hard links")
            << "hard-links.tar.gz" << QStringList{} << 0 << 0
            << QStringList{"data/big.bin 0644 4194304 x6", "l0.bin 0644 4194304 x6", "l1.bin 0644 4194304 x6",
                           "l2.bin 0644 4194304 x6", "l3.bin 0644 4194304 x6", "l4.bin 0644 4194304 x6"}
            << QStringList{};
        QTest::newRow("modes under the umask") << "modes.tar" << QStringList{} << 0 << 0
                                               << QStringList{"w666.txt 0644 2", "x777.sh 0755 2"} << QStringList{};
        const QString outside = "Error Unpacking File: The link \"%1\" points outside the target folder and was not "
                                "unpacked.";
        QTest::newRow("ZIP symbolic links")
            << "links.zip" << QStringList{} << 0 << 1
            << QStringList{"inside -> target.txt", "sub/up -> ../target.txt", "target.txt 0644 2"}
            << QStringList{outside.arg("outside"), outside.arg("absolute"), unpackFailed.arg(at("links.zip"))};
        QTest::newRow("7z symbolic links")
            << "links.7z" << QStringList{} << 0 << 1 << QStringList{"inside -> target.txt", "target.txt 0644 2"}
            << QStringList{outside.arg("outside"), unpackFailed.arg(at("links.7z"))};
        QTest::newRow("7z deletion markers, replacing allowed")
            << "deletions.7z" << QStringList{"--overwrite", "always"} << 0 << 0
            << QStringList{"b.txt 0644 5", "sub/c.txt 0644 5"}
            << QStringList{"skipped b.txt: it only marks the item as deleted",
                           "skipped sub/c.txt: it only marks the item as deleted",
                           "skipped sub: it only marks the item as deleted"};
        QTest::newRow("SIGTERM") << "big.tar.gz" << QStringList{} << int(SIGTERM) << 1 << QStringList{}
                                 << QStringList{"orvfind-cli: Extraction interrupted."};
        QTest::newRow("SIGHUP") << "big.tar.gz" << QStringList{} << int(SIGHUP) << 1 << QStringList{}
                                << QStringList{"orvfind-cli: Extraction interrupted."};
        QTest::newRow("duplicate name") << "dup.tar" << QStringList{} << 0 << 0 << QStringList{"a.txt 0644 4"}
                                        << QStringList{"skipped a.txt: a file of that name is already there and "
                                                       "was kept"};
        QTest::newRow("a file and a folder of one name")
            << "folder-in-the-way.tar" << QStringList{} << 0 << 1 << QStringList{"docs/a.txt/"}
            << QStringList{"skipped docs/a.txt: a folder of that name is in the way",
                           unpackFailed.arg(at("folder-in-the-way.tar"))};
        QTest::newRow("name too long for the file system")
            << "long-name.tar" << QStringList{} << 0 << 1 << QStringList{"ok.txt 0644 3"}
            << QStringList{"skipped " + QString(300, 'n') + ": its name is too long for the file system",
                           unpackFailed.arg(at("long-name.tar"))};
        // Nothing on this machine writes RAR: the row runs where the shared samples are at hand.
        if (QFileInfo::exists(at("longer.rar")))
            QTest::newRow("entry longer than it says")
                << "longer.rar" << QStringList{} << 0 << 1
                << QStringList{"sub/dir1/file1.txt 0644 6", "sub/dir2/", "sub/empty/",
                               "sub/with space/long fn.txt 0644 8", "sub/üȵĩöḋè/file.txt 0644 5"}
                << QStringList{"failed sub/dir2/file2.txt: the data is longer than the header says",
                               "Orvel-ZIP Finder: Corrupt file or wrong password.", unpackFailed.arg(at("longer.rar"))};
        QTest::newRow("damaged ZIP entry")
            << "crc.zip" << QStringList{} << 0 << 1 << QStringList{"good.txt 0600 5"}
            << QStringList{"failed bad.txt: CRC failed: the archive is damaged", unpackFailed.arg(at("crc.zip"))};
        QTest::newRow("extent past the image's end")
            << "cut.iso" << QStringList{} << 0 << 1 << QStringList{"A.TXT 0644 2"}
            << QStringList{"failed Z.BIN: its data runs past the end of the image", unpackFailed.arg(at("cut.iso"))};
        QTest::newRow("ZIP, plain and encrypted, no password")
            << "mixed.zip" << QStringList{} << 0 << 1 << QStringList{"plain.txt 0644 6"}
            << QStringList{"skipped secret.txt: it is encrypted and no password was given",
                           unpackFailed.arg(at("mixed.zip"))};
        QTest::newRow("ZIP, wrong password")
            << "mixed.zip" << QStringList{"--password", "bad"} << 0 << 1 << QStringList{"plain.txt 0644 6"}
            << QStringList{"failed secret.txt: wrong password", unpackFailed.arg(at("mixed.zip"))};
        QTest::newRow("7z, encrypted files, no password")
            << "files.7z" << QStringList{} << 0 << 1 << QStringList{"plain.txt 0644 6"}
            << QStringList{"skipped secret.txt: it is encrypted and no password was given",
                           unpackFailed.arg(at("files.7z"))};
        QTest::newRow("7z, encrypted headers, no password")
            << "headers.7z" << QStringList{} << 0 << 1 << QStringList{}
            << QStringList{"Error Opening Archive: Cannot open the archive.",
                           "orvfind-cli: No password was given for the encrypted archive " + at("headers.7z") + "."};
        QTest::newRow("7z, encrypted headers, wrong password")
            << "headers.7z" << QStringList{"--password", "bad"} << 0 << 1 << QStringList{}
            << QStringList{"Error Opening Archive: Cannot open the archive.",
                           "orvfind-cli: Cannot open the encrypted archive " + at("headers.7z") + ". Wrong password?"};
    }

    void extract()
    {
        QFETCH(QString, archive);
        QFETCH(QStringList, options);
        QFETCH(int, signal);
        QFETCH(int, exitCode);
        QFETCH(QStringList, files);
        QFETCH(QStringList, said);
        const QString sandbox = at(QStringLiteral("run/") + QTest::currentDataTag());
        const QString target = sandbox + "/out";
        QVERIFY(QDir().mkpath(target));
        // Files the deletion markers of a 7z update name must stay as they are.
        if (archive == "deletions.7z")
            QVERIFY(orv::test::writeFile(target + "/b.txt", "keep\n")
                    && orv::test::writeFile(target + "/sub/c.txt", "kept\n"));
        QProcess cli;
        cli.setChildProcessModifier(limitChild);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", at(QStringLiteral("config/") + QTest::currentDataTag()));
        cli.setProcessEnvironment(env);
        const double systemBefore = childSystemSeconds();
        cli.start(QStringLiteral(ORVFIND_CLI), QStringList{"extract"} + options + QStringList{at(archive), target});
        cli.closeWriteChannel();
        QVERIFY(cli.waitForStarted());
        if (signal != 0) {
            QElapsedTimer waited;
            waited.start();
            while (!QFileInfo::exists(target + "/big.bin") && cli.state() == QProcess::Running
                   && waited.elapsed() < 60000)
                QThread::msleep(2);
            QCOMPARE(cli.state(), QProcess::Running);
            ::kill(pid_t(cli.processId()), signal);
        }
        QVERIFY(cli.waitForFinished(120000));
        // A walk from the target for every folder of the deep path took 3 s in the kernel; one from the
        // folder the last walk opened takes a tenth of a second.
        const double system = childSystemSeconds() - systemBefore;
        QVERIFY2(archive != "deep.tar" || system < 1.0, qPrintable(QStringLiteral("%1 s").arg(system)));
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), exitCode);
        QCOMPARE(tree(target), files);
        QCOMPARE(QDir(sandbox).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"out"});
        QCOMPARE(err.split('\n', Qt::SkipEmptyParts), said);
    }
};

QTEST_GUILESS_MAIN(TestCliHostile)
#include "tst_clihostile.moc"
