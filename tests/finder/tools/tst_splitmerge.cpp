#include "finder/tools/filemerger.h"
#include "finder/tools/filesplitter.h"
#include "platform/events.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace orv;
using orv::test::readFile;
using orv::test::writeFile;

Q_DECLARE_METATYPE(orv::ToolResult)
Q_DECLARE_METATYPE(orv::SplitRequest)

namespace {

// Stands in for the progress window: keeps the texts it is shown and, after the given number of chunks,
// presses "&Stop" (the stop event posted to itself, where the next pump delivers it).
class FakeProgress : public QObject
{
public:
    FakeProgress(int stopAfterChunk, QStringList &texts) : m_stopAfter(stopAfterChunk), m_texts(texts) {}

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != Ev::type(Ev::SplitMergeProgress))
            return QObject::event(event);
        const auto *progress = static_cast<const OrvEvent *>(event);
        if (!progress->text().isEmpty())
            m_texts << progress->text();
        else if (++m_chunks == m_stopAfter)
            postOrvEvent(this, Ev::SplitMergeStop);
        return true;
    }

private:
    int m_stopAfter;
    int m_chunks = 0;
    QStringList &m_texts;
};

struct Interrupt
{
    int afterChunk = 0;  // 0: nobody presses Stop
    bool yes = true;
};

QList<qint64> repeated(int count, qint64 size)
{
    return QList<qint64>(count, size);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::System, QDir::Name);
}

}  // namespace

Q_DECLARE_METATYPE(Interrupt)

class TestSplitMerge : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void split_data();
    void split();
    void merge_data();
    void merge();
};

void TestSplitMerge::split_data()
{
    QTest::addColumn<int>("sourceSize");
    QTest::addColumn<SplitRequest>("request");
    QTest::addColumn<QStringList>("existingParts");
    QTest::addColumn<Interrupt>("interrupt");
    QTest::addColumn<ToolResult>("result");
    QTest::addColumn<QList<qint64>>("partSizes");
    QTest::addColumn<QStringList>("messages");  // %1 is the destination folder

    const auto bySize = [](qint64 value, int unit) {
        SplitRequest r;
        r.mode = SplitRequest::SizeOfPart;
        r.sizeValue = value;
        r.unit = unit;
        return r;
    };
    const auto byCount = [](int parts) {
        SplitRequest r;
        r.mode = SplitRequest::NumberOfParts;
        r.parts = parts;
        return r;
    };
    const Interrupt none;
    const QStringList noMessage;
    const QStringList noParts;

    QTest::newRow("2500 bytes in parts of 1024") << 2500 << bySize(1024, 0) << noParts << none << ToolResult::Done
                                                << QList<qint64>{1024, 1024, 452} << noMessage;
    QTest::newRow("2048 bytes in parts of 1024: the empty third part goes again")
        << 2048 << bySize(1024, 0) << noParts << none << ToolResult::Done << QList<qint64>{1024, 1024} << noMessage;
    QTest::newRow("10 bytes in 3 parts") << 10 << byCount(3) << noParts << none << ToolResult::Done
                                        << QList<qint64>{4, 4, 2} << noMessage;
    QTest::newRow("10 bytes in 999 parts gives 10 of one byte")
        << 10 << byCount(999) << noParts << none << ToolResult::Done << repeated(10, 1) << noMessage;
    QTest::newRow("part numbers past 999 get a fourth digit")
        << 1001 * 1024 << bySize(1, 1) << noParts << none << ToolResult::Done << repeated(1001, 1024) << noMessage;
    QTest::newRow("512 Kbytes is accepted, chunks of 256 KiB fill it")
        << 1100000 << bySize(512, 1) << noParts << none << ToolResult::Done
        << QList<qint64>{524288, 524288, 51424} << noMessage;
    QTest::newRow("empty source leaves one empty part")
        << 0 << bySize(1024, 0) << noParts << none << ToolResult::Done << QList<qint64>{0} << noMessage;
    QTest::newRow("512 bytes refused") << 2500 << bySize(512, 0) << noParts << none << ToolResult::Failed
                                      << QList<qint64>{} << QStringList{"Part size may not be less than 1024 bytes."};
    QTest::newRow("0 Kbytes refused") << 2500 << bySize(0, 1) << noParts << none << ToolResult::Failed
                                     << QList<qint64>{} << QStringList{"Part size may not be less than 1024 bytes."};
    QTest::newRow("0 parts refused") << 2500 << byCount(0) << noParts << none << ToolResult::Failed
                                    << QList<qint64>{} << QStringList{"Number of parts may not be less than 1."};
    QTest::newRow("an existing first part stops before anything is written")
        << 2500 << bySize(1024, 0) << QStringList{"001"} << none << ToolResult::Failed << QList<qint64>{}
        << QStringList{"A file '%1/src.bin.001' already exists."};
    QTest::newRow("an existing later part stops there; the parts before it stay")
        << 5000 << bySize(1024, 0) << QStringList{"003"} << none << ToolResult::Failed
        << QList<qint64>{1024, 1024} << QStringList{"A file '%1/src.bin.003' already exists."};
    QTest::newRow("Yes to the interruption removes every part written")
        << 800000 << bySize(300000, 0) << noParts << Interrupt{2, true} << ToolResult::Interrupted
        << QList<qint64>{} << QStringList{"Interrupt the splitting?"};
    QTest::newRow("No to the interruption goes on")
        << 800000 << bySize(300000, 0) << noParts << Interrupt{1, false} << ToolResult::Done
        << QList<qint64>{300000, 300000, 200000} << QStringList{"Interrupt the splitting?"};
}

