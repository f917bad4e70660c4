#include "isotestsupport.h"

#include "platform/events.h"
#include "platform/numbers.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "unpack/iso/isounpacker.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

using namespace orv;
using namespace orv::test;

namespace {

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 13) ^ (i >> 9));
    return bytes;
}

const std::vector<UdfFile> &treeFiles()
{
    static const std::vector<UdfFile> files{{QStringLiteral("top.txt"), "top"},
                                            {QStringLiteral("d/a.txt"), "aaa"},
                                            {QStringLiteral("d/e/b.bin"), pattern(700000)},
                                            {QStringLiteral("d/empty"), QByteArray()},
                                            {QStringLiteral("d/f/"), {}}};
    return files;
}

// Everything below a folder: files as "path size", folders as "path/", sorted.
QStringList written(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString relative = QDir(root).relativeFilePath(it.filePath());
        entries << (it.fileInfo().isDir() ? relative + u'/' : QStringLiteral("%1 %2").arg(relative).arg(it.fileInfo().size()));
    }
    entries.sort();
    return entries;
}

// Asks to stop as soon as the first progress of a file arrives.
class StoppingProgress : public QObject
{
protected:
    bool event(QEvent *e) override
    {
        if (e->type() == Ev::type(Ev::UnpackProgress)) {
            postOrvEvent(this, Ev::UnpackStop);
            return true;
        }
        return QObject::event(e);
    }
};

}  // namespace

// What only this reader does when it writes files: the current item under a new name, the stop request in
// the middle of a file, data beyond the end of the image; and its one-line texts.
class TestIsoExtract : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_udf;
    QString m_iso;

private slots:
    void initTestCase();
    void currentItemUnderANewName();
    void stopRequestDeletesThePartialFile();
    void dataBeyondTheImageFails();
    void texts();
};

void TestIsoExtract::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_udf = m_dir.path() + QStringLiteral("/tree.udf");
    QVERIFY(writeFile(m_udf, buildUdf(treeFiles())));
    IsoBuilder b(40);
    b.primaryVolume(16, 20, 2048);
    std::vector<IsoRecord> root = dots(20, 20);
    root.push_back({"DATA.BIN;1", 30, 9000, 0, {124, 5, 17, 10, 20, 30}});
    root.push_back({"EMPTY.;1", 0, 0, 0, {124, 5, 17, 10, 20, 30}});
    b.directory(20, root);
    b.bytes(30 * 2048, pattern(9000));
    m_iso = m_dir.path() + QStringLiteral("/small.iso");
    QVERIFY(writeFile(m_iso, b.image()));
}

// The ISO reader writes the current item under the last component of the name it is given.
void TestIsoExtract::currentItemUnderANewName()
{
    CIsoUnpacker unpacker;
    QVERIFY(unpacker.OpenArchive(m_udf));
    QTemporaryDir out;
    QVERIFY(unpacker.LocateFile(QStringLiteral("d/a.txt")) && unpacker.UnpackCurrentFile(QStringLiteral("x/renamed"), out.path()));
    QCOMPARE(written(out.path()), QStringList{"renamed 3"});
}

void TestIsoExtract::stopRequestDeletesThePartialFile()
{
    ScriptedPrompter prompter;
    prompter.queueMessageAnswer(MsgAnswer::Yes);
    StoppingProgress progress;
    CIsoUnpacker unpacker;
    unpacker.SetHandleDialogProgress(&progress);
    QVERIFY(unpacker.OpenArchive(m_udf));
    QTemporaryDir out;
    QVERIFY(!unpacker.UnpackFolder(QStringLiteral("d/e"), out.path()));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Interrupt the unpack?")});
    QCOMPARE(written(out.path()), (QStringList{"d/", "d/e/"}));
}

void TestIsoExtract::dataBeyondTheImageFails()
{
    QByteArray image = readFile(m_iso);
    image.truncate(30 * 2048 + 5000);
    const QString cut = m_dir.path() + QStringLiteral("/cut.iso");
    QVERIFY(writeFile(cut, image));
    CIsoUnpacker unpacker;
    QVERIFY(unpacker.OpenArchive(cut));
    QTemporaryDir out;
    QVERIFY(!unpacker.UnpackFile(QStringLiteral("DATA.BIN"), out.path()));
    QVERIFY(unpacker.UnpackFile(QStringLiteral("EMPTY"), out.path()));
    QCOMPARE(written(out.path()), QStringList{"EMPTY 0"});
}

void TestIsoExtract::texts()
{
    CIsoUnpacker iso;
    QVERIFY(iso.OpenArchive(m_iso));
    ISOFILEFULLINFO info;
    QVERIFY(iso.LocateFile(QStringLiteral("data.bin")) && iso.GetFileFullInfo(info));
    QCOMPARE(iso.GetFileOutputInfo(QStringLiteral("DATA.BIN")),
             QStringLiteral("Modified - %1, Size - 9 000 bytes, Packed - 9 000 bytes, Ratio - 100%").arg(localTimeText(info.tModified)));
    QVERIFY(iso.GetFileOutputInfo(QStringLiteral("EMPTY")).endsWith(QLatin1String("Ratio - 0%")));
    QCOMPARE(iso.GetFileOutputInfo(QStringLiteral("missing")), QString());
    QCOMPARE(iso.GetArchiveOutputInfo(), QStringLiteral("Files - 2, Folders - 0, Size - 9 000 bytes, Packed - 9 000 bytes, Ratio - 100%"));

    CIsoUnpacker udf;
    QVERIFY(udf.OpenArchive(m_udf));
    QVERIFY(udf.LocateFile(QStringLiteral("d/a.txt")) && udf.GetFileFullInfo(info));
    QCOMPARE(info.nPackSize, std::uint64_t(2048));
    QCOMPARE(udf.GetFileOutputInfo(QStringLiteral("d/a.txt")),
             QStringLiteral("Modified - %1, Accessed - %2, Size - 3 bytes, Packed - 2 048 bytes, Ratio - 68266%")
                 .arg(localTimeText(info.tModified), localTimeText(info.tAccessed)));
    QCOMPARE(udf.GetFolderOutputInfo(QStringLiteral("d")),
             QStringLiteral("Files - 3, Folders - 2, Size - 700 003 bytes, Packed - 702 464 bytes, Ratio - 100%"));
    QVERIFY(udf.IsFolder(QStringLiteral("D/E")));
    QVERIFY(!udf.IsFolder(QStringLiteral("e")));
    QVERIFY(!udf.IsFolder(QStringLiteral("d/a.txt")));
}

QTEST_GUILESS_MAIN(TestIsoExtract)
#include "tst_isoextract.moc"
