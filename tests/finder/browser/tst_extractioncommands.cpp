#include "finder/archive/extraction.h"
#include "finder/browser/archiveservice.h"
#include "finder/browser/extractioncommands.h"
#include "finder/browser/itemproperties.h"
#include "finder/browser/unpackprogress.h"
#include "finder/common/busyflags.h"
#include "platform/events.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace orv;
using orv::test::readFile;
using orv::test::runTool;
using orv::test::writeFile;

namespace {

using Files = QMap<QString, QByteArray>;

// Every file below a folder, by its path relative to it.
Files filesBelow(const QString &folder)
{
    Files files;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readFile(path));
    }
    return files;
}

// Handles the next modal dialog once it is up: the extraction commands ask through dialogs of their own.
void onNextDialog(std::function<void(QDialog &)> handle)
{
    QTimer::singleShot(10, [handle = std::move(handle)] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            handle(*dialog);
        else
            onNextDialog(handle);
    });
}

void acceptWithFolder(QDialog &dialog, const QString &folder, bool separate)
{
    if (!folder.isEmpty())
        dialog.findChild<QLineEdit *>("folderEdit")->setText(folder);
    dialog.findChild<QCheckBox *>("separateCheck")->setChecked(separate);
    dialog.accept();
}

}  // namespace

