#include "finder/settings/settings.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QtTest>

#include <functional>

using orv::CSettings;
using orv::SettingsValues;
using orv::test::readFile;
using orv::test::TestHome;
using orv::test::writeFile;

using Check = std::function<bool(const SettingsValues &)>;
Q_DECLARE_METATYPE(Check)

namespace {

// The whole default file: every key of every section in file order with the values a new file gets.
const char kDefaultFile[] = R"([Creation and adding]
AskBeforeCreation=No
CompressionLevel=-1
CompressionMethod=0

[Encryption]
EnableEncryption=Yes
EncryptionMethod=0
EnableRulesForPasswords=No
RuleForPasswords=0

[Pack]
PackFilesWithoutPaths=Yes
PackFoldersWithoutPaths=Yes
AskBeforeUpdating=Yes

[Unpack]
UnpackFilesWithoutPaths=Yes
UnpackFoldersWithoutPaths=Yes
UnpackArchivesWithoutPaths=No
AskBeforeOverwriting=Yes

[System]
EnableDraggingFromArchiveToOtherApplications=Yes
EnableDraggingToArchiveFromOtherApplications=Yes
EnableDoubleClickToOpenAFileFromArchive=Yes

[Interface]
DraggingImageForModeClearType=2
EnableShowTooltipForToolbars=Yes
EnableShowTooltipForBackOrForwardMenu=No
EnableShowTooltipForBookmarksMenu=Yes
ArchiveHistoryStepsShown=5

[Additional archives]
CAB=1
RAR=1
JAR=1
XAP=1
7Z=1
001=1
GZ=1
GZIP=1
BZ=1
BZ2=1
BZIP2=1
XZ=1
TAR=1
TGZ=1
TBZ=1
TBZ2=1
TXZ=1
ISO=1
EXE=0

[CloudDrives]
EnableOneDrive=No
OneDriveUserFolder=Empty
EnableDropbox=No
DropboxUserFolder=Empty
EnableGoogleDrive=No
GoogleDriveUserFolder=Empty
EnableSugarSync=No
EnableBox=No
BoxUserFolder=Empty
EnableiCloudDrive=No
iCloudDriveUserFolder=Empty

[SpecialFolders]
EnableDesktop=No
DesktopUserFolder=Empty
EnableDownloads=No
DownloadsUserFolder=Empty
EnableDocuments=No
DocumentsUserFolder=Empty
EnableMusic=No
MusicUserFolder=Empty
EnablePictures=No
PicturesUserFolder=Empty
EnableVideos=No
VideosUserFolder=Empty
)";

QString iniPathIn(const TestHome &home)
{
    return home.configHome() + QStringLiteral("/Orvel Systems/Orvel-ZIP Finder/orvfind.ini");
}

const QStringList kAllTypes{"CAB", "RAR", "JAR", "XAP", "7Z", "001", "GZ", "GZIP", "BZ", "BZ2",
                            "BZIP2", "XZ", "TAR", "TGZ", "TBZ", "TBZ2", "TXZ", "ISO", "EXE"};

}  // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStartWritesDefaultFile();
    void defaultFileReadsBack();
    void reads_data();
    void reads();
    void saveWritesCurrentValuesBack_data();
    void saveWritesCurrentValuesBack();
    void removedCustomEntryLeavesTheFile();
    void unwritableFileIsReportedAndKept();
};

void TestSettings::firstStartWritesDefaultFile()
{
    TestHome home;
    orv::ScriptedPrompter prompts;
    CSettings settings;
    settings.LoadSettings();
    QCOMPARE(settings.filePath(), iniPathIn(home));
    QCOMPARE(QString::fromUtf8(readFile(iniPathIn(home))), QString::fromUtf8(kDefaultFile));
    QVERIFY(prompts.records().empty());
}

