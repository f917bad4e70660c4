#include "finder/app/application.h"
#include "finder/app/mainframe.h"
#include "finder/browser/archivebrowserpane.h"
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
using orv::test::readFile;
using orv::test::runTool;
using orv::test::writeFile;

namespace {

// Reaches what dragging a node of the main frame's own tree offers.
struct DragOffer : COrvelArchiveTree
{
    using COrvelArchiveTree::dragDataOf;
};

std::unique_ptr<QMimeData> offerOf(COrvelArchiveTree *tree, QTreeWidgetItem *node, const std::function<bool()> &gate)
{
    return std::unique_ptr<QMimeData>((tree->*(&DragOffer::dragDataOf))(node, gate));
}

// On a long operation's first progress report, queues what a user may do meanwhile; the operation's next
// pump runs it.
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

QStringList childTexts(const QTreeWidgetItem *node)
{
    QStringList texts;
    for (int i = 0; node && i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

// Files from another program dragged over a node and, unless only entering, dropped; true when the tree takes
// them as a copy.
bool dragFiles(QTreeWidget *tree, const QTreeWidgetItem *node, const QStringList &files, bool drop)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    const QPoint pos = tree->visualItemRect(node).center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &enter);
    QDragMoveEvent move(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent dropped(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent &last = drop ? dropped : move;
    QApplication::sendEvent(tree->viewport(), &last);
    return last.isAccepted() && last.dropAction() == Qt::CopyAction;
}

}  // namespace

class TestDragDrop : public QObject
{
    Q_OBJECT

private:
    test::TestHome m_home;
    QTemporaryDir m_dir;
    std::unique_ptr<CMainFrame> m_frame;
    COrvelArchiveTree *m_tree = nullptr;
    QString m_drive;

    QString src(const QString &relative) const { return m_dir.path() + "/src/" + relative; }
    QString at(const QString &relative) const { return m_drive + '/' + relative; }

private Q_SLOTS:
    void initTestCase()
    {
        COrvelZipFinderApp::setIdentity();
        QVERIFY(m_dir.isValid());
        for (const char *name : {"DOCS/ONE.TXT", "DOCS/TWO.TXT", "TOP.TXT", "new/x.txt", "new/y.txt"})
            QVERIFY(writeFile(src(name), name));
        QVERIFY(writeFile(src("big/big.bin"), test::noise(6 << 20, 11)));
        QVERIFY(runTool("zip", {"-q", "-r", "-X", m_dir.path() + "/a.zip", "DOCS", "TOP.TXT"}, src("")).ok());
        QVERIFY(runTool("7z", {"a", "-bd", "-mx=1", m_dir.path() + "/b.7z", "DOCS", "TOP.TXT", "big/big.bin"}, src(""))
                    .ok());
    }

    // Every test has a window of its own over a drive of its own.
    void init()
    {
        m_drive = test::freshFolder(m_dir.path());
        QVERIFY(QFile::copy(m_dir.path() + "/a.zip", at("a.zip")) && QFile::copy(m_dir.path() + "/b.7z", at("b.7z")));
        QVERIFY(writeFile(at("folder/deeper/z.txt"), "z"));
        m_frame = std::make_unique<CMainFrame>();
        m_frame->show();
        m_tree = m_frame->browser()->tree();
        m_tree->setDrives({{m_drive, "Test", DriveType::Fixed}});
        m_tree->Fill();
    }

    void cleanup() { m_frame.reset(); }

    // The item is taken out only once the drop is over another program, and once per drag.
    void dragOut_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("enabled");           // "EnableDraggingFromArchiveToOtherApplications"
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
        m_frame->settings().values().bEnableDraggingFromArchive = enabled;
        QTreeWidgetItem *item = m_tree->SelectPath(at(node));
        ScriptedPrompter prompts;
        bool outside = false;
        const std::unique_ptr<QMimeData> offered = offerOf(m_tree, item, [&] { return outside; });
        QCOMPARE(offered == nullptr, node == "folder");
        if (!offered)
            return;
        const QString temporary = m_frame->temporaryFolder();
        const QString file = temporary + '/' + item->text(0);
        const QList<QUrl> urls = delivered.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl::fromLocalFile(file)};
        QCOMPARE(offered->urls(), QList<QUrl>{});
        QVERIFY(QDir(temporary).isEmpty());
        outside = true;
        QCOMPARE(offered->urls(), urls);
        QStringList found;
        const QMap<QString, QByteArray> files = test::filesOf(test::tree(temporary));
        for (auto it = files.begin(); it != files.end(); ++it)
            found << it.key() + '=' + it.value();
        QCOMPARE(found, delivered);
        QVERIFY(QDir(temporary).removeRecursively() && QDir().mkpath(temporary));
        QCOMPARE(offered->urls(), urls);
        QVERIFY(QDir(temporary).isEmpty());
        QCOMPARE(prompts.texts(), QStringList());
    }

