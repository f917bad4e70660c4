#include "finder/settings/customkinds.h"
#include "finder/settings/optionsapply.h"
#include "finder/settings/optionsvalues.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <functional>

using namespace orv;
using orv::test::readFile;
using orv::test::TestHome;
using orv::test::writeFile;

using DraftChange = std::function<void(OptionsDraft &, const QString &home)>;
Q_DECLARE_METATYPE(DraftChange)
Q_DECLARE_METATYPE(QList<orv::Place>)

namespace {

QString iniPathIn(const TestHome &home)
{
    return home.configHome() + QStringLiteral("/Orvel Systems/Orvel-ZIP Finder/orvfind.ini");
}

PlaceChoice &choice(OptionsDraft &draft, Place place)
{
    return draft.places[size_t(place)];
}

}  // namespace

class TestOptionsLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validationOrder_data();
    void validationOrder();
    void customKindsAdd_data();
    void customKindsAdd();
    void oddDescriptionsSurviveASaveAndReload_data();
    void oddDescriptionsSurviveASaveAndReload();
    void restartFlagsOnlyForRealChanges_data();
    void restartFlagsOnlyForRealChanges();
};

void TestOptionsLogic::validationOrder_data()
{
    QTest::addColumn<DraftChange>("change");
    QTest::addColumn<int>("pageId");  // 0: every page passes
    QTest::addColumn<QString>("message");

    const auto history = [](int steps) {
        return DraftChange([steps](OptionsDraft &d, const QString &) { d.values.nArchiveHistoryStepsShown = steps; });
    };
    const auto place = [](Place p, const char *folder) {
        return [p, folder](OptionsDraft &d, const QString &home) {
            choice(d, p) = {true, folder ? home + QLatin1Char('/') + QLatin1String(folder) : QString()};
        };
    };
    const QString historyMessage = "The number of steps in Archive Browser history can be from 5 to 20.";
    QTest::newRow("4 steps") << history(4) << 336 << historyMessage;
    QTest::newRow("21 steps") << history(21) << 336 << historyMessage;
    QTest::newRow("5 steps pass") << history(5) << 0 << "";
    QTest::newRow("20 steps pass") << history(20) << 0 << "";
    QTest::newRow("history comes before a location")
        << DraftChange([=](OptionsDraft &d, const QString &home) {
               history(0)(d, home);
               place(Place::OneDrive, "missing")(d, home);
           })
        << 336 << historyMessage;
    QTest::newRow("a ticked location with a folder that is there passes")
        << DraftChange(place(Place::Dropbox, "there")) << 0 << "";
    QTest::newRow("an empty folder text fails") << DraftChange(place(Place::GoogleDrive, nullptr)) << 349
                                                << "The folder specified for Google Drive does not exist.";
    QTest::newRow("a file is no folder") << DraftChange(place(Place::iCloudDrive, "file")) << 384
                                         << "The folder specified for iCloud Drive does not exist.";
    QTest::newRow("Desktop is checked last, after Downloads")
        << DraftChange([=](OptionsDraft &d, const QString &home) {
               place(Place::Desktop, "missing")(d, home);
               place(Place::Downloads, "missing")(d, home);
           })
        << 355 << "The folder specified for Downloads does not exist.";
    QTest::newRow("SugarSync has no folder to check")
        << DraftChange([](OptionsDraft &d, const QString &) { choice(d, Place::SugarSync) = {true, {}}; }) << 0 << "";
}

void TestOptionsLogic::validationOrder()
{
    QFETCH(DraftChange, change);
    QFETCH(int, pageId);
    QFETCH(QString, message);
    QTemporaryDir home;
    QVERIFY(QDir().mkpath(home.filePath("there")));
    QVERIFY(writeFile(home.filePath("file"), "x"));
    OptionsDraft draft = draftOf(SettingsValues{});
    change(draft, home.path());
    const OptionsProblem problem = firstOptionsProblem(draft);
    QCOMPARE(problem.pageId, pageId);
    QCOMPARE(problem.message, message);
    if (pageId)
        QCOMPARE(pageProblem(pageId, draft).message, message);
}

