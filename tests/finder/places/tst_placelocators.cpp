#include "finder/places/locators.h"
#include "tests/finder/places/placefixtures.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QtTest>

#include <functional>

using orv::Place;
using orv::test::makeDatabase;
using orv::test::TestHome;
using orv::test::writeFile;

// Prepares a client's files inside the home folder given.
using Setup = std::function<bool(const QString &home)>;
Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(Place)

namespace {

const QString kRoaming = QStringLiteral("/.config");
const QString kLocal = QStringLiteral("/.local/share");

bool nothing(const QString &)
{
    return true;
}

bool makeFolder(const QString &path)
{
    return QDir().mkpath(path);
}

Setup file(const QString &relative, const QByteArray &bytes)
{
    return [=](const QString &home) { return writeFile(home + relative, bytes); };
}

Setup folder(const QString &relative)
{
    return [=](const QString &home) { return makeFolder(home + relative); };
}

Setup both(Setup first, Setup second)
{
    return [=](const QString &home) { return first(home) && second(home); };
}

Setup googleDatabase(const QString &relative, const QStringList &rows)
{
    return [=](const QString &home) {
        QStringList sql{"create table data (entry_key text, data_key text, data_value)"};
        sql += rows;
        return makeDatabase(home + kLocal + relative, sql);
    };
}

QByteArray hostDb(const QByteArray &path, const char *lineEnd = "\n")
{
    return "8bad1e5c0ffee" + QByteArray(lineEnd) + path.toBase64() + lineEnd + "more" + lineEnd;
}

}  // namespace

class TestPlaceLocators : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void locates_data();
    void locates();
    void sugarSyncFolders_data();
    void sugarSyncFolders();
};

void TestPlaceLocators::locates_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<Place>("place");
    QTest::addColumn<QString>("expected");  // "~" stands for the home folder

    const QByteArray nonUtf8("/home/caf\xe9");

    QTest::newRow("Dropbox roaming") << file(kRoaming + "/Dropbox/host.db", hostDb("/data/Dropbox"))
                                     << Place::Dropbox << "/data/Dropbox";
    QTest::newRow("Dropbox Linux client") << file("/.dropbox/host.db", hostDb("/home/u/Dropbox"))
                                          << Place::Dropbox << "/home/u/Dropbox";
    QTest::newRow("Dropbox CRLF") << file(kRoaming + "/Dropbox/host.db", hostDb("/d/\xc3\xa9t\xc3\xa9", "\r\n"))
                                  << Place::Dropbox << QString::fromUtf8("/d/\xc3\xa9t\xc3\xa9");
    QTest::newRow("Dropbox one line") << file(kRoaming + "/Dropbox/host.db", "8bad1e5c0ffee\n")
                                      << Place::Dropbox << "";
    QTest::newRow("Dropbox not UTF-8") << file(kRoaming + "/Dropbox/host.db", hostDb(nonUtf8))
                                       << Place::Dropbox << "";
    QTest::newRow("Dropbox missing") << Setup(nothing) << Place::Dropbox << "";

    const QString drive = "/Google/Drive/sync_config.db";
    const QString userDefault = "/Google/Drive/user_default/sync_config.db";
    const QString rootRow = "insert into data values ('local_sync_root_path', 'value', '%1')";
    QTest::newRow("Google long-path prefix")
        << googleDatabase(drive, {rootRow.arg("\\\\?\\/data/Google Drive")}) << Place::GoogleDrive
        << "/data/Google Drive";
    QTest::newRow("Google without prefix") << googleDatabase(drive, {rootRow.arg("/data/GD")})
                                           << Place::GoogleDrive << "/data/GD";
    QTest::newRow("Google user_default") << googleDatabase(userDefault, {rootRow.arg("\\\\?\\/u/GD")})
                                         << Place::GoogleDrive << "/u/GD";
    QTest::newRow("Google no row")
        << googleDatabase(drive, {"insert into data values ('other_key', 'value', '/x')"})
        << Place::GoogleDrive << "";
    QTest::newRow("Google no table") << Setup([=](const QString &home) {
        return makeDatabase(home + kLocal + drive, {"create table other (x)"});
    }) << Place::GoogleDrive << "";
    QTest::newRow("Google damaged file") << file(kLocal + drive, QByteArray(4096, '\x5a'))
                                         << Place::GoogleDrive << "";
    QTest::newRow("Google value not UTF-8")
        << googleDatabase(drive, {"insert into data values ('local_sync_root_path', 'value', x'2f68c3')"})
        << Place::GoogleDrive << "";

    QTest::newRow("Box first line") << file(kLocal + "/Box Sync/sync_root_folder.txt", "/data/Box Sync\r\nx\r\n")
                                    << Place::Box << "/data/Box Sync";
    QTest::newRow("Box not UTF-8") << file(kLocal + "/Box Sync/sync_root_folder.txt", nonUtf8) << Place::Box
                                   << "";

    QTest::newRow("OneDrive configured")
        << both(file(kRoaming + "/onedrive/config", "# sync_dir = \"~/Old\"\nsync_dir = \"~/My OneDrive\"\n"),
                folder("/My OneDrive"))
        << Place::OneDrive << "~/My OneDrive";
    QTest::newRow("OneDrive default folder") << folder("/OneDrive") << Place::OneDrive << "~/OneDrive";
    QTest::newRow("OneDrive configured folder missing")
        << both(file(kRoaming + "/onedrive/config", "sync_dir = \"/nowhere/OneDrive\"\n"), folder("/OneDrive"))
        << Place::OneDrive << "";

    QTest::newRow("iCloud Drive") << folder("/iCloudDrive") << Place::iCloudDrive << "~/iCloudDrive";
    QTest::newRow("iCloud Drive is a file") << file("/iCloudDrive", "x") << Place::iCloudDrive << "";

    QTest::newRow("Desktop") << folder("/Desktop") << Place::Desktop << "~/Desktop";
    QTest::newRow("Videos from user-dirs")
        << both(file(kRoaming + "/user-dirs.dirs", "XDG_VIDEOS_DIR=\"$HOME/Filme\"\n"), folder("/Filme"))
        << Place::Videos << "~/Filme";
    QTest::newRow("Documents missing") << Setup(nothing) << Place::Documents << "";
}