    void dropIn_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("enabled");  // "EnableDraggingToArchiveFromOtherApplications"
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("disk folder") << "folder" << true << "folder/x.zip" << QStringList{"x.txt", "y.txt"};
        QTest::newRow("dropping in switched off") << "a.zip" << false << "a.zip" << QStringList{};
    }

    void dropIn()
    {
        QFETCH(QString, node);
        QFETCH(bool, enabled);
        QFETCH(QString, archive);
        QFETCH(QStringList, shown);
        m_frame->settings().values().bEnableDraggingToArchive = enabled;
        const QByteArray before = readFile(at(archive));
        QTreeWidgetItem *item = m_tree->SelectPath(at(node));
        const QStringList files{src("new/x.txt"), src("new/y.txt")};
        ScriptedPrompter prompts;
        QCOMPARE(dragFiles(m_tree, item, files, false), enabled);
        QCOMPARE(m_tree->dropHighlight(), enabled ? item : nullptr);
        QCOMPARE(dragFiles(m_tree, item, files, true), enabled);
        if (!enabled) {
            QCOMPARE(readFile(at(archive)), before);
            return;
        }
        QTRY_COMPARE(childTexts(m_tree->loadedNode(at(archive))), shown);
        QVERIFY(m_tree->loadedNode(at(archive))->isExpanded());
        QCOMPARE(prompts.texts(), QStringList());
        QVERIFY(runTool("7z", {"t", at(archive)}).ok());
    }

    void hoverOpensAClosedNode()
    {
        QTreeWidgetItem *folder = m_tree->SelectPath(at("folder"));
        QVERIFY(!folder->isExpanded());
        dragFiles(m_tree, folder, {src("TOP.TXT")}, false);
        QTest::qWait(COrvelDragDropTree::ExpandDelayMs / 2);
        QVERIFY(!folder->isExpanded());
        QTRY_VERIFY_WITH_TIMEOUT(folder->isExpanded(), COrvelDragDropTree::ExpandDelayMs);
        QCOMPARE(childTexts(folder), QStringList{"deeper"});
    }

    // A click, the reopening of the archive at work and a close request, from inside the pump of an add or of
    // the extraction at the end of a drag out: the window stays, the operation asks whether to stop, and
    // ends whole or stops cleanly as answered.
    void longOperationsSurviveMeddling_data()
    {
        QTest::addColumn<bool>("adding");  // else dragging out
        QTest::addColumn<bool>("interrupt");
        QTest::addColumn<QStringList>("said");

        const QString packing = "Interrupt the packing?";
        const QString unpack = "Interrupt the unpack?";
        QTest::newRow("add, kept going") << true << false << QStringList{packing};
        QTest::newRow("add, interrupted") << true << true << QStringList{packing};
        QTest::newRow("drag out, kept going") << false << false << QStringList{unpack};
        // As every extraction that stops short.
        QTest::newRow("drag out, interrupted") << false << true
                                               << QStringList{unpack, "Cannot unpack the file big/big.bin."};
    }

    void longOperationsSurviveMeddling()
    {
        QFETCH(bool, adding);
        QFETCH(bool, interrupt);
        QFETCH(QStringList, said);
        const QString archive = at(adding ? "a.zip" : "b.7z");
        const QByteArray before = readFile(archive);
        QTreeWidgetItem *item = m_tree->SelectPath(adding ? archive : archive + "/big/big.bin");
        ScriptedPrompter prompts;
        prompts.setDefaultMessageAnswer(interrupt ? MsgAnswer::Yes : MsgAnswer::No);
        Meddler meddler(adding ? Ev::PackProgress : Ev::UnpackProgress, [&] {
            const QRect other = m_tree->visualItemRect(m_tree->loadedNode(at("folder")));
            QTest::mouseClick(m_tree->viewport(), Qt::LeftButton, {}, other.center());
            QTreeWidgetItem *worked = m_tree->loadedNode(archive);
            m_tree->collapseItem(worked);
            m_tree->expandItem(worked);
            QVERIFY(!m_frame->close());
        });
        QList<QUrl> delivered;
        if (adding) {
            QVERIFY(dragFiles(m_tree, item, {src("big/big.bin")}, true));
            QTRY_VERIFY(meddler.done && !m_frame->busyFlags().isRunning(CBusyFlags::Pack));
        } else {
            delivered = offerOf(m_tree, item, [] { return true; })->urls();
        }
        QCoreApplication::processEvents();
        QCOMPARE(prompts.texts(), said);
        QVERIFY(m_frame->isVisible());
        const QString file = m_frame->temporaryFolder() + "/big.bin";
        if (interrupt && adding)
            QCOMPARE(readFile(archive), before);
        else if (adding)
            QCOMPARE(childTexts(m_tree->loadedNode(archive)), (QStringList{"DOCS", "big.bin", "TOP.TXT"}));
        else
            QCOMPARE(delivered, interrupt ? QList<QUrl>{} : QList<QUrl>{QUrl::fromLocalFile(file)});
        if (!adding && !interrupt)
            QCOMPARE(readFile(file), readFile(src("big/big.bin")));
        QVERIFY(runTool("7z", {"t", archive}).ok());
        QVERIFY(m_frame->close());
    }
};

QTEST_MAIN(TestDragDrop)
#include "tst_dragdrop.moc"
