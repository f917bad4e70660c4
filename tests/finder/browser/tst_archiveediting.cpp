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

// The tree's side: the drop target paths it is told to reload once an add is over.
class TreeRecorder : public QObject
{
public:
    QStringList refreshed;

protected:
    bool event(QEvent *event) override
    {
        const auto *refresh = dynamic_cast<OrvEvent *>(event);
        if (refresh && refresh->type() == Ev::type(Ev::TreeRefresh) && refresh->value() == Ev::TreeRefreshDone)
            refreshed << refresh->text();
        return QObject::event(event);
    }
};

// Stands in for "Pack Progress": asks to stop at once, and notes whether the packing flag was up while the
// packer reported to it.
class PackWindow : public QObject
{
public:
    PackWindow(const CBusyFlags &busy, bool &flagged) : m_busy(busy), m_flagged(flagged)
    {
        postOrvEvent(this, Ev::PackStop);
    }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == Ev::type(Ev::PackProgress))
            m_flagged = m_busy.isRunning(CBusyFlags::Pack);
        return QObject::event(event);
    }

private:
    const CBusyFlags &m_busy;
    bool &m_flagged;
};

// What the main frame holds for the adds, and one drop as the tree runs it: the items in order, up to the first
// refusal.
struct Editor
{
    CArchiveService archives;
    CBusyFlags busy;
    SettingsValues settings;
    PackChoices choices;
    CArchiveEditing editing{archives, busy, settings, choices};
    TreeRecorder tree;
    int dialogs = 0;

    void answerDialogs(QList<bool> answers, PackChoices chosen = {})
    {
        editing.setChoicesDialog([this, answers, chosen](const NameAndLevelPresets &, PackChoices &taken) {
            taken = chosen;
            return answers.value(dialogs++);
        });
    }
    int drop(const QStringList &sources, const QString &targetPath)
    {
        const std::unique_ptr<CArchiveAccess> access = archives.NewAccess();
        const DropTarget target = editing.TestDropTarget(targetPath, folderTestThrough(*access));
        int taken = 0;
        while (taken < sources.size() && editing.AddDroppedItem(sources[taken], target, &tree, taken > 0))
            ++taken;
        editing.EndDrop();
        return taken;
    }
};