void TestPlaceLocators::locates()
{
    QFETCH(Setup, setup);
    QFETCH(Place, place);
    QFETCH(QString, expected);

    TestHome home;
    QVERIFY(setup(home.path()));
    if (expected.startsWith('~'))
        expected.replace(0, 1, home.path());
    QCOMPARE(orv::LocatePlace(place), expected);
}

void TestPlaceLocators::sugarSyncFolders_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("two folders as stored")
        << Setup([](const QString &home) {
               return orv::test::makeSugarSyncDatabases(home + kLocal, {"/data/My Docs", "/data/Photos"});
           })
        << QStringList{"/data/My Docs", "/data/Photos"};
    QTest::newRow("no databases") << Setup(nothing) << QStringList();
    QTest::newRow("no file-system database") << Setup([](const QString &home) {
        return orv::test::makeSugarSyncDatabases(home + kLocal, {"/data/Docs"}) &&
               QFile::remove(home + kLocal + "/SugarSync/fslink.db/default_db.sqlite");
    }) << QStringList();
    QTest::newRow("damaged data store") << Setup([](const QString &home) {
        return orv::test::makeSugarSyncDatabases(home + kLocal, {"/data/Docs"}) &&
               writeFile(home + kLocal + "/SugarSync/lvol.db/default_db.sqlite", QByteArray(2048, '\x01'));
    }) << QStringList();
    // An id read from the database goes back into the next query as a value, never as query text.
    QTest::newRow("hostile id") << Setup([](const QString &home) {
        const QString base = home + kLocal + "/SugarSync";
        return makeDatabase(base + "/lvol.db/default_db.sqlite",
                            {"create table ScDatastoreObject (id, typename text)",
                             "create table ScBase (id, p text)",
                             "insert into ScDatastoreObject values ('0 or 1=1', "
                             "'ScCollection.ScFolder.ScRootFolder.')",
                             "insert into ScBase values (5, 'ds-5')"}) &&
               makeDatabase(base + "/fslink.db/default_db.sqlite",
                            {"create table ScFsInfo (id, dsid text)", "create table ScBase (id, p text)",
                             "insert into ScFsInfo values (7, 'ds-5')", "insert into ScBase values (7, '/x')"});
    }) << QStringList();
}

void TestPlaceLocators::sugarSyncFolders()
{
    QFETCH(Setup, setup);
    QFETCH(QStringList, expected);

    TestHome home;
    QVERIFY(setup(home.path()));
    const QStringList folders = orv::LocateSugarSyncFolders();
    QCOMPARE(folders, expected);
    QCOMPARE(orv::sugarSyncComparableFolders(folders).join('|'), expected.join('|').toLower());
}

QTEST_GUILESS_MAIN(TestPlaceLocators)
#include "tst_placelocators.moc"
