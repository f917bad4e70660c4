#include "finder/places/placelinks.h"
#include "finder/places/placeroots.h"
#include "platform/prompts.h"
#include "tests/finder/places/placefixtures.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <filesystem>

using orv::ApplyPlaceOptions;
using orv::LinkResult;
using orv::Place;
using orv::PlaceChoices;
using orv::ResolvePlaceRoots;
using orv::SettingsValues;
using orv::test::TestHome;
using orv::test::writeFile;

namespace {

// A home with a program folder and a few folders the places can point at.
struct Fixture
{
    TestHome home;
    QString program = home.path() + "/.config/Orvel Systems/Orvel-ZIP Finder";
    QString cloud = program + "/CloudDrives";
    QString special = program + "/SpecialFolders";

    QString folder(const QString &name) const
    {
        const QString path = home.path() + "/data/" + name;
        QDir().mkpath(path);
        return path;
    }
};

QString linkTarget(const QString &path)
{
    return QFileInfo(path).isSymLink() ? QFileInfo(path).symLinkTarget() : QString();
}

PlaceChoices choose(std::initializer_list<std::pair<Place, QString>> enabled)
{
    PlaceChoices choices;
    for (const auto &[place, folder] : enabled)
        choices[size_t(place)] = {true, folder};
    return choices;
}

QStringList linkNames(const std::vector<orv::CCloudDriveItem> &items)
{
    QStringList names;
    for (const orv::CCloudDriveItem &item : items)
        names.append(QFileInfo(item.m_strLinkPath).fileName());
    return names;
}

}  // namespace

class TestPlaceLinks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void enablingMakesLinksAndValues();
    void neverTouchesWhatItDidNotMake_data();
    void neverTouchesWhatItDidNotMake();
    void sugarSyncLinksPerFolder();
    void rootsInNameOrder();
};

void TestPlaceLinks::enablingMakesLinksAndValues()
{
    Fixture f;
    SettingsValues values;
    const QString dropbox = f.folder("Dropbox");
    const QString music = f.folder("Music");
    const auto result = ApplyPlaceOptions(
        values, f.program, choose({{Place::Dropbox, "  " + dropbox + " "}, {Place::Music, music}}));

    QVERIFY(result.problems.isEmpty());
    QCOMPARE(result.changed, (QList<Place>{Place::Dropbox, Place::Music}));
    QVERIFY(values.bEnableDropbox);
    QCOMPARE(values.strDropboxUserFolder, dropbox);
    QCOMPARE(linkTarget(f.cloud + "/Dropbox"), dropbox);
    QCOMPARE(linkTarget(f.special + "/Music"), music);

    // Confirming the same choices again changes nothing and asks for no restart.
    const auto again = ApplyPlaceOptions(values, f.program, choose({{Place::Dropbox, dropbox}, {Place::Music, music}}));
    QVERIFY(!again.restartNeeded());
    QVERIFY(again.problems.isEmpty());
    QCOMPARE(linkTarget(f.cloud + "/Dropbox"), dropbox);

    // A new folder replaces the link, not the old folder.
    const QString moved = f.folder("Dropbox2");
    QVERIFY(writeFile(dropbox + "/keep.txt", "data"));
    ApplyPlaceOptions(values, f.program, choose({{Place::Dropbox, moved}, {Place::Music, music}}));
    QCOMPARE(linkTarget(f.cloud + "/Dropbox"), moved);

    const auto off = ApplyPlaceOptions(values, f.program, choose({{Place::Dropbox, moved}}));
    QCOMPARE(off.changed, QList<Place>{Place::Music});
    QVERIFY(!values.bEnableMusic);
    QCOMPARE(values.strMusicUserFolder, QStringLiteral("Empty"));
    QVERIFY(!QFileInfo(f.special + "/Music").isSymLink());
    QCOMPARE(orv::test::readFile(dropbox + "/keep.txt"), QByteArray("data"));
    QVERIFY(QFileInfo(music).isDir());
}

void TestPlaceLinks::neverTouchesWhatItDidNotMake_data()
{
    QTest::addColumn<bool>("enable");
    QTest::addColumn<LinkResult>("result");
    QTest::newRow("enabling over a real folder") << true << LinkResult::Occupied;
    QTest::newRow("disabling over a real folder") << false << LinkResult::Occupied;
}

