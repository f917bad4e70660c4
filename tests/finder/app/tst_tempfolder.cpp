#include "finder/app/tempfolder.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QScopeGuard>
#include <QTest>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

fs::path native(const QString &path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

// The program's folder in the runtime folder, its fallback and the old shared name in the temporary folder,
// and beside them a folder of the user's that must survive with its read-only sub-folder untouched.
struct Places
{
    orv::test::TestHome home;
    QString run = home.runtimePath();
    QString inside = run + QStringLiteral("/Orvel-ZIP Finder.Temp");
    QString shared = QDir(home.tempPath()).canonicalPath() + QStringLiteral("/Orvel-ZIP Finder.Temp");
    QString fallback = shared + QLatin1Char('-') + QString::number(::geteuid());
    QString outside = home.path() + QStringLiteral("/outside");

    // "@tmpin" stands for the fallback, "@shared" for the shared name, "@in" for the folder in the runtime
    // folder "@run", "@out" for the user's folder.
    QString expand(QString text) const
    {
        return text.replace(QLatin1String("@tmpin"), fallback)
            .replace(QLatin1String("@shared"), shared)
            .replace(QLatin1String("@in"), inside)
            .replace(QLatin1String("@run"), run)
            .replace(QLatin1String("@out"), outside);
    }

    // Lines "file <path> <content>", "dir <path>", "link <path> <target>", "mode <octal> <path>",
    // "owner <uid> <path>".
    bool apply(const QString &line) const
    {
        QStringList w = line.split(QLatin1Char(' '));
        for (QString &word : w)
            word = expand(word);
        const QByteArray target = QFile::encodeName(w.value(2));
        std::error_code ec;
        if (w[0] == QLatin1String("file"))
            return orv::test::writeFile(w[1], w.value(2).toUtf8());
        if (w[0] == QLatin1String("dir"))
            return QDir().mkpath(w[1]);
        if (w[0] == QLatin1String("mode"))
            return ::chmod(target.constData(), w[1].toUInt(nullptr, 8)) == 0;
        if (w[0] == QLatin1String("owner"))
            return ::chown(target.constData(), w[1].toUInt(), w[1].toUInt()) == 0;
        fs::create_symlink(native(w[2]), native(w[1]), ec);
        return w[0] == QLatin1String("link") && !ec;
    }
};

mode_t modeOf(const QString &path)
{
    struct stat info{};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & (S_IFMT | 07777) : 0;
}

const QStringList kOutside = {"file @out/keep.txt keep", "file @out/dir/inner.txt inner", "mode 0500 @out/dir"};

}  // namespace

class TestTempFolder : public QObject
{
    Q_OBJECT

private slots:
    void createsOrEmpties_data();
    void createsOrEmpties();
    void choosesItsOwnFolder_data();
    void choosesItsOwnFolder();
};

void TestTempFolder::createsOrEmpties_data()
{
    QTest::addColumn<QStringList>("setup");

    QTest::newRow("missing") << QStringList();
    QTest::newRow("files and hidden files") << QStringList{"file @in/a.txt a", "file @in/.hidden h"};
    QTest::newRow("nested read-only") << QStringList{
        "file @in/sub/deeper/ro.txt x", "mode 0400 @in/sub/deeper/ro.txt", "mode 0500 @in/sub/deeper",
        "file @in/sub/ro2 y",           "mode 0444 @in/sub/ro2",           "mode 0555 @in/sub"};
    QTest::newRow("folder without permissions") << QStringList{"file @in/locked/secret s", "mode 0000 @in/locked"};
    QTest::newRow("read-only folder itself") << QStringList{"file @in/x x", "mode 0500 @in"};
    QTest::newRow("links pointing outside") << QStringList{
        "dir @in/sub", "link @in/to-dir @out/dir", "link @in/sub/to-file @out/keep.txt",
        "link @in/dangling @out/none", "link @in/to-outside @out"};
}