void TestOptionsLogic::customKindsAdd_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QStringList>("after");

    const QStringList java{"Java stuff#JAR2=1"};
    QTest::newRow("a new kind comes unticked, both texts trimmed")
        << java << "  Sample kind " << " abc " << "" << QStringList{"Java stuff#JAR2=1", "Sample kind#abc=0"};
    QTest::newRow("an extension another kind has, case aside")
        << java << "Other" << "jar2" << "The extension of 'jar2' already exists!" << java;
    QTest::newRow("an extension a built-in type has") << java << "Mine" << "Rar"
                                                      << "The extension of 'Rar' already exists!" << java;
    QTest::newRow("ZIP is built in too") << QStringList{} << "Mine" << "zip"
                                         << "The extension of 'zip' already exists!" << QStringList{};
    QTest::newRow("a dot in the extension") << QStringList{} << "Mine" << "a.b"
                                            << "An extension may not hold blanks or any of # = ( ) . * ? / \\"
                                            << QStringList{};
    QTest::newRow("a description the file would take for a comment")
        << QStringList{} << ";Mine" << "abc" << "A description may not begin with ';' or '['." << QStringList{};
    QTest::newRow("a description longer than 40 is cut")
        << QStringList{} << QString(45, 'd') << "abc" << "" << QStringList{QString(40, 'd') + "#abc=0"};
    QTest::newRow("an entry without # is kept out of sight")
        << QStringList{"NoKind=1"} << "Mine" << "abc" << "" << QStringList{"Mine#abc=0", "NoKind=1"};
}

void TestOptionsLogic::customKindsAdd()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, description);
    QFETCH(QString, extension);
    CCustomKinds kinds(entries);
    QTEST(kinds.add(description, extension), "refusal");
    QTEST(kinds.entries(), "after");
}

void TestOptionsLogic::oddDescriptionsSurviveASaveAndReload_data()
{
    QTest::addColumn<QStringList>("descriptions");

    QTest::newRow("# inside") << QStringList{"C# sources", "a#b#c"};
    QTest::newRow("= inside, two alike up to it") << QStringList{"a=b", "a=c", "x = y"};
    QTest::newRow("quotes and semicolons inside") << QStringList{"'quoted'", "\"both\"", "one; two", "not [first]"};
    QTest::newRow("letters beyond ASCII") << QStringList{"Архив", "日本語の種類"};
}

// Each kind gets its own extension; the reloaded kinds must be the same, in the same order.
void TestOptionsLogic::oddDescriptionsSurviveASaveAndReload()
{
    QFETCH(QStringList, descriptions);
    TestHome home;
    CSettings settings;
    settings.LoadSettings();
    CCustomKinds kinds;
    for (int i = 0; i < descriptions.size(); ++i)
        QCOMPARE(kinds.add(descriptions[i], QStringLiteral("E%1").arg(i)), QString());
    kinds.setEnabled(0, true);
    settings.values().customArchives = kinds.entries();
    QVERIFY(settings.SaveSettings(CSettings::SaveCurrent));

    CSettings again;
    again.LoadSettings();
    const CCustomKinds reloaded(again.values().customArchives);
    QCOMPARE(reloaded.kinds().size(), descriptions.size());
    for (int i = 0; i < descriptions.size(); ++i) {
        QCOMPARE(reloaded.kinds()[i].description, descriptions[i]);
        QCOMPARE(reloaded.kinds()[i].extension, QStringLiteral("E%1").arg(i));
        QCOMPARE(reloaded.kinds()[i].enabled, i == 0);
    }
}

