#include "finder/browser/archiveediting.h"
#include "finder/browser/archiveservice.h"
#include "finder/common/busyflags.h"
#include "finder/settings/settings.h"
#include "platform/events.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDir>
#include <QtTest>

using namespace orv;
using orv::test::readFile;
using orv::test::runTool;
using orv::test::writeFile;

namespace {

// Stands in for the tree, noting the drop targets it is told to reload, and watches "Pack Progress": was the
// packing flag up while the packer reported?
class Windows : public QObject
{
public:
    explicit Windows(const CBusyFlags &busy) : m_busy(busy) {}
    QStringList refreshed;
    bool flagged = false;

protected:
    bool event(QEvent *event) override
    {
        const auto *orv = dynamic_cast<OrvEvent *>(event);
        if (orv && event->type() == Ev::type(Ev::TreeRefresh) && orv->value() == Ev::TreeRefreshDone)
            refreshed << orv->text();
        return QObject::event(event);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        flagged = flagged || (event->type() == Ev::type(Ev::PackProgress) && m_busy.isRunning(CBusyFlags::Pack));
        return false;
    }

private:
    const CBusyFlags &m_busy;
};

QStringList entriesOf(const QString &archive, const QString &password = {})
{
    QStringList paths;
    for (const test::SltRecord &item : test::sevenZipListing(archive, password))
        paths << item.value("Path") + (item.value("Folder") == "+" ? "/" : "") + ' '
                     + item.value("Method").section(' ', 0, 0).left(password.isEmpty() ? 0 : 7);
    paths.sort();
    return paths;
}

}  // namespace

class TestArchiveEditing : public QObject
{
    Q_OBJECT

private:
    test::TestHome m_home;
    QTemporaryDir m_dir;