QStringList entriesOf(const QString &archive, const QString &password = {})
{
    QStringList paths;
    for (const test::SltRecord &item : test::sevenZipListing(archive, password))
        paths << item.value("Path") + (item.value("Folder") == "+" ? "/" : "");
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

    QString at(const QString &relative) const { return m_dir.path() + "/drive/" + relative; }
    QString src(const QString &relative) const { return m_dir.path() + "/src/" + relative; }
    QString copyOfZip() const
    {
        const QString copy = test::freshFolder(m_dir.path()) + "/a.zip";
        return QFile::copy(at("a.zip"), copy) ? copy : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const char *name : {"docs/old.txt", "top.txt", "one.txt", "two.txt", "three.txt", "pics/p1.txt"})
            QVERIFY(writeFile(src(name), name));
        QVERIFY(writeFile(src("big.bin"), test::noise(1 << 20, 3)));
        QVERIFY(QDir().mkpath(at("plain folder")) && QDir().mkpath(at("links")));
        QVERIFY(runTool("zip", {"-q", "-r", "-X", at("a.zip"), "docs", "top.txt"}, src("")).ok());
        QVERIFY(runTool("7z", {"a", "-bd", at("d.7z"), "docs", "top.txt"}, src("")).ok());
        for (const char *copy : {"b.jar", "c.xap", "f.abc"})
            QVERIFY(QFile::copy(at("a.zip"), at(copy)));
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
        QTest::newRow("disk folder") << "plain folder" << int(DropTarget::Folder) << "";
        QTest::newRow("folder of cloud links") << "links" << int(DropTarget::None) << "";
    }

    void dropTargets()
    {
        QFETCH(QString, node);
        QFETCH(int, kind);
        QFETCH(QString, archiveFolder);
        Editor editor;
        editor.archives.layer().SetArchiveExtensions({"ZIP", "JAR", "XAP", "7Z"});
        editor.archives.layer().SetCustomArchives({"Mine#ABC=1"});
        editor.editing.setRefusedFolder(at("links"));
        const std::unique_ptr<CArchiveAccess> access = editor.archives.NewAccess();
        const DropTarget target = editor.editing.TestDropTarget(at(node), folderTestThrough(*access));
        QCOMPARE(int(target.kind), kind);
        QCOMPARE(target.archiveFolder, archiveFolder);
    }

    void dropOfThreeFiles_data()
    {
        QTest::addColumn<int>("level");  // -2 asks in the dialog
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<int>("added");

        QTest::newRow("settings fixed, no dialog") << -1 << QList<bool>{} << 3;
        QTest::newRow("the dialog for every item") << -2 << QList<bool>{true, true, true} << 3;
        QTest::newRow("cancel on the first item") << -2 << QList<bool>{false} << 0;
    }

    void dropOfThreeFiles()
    {
        QFETCH(int, level);
        QFETCH(QList<bool>, answers);
        QFETCH(int, added);
        const QString archive = copyOfZip();
        const QByteArray before = readFile(archive);
        Editor editor;
        editor.settings.nCompressionLevel = level;
        editor.answerDialogs(answers);
        ScriptedPrompter prompts;
        QCOMPARE(editor.drop({src("one.txt"), src("two.txt"), src("three.txt")}, archive + "/docs"), added);
        QCOMPARE(editor.dialogs, answers.size());
        QCOMPARE(editor.editing.cancelled(), added == 0);
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(editor.tree.refreshed, QStringList(added, archive + "/docs"));
        if (added == 0)
            QCOMPARE(readFile(archive), before);
        else
            QCOMPARE(entriesOf(archive), (QStringList{"docs/", "docs/old.txt", "docs/one.txt", "docs/three.txt",
                                                      "docs/two.txt", "top.txt"}));
    }

    void newArchiveOverAnExistingFileAnsweredNo()
    {
        const QString out = test::freshFolder(m_dir.path());
        const QByteArray existing = test::noise(1234567, 9);
        QVERIFY(writeFile(out + "/report.zip", existing) && writeFile(out + "/in/report.docx", "the report"));
        Editor editor;
        ScriptedPrompter prompts;
        prompts.queueMessageAnswer(MsgAnswer::No);
        QCOMPARE(editor.drop({out + "/in/report.docx", src("one.txt")}, out), 0);
        QCOMPARE(readFile(out + "/report.zip"), existing);
        QCOMPARE(prompts.records().size(), size_t(1));
        const ScriptedPrompter::Record &asked = prompts.records().front();
        QCOMPARE(asked.caption, "Confirm Replace");
        QCOMPARE(asked.buttons, MsgButtons::YesNo);
        const QString start = "Replace the existent file:\n\n" + out + "/report.zip\n1 234 567 bytes, ";
        QVERIFY2(asked.text.startsWith(start) && asked.text.endsWith("\n\nwith the created archive?"),
                 qPrintable(asked.text));
    }

    // The dialog's password serves every item of the drop, and is gone after it.
    void encryptedNewArchive()
    {
        const QString out = test::freshFolder(m_dir.path());
        Editor editor;
        editor.settings.bAskBeforeCreation = true;
        editor.settings.bPackFoldersWithoutPaths = true;  // as a new settings file has it
        const QString password = "Drop pass 7!";
        editor.answerDialogs({true}, PackChoices{"secret.data", 9, 14, true, password, 3});
        ScriptedPrompter prompts;
        QCOMPARE(editor.drop({src("pics"), src("one.txt")}, out), 2);
        QCOMPARE(editor.dialogs, 1);
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{"secret.zip"});
        const QString archive = out + "/secret.zip";
        const test::ToolRun tested = runTool("7z", {"t", "-p" + password, archive});
        QVERIFY2(tested.ok(), tested.output.constData());
        QVERIFY(!runTool("7z", {"t", "-pwrong", archive}).ok());
        QStringList methods;
        for (const test::SltRecord &item : test::sevenZipListing(archive, password)) {
            if (item.value("Folder") != "+")
                methods << item.value("Path") + ' ' + item.value("Method").section(' ', 0, 0);
        }
        QCOMPARE(methods, (QStringList{"pics/p1.txt AES-256", "one.txt AES-256"}));
        QVERIFY(!editor.choices.encrypt && editor.choices.password.isEmpty());
    }

    void failedAddLeavesTheArchive_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::addColumn<QString>("said");

        QTest::newRow("stopped") << true << "Interrupt the packing?";
        QTest::newRow("not an archive at all") << false << "Cannot open the archive.";
    }

    void failedAddLeavesTheArchive()
    {
        QFETCH(bool, stop);
        QFETCH(QString, said);
        const QString archive = copyOfZip();
        if (!stop)
            QVERIFY(writeFile(archive, QByteArray("PK\x03\x04", 4) + test::noise(200, 5)));
        const QByteArray before = readFile(archive);
        Editor editor;
        bool packingFlagged = false;
        editor.editing.setProgressFactory([&] { return std::make_unique<PackWindow>(editor.busy, packingFlagged); });
        ScriptedPrompter prompts;
        prompts.setDefaultMessageAnswer(MsgAnswer::Yes);
        QCOMPARE(editor.drop({src("big.bin"), src("one.txt")}, archive), 0);
        QCOMPARE(readFile(archive), before);
        QCOMPARE(QDir(QFileInfo(archive).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.zip"});
        QCOMPARE(packingFlagged, stop);
        QVERIFY(!editor.busy.isRunning(CBusyFlags::Pack));
        QCOMPARE(prompts.records().size(), size_t(1));
        QVERIFY2(prompts.records().front().text.startsWith(said), qPrintable(prompts.texts().join('\n')));
        QCOMPARE(editor.tree.refreshed, QStringList(stop ? 1 : 0, archive));
    }
};

QTEST_GUILESS_MAIN(TestArchiveEditing)
#include "tst_archiveediting.moc"