void TestOptionsLogic::restartFlagsOnlyForRealChanges_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<DraftChange>("change");
    QTest::addColumn<bool>("types");
    QTest::addColumn<bool>("custom");
    QTest::addColumn<QList<Place>>("places");
    QTest::addColumn<QStringList>("savedLines");

    const QByteArray plain;
    QTest::newRow("nothing changed") << plain << DraftChange([](OptionsDraft &, const QString &) {}) << false << false
                                     << QList<Place>{} << QStringList{"ArchiveHistoryStepsShown=5"};
    QTest::newRow("an archive type turned on")
        << plain << DraftChange([](OptionsDraft &d, const QString &) {
               typesOfTicks(QList<bool>(19, true), d.values.enabledTypes, d.values.disabledTypes);
           })
        << true << false << QList<Place>{} << QStringList{"EXE=1"};
    QTest::newRow("custom kinds in another order only")
        << QByteArray("[Custom archives]\nA#AAA=1\nB#BBB=0\n")
        << DraftChange([](OptionsDraft &d, const QString &) { d.values.customArchives = {"B#BBB=0", "A#AAA=1"}; })
        << false << false << QList<Place>{} << QStringList{"B#BBB=0"};
    QTest::newRow("a custom kind ticked") << QByteArray("[Custom archives]\nA#AAA=0\n")
                                          << DraftChange([](OptionsDraft &d, const QString &) {
                                                 d.values.customArchives = {"A#AAA=1"};
                                             })
                                          << false << true << QList<Place>{} << QStringList{"A#AAA=1"};
    QTest::newRow("OneDrive ticked and cleared again") << plain
                                                       << DraftChange([](OptionsDraft &d, const QString &home) {
                                                              choice(d, Place::OneDrive) = {false, home};
                                                          })
                                                       << false << false << QList<Place>{}
                                                       << QStringList{"EnableOneDrive=No", "OneDriveUserFolder=Empty"};
    QTest::newRow("OneDrive turned on") << plain
                                        << DraftChange([](OptionsDraft &d, const QString &home) {
                                               choice(d, Place::OneDrive) = {true, " " + home + "/od "};
                                           })
                                        << false << false << QList<Place>{Place::OneDrive}
                                        << QStringList{"EnableOneDrive=Yes", "OneDriveUserFolder=%1/od"};
    QTest::newRow("Music turned off") << QByteArray("[SpecialFolders]\nEnableMusic=Yes\nMusicUserFolder=/m\n")
                                      << DraftChange([](OptionsDraft &d, const QString &) {
                                             choice(d, Place::Music).enabled = false;
                                         })
                                      << false << false << QList<Place>{Place::Music}
                                      << QStringList{"EnableMusic=No", "MusicUserFolder=Empty"};
}

void TestOptionsLogic::restartFlagsOnlyForRealChanges()
{
    QFETCH(QByteArray, file);
    QFETCH(DraftChange, change);
    QFETCH(QList<Place>, places);
    QFETCH(QStringList, savedLines);
    TestHome home;
    QVERIFY(QDir().mkpath(home.path() + "/od"));
    if (!file.isEmpty())
        QVERIFY(writeFile(iniPathIn(home), file));
    ScriptedPrompter prompts;
    CSettings settings;
    settings.LoadSettings();
    OptionsDraft draft = draftOf(settings.values());
    change(draft, home.path());

    const OptionsOutcome outcome = ApplyOptions(settings, draft);
    QTEST(outcome.archiveTypesChanged, "types");
    QTEST(outcome.customKindsChanged, "custom");
    QVERIFY(outcome.placesChanged == places);
    QVERIFY(outcome.saved);
    QVERIFY(outcome.linkProblems.isEmpty());
    const QStringList lines = QString::fromUtf8(readFile(iniPathIn(home))).split('\n');
    for (const QString &line : savedLines)
        QVERIFY2(lines.contains(QString(line).replace("%1", home.path())), qPrintable(line));
    const QString link = settings.programFolder() + "/CloudDrives/OneDrive";
    QCOMPARE(QFileInfo(link).isSymLink(), places.contains(Place::OneDrive));
    QVERIFY(prompts.records().empty());
}

QTEST_GUILESS_MAIN(TestOptionsLogic)
#include "tst_optionslogic.moc"