void TestSettings::defaultFileReadsBack()
{
    TestHome home;
    CSettings settings;
    settings.LoadSettings();
    const SettingsValues &v = settings.values();
    QCOMPARE(v.bEnableEncryption, true);
    QCOMPARE(v.nRuleForPasswords, 0);
    QCOMPARE(v.bPackFoldersWithoutPaths, true);
    QCOMPARE(v.bUnpackFoldersWithoutPaths, true);
    QCOMPARE(v.bEnableShowTooltipForBackOrForwardMenu, false);
    QCOMPARE(v.nCompressionLevel, -1);
    QCOMPARE(v.enabledTypes, QStringList{"ZIP"} + kAllTypes.mid(0, 18));
    QCOMPARE(v.disabledTypes, QStringList{"EXE"});
    QCOMPARE(v.strVideosUserFolder, QStringLiteral("Empty"));
    QVERIFY(v.customArchives.isEmpty());

    // Saving what was read changes nothing.
    QVERIFY(settings.SaveSettings(CSettings::SaveCurrent));
    QCOMPARE(QString::fromUtf8(readFile(iniPathIn(home))), QString::fromUtf8(kDefaultFile));
}

void TestSettings::reads_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Check>("check");

    const QByteArray none("[Other]\nx=1\n");
    QTest::newRow("missing keys take the read defaults, not the new-file values")
        << none << Check([](const SettingsValues &v) {
               return !v.bEnableEncryption && v.nRuleForPasswords == 1 && !v.bPackFoldersWithoutPaths
                      && !v.bUnpackFoldersWithoutPaths && v.bPackFilesWithoutPaths && v.bAskBeforeOverwriting
                      && v.nCompressionLevel == -1 && v.nDraggingImageForModeClearType == 2
                      && v.nArchiveHistoryStepsShown == 5 && v.strDesktopUserFolder == "Empty";
           });
    QTest::newRow("missing type keys enable every type, EXE included")
        << none << Check([](const SettingsValues &v) {
               return v.enabledTypes == QStringList{"ZIP"} + kAllTypes && v.disabledTypes.isEmpty();
           });
    QTest::newRow("booleans compare Yes without case")
        << QByteArray("[Creation and adding]\nAskBeforeCreation=yEs\n[Pack]\nAskBeforeUpdating=true\n")
        << Check([](const SettingsValues &v) { return v.bAskBeforeCreation && !v.bAskBeforeUpdating; });
    for (const auto &[value, expected] : {std::pair{"4", 5}, {"21", 5}, {"5", 5}, {"20", 20}, {"-3", 5}, {"x", 5}}) {
        QTest::addRow("history steps %s", value)
            << QByteArray("[Interface]\nArchiveHistoryStepsShown=") + value
            << Check([n = expected](const SettingsValues &v) { return v.nArchiveHistoryStepsShown == n; });
    }
    QTest::newRow("back/forward tooltip is true unless No; toolbar tooltip only for Yes")
        << QByteArray("[Interface]\nEnableShowTooltipForBackOrForwardMenu=maybe\nEnableShowTooltipForToolbars=maybe\n")
        << Check([](const SettingsValues &v) {
               return v.bEnableShowTooltipForBackOrForwardMenu && !v.bEnableShowTooltipForToolbars;
           });
    QTest::newRow("back/forward tooltip off for no in any case")
        << QByteArray("[Interface]\nEnableShowTooltipForBackOrForwardMenu=nO\n")
        << Check([](const SettingsValues &v) { return !v.bEnableShowTooltipForBackOrForwardMenu; });
    QTest::newRow("EXE=1 enables, RAR=0 disables, order stays the table's")
        << QByteArray("[Additional archives]\nEXE=1\nRAR=0\nCAB=yes\n")
        << Check([](const SettingsValues &v) {
               QStringList enabled = QStringList{"ZIP"} + kAllTypes;
               enabled.removeAll("RAR");
               enabled.removeAll("CAB");
               return v.enabledTypes == enabled && v.disabledTypes == QStringList{"CAB", "RAR"};
           });
    QTest::newRow("custom entries in file order, value default 1")
        << QByteArray("[Custom archives]\nMy kind#ABC=0\nA=b#XYZ=1\nNoValue#Q\n")
        << Check([](const SettingsValues &v) {
               return v.customArchives == QStringList{"My kind#ABC=0", "A=b#XYZ=1", "NoValue#Q=1"};
           });
    QTest::newRow("two descriptions alike up to their = keep their own lines")
        << QByteArray("[Custom archives]\nA=b#XYZ=1\nA=c#UVW=0\n")
        << Check([](const SettingsValues &v) { return v.customArchives == QStringList{"A=b#XYZ=1", "A=c#UVW=0"}; });
    QTest::newRow("custom section in other case is ignored")
        << QByteArray("[custom archives]\nMy kind#ABC=1\n")
        << Check([](const SettingsValues &v) { return v.customArchives.isEmpty(); });
    QTest::newRow("folders keep their text")
        << QByteArray("[SpecialFolders]\nEnableMusic=Yes\nMusicUserFolder=/home/u/My Music\n")
        << Check([](const SettingsValues &v) {
               return v.bEnableMusic && v.strMusicUserFolder == "/home/u/My Music";
           });
}