void TestSplitMerge::split()
{
    QFETCH(int, sourceSize);
    QFETCH(SplitRequest, request);
    QFETCH(QStringList, existingParts);
    QFETCH(Interrupt, interrupt);
    QFETCH(ToolResult, result);
    QFETCH(QList<qint64>, partSizes);
    QFETCH(QStringList, messages);

    QTemporaryDir dir;
    const QByteArray source = orv::test::noise(sourceSize, 7);
    request.source = dir.filePath("src.bin");
    request.destinationFolder = dir.filePath("out/new");
    QVERIFY(writeFile(request.source, source));
    for (const QString &suffix : existingParts)
        QVERIFY(writeFile(request.destinationFolder + "/src.bin." + suffix, "old"));

    ScriptedPrompter prompts;
    prompts.setDefaultMessageAnswer(interrupt.yes ? MsgAnswer::Yes : MsgAnswer::No);
    QStringList shown;
    CFileSplitter splitter;
    splitter.SetProgressFactory([&] { return std::make_unique<FakeProgress>(interrupt.afterChunk, shown); });
    QCOMPARE(splitter.Split(request), result);

    QStringList expectedMessages;
    for (const QString &message : messages)
        expectedMessages << QString(message).replace("%1", request.destinationFolder);
    QCOMPARE(prompts.texts(), expectedMessages);
    QByteArray joined;
    QStringList expectedFiles;
    for (int i = 0; i < partSizes.size(); ++i) {
        const QString name = QStringLiteral("src.bin.%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        const QByteArray part = readFile(request.destinationFolder + '/' + name);
        QCOMPARE(qint64(part.size()), partSizes[i]);
        joined += part;
        expectedFiles << name;
    }
    QCOMPARE(joined, source.left(joined.size()));
    for (const QString &suffix : existingParts) {
        expectedFiles << "src.bin." + suffix;
        QCOMPARE(readFile(request.destinationFolder + "/src.bin." + suffix), QByteArray("old"));
    }
    expectedFiles.sort();
    QCOMPARE(filesIn(request.destinationFolder), expectedFiles);
    if (result == ToolResult::Done && sourceSize > 0)
        QCOMPARE(shown.first(), QStringLiteral("Current recording part - src.bin.001 ..."));
}

void TestSplitMerge::merge_data()
{
    QTest::addColumn<QStringList>("sources");  // names below the folder, made with the sizes below
    QTest::addColumn<QList<int>>("sizes");     // -1: not made
    QTest::addColumn<QString>("destination");
    QTest::addColumn<Interrupt>("interrupt");
    QTest::addColumn<ToolResult>("result");
    QTest::addColumn<int>("joined");           // how many sources the destination holds; -1: no destination
    QTest::addColumn<QStringList>("messages"); // %1 is the folder

    const Interrupt none;
    QTest::newRow("three parts joined in list order")
        << QStringList{"c", "a", "b"} << QList<int>{300000, 5, 600000} << "out.bin" << none << ToolResult::Done << 3
        << QStringList{};
    QTest::newRow("empty parts give an empty destination")
        << QStringList{"a", "b"} << QList<int>{0, 0} << "out.bin" << none << ToolResult::Done << 2 << QStringList{};
    QTest::newRow("a missing part stops; what was joined stays")
        << QStringList{"a", "gone", "b"} << QList<int>{1000, -1, 1000} << "out.bin" << none << ToolResult::Failed
        << 1 << QStringList{"Cannot open file '%1/gone'."};
    QTest::newRow("a part that fails while read leaves no destination")
        << QStringList{"a", "/proc/self/mem"} << QList<int>{1000, -1} << "out.bin" << none << ToolResult::Failed
        << -1 << QStringList{"Cannot read file '/proc/self/mem'.\nInput/output error"};
    QTest::newRow("the destination among the parts is refused before it is touched")
        << QStringList{"a", "b"} << QList<int>{1000, 2000} << "b" << none << ToolResult::Failed << -2
        << QStringList{"The destination file '%1/b' is one of the files to merge."};
    QTest::newRow("a destination not made yet but listed as a part is refused")
        << QStringList{"a", "new"} << QList<int>{1000, -1} << "new" << none << ToolResult::Failed << -1
        << QStringList{"The destination file '%1/new' is one of the files to merge."};
    QTest::newRow("a link to a part as destination is refused")
        << QStringList{"a", "b"} << QList<int>{1000, 2000} << "link-to-a" << none << ToolResult::Failed << -2
        << QStringList{"The destination file '%1/link-to-a' is one of the files to merge."};
    QTest::newRow("a destination that cannot be made")
        << QStringList{"a"} << QList<int>{1000} << "no/such/folder/out.bin" << none << ToolResult::Failed << -1
        << QStringList{"Cannot create file '%1/no/such/folder/out.bin'."};
    QTest::newRow("Yes to the interruption removes the destination")
        << QStringList{"a", "b"} << QList<int>{600000, 600000} << "out.bin" << Interrupt{2, true}
        << ToolResult::Interrupted << -1 << QStringList{"Interrupt the merging?"};
    QTest::newRow("No to the interruption goes on")
        << QStringList{"a", "b"} << QList<int>{600000, 600000} << "out.bin" << Interrupt{4, false}
        << ToolResult::Done << 2 << QStringList{"Interrupt the merging?"};
}

// joined -2 means the destination is one of the parts and must be left as it was.
void TestSplitMerge::merge()
{
    QFETCH(QStringList, sources);
    QFETCH(QList<int>, sizes);
    QFETCH(QString, destination);
    QFETCH(Interrupt, interrupt);
    QFETCH(ToolResult, result);
    QFETCH(int, joined);
    QFETCH(QStringList, messages);

    QTemporaryDir dir;
    MergeRequest request;
    QList<QByteArray> contents;
    for (int i = 0; i < sources.size(); ++i) {
        const QString path = QDir::isAbsolutePath(sources[i]) ? sources[i] : dir.filePath(sources[i]);
        contents << orv::test::noise(qMax(sizes[i], 0), quint32(i + 1));
        if (sizes[i] >= 0)
            QVERIFY(writeFile(path, contents.last()));
        request.sources << path;
    }
    QVERIFY(QFile::link(dir.filePath("a"), dir.filePath("link-to-a")));
    request.destination = dir.filePath(destination);
    const QByteArray before = readFile(request.destination);

    ScriptedPrompter prompts;
    prompts.setDefaultMessageAnswer(interrupt.yes ? MsgAnswer::Yes : MsgAnswer::No);
    QStringList shown;
    CFileMerger merger;
    merger.SetProgressFactory([&] { return std::make_unique<FakeProgress>(interrupt.afterChunk, shown); });
    QCOMPARE(merger.Merge(request), result);

    QStringList expectedMessages;
    for (const QString &message : messages)
        expectedMessages << QString(message).replace("%1", dir.path());
    QCOMPARE(prompts.texts(), expectedMessages);
    if (joined == -2) {
        QCOMPARE(readFile(request.destination), before);
    } else if (joined == -1) {
        QVERIFY(!QFile::exists(request.destination));
    } else {
        QByteArray expected;
        for (int i = 0; i < joined; ++i)
            expected += contents[i];
        QCOMPARE(readFile(request.destination), expected);
    }
}

QTEST_GUILESS_MAIN(TestSplitMerge)
#include "tst_splitmerge.moc"