void TestPlaceLinks::neverTouchesWhatItDidNotMake()
{
    QFETCH(bool, enable);
    QFETCH(LinkResult, result);

    Fixture f;
    orv::ScriptedPrompter prompts;
    const QString own = f.cloud + "/OneDrive";
    QVERIFY(writeFile(own + "/mine.txt", "precious"));
    SettingsValues values;
    values.bEnableOneDrive = !enable;
    PlaceChoices choices;
    choices[size_t(Place::OneDrive)] = {enable, f.folder("OneDrive")};

    const auto applied = ApplyPlaceOptions(values, f.program, choices);
    QCOMPARE(applied.problems.size(), 1);
    QCOMPARE(applied.problems.first().outcome.result, result);
    QVERIFY(orv::describePlaceProblem(applied.problems.first()).contains("OneDrive"));
    QVERIFY(!QFileInfo(own).isSymLink());
    QCOMPARE(orv::test::readFile(own + "/mine.txt"), QByteArray("precious"));
    QVERIFY(prompts.records().empty());
}

void TestPlaceLinks::sugarSyncLinksPerFolder()
{
    Fixture f;
    const QString docs = f.folder("My Docs");
    const QString photos = f.folder("Photos");
    QVERIFY(orv::test::makeSugarSyncDatabases(f.home.path() + "/.local/share", {docs, photos}));
    const QString linkFolder = f.cloud + "/SugarSync";
    // A link left from an earlier confirmation to a folder SugarSync no longer has.
    QDir().mkpath(linkFolder);
    std::filesystem::create_directory_symlink(f.folder("Old").toStdString(), (linkFolder + "/Old").toStdString());

    SettingsValues values;
    PlaceChoices choices;
    choices[size_t(Place::SugarSync)].enabled = true;
    const auto on = ApplyPlaceOptions(values, f.program, choices);
    QVERIFY(on.problems.isEmpty());
    QVERIFY(values.bEnableSugarSync);
    QCOMPARE(on.sugarSyncLinkFolder, linkFolder);
    QCOMPARE(QDir(linkFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             (QStringList{"My Docs", "Photos"}));
    QCOMPARE(linkTarget(linkFolder + "/Photos"), photos);

    const orv::PlaceRoots roots = ResolvePlaceRoots(values, f.program);
    QCOMPARE(roots.sugarSyncFolders, (QStringList{docs.toLower(), photos.toLower()}));
    QCOMPARE(roots.sugarSyncLinkFolder, linkFolder);
    QCOMPARE(roots.sugarSyncItems.size(), size_t(2));
    QCOMPARE(roots.sugarSyncItems[0].m_strTargetFolder, docs);
    QCOMPARE(linkNames(roots.roots), QStringList{"SugarSync"});

    ApplyPlaceOptions(values, f.program, PlaceChoices{});
    QVERIFY(!QFileInfo::exists(linkFolder));
    QVERIFY(QFileInfo(docs).isDir() && QFileInfo(photos).isDir());
}

void TestPlaceLinks::rootsInNameOrder()
{
    Fixture f;
    QVERIFY(orv::test::makeSugarSyncDatabases(f.home.path() + "/.local/share", {f.folder("S")}));
    SettingsValues values;
    PlaceChoices choices = choose({{Place::OneDrive, f.folder("o")}, {Place::Dropbox, f.folder("d")},
                                   {Place::GoogleDrive, f.folder("g")}, {Place::Box, f.folder("b")},
                                   {Place::iCloudDrive, f.folder("i")}, {Place::Videos, f.folder("v")},
                                   {Place::Desktop, f.folder("de")}, {Place::Documents, f.folder("do")}});
    choices[size_t(Place::SugarSync)].enabled = true;
    QVERIFY(ApplyPlaceOptions(values, f.program, choices).problems.isEmpty());
    // No root, and no word about it, for a folder in the link folder that names no place, an enabled place
    // whose folder is gone, and a place turned off behind the links' back.
    QDir().mkpath(f.cloud + "/Stray");
    QVERIFY(QDir(f.home.path() + "/data/o").removeRecursively());
    values.bEnableVideos = false;

    orv::ScriptedPrompter prompts;
    const orv::PlaceRoots roots = ResolvePlaceRoots(values, f.program);
    QCOMPARE(linkNames(roots.roots),
             (QStringList{"Box", "Dropbox", "GoogleDrive", "iCloudDrive", "SugarSync", "Desktop", "Documents"}));
    QCOMPARE(roots.roots[1].m_strTargetFolder, f.home.path() + "/data/d");
    QCOMPARE(roots.roots[1].m_strLinkPath, f.cloud + "/Dropbox");
    QVERIFY(roots.anyCloudEnabled && roots.anySpecialEnabled);
    QVERIFY(prompts.records().empty());
}

QTEST_GUILESS_MAIN(TestPlaceLinks)
#include "tst_placelinks.moc"
