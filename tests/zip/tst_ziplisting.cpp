#include "platform/numbers.h"
#include "platform/prompts.h"
#include "tests/support/cursorwalk.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"
#include "tests/zip/zipfixtures.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace orv;
using namespace orv::test;

namespace {

struct Listed
{
    QString path;
    quint64 size;
    qint64 modified;
    bool folder;
    bool operator==(const Listed &) const = default;
};

QString describe(const std::vector<Listed> &items)
{
    QStringList lines;
    for (const Listed &item : items)
        lines << QStringLiteral("%1 %2 %3 %4").arg(item.path).arg(item.size).arg(item.modified).arg(item.folder);
    return lines.join(QLatin1Char('\n'));
}

// GNU tar's own verbose listing is the reference for paths, sizes and times.
std::vector<Listed> tarReference(const QString &archive)
{
    const ToolRun tar = runTool(QStringLiteral("tar"), {QStringLiteral("--full-time"), QStringLiteral("-tvf"), archive});
    if (!tar.ok())
        return {};
    static const QRegularExpression line(
        QStringLiteral(R"(^(\S)\S*\s+\S+\s+(\d+)\s+(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)\s+(.*)$)"));
    std::vector<Listed> items;
    for (const QString &text : QString::fromUtf8(tar.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            return {};
        QString path = match.captured(4);
        if (path.endsWith(QLatin1Char('/')))
            path.chop(1);
        QDateTime time = QDateTime::fromString(match.captured(3), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        time.setTimeZone(QTimeZone::utc());
        items.push_back({path, match.captured(2).toULongLong(), time.toSecsSinceEpoch(),
                         match.captured(1) == QLatin1String("d")});
    }
    return items;
}

std::vector<Listed> listed(const std::vector<TARFILEFULLINFO> &records, std::size_t from)
{
    std::vector<Listed> items;
    for (std::size_t i = from; i < records.size(); ++i)
        items.push_back({records[i].strPath, records[i].nSize, records[i].tModified, records[i].bFolder != 0});
    return items;
}

qint64 fixtureTime()
{
    return QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8), QTimeZone::utc()).toSecsSinceEpoch();
}

QByteArray damaged(const QByteArray &original, QRandomGenerator &random)
{
    QByteArray bytes = original;
    if (bytes.isEmpty())
        return bytes;
    switch (random.bounded(3)) {
    case 0:
        bytes.truncate(random.bounded(bytes.size()));
        break;
    case 1:
        for (int i = 0, flips = 1 + random.bounded(8); i < flips; ++i)
            bytes[random.bounded(bytes.size())] = static_cast<char>(random.bounded(256));
        break;
    default: {
        const int at = random.bounded(bytes.size());
        for (int i = at; i < qMin<int>(bytes.size(), at + 600); ++i)
            bytes[i] = static_cast<char>(random.bounded(256));
    }
    }
    return bytes;
}

}  // namespace