class TestExtractionCommands : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_src;
    QString m_drive;
    test::TestHome m_home;

    QString at(const QString &relative) const { return m_drive + '/' + relative; }
    void tool(const QString &program, const QStringList &arguments)
    {
        const test::ToolRun run = runTool(program, arguments, m_src);
        QVERIFY2(run.ok(), run.output.constData());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_src = m_dir.path() + "/src";
        m_drive = m_dir.path() + "/drive";
        QVERIFY(writeFile(m_src + "/DOCS/ONE.TXT", "one"));
        QVERIFY(writeFile(m_src + "/DOCS/TWO.TXT", "two two"));
        QVERIFY(writeFile(m_src + "/TOP.TXT", "top of it"));
        QVERIFY(QDir().mkpath(m_drive));
        tool("zip", {"-q", "-r", "-X", at("a.zip"), "DOCS", "TOP.TXT"});
        tool("7z", {"a", "-bd", "-y", at("b.7z"), "DOCS", "TOP.TXT"});
        tool("tar", {"-czf", at("c.tar.gz"), "DOCS", "TOP.TXT"});
        tool("genisoimage", {"-quiet", "-o", at("d.iso"), "."});
        QVERIFY(writeFile(at("bad.zip"), QByteArray("PK\x03\x04", 4) + QByteArray(100, '\x11')));
        QStringList many;
        for (int i = 0; i < 3000; ++i) {
            many << QStringLiteral("many/f%1.bin").arg(i);
            QVERIFY(writeFile(m_src + "/" + many.last(), test::noise(4096, quint32(i))));
        }
        tool("7z", QStringList{"a", "-bd", "-y", "-mx=1", "-ms=off", at("big.7z")} + many);
    }

    void destinations_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("folder");  // typed into the dialog; empty keeps the proposal
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QStringList>("written");

        const QStringList all{"DOCS/ONE.TXT", "DOCS/TWO.TXT", "TOP.TXT"};
        QTest::newRow("to folder, zip") << "folder" << "a.zip" << "" << "a" << all;
        QTest::newRow("to folder, tar.gz drops one extension") << "folder" << "c.tar.gz" << "" << "c.tar" << all;
        QTest::newRow("here, a folder of a 7z") << "here" << "b.7z/DOCS" << "" << "." << QStringList{"DOCS/ONE.TXT", "DOCS/TWO.TXT"};
        QTest::newRow("to..., proposal kept") << "to" << "d.iso/TOP.TXT" << "" << "d" << QStringList{"TOP.TXT"};
        QTest::newRow("to..., new nested folder") << "to" << "a.zip/DOCS/TWO.TXT" << "typed/deeper" << "typed/deeper"
                                                  << QStringList{"DOCS/TWO.TXT"};
    }

    void destinations()
    {
        QFETCH(QString, command);
        QFETCH(QString, selected);
        QFETCH(QString, folder);
        QFETCH(QString, destination);
        QFETCH(QStringList, written);
        QTemporaryDir drive;
        for (const QString &name : QDir(m_drive).entryList(QDir::Files))
            QVERIFY(QFile::copy(at(name), drive.path() + '/' + name));
        CArchiveService archives;
        archives.layer().SetArchiveExtensions({"ZIP", "7Z", "GZ", "ISO"});
        CBusyFlags busy;
        QWidget window;
        CExtractionCommands commands(archives, busy, &window);
        ScriptedPrompter prompts;
        const QString path = drive.path() + '/' + selected;
        bool done = false;
        if (command == "folder") {
            done = commands.ExtractToFolder(path);
        } else if (command == "here") {
            done = commands.ExtractHere(path);
        } else {
            onNextDialog([&](QDialog &dialog) {
                acceptWithFolder(dialog, folder.isEmpty() ? QString() : drive.path() + '/' + folder, false);
            });
            done = commands.ExtractTo(path);
        }
        QVERIFY2(done, qPrintable(prompts.texts().join('\n')));
        QCOMPARE(prompts.texts(), QStringList());
        const QString target = QDir::cleanPath(drive.path() + '/' + destination);
        const Files files = filesBelow(target);
        for (const QString &name : written)
            QVERIFY2(files.contains(name), qPrintable(QStringList(files.keys()).join(' ')));
        if (files.contains("DOCS/TWO.TXT"))
            QCOMPARE(files.value("DOCS/TWO.TXT"), QByteArray("two two"));
        QVERIFY(!busy.isRunning(CBusyFlags::Unpack));
    }

    void batches_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("separate");
        QTest::addColumn<bool>("conflicts");  // the destination already holds the files
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("written");

        QTest::newRow("three of one archive, yes to all once")
            << QStringList{"a.zip/DOCS/ONE.TXT", "a.zip/DOCS/TWO.TXT", "a.zip/TOP.TXT"} << false << true
            << QStringList{"replace"} << QStringList{"DOCS/ONE.TXT", "DOCS/TWO.TXT", "TOP.TXT"};
        QTest::newRow("the answer crosses archives")
            << QStringList{"a.zip/DOCS/ONE.TXT", "b.7z/DOCS/TWO.TXT", "d.iso/TOP.TXT"} << false << true
            << QStringList{"replace"} << QStringList{"DOCS/ONE.TXT", "DOCS/TWO.TXT", "TOP.TXT"};
        QTest::newRow("separate folders")
            << QStringList{"a.zip/TOP.TXT", "b.7z/DOCS"} << true << false << QStringList{}
            << QStringList{"a.zip/TOP.TXT", "b.7z/DOCS/ONE.TXT", "b.7z/DOCS/TWO.TXT"};
        QTest::newRow("a bad archive in the middle")
            << QStringList{"a.zip/TOP.TXT", "bad.zip/x", "b.7z/DOCS/ONE.TXT"} << false << false
            << QStringList{"Cannot open the archive."} << QStringList{"TOP.TXT", "DOCS/ONE.TXT"};
        QTest::newRow("a path in no archive is passed over")
            << QStringList{"nowhere/x.txt", "a.zip/TOP.TXT"} << false << false << QStringList{} << QStringList{"TOP.TXT"};
    }

    void batches()
    {
        QFETCH(QStringList, items);
        QFETCH(bool, separate);
        QFETCH(bool, conflicts);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, written);
        CArchiveService archives;
        archives.layer().SetArchiveExtensions({"ZIP", "7Z", "ISO"});
        CBusyFlags busy;
        QWidget window;
        CExtractionCommands commands(archives, busy, &window);
        QTemporaryDir out;
        if (conflicts) {
            for (const QString &name : written)
                QVERIFY(writeFile(out.path() + '/' + name, "old"));
        }
        ScriptedPrompter prompts;
        prompts.queueReplaceAnswer(ReplaceAnswer::YesToAll);
        QStringList paths;
        for (const QString &item : items)
            paths << at(item);
        onNextDialog([&](QDialog &dialog) { acceptWithFolder(dialog, out.path(), separate); });
        const bool done = commands.ExtractChecked(paths);

        QStringList said;
        for (const ScriptedPrompter::Record &record : prompts.records())
            said << (record.kind == ScriptedPrompter::Record::Replace ? QStringLiteral("replace") : record.text);
        QCOMPARE(said, texts);
        QCOMPARE(done, !texts.contains("Cannot open the archive."));
        const Files files = filesBelow(out.path());
        QCOMPARE(files.keys(), [&] { QStringList sorted = written; sorted.sort(); return sorted; }());
        QVERIFY(!files.values().contains("old"));
    }

    // A single extraction stops when its folder cannot be made; a batch says so and still tries the item.
    void destinationCannotBeMade()
    {
        QTemporaryDir drive;
        QVERIFY(QFile::copy(at("a.zip"), drive.path() + "/a.zip"));
        QVERIFY(writeFile(drive.path() + "/a", "a file where the folder would go"));
        CArchiveService archives;
        CBusyFlags busy;
        QWidget window;
        CExtractionCommands commands(archives, busy, &window);
        ScriptedPrompter prompts;
        QVERIFY(!commands.ExtractToFolder(drive.path() + "/a.zip"));
        QCOMPARE(prompts.texts(), QStringList{"Cannot create the folder:\n\n" + drive.path() + "/a"});
        QCOMPARE(prompts.records().front().icon, MsgIcon::Error);

        prompts.clear();
        QVERIFY(writeFile(drive.path() + "/out/a.zip", "blocks the separate folder"));
        onNextDialog([&](QDialog &dialog) { acceptWithFolder(dialog, drive.path() + "/out", true); });
        QVERIFY(!commands.ExtractChecked({drive.path() + "/a.zip/TOP.TXT"}));
        const auto &records = prompts.records();
        QVERIFY(records.size() >= 2);
        QCOMPARE(records.front().text, "Cannot create the folder:\n\n" + drive.path() + "/out/a.zip");
        QCOMPARE(records.front().icon, MsgIcon::Information);
        QCOMPARE(records.back().text, QStringLiteral("Cannot unpack the file TOP.TXT."));
    }

    void stopDuringALargeExtraction()
    {
        CArchiveService archives;
        archives.layer().SetArchiveExtensions({"7Z"});
        CBusyFlags busy;
        QWidget window;
        CExtractionCommands commands(archives, busy, &window);
        QTemporaryDir out;
        QVERIFY(QFile::copy(at("big.7z"), out.path() + "/big.7z"));
        ScriptedPrompter prompts;
        prompts.queueMessageAnswer(MsgAnswer::Yes);
        bool flagged = false;
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, this, [&] {
            const auto *progress = window.findChild<CUnpackProgress *>();
            if (!progress || !progress->isVisible() || QDir(out.path() + "/many").isEmpty())
                return;
            flagged = busy.isRunning(CBusyFlags::Unpack);
            stopper.stop();
            progress->findChild<QPushButton *>("stopButton")->click();
        });
        stopper.start(0);
        QVERIFY(!commands.ExtractHere(out.path() + "/big.7z"));
        QVERIFY(flagged);
        QVERIFY(!busy.isRunning(CBusyFlags::Unpack));
        QVERIFY(!window.findChild<CUnpackProgress *>());
        QCOMPARE(prompts.texts(), (QStringList{"Interrupt the unpack?", "Cannot unpack the archive " + out.path() + "/big.7z."}));
        const qsizetype written = QDir(out.path() + "/many").entryList(QDir::Files).size();
        QVERIFY2(written > 0 && written < 3000, qPrintable(QString::number(written)));
    }

    void properties_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("files");
        QTest::addColumn<bool>("hasMethod");

        QTest::newRow("zip file") << "a.zip/DOCS/TWO.TXT" << false << "7 bytes" << "" << true;
        QTest::newRow("zip folder") << "a.zip/DOCS" << true << "10 bytes" << "2" << false;
        QTest::newRow("7z file") << "b.7z/TOP.TXT" << false << "9 bytes" << "" << false;
        QTest::newRow("7z folder") << "b.7z/DOCS" << true << "10 bytes" << "2" << false;
        QTest::newRow("iso file") << "d.iso/TOP.TXT" << false << "9 bytes" << "" << false;
        QTest::newRow("iso folder") << "d.iso/DOCS" << true << "10 bytes" << "2" << false;
    }

    void properties()
    {
        QFETCH(QString, item);
        QFETCH(bool, folder);
        QFETCH(QString, size);
        QFETCH(QString, files);
        QFETCH(bool, hasMethod);
        CArchiveAccess access;
        access.SetArchiveExtensions({"ZIP", "7Z", "ISO"});
        const std::optional<ArchiveItemProperties> properties = ReadItemProperties(access, at(item));
        QVERIFY(properties);
        QCOMPARE(properties->folder, folder);
        QCOMPARE(properties->name, item.section('/', -1));
        QCOMPARE(properties->location, at(item.section('/', 0, -2)));
        QCOMPARE(properties->size, size);
        QCOMPARE(properties->files, files);
        QCOMPARE(properties->folders, folder ? "0" : "");
        QCOMPARE(properties->method.isEmpty(), !hasMethod);
        // The whole date and time, not only the date.
        if (!folder)
            QVERIFY2(properties->modified.contains(':'), qPrintable(properties->modified));
        QVERIFY(!ReadItemProperties(access, at("bad.zip/x")));
    }

    void valuesCutByLabel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("value");

        const QString file = "Modified - 8. Dez. 2026, 10:11:12, Size - 1 234 bytes, Packed - 99 bytes, Ratio - 8%, "
                             "CRC - 0a1b2c3d, Compression method - Deflate, Normal";
        QTest::newRow("date and time with commas") << file << "Modified" << "8. Dez. 2026, 10:11:12";
        QTest::newRow("middle") << file << "Packed" << "99 bytes";
        QTest::newRow("last runs to the end") << file << "Compression method" << "Deflate, Normal";
        QTest::newRow("missing label") << file << "Files" << "";
        QTest::newRow("folder text") << "Files - 2, Folders - 0, Size - 10 bytes" << "Folders" << "0";
        QTest::newRow("label inside another value") << "Modified - Size - 3, Size - 4 bytes" << "Size" << "4 bytes";
    }

    void valuesCutByLabel()
    {
        QFETCH(QString, text);
        QFETCH(QString, label);
        QTEST(valueOfLabel(text, label), "value");
    }
};

QTEST_MAIN(TestExtractionCommands)
#include "tst_extractioncommands.moc"
