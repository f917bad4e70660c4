#include "finder/app/application.h"
#include "finder/app/mainframe.h"
#include "finder/browser/archivebrowserpane.h"
#include "finder/browser/archiveediting.h"
#include "finder/browser/archiveservice.h"
#include "finder/browser/dragoutdata.h"
#include "finder/browser/orvelarchivetree.h"
#include "finder/common/busyflags.h"
#include "finder/settings/settings.h"
#include "platform/events.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QtTest>

using namespace orv;
using orv::test::runTool;
using orv::test::writeFile;

namespace {

// The tree with what a drag out of it offers within the test's reach.
class DragTree : public COrvelArchiveTree
{
public:
    using COrvelArchiveTree::COrvelArchiveTree;
    QMimeData *offerOf(QTreeWidgetItem *node) { return dragDataOf(node, [] { return true; }); }
};

// Reaches what a drag offers on the main frame's own tree.
struct DragOffer : COrvelArchiveTree
{
    using COrvelArchiveTree::dragDataOf;
};

// Does, once, what a user may do while a long operation pumps events: on the operation's first progress
// report it queues a click on a node, the reopening of another and a request to close the window, which the
// operation's next pump then runs.
class Meddler : public QObject
{
public:
    Meddler(int progressEvent, std::function<void()> meddle) : m_event(progressEvent), m_meddle(std::move(meddle))
    {
        qApp->installEventFilter(this);
    }
    bool done = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (!done && event->type() == Ev::type(m_event)) {
            done = true;
            QMetaObject::invokeMethod(this, m_meddle, Qt::QueuedConnection);
        }
        return false;
    }

private:
    int m_event;
    std::function<void()> m_meddle;
};

// The Archive Browser's tree over one drive, with what the main frame gives it.
struct Browser
{
    explicit Browser(const QString &drive, const QString &temporary)
    {
        archives.layer().SetArchiveExtensions({"ZIP", "7Z"});
        archives.setTemporaryFolder(temporary);
        tree.setDrives({{drive, "Test", DriveType::Fixed}});
        tree.setDragAndDrop(&editing, &settings);
        tree.resize(400, 600);
        tree.Fill();
        tree.show();
    }
    CArchiveService archives;
    CBusyFlags busy;
    SettingsValues settings;
    PackChoices choices;
    CArchiveEditing editing{archives, busy, settings, choices};
    DragTree tree{archives};
};