void TestTempFolder::createsOrEmpties()
{
    QFETCH(QStringList, setup);
    const Places places;
    const auto restore = qScopeGuard([&places] { places.apply(QStringLiteral("mode 0700 @out/dir")); });
    for (const QString &line : kOutside + setup)
        QVERIFY2(places.apply(line), qPrintable(line));

    QCOMPARE(orv::prepareTemporaryFolder(), places.inside);

    QCOMPARE(modeOf(places.inside), mode_t(S_IFDIR | 0700));
    QCOMPARE(QDir(places.inside).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList());
    QCOMPARE(orv::test::readFile(places.outside + QStringLiteral("/keep.txt")), QByteArray("keep"));
    QCOMPARE(orv::test::readFile(places.outside + QStringLiteral("/dir/inner.txt")), QByteArray("inner"));
    QVERIFY(!QFileInfo(places.outside + QStringLiteral("/dir")).permissions().testFlag(QFileDevice::WriteOwner));
}

void TestTempFolder::choosesItsOwnFolder_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("runtime");   // $XDG_RUNTIME_DIR; empty: not set
    QTest::addColumn<QString>("expected");  // empty: no folder to use
    QTest::addColumn<QString>("survivor");  // must still exist afterwards

    QTest::newRow("private runtime folder") << QStringList() << "@run" << "@in" << "";
    QTest::newRow("no runtime folder") << QStringList() << "" << "@tmpin" << "";
    QTest::newRow("runtime folder missing") << QStringList() << "@out/none" << "@tmpin" << "";
    QTest::newRow("runtime folder relative") << QStringList() << "run" << "@tmpin" << "";
    QTest::newRow("runtime folder open to others") << QStringList{"mode 0755 @run"} << "@run" << "@tmpin" << "";
    QTest::newRow("runtime folder through a link") << QStringList{"link @out/run @run"} << "@out/run" << "@tmpin" << "";
    QTest::newRow("own folder open to others") << QStringList{"dir @tmpin", "mode 0777 @tmpin"} << "" << "@tmpin" << "";
    QTest::newRow("file in the way") << QStringList{"file @in data"} << "@run" << "@tmpin" << "@in";
    QTest::newRow("link to a folder") << QStringList{"link @in @out/dir"} << "@run" << "@tmpin" << "@out/dir/inner.txt";
    QTest::newRow("dangling link") << QStringList{"link @in @out/none"} << "@run" << "@tmpin" << "@in";
    QTest::newRow("both names taken") << QStringList{"link @in @out/dir", "link @tmpin @out/dir"} << "@run" << ""
                                      << "@out/dir/inner.txt";
    QTest::newRow("another user's runtime folder") << QStringList{"owner 65534 @run"} << "@run" << "@tmpin" << "";
    QTest::newRow("another user's folder under the shared name")
        << QStringList{"file @shared/theirs t", "owner 65534 @shared"} << "" << "@tmpin" << "@shared/theirs";
    QTest::newRow("another user's folder in the way")
        << QStringList{"file @tmpin/theirs t", "owner 65534 @tmpin"} << "" << "" << "@tmpin/theirs";
}

void TestTempFolder::choosesItsOwnFolder()
{
    QFETCH(QStringList, setup);
    QFETCH(QString, runtime);
    QFETCH(QString, expected);
    QFETCH(QString, survivor);
    if (setup.join(QLatin1Char(' ')).contains(QLatin1String("owner")) && ::geteuid() != 0)
        QSKIP("only root can give a folder to another user");
    const Places places;
    const auto restore = qScopeGuard([&places] { places.apply(QStringLiteral("mode 0700 @out/dir")); });
    for (const QString &line : kOutside + setup)
        QVERIFY2(places.apply(line), qPrintable(line));
    if (runtime.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(places.expand(runtime)));

    const QString chosen = orv::prepareTemporaryFolder();

    QCOMPARE(chosen, expected.isEmpty() ? QString() : places.expand(expected));
    if (!chosen.isEmpty())
        QCOMPARE(modeOf(chosen), mode_t(S_IFDIR | 0700));
    std::error_code ec;
    if (!survivor.isEmpty())
        QVERIFY(fs::exists(fs::symlink_status(native(places.expand(survivor)), ec)));
    QCOMPARE(orv::test::readFile(places.outside + QStringLiteral("/dir/inner.txt")), QByteArray("inner"));
}

QTEST_GUILESS_MAIN(TestTempFolder)
#include "tst_tempfolder.moc"