void TestSettings::reads()
{
    QFETCH(QByteArray, file);
    QFETCH(Check, check);
    TestHome home;
    QVERIFY(writeFile(iniPathIn(home), file));
    CSettings settings;
    settings.LoadSettings();
    QVERIFY(check(settings.values()));
    QCOMPARE(readFile(iniPathIn(home)), file);  // reading never writes
}

void TestSettings::saveWritesCurrentValuesBack_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expectedLines");
    QTest::addColumn<QStringList>("absentLines");

    QTest::newRow("disabled type written back as 0")
        << QByteArray("[Additional archives]\nRAR=0\n") << QStringList{"RAR=0", "EXE=1", "CAB=1"}
        << QStringList{};
    QTest::newRow("custom key with = survives, split at the last =")
        << QByteArray("[Custom archives]\nA=b#XYZ=1\n") << QStringList{"A=b#XYZ=1"} << QStringList{};
    QTest::newRow("empty folder written as Empty")
        << QByteArray("[SpecialFolders]\nMusicUserFolder=\n") << QStringList{"MusicUserFolder=Empty"}
        << QStringList{};
    QTest::newRow("lines of other programs kept")
        << QByteArray("[Mine]\nkeep=me\n") << QStringList{"[Mine]", "keep=me", "ArchiveHistoryStepsShown=5"}
        << QStringList{};
}

void TestSettings::saveWritesCurrentValuesBack()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expectedLines);
    QFETCH(QStringList, absentLines);
    TestHome home;
    QVERIFY(writeFile(iniPathIn(home), file));
    CSettings settings;
    settings.LoadSettings();
    const SettingsValues before = settings.values();
    QVERIFY(settings.SaveSettings(CSettings::SaveCurrent));
    const QStringList lines = QString::fromUtf8(readFile(iniPathIn(home))).split('\n');
    for (const QString &line : expectedLines)
        QVERIFY2(lines.contains(line), qPrintable(line));
    for (const QString &line : absentLines)
        QVERIFY2(!lines.contains(line), qPrintable(line));

    CSettings again;
    again.LoadSettings();
    QCOMPARE(again.values().enabledTypes, before.enabledTypes);
    QCOMPARE(again.values().customArchives, before.customArchives);
}

void TestSettings::removedCustomEntryLeavesTheFile()
{
    TestHome home;
    QVERIFY(writeFile(iniPathIn(home), "[Custom archives]\nOld#ABC=1\nKept#DEF=0\n"));
    CSettings settings;
    settings.LoadSettings();
    settings.values().customArchives.removeAll(QStringLiteral("Old#ABC=1"));
    QVERIFY(settings.SaveSettings(CSettings::SaveCurrent));
    CSettings again;
    again.LoadSettings();
    QCOMPARE(again.values().customArchives, QStringList{"Kept#DEF=0"});
}

// A folder standing where the file should be cannot be replaced by a file, whoever runs the test.
void TestSettings::unwritableFileIsReportedAndKept()
{
    TestHome home;
    QVERIFY(QDir().mkpath(iniPathIn(home)));
    QVERIFY(writeFile(iniPathIn(home) + "/inside.txt", "keep"));
    orv::ScriptedPrompter prompts;
    CSettings settings;
    settings.LoadSettings();
    QVERIFY(settings.values().bPackFilesWithoutPaths);
    QVERIFY(!settings.SaveSettings(CSettings::SaveCurrent));
    QCOMPARE(prompts.records().size(), size_t(1));
    QVERIFY(prompts.records()[0].text.contains(QDir::toNativeSeparators(iniPathIn(home))));
    QCOMPARE(prompts.records()[0].icon, orv::MsgIcon::Error);
    QCOMPARE(readFile(iniPathIn(home) + "/inside.txt"), QByteArray("keep"));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