QStringList childTexts(const QTreeWidgetItem *node)
{
    QStringList texts;
    for (int i = 0; node && i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

// Sends a drag event of files from another program at a node; true when the tree takes it as a copy.
bool sendDrag(QTreeWidget &tree, QEvent::Type type, const QTreeWidgetItem *node, const QStringList &files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    const QPoint pos = tree.visualItemRect(node).center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    std::unique_ptr<QDropEvent> event;
    if (type == QEvent::DragEnter)
        event = std::make_unique<QDragEnterEvent>(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    else if (type == QEvent::DragMove)
        event = std::make_unique<QDragMoveEvent>(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    else
        event = std::make_unique<QDropEvent>(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), event.get());
    return event->isAccepted() && event->dropAction() == Qt::CopyAction;
}

}  // namespace

class TestDragDrop : public QObject
{
    Q_OBJECT

private:
    test::TestHome m_home;
    QTemporaryDir m_dir;

    QString drive() const { return m_dir.path() + "/drive"; }
    QString at(const QString &relative) const { return drive() + '/' + relative; }
    QString src(const QString &relative) const { return m_dir.path() + "/src/" + relative; }
    std::unique_ptr<Browser> browser(const QString &drive) const
    {
        return std::make_unique<Browser>(drive, test::freshFolder(m_dir.path()));
    }

private Q_SLOTS:
    void initTestCase()
    {
        COrvelZipFinderApp::setIdentity();
        QVERIFY(m_dir.isValid());
        for (const char *name : {"DOCS/ONE.TXT", "DOCS/TWO.TXT", "TOP.TXT", "new/x.txt", "new/y.txt"})
            QVERIFY(writeFile(src(name), name));
        QVERIFY(writeFile(at("folder/deeper/z.txt"), "z"));
        QVERIFY(runTool("zip", {"-q", "-r", "-X", at("a.zip"), "DOCS", "TOP.TXT"}, src("")).ok());
        QVERIFY(runTool("7z", {"a", "-bd", at("b.7z"), "DOCS", "TOP.TXT"}, src("")).ok());
        QVERIFY(writeFile(src("big/big.bin"), test::noise(6 << 20, 11)));
        QVERIFY(runTool("7z", {"a", "-bd", "-mx=1", m_dir.path() + "/big.7z", "big.bin"}, src("big")).ok());
    }

    void offerRendersOnceOnRequest_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("droppedOutside");
        QTest::addColumn<bool>("extracts");
        QTest::addColumn<int>("renders");

        QTest::newRow("asked after the drop outside") << "/t/ONE.TXT" << true << true << 1;
        QTest::newRow("asked over the program's own window") << "/t/ONE.TXT" << false << true << 0;
        QTest::newRow("a failed extraction is not tried again") << "/t/ONE.TXT" << true << false << 1;
        QTest::newRow("nothing offered") << "" << true << true << 0;
    }

    void offerRendersOnceOnRequest()
    {
        QFETCH(QString, path);
        QFETCH(bool, droppedOutside);
        QFETCH(bool, extracts);
        QFETCH(int, renders);
        int rendered = 0;
        CDragOutData data(path, [&] { ++rendered; return extracts; }, [&] { return droppedOutside; });
        QCOMPARE(data.hasUrls(), !path.isEmpty());
        const bool delivered = renders == 1 && extracts;
        for (int ask = 0; ask < 3; ++ask)
            QCOMPARE(data.urls(), delivered ? QList<QUrl>{QUrl::fromLocalFile(path)} : QList<QUrl>{});
        QCOMPARE(rendered, renders);
    }

    void dragOut_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("enabled");  // "EnableDraggingFromArchiveToOtherApplications"
        QTest::addColumn<QStringList>("delivered");  // each file below the temporary folder with its bytes

        QTest::newRow("file in a 7z") << "b.7z/DOCS/TWO.TXT" << true << QStringList{"TWO.TXT=DOCS/TWO.TXT"};
        QTest::newRow("folder in a zip") << "a.zip/DOCS" << true
                                         << QStringList{"DOCS/ONE.TXT=DOCS/ONE.TXT", "DOCS/TWO.TXT=DOCS/TWO.TXT"};
        QTest::newRow("the archive node offers nothing") << "a.zip" << true << QStringList{};
        QTest::newRow("dragging out switched off") << "b.7z/TOP.TXT" << false << QStringList{};
        QTest::newRow("a disk folder is not dragged") << "folder" << true << QStringList{};
    }

    void dragOut()
    {
        QFETCH(QString, node);
        QFETCH(bool, enabled);
        QFETCH(QStringList, delivered);
        const std::unique_ptr<Browser> made = browser(drive());
        made->settings.bEnableDraggingFromArchive = enabled;
        QTreeWidgetItem *item = made->tree.SelectPath(at(node));
        QVERIFY(item && made->tree.nodePath(item) == at(node));
        ScriptedPrompter prompts;
        const std::unique_ptr<QMimeData> offered(made->tree.offerOf(item));
        QCOMPARE(offered == nullptr, node == "folder");
        if (!offered)
            return;
        const QString temporary = made->archives.temporaryFolder();
        QVERIFY(QDir(temporary).isEmpty());
        const QList<QUrl> urls = offered->urls();
        QCOMPARE(urls, delivered.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl::fromLocalFile(temporary + '/' + item->text(0))});
        QStringList found;
        const QMap<QString, QByteArray> files = test::filesOf(test::tree(temporary));
        for (auto it = files.begin(); it != files.end(); ++it)
            found << it.key() + '=' + it.value();
        QCOMPARE(found, delivered);
        QCOMPARE(prompts.texts(), QStringList());
        QVERIFY(!made->busy.isRunning(CBusyFlags::Unpack));
    }

    void dropSwitches_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("enabled");  // "EnableDraggingToArchiveFromOtherApplications"
        QTest::addColumn<bool>("copies");

        QTest::newRow("zip node") << "a.zip" << true << true;
        QTest::newRow("zip node, dropping in switched off") << "a.zip" << false << false;
        QTest::newRow("file inside a zip") << "a.zip/TOP.TXT" << true << false;
        QTest::newRow("7z node") << "b.7z" << true << false;
        QTest::newRow("disk folder") << "folder" << true << true;
    }

    void dropSwitches()
    {
        QFETCH(QString, node);
        QFETCH(bool, enabled);
        QFETCH(bool, copies);
        const std::unique_ptr<Browser> made = browser(drive());
        made->settings.bEnableDraggingToArchive = enabled;
        QTreeWidgetItem *item = made->tree.SelectPath(at(node));
        sendDrag(made->tree, QEvent::DragEnter, item, {src("TOP.TXT")});
        QCOMPARE(sendDrag(made->tree, QEvent::DragMove, item, {src("TOP.TXT")}), copies);
        QCOMPARE(made->tree.dropHighlight(), copies ? item : nullptr);
    }

    // The dropped files are in the archive afterwards, and the tree shows them: the target reloaded, and the
    // way down to the archive opened.
    void dropShowsTheFiles_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("zip node") << "a.zip" << "a.zip" << QStringList{"DOCS", "TOP.TXT", "x.txt", "y.txt"};
        QTest::newRow("disk folder") << "folder" << "folder/x.zip" << QStringList{"x.txt", "y.txt"};
    }

    void dropShowsTheFiles()
    {
        QFETCH(QString, node);
        QFETCH(QString, archive);
        QFETCH(QStringList, shown);
        const QString fresh = test::freshFolder(m_dir.path());
        QVERIFY(QFile::copy(at("a.zip"), fresh + "/a.zip") && QDir().mkpath(fresh + "/folder"));
        const std::unique_ptr<Browser> made = browser(fresh);
        QTreeWidgetItem *item = made->tree.SelectPath(fresh + '/' + node);
        ScriptedPrompter prompts;
        sendDrag(made->tree, QEvent::DragEnter, item, {src("new/x.txt"), src("new/y.txt")});
        QVERIFY(sendDrag(made->tree, QEvent::Drop, item, {src("new/x.txt"), src("new/y.txt")}));
        const auto archiveNode = [&] { return made->tree.loadedNode(fresh + '/' + archive); };
        QTRY_COMPARE(childTexts(archiveNode()), shown);
        QVERIFY(archiveNode()->isExpanded());
        QCOMPARE(prompts.texts(), QStringList());
        QVERIFY(runTool("7z", {"t", fresh + '/' + archive}).ok());
    }

    // A click, the reopening of the archive at work and a close request, all from inside the pump of an add
    // or of the extraction at the end of a drag out: the window stays, the operation asks whether to stop,
    // and goes on or stops cleanly as answered.
    void longOperationsSurviveMeddling_data()
    {
        QTest::addColumn<bool>("adding");   // else dragging out
        QTest::addColumn<bool>("interrupt");
        QTest::addColumn<QStringList>("said");

        const QString packing = "Interrupt the packing?";
        const QString unpack = "Interrupt the unpack?";
        QTest::newRow("add, kept going") << true << false << QStringList{packing};
        QTest::newRow("add, interrupted") << true << true << QStringList{packing};
        QTest::newRow("drag out, kept going") << false << false << QStringList{unpack};
        // As every extraction that stops short.
        QTest::newRow("drag out, interrupted") << false << true
                                               << QStringList{unpack, "Cannot unpack the file big.bin."};
    }

    void longOperationsSurviveMeddling()
    {
        QFETCH(bool, adding);
        QFETCH(bool, interrupt);
        QFETCH(QStringList, said);
        const QString fresh = test::freshFolder(m_dir.path());
        QVERIFY(QFile::copy(at("a.zip"), fresh + "/a.zip") && QFile::copy(m_dir.path() + "/big.7z", fresh + "/big.7z"));
        const QByteArray zipBefore = test::readFile(fresh + "/a.zip");
        CMainFrame frame;
        frame.show();
        COrvelArchiveTree *tree = frame.browser()->tree();
        tree->setDrives({{fresh, "Test", DriveType::Fixed}});
        tree->Fill();
        const QString archive = fresh + (adding ? "/a.zip" : "/big.7z");
        QTreeWidgetItem *item = tree->SelectPath(adding ? archive : archive + "/big.bin");
        QVERIFY(item);
        ScriptedPrompter prompts;
        prompts.setDefaultMessageAnswer(interrupt ? MsgAnswer::Yes : MsgAnswer::No);
        Meddler meddler(adding ? Ev::PackProgress : Ev::UnpackProgress, [&] {
            QTreeWidgetItem *folder = tree->loadedNode(fresh + "/a.zip");
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(folder).center());
            QTreeWidgetItem *worked = tree->loadedNode(archive);
            tree->collapseItem(worked);
            tree->expandItem(worked);
            QVERIFY(!frame.close());
        });
        QList<QUrl> delivered;
        if (adding) {
            sendDrag(*tree, QEvent::DragEnter, item, {src("big/big.bin")});
            QVERIFY(sendDrag(*tree, QEvent::Drop, item, {src("big/big.bin")}));
            QTRY_VERIFY(meddler.done && !frame.busyFlags().isRunning(CBusyFlags::Pack));
        } else {
            const std::unique_ptr<QMimeData> offered((tree->*(&DragOffer::dragDataOf))(item, [] { return true; }));
            delivered = offered->urls();
        }
        QCoreApplication::processEvents();
        QVERIFY(meddler.done);
        QCOMPARE(prompts.texts(), said);
        QVERIFY(frame.isVisible());
        if (adding && interrupt)
            QCOMPARE(test::readFile(archive), zipBefore);
        if (adding && !interrupt)
            QCOMPARE(childTexts(tree->loadedNode(archive)), (QStringList{"DOCS", "big.bin", "TOP.TXT"}));
        if (!adding) {
            const QString file = frame.temporaryFolder() + "/big.bin";
            QCOMPARE(delivered, interrupt ? QList<QUrl>{} : QList<QUrl>{QUrl::fromLocalFile(file)});
            if (!interrupt)
                QCOMPARE(test::readFile(file), test::readFile(src("big/big.bin")));
        }
        QVERIFY(runTool("7z", {"t", archive}).ok());
        QVERIFY(frame.close());
    }

    void hoverOpensAClosedNode()
    {
        const std::unique_ptr<Browser> made = browser(drive());
        QTreeWidgetItem *folder = made->tree.SelectPath(at("folder"));
        QVERIFY(!folder->isExpanded());
        sendDrag(made->tree, QEvent::DragEnter, folder, {src("TOP.TXT")});
        QTest::qWait(COrvelDragDropTree::ExpandDelayMs / 2);
        QVERIFY(!folder->isExpanded());
        QTRY_VERIFY_WITH_TIMEOUT(folder->isExpanded(), COrvelDragDropTree::ExpandDelayMs);
        QCOMPARE(childTexts(folder), QStringList{"deeper"});
    }
};

QTEST_MAIN(TestDragDrop)
#include "tst_dragdrop.moc"
