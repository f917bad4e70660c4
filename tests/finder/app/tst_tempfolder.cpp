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

// The program's folder and, beside it, a folder of the user's that must survive with its read-only
// sub-folder untouched.
struct Places
{
    orv::test::TestHome home;
    QString inside = QDir(home.tempPath()).canonicalPath() + QStringLiteral("/Orvel-ZIP Finder.Temp");
    QString outside = home.path() + QStringLiteral("/outside");

    // Lines "file <path> <content>", "dir <path>", "link <path> <target>", "mode <octal> <path>",
    // "owner <uid> <path>"; "@in" and "@out" stand for the two folders.
    bool apply(const QString &line) const
    {
        QStringList w = line.split(QLatin1Char(' '));
        for (QString &word : w)
            word.replace(QLatin1String("@in"), inside).replace(QLatin1String("@out"), outside);
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

const QStringList kOutside = {"file @out/keep.txt keep", "file @out/dir/inner.txt inner", "mode 0500 @out/dir"};

}  // namespace

class TestTempFolder : public QObject
{
    Q_OBJECT

private slots:
    void createsOrEmpties_data();
    void createsOrEmpties();
    void leavesForeignNamesAlone_data();
    void leavesForeignNamesAlone();
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

    QVERIFY(QFileInfo(places.inside).isDir());
    QCOMPARE(QDir(places.inside).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList());
    QCOMPARE(orv::test::readFile(places.outside + QStringLiteral("/keep.txt")), QByteArray("keep"));
    QCOMPARE(orv::test::readFile(places.outside + QStringLiteral("/dir/inner.txt")), QByteArray("inner"));
    QVERIFY(!QFileInfo(places.outside + QStringLiteral("/dir")).permissions().testFlag(QFileDevice::WriteOwner));
}

void TestTempFolder::leavesForeignNamesAlone_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("survivor");

    QTest::newRow("file in the way") << QStringList{"file @in data"} << "@in";
    QTest::newRow("link to a folder") << QStringList{"link @in @out/dir"} << "@out/dir/inner.txt";
    QTest::newRow("dangling link") << QStringList{"link @in @out/none"} << "@in";
    QTest::newRow("another user's folder") << QStringList{"file @in/theirs t", "owner 65534 @in"} << "@in/theirs";
}

void TestTempFolder::leavesForeignNamesAlone()
{
    QFETCH(QStringList, setup);
    QFETCH(QString, survivor);
    if (setup.last().startsWith(QLatin1String("owner")) && ::geteuid() != 0)
        QSKIP("only root can give a folder to another user");
    const Places places;
    const auto restore = qScopeGuard([&places] { places.apply(QStringLiteral("mode 0700 @out/dir")); });
    for (const QString &line : kOutside + setup)
        QVERIFY2(places.apply(line), qPrintable(line));

    QCOMPARE(orv::prepareTemporaryFolder(), QString());

    survivor.replace(QLatin1String("@in"), places.inside).replace(QLatin1String("@out"), places.outside);
    std::error_code ec;
    QVERIFY(fs::exists(fs::symlink_status(native(survivor), ec)));
    QCOMPARE(orv::test::readFile(places.outside + QStringLiteral("/dir/inner.txt")), QByteArray("inner"));
}

QTEST_GUILESS_MAIN(TestTempFolder)
#include "tst_tempfolder.moc"