    QString src(const QString &relative) const { return m_dir.path() + "/src/" + relative; }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const char *name : {"docs/old.txt", "top.txt", "one.txt", "two.txt", "three.txt", "pics/p1.txt"})
            QVERIFY(writeFile(src(name), name));
        QVERIFY(writeFile(src("big.bin"), test::noise(1 << 20, 3)) && writeFile(src("in/report.docx"), "report"));
        QVERIFY(runTool("zip", {"-q", "-r", "-X", m_dir.path() + "/a.zip", "docs", "top.txt"}, src("")).ok());
        QVERIFY(runTool("7z", {"a", "-bd", m_dir.path() + "/d.7z", "docs", "top.txt"}, src("")).ok());
        for (const char *copy : {"b.jar", "c.xap", "f.abc"})
            QVERIFY(QFile::copy(m_dir.path() + "/a.zip", m_dir.path() + '/' + copy));
        QVERIFY(QDir().mkpath(m_dir.path() + "/links"));
    }

    void dropTargets_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("archiveFolder");

        QTest::newRow("zip node") << "a.zip" << int(DropTarget::Archive) << "";
        QTest::newRow("folder inside a zip") << "a.zip/docs" << int(DropTarget::Archive) << "docs";
        QTest::newRow("file inside a zip") << "a.zip/top.txt" << int(DropTarget::None) << "";
        QTest::newRow("jar node") << "b.jar" << int(DropTarget::Archive) << "";
        QTest::newRow("folder inside a xap") << "c.xap/docs" << int(DropTarget::Archive) << "docs";
        QTest::newRow("folder inside a 7z") << "d.7z/docs" << int(DropTarget::None) << "";
        QTest::newRow("custom kind read as zip") << "f.abc" << int(DropTarget::None) << "";
        QTest::newRow("disk folder") << "src" << int(DropTarget::Folder) << "";
        QTest::newRow("folder of cloud links") << "links" << int(DropTarget::None) << "";
    }

    void dropTargets()
    {
        QFETCH(QString, node);
        QFETCH(int, kind);
        QFETCH(QString, archiveFolder);
        CArchiveService archives;
        archives.layer().SetArchiveExtensions({"ZIP", "JAR", "XAP", "7Z"});
        archives.layer().SetCustomArchives({"Mine#ABC=1"});
        CBusyFlags busy;
        SettingsValues settings;
        PackChoices choices;
        CArchiveEditing editing(archives, busy, settings, choices);
        editing.setRefusedFolder(m_dir.path() + "/links");
        const std::unique_ptr<CArchiveAccess> access = archives.NewAccess();
        const DropTarget target = editing.TestDropTarget(m_dir.path() + '/' + node, folderTestThrough(*access));
        QCOMPARE(int(target.kind), kind);
        QCOMPARE(target.archiveFolder, archiveFolder);
    }

    // One drop as the tree runs it: the items in order up to the first refusal, then the choices forgotten.
    void drops_data()
    {
        QTest::addColumn<QString>("node");          // below a fresh folder holding a copy of a.zip
        QTest::addColumn<QString>("prepare");       // "damaged": a.zip is no archive; "existing": report.zip is
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<int>("level");             // -2 asks in the dialog
        QTest::addColumn<QList<bool>>("dialogs");   // its answers; any makes a new archive ask too
        QTest::addColumn<QString>("password");      // chosen in the dialog, with AES-256
        QTest::addColumn<bool>("stop");             // "&Stop" at once, and Yes to every question
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("refreshes");
        QTest::addColumn<QString>("said");          // a pattern of the one message; %1 the folder
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QStringList>("entries");   // empty: the archive is byte for byte as it was

        const QStringList three{"one.txt", "two.txt", "three.txt"};
        const QStringList inDocs{"docs/ ",          "docs/old.txt ", "docs/one.txt ",
                                 "docs/three.txt ", "docs/two.txt ", "top.txt "};
        QTest::newRow("settings fixed, no dialog") << "a.zip/docs" << "" << three << -1 << QList<bool>{} << "" << false
                                                   << 3 << 3 << "" << "a.zip" << inDocs;
        QTest::newRow("the dialog for every item") << "a.zip/docs" << "" << three << -2 << QList<bool>{true, true, true}
                                                   << "" << false << 3 << 3 << "" << "a.zip" << inDocs;
        QTest::newRow("cancel on the first item") << "a.zip/docs" << "" << three << -2 << QList<bool>{false} << ""
                                                  << false << 0 << 0 << "" << "a.zip" << QStringList{};
        QTest::newRow("new archive over a file, No") << "" << "existing" << QStringList{"in/report.docx", "one.txt"}
                                                     << -1 << QList<bool>{} << "" << false << 0 << 0
                                                     << "Replace the existent file:\n\n%1/report.zip\n1 234 567 bytes, "
                                                        ".+\n\nwith the created archive\\?"
                                                     << "report.zip" << QStringList{};
        // The dialog's password serves the later items too.
        QTest::newRow("encrypted new archive") << "" << "" << QStringList{"pics", "one.txt"} << -1 << QList<bool>{true}
                                               << "Drop pass 7!" << false << 2 << 2 << "" << "secret.zip"
                                               << QStringList{"one.txt AES-256", "pics/ Store", "pics/p1.txt AES-256"};
        QTest::newRow("stopped") << "a.zip" << "" << QStringList{"big.bin", "one.txt"} << -1 << QList<bool>{} << ""
                                 << true << 0 << 1 << "Interrupt the packing\\?" << "a.zip" << QStringList{};
        QTest::newRow("not an archive") << "a.zip" << "damaged" << QStringList{"one.txt"} << -1 << QList<bool>{} << ""
                                        << false << 0 << 0 << "Cannot open the archive\\.(\n\n.+)?" << "a.zip"
                                        << QStringList{};
    }

    void drops()
    {
        QFETCH(QString, node);
        QFETCH(QString, prepare);
        QFETCH(QStringList, sources);
        QFETCH(int, level);
        QFETCH(QList<bool>, dialogs);
        QFETCH(QString, password);
        QFETCH(bool, stop);
        QFETCH(int, added);
        QFETCH(int, refreshes);
        QFETCH(QString, said);
        QFETCH(QString, archive);
        QFETCH(QStringList, entries);
        const QString folder = test::freshFolder(m_dir.path());
        QVERIFY(QFile::copy(m_dir.path() + "/a.zip", folder + "/a.zip"));
        if (prepare == "damaged")
            QVERIFY(writeFile(folder + "/a.zip", QByteArray("PK\x03\x04", 4) + test::noise(200, 5)));
        if (prepare == "existing")
            QVERIFY(writeFile(folder + "/report.zip", test::noise(1234567, 9)));
        const QString archivePath = folder + '/' + archive;
        const QByteArray before = readFile(archivePath);

        CArchiveService archives;
        CBusyFlags busy;
        SettingsValues settings;
        settings.nCompressionLevel = level;
        settings.bAskBeforeCreation = !dialogs.isEmpty();
        settings.bPackFoldersWithoutPaths = true;
        PackChoices choices;
        CArchiveEditing editing(archives, busy, settings, choices);
        Windows windows(busy);
        int asked = 0;
        editing.setChoicesDialog([&](const NameAndLevelPresets &, PackChoices &taken) {
            taken = password.isEmpty() ? PackChoices{} : PackChoices{"secret.data", 9, 14, true, password, 3};
            return dialogs.value(asked++);
        });
        editing.setProgressFactory([&] {
            auto progress = std::make_unique<QObject>();
            progress->installEventFilter(&windows);
            if (stop)
                postOrvEvent(progress.get(), Ev::PackStop);
            return progress;
        });
        ScriptedPrompter prompts;
        prompts.setDefaultMessageAnswer(stop ? MsgAnswer::Yes : MsgAnswer::No);
        const std::unique_ptr<CArchiveAccess> access = archives.NewAccess();
        const DropTarget target = editing.TestDropTarget(QDir(folder).filePath(node), folderTestThrough(*access));
        int taken = 0;
        while (taken < sources.size()
               && editing.AddDroppedItem(src(sources[taken]), target, &windows, taken > 0))
            ++taken;
        editing.EndDrop();

        QCOMPARE(taken, added);
        QCOMPARE(asked, dialogs.size());
        QCOMPARE(windows.refreshed.size(), refreshes);
        QVERIFY(!busy.isRunning(CBusyFlags::Pack) && !choices.encrypt && choices.password.isEmpty());
        QCOMPARE(prompts.records().size(), size_t(said.isEmpty() ? 0 : 1));
        if (!said.isEmpty()) {
            const QRegularExpression pattern(QRegularExpression::anchoredPattern(QString(said).replace("%1", folder)));
            QVERIFY2(pattern.match(prompts.texts().constFirst()).hasMatch(), qPrintable(prompts.texts().constFirst()));
        }
        QCOMPARE(windows.flagged, taken > 0 || stop);
        if (entries.isEmpty()) {
            QCOMPARE(readFile(archivePath), before);
            return;
        }
        QCOMPARE(entriesOf(archivePath, password), entries);
        const test::ToolRun tested = runTool("7z", {"t", "-p" + password, archivePath});
        QVERIFY2(tested.ok(), tested.output.constData());
        QCOMPARE(runTool("7z", {"t", "-pwrong", archivePath}).ok(), password.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestArchiveEditing)
#include "tst_archiveediting.moc"