class TestZipListing : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ZipFixtures> m_fixtures;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fixtures = std::make_unique<ZipFixtures>(m_dir.path());
        QVERIFY(m_fixtures->isValid());
    }

    void listingMatchesTar_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QStringList>("implied");
        QTest::newRow("tar") << "a.tar" << QStringList{};
        QTest::newRow("tar.gz") << "a.tar.gz" << QStringList{};
        QTest::newRow("tgz") << "a.tgz" << QStringList{};
        QTest::newRow("tar.bz2") << "a.tar.bz2" << QStringList{};
        QTest::newRow("tar.xz") << "a.tar.xz" << QStringList{};
        QTest::newRow("tar without folder headers") << "nodirs.tar" << QStringList{"docs", "docs/sub"};
    }

    void listingMatchesTar()
    {
        QFETCH(QString, archive);
        QFETCH(QStringList, implied);
        const QString path = m_fixtures->path(archive);
        const ZipKind kind = kindOfName(archive);
        auto unpacker = makeUnpacker(kind);
        QVERIFY2(unpacker->OpenArchive(path), qPrintable(unpacker->GetLastErrorText()));
        const std::vector<TARFILEFULLINFO> records = fullRecords<TARFILEFULLINFO>(*unpacker);
        const bool compressed = kind != ZipKind::Tar;
        QCOMPARE(unpacker->IsTarInside(), compressed);
        std::vector<Listed> expected = tarReference(path);
        QVERIFY(!expected.empty());
        for (const QString &folder : implied)
            expected.push_back({folder, 0, QFileInfo(path).lastModified().toSecsSinceEpoch(), true});
        QCOMPARE(describe(listed(records, compressed ? 1 : 0)), describe(expected));
        if (compressed) {
            QCOMPARE(records.front().strPath, QStringLiteral("a.tar"));
            QCOMPARE(records.front().nSize, quint64(QFileInfo(m_fixtures->path("a.tar")).size()));
            QCOMPARE(records.front().nPackSize, quint64(QFileInfo(path).size()));
            QCOMPARE(records.front().bFolder, 0);
        }
    }

    void singleCompressedFile_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("timeFromHeader");
        QTest::newRow("gzip with stored name") << "note.txt.gz" << "note.txt" << true;
        QTest::newRow("gzip without stored name") << "renamed.gz" << "renamed" << false;
        QTest::newRow("bzip2") << "note.txt.bz2" << "note.txt" << false;
        QTest::newRow("xz") << "note.txt.xz" << "note.txt" << false;
    }

    void singleCompressedFile()
    {
        QFETCH(QString, archive);
        QFETCH(QString, name);
        QFETCH(bool, timeFromHeader);
        const QString path = m_fixtures->path(archive);
        auto unpacker = makeUnpacker(kindOfName(archive));
        QVERIFY2(unpacker->OpenArchive(path), qPrintable(unpacker->GetLastErrorText()));
        QVERIFY(!unpacker->IsTarInside());
        const std::vector<TARFILEFULLINFO> records = fullRecords<TARFILEFULLINFO>(*unpacker);
        QCOMPARE(records.size(), std::size_t(1));
        const TARFILEFULLINFO &item = records.front();
        QCOMPARE(item.strPath, name);
        QCOMPARE(item.strName, name);
        QCOMPARE(item.nSize, quint64(QFileInfo(m_fixtures->path("note.txt")).size()));
        QCOMPARE(item.nPackSize, quint64(QFileInfo(path).size()));
        const qint64 expectedTime =
            timeFromHeader ? fixtureTime() : QFileInfo(path).lastModified().toSecsSinceEpoch();
        QCOMPARE(item.tModified, expectedTime);
        QCOMPARE(item.dwDosDateTime, secondsToDosDateTime(expectedTime));
    }

    void cursorKeepsTheLastItem()
    {
        auto unpacker = makeUnpacker(ZipKind::Tar);
        QVERIFY(unpacker->OpenArchive(m_fixtures->path("a.tar")));
        QVERIFY(unpacker->FindFile());
        int steps = 1;
        while (unpacker->FindNextFileW())
            ++steps;
        QCOMPARE(steps, int(tarReference(m_fixtures->path("a.tar")).size()));
        TARFILEFULLINFO last;
        QVERIFY(unpacker->GetFileFullInfo(last));
        QVERIFY(!unpacker->FindNextFileW());
        TARFILEFULLINFO again;
        QVERIFY(unpacker->GetFileFullInfo(again));
        QCOMPARE(again.strPath, last.strPath);

        const QString emptyTar = m_fixtures->path("empty.tar");
        QVERIFY(runTool(QStringLiteral("tar"), {QStringLiteral("-cf"), emptyTar, QStringLiteral("-T"), QStringLiteral("/dev/null")}).ok());
        QVERIFY(unpacker->OpenArchive(emptyTar));
        QVERIFY(!unpacker->FindFile());
        QVERIFY(!unpacker->GetFileFullInfo(again));
    }

    void texts_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected");
        const QString time = localTimeText(fixtureTime());
        const auto packed = [this](const char *name) {
            const quint64 size = quint64(QFileInfo(m_fixtures->path(name)).size());
            return QStringLiteral(", Packed - %1 bytes, Ratio - %2%")
                .arg(formatNumber64(size))
                .arg(ratioPercent(size, 300018));
        };
        const QString contents = QStringLiteral("Files - 4, Folders - 3, Size - 300 018 bytes");
        QTest::newRow("tar archive") << "a.tar" << "archive" << "" << contents;
        QTest::newRow("gzip archive") << "a.tar.gz" << "archive" << "" << contents + packed("a.tar.gz");
        QTest::newRow("xz archive") << "a.tar.xz" << "archive" << "" << contents + packed("a.tar.xz");
        QTest::newRow("folder") << "a.tar" << "folder" << "docs" << "Files - 2, Folders - 1, Size - 300 008 bytes";
        QTest::newRow("implied folder") << "nodirs.tar" << "folder" << "docs"
                                        << "Files - 2, Folders - 1, Size - 300 008 bytes";
        QTest::newRow("file") << "a.tar" << "file" << "docs/readme.txt"
                              << QStringLiteral("Modified - %1, Size - 8 bytes").arg(time);
        QTest::newRow("file under the tar's name") << "a.tgz" << "file" << "a.tar/DOCS/readme.txt"
                                                   << QStringLiteral("Modified - %1, Size - 8 bytes").arg(time);
        QTest::newRow("unknown file") << "a.tar" << "file" << "docs/nothing" << "";
        QTest::newRow("folder is no file") << "a.tar" << "file" << "docs" << "";
        const quint64 noteSize = quint64(QFileInfo(m_fixtures->path("note.txt")).size());
        const quint64 notePacked = quint64(QFileInfo(m_fixtures->path("note.txt.gz")).size());
        QTest::newRow("compressed file")
            << "note.txt.gz" << "file" << "note.txt"
            << QStringLiteral("Modified - %1, Size - %2 bytes, Packed - %3 bytes, Ratio - %4%")
                   .arg(time, formatNumber64(noteSize), formatNumber64(notePacked))
                   .arg(ratioPercent(notePacked, noteSize));
        QTest::newRow("is folder") << "a.tar" << "isfolder" << "docs/sub" << "1";
        QTest::newRow("is folder, other case") << "a.tar.bz2" << "isfolder" << "DOCS/SUB" << "1";
        QTest::newRow("is folder under the tar's name") << "a.tar.gz" << "isfolder" << "a.tar/docs" << "1";
        QTest::newRow("part of a name is no folder") << "a.tar" << "isfolder" << "doc" << "0";
        QTest::newRow("file is no folder") << "a.tar" << "isfolder" << "top.txt" << "0";
        QTest::newRow("implied folder is a folder") << "nodirs.tar" << "isfolder" << "docs/sub" << "1";
    }

    void texts()
    {
        QFETCH(QString, archive);
        QFETCH(QString, call);
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        auto unpacker = makeUnpacker(kindOfName(archive));
        QVERIFY(unpacker->OpenArchive(m_fixtures->path(archive)));
        QString actual;
        if (call == QLatin1String("archive"))
            actual = unpacker->GetArchiveOutputInfo();
        else if (call == QLatin1String("folder"))
            actual = unpacker->GetFolderOutputInfo(argument);
        else if (call == QLatin1String("file"))
            actual = unpacker->GetFileOutputInfo(argument);
        else
            actual = unpacker->IsFolder(argument) ? QStringLiteral("1") : QStringLiteral("0");
        QCOMPARE(actual, expected);
    }

    void badInputFailsWithAText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("script");
        const QString garbage = QStringLiteral("head -c 20000 /dev/urandom > bad");
        QTest::newRow("garbage as tar") << "bad" << int(ZipKind::Tar) << garbage;
        QTest::newRow("garbage as gzip") << "bad" << int(ZipKind::GZip) << garbage;
        QTest::newRow("garbage as bzip2") << "bad" << int(ZipKind::BZip2) << garbage;
        QTest::newRow("garbage as xz") << "bad" << int(ZipKind::Xz) << garbage;
        QTest::newRow("truncated tar.gz") << "bad" << int(ZipKind::GZip) << "head -c 30000 a.tar.gz > bad";
        QTest::newRow("truncated gzip") << "bad" << int(ZipKind::GZip) << "head -c 2000 note.txt.gz > bad";
        QTest::newRow("truncated xz") << "bad" << int(ZipKind::Xz) << "head -c 30000 a.tar.xz > bad";
        QTest::newRow("gzip read as xz") << "a.tar.gz" << int(ZipKind::Xz) << "true";
        QTest::newRow("plain text read as gzip") << "note.txt" << int(ZipKind::GZip) << "true";
        QTest::newRow("truncated tar") << "bad" << int(ZipKind::Tar) << "head -c 5000 a.tar > bad";
        // The size field of the first header claims 64 GiB; the checksum is made to match again.
        QTest::newRow("tar with a huge size field")
            << "bad" << int(ZipKind::Tar)
            << "/usr/bin/python3 -c \"import io,tarfile;b=io.BytesIO();t=tarfile.open(fileobj=b,mode='w');"
               "i=tarfile.TarInfo('x');d=b'abc';i.size=3;t.addfile(i,io.BytesIO(d));t.close();h=bytearray(b.getvalue());"
               "h[124:136]=b'77777777777\\0';h[148:156]=b'        ';s=sum(h[0:512]);h[148:156]=b'%06o\\0 '%s;"
               "open('bad','wb').write(bytes(h))\"";
    }

    void badInputFailsWithAText()
    {
        QFETCH(QString, file);
        QFETCH(int, kind);
        QFETCH(QString, script);
        QVERIFY(runTool(QStringLiteral("sh"), {QStringLiteral("-c"), script}, m_dir.path()).ok());
        auto unpacker = makeUnpacker(ZipKind(kind));
        QVERIFY(!unpacker->OpenArchive(m_fixtures->path(file)));
        QVERIFY(!unpacker->GetLastErrorText().isEmpty());
        QVERIFY(!unpacker->FindFile());
    }

    void outsideDecompressorsNeverStart_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QByteArray>("signature");
        // The signatures libarchive knows for compressions it decodes only by running the program named.
        QTest::newRow("lrzip as tar") << int(ZipKind::Tar) << "lrzip" << QByteArray("LRZI\x00\x06", 6);
        QTest::newRow("lzop as gzip") << int(ZipKind::GZip) << "lzop" << QByteArray("\x89LZO\x00\r\n\x1a\n", 9);
        QTest::newRow("grzip as xz") << int(ZipKind::Xz) << "grzip" << QByteArray("GRZipII\x00\x02\x04:)", 12);
    }

    // A crafted file must not start a program: a stand-in for it first on the search path would leave a mark.
    void outsideDecompressorsNeverStart()
    {
        QFETCH(int, kind);
        QFETCH(QString, program);
        QFETCH(QByteArray, signature);
        const QString bin = m_dir.filePath(QStringLiteral("bin"));
        const QString mark = m_dir.filePath(program + QStringLiteral(".started"));
        QVERIFY(writeFile(bin + u'/' + program, "#!/bin/sh\n: > '" + QFile::encodeName(mark) + "'\ncat > /dev/null\n"));
        QVERIFY(QFile::setPermissions(bin + u'/' + program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray searchPath = qgetenv("PATH");
        const auto restore = qScopeGuard([&searchPath] { qputenv("PATH", searchPath); });
        qputenv("PATH", QFile::encodeName(bin) + ':' + searchPath);
        const QString crafted = m_dir.filePath(QStringLiteral("crafted.") + program);
        QVERIFY(writeFile(crafted, signature + QByteArray(4096, '\0')));

        auto unpacker = makeUnpacker(ZipKind(kind));
        const bool opened = unpacker->OpenArchive(crafted);
        const QString error = unpacker->GetLastErrorText();
        unpacker.reset();
        QVERIFY(!QFile::exists(mark));
        QVERIFY(!opened);
        QVERIFY(!error.isEmpty());
    }

    void damagedFixturesNeverCrash()
    {
        ScriptedPrompter prompter;
        QRandomGenerator random(20240611);
        for (const QString &name : ZipFixtures::archiveNames()) {
            QFile original(m_fixtures->path(name));
            QVERIFY(original.open(QIODevice::ReadOnly));
            const QByteArray bytes = original.readAll();
            for (int round = 0; round < 25; ++round) {
                QTemporaryDir scratch;
                const QString path = scratch.filePath(name);
                QVERIFY(writeFile(path, damaged(bytes, random)));
                auto unpacker = makeUnpacker(kindOfName(name));
                // The command line's listing and the program's open read a damaged file alike: both list
                // the same number of items, or both fail.
                std::size_t streamed = 0;
                const zip::StreamResult stream =
                    unpacker->StreamEntries(path, false, [&streamed](const zip::StreamedItem &) { ++streamed; });
                const bool opened = unpacker->OpenArchive(path);
                if (stream != zip::StreamResult::NeedsOpen)
                    QCOMPARE(opened, stream == zip::StreamResult::Listed);
                if (!opened)
                    continue;
                const std::size_t listed = fullRecords<TARFILEFULLINFO>(*unpacker).size();
                if (stream == zip::StreamResult::Listed)
                    QCOMPARE(streamed, listed);
                unpacker->GetArchiveOutputInfo();
                unpacker->UnpackArchive(scratch.filePath(QStringLiteral("out")));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestZipListing)
#include "tst_ziplisting.moc"
