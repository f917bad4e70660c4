#include "fakeunpacker.h"

#include "finder/archive/archiveaccess.h"
#include "finder/archive/archivelisting.h"
#include "finder/archive/customarchives.h"
#include "finder/archive/extraction.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace orv;
using orv::test::FakeWorld;

class TestArchiveAccess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString at(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    void make(const QString &relative, const QByteArray &bytes) { QVERIFY(test::writeFile(at(relative), bytes)); }

    static void configure(CArchiveAccess &access, const QStringList &extensions)
    {
        access.SetArchiveExtensions(extensions);
        access.SetCustomArchives({QStringLiteral("Sample kind#ABC=1"), QStringLiteral("Off kind#DEF=0"),
                                  QStringLiteral("Xz read as zip#xz=1")});
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        make("a.zip", "FAKE 1\n");
        make("b.zip", "FAKE 1\n");
        make("c.cab", "FAKE 2\n");
        make("bad.zip", "not an archive\n");
        make("x.tar.gz", "gz");
        make("s.abc", "custom");
        make("t.def", "custom off");
        make("u.xz", "xz");
        make("r.rar", "rar");
        make("archive.7z.001", "FAKE 10\n");
        make("sfx.exe", "FAKE 1\n");
        make("cab.exe", "FAKE 2 6\n");
        make("plain.exe", "MZ");
        make("README", "text");
        make("dir.zip/inner.txt", "text");
        QCOMPARE(::mkfifo(QFile::encodeName(at("fifo.exe")).constData(), 0600), 0);
    }

    void init() { FakeWorld::get().reset(); }

    void kindAndArchivePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("archive");

        QTest::newRow("archive itself") << "a.zip" << ArchiveKind::Zip << "a.zip";
        QTest::newRow("missing path inside") << "a.zip/docs/readme.txt" << ArchiveKind::Zip << "a.zip";
        QTest::newRow("trailing dot inside") << "a.zip/docs." << ArchiveKind::Zip << "a.zip";
        QTest::newRow("trailing separator") << "a.zip/" << ArchiveKind::Zip << "a.zip";
        QTest::newRow("compressed tar inside") << "x.tar.gz/x.tar/f" << ArchiveKind::GZip << "x.tar.gz";
        QTest::newRow("custom enabled") << "s.abc" << ArchiveKind::Custom << "s.abc";
        QTest::newRow("custom disabled") << "t.def" << ArchiveKind::None << "";
        QTest::newRow("custom before xz") << "u.xz/inner" << ArchiveKind::Custom << "u.xz";
        QTest::newRow("type not enabled") << "r.rar" << ArchiveKind::None << "";
        QTest::newRow("split set") << "archive.7z.001" << ArchiveKind::SevenZipVolumes << "archive.7z.001";
        QTest::newRow("self-extracting zip") << "sfx.exe/a.txt" << ArchiveKind::SelfExtractingZip << "sfx.exe";
        QTest::newRow("exe probes in list order") << "cab.exe" << ArchiveKind::Cab << "cab.exe";
        QTest::newRow("exe without archive") << "plain.exe" << ArchiveKind::None << "";
        QTest::newRow("pipe never probed") << "fifo.exe" << ArchiveKind::None << "";
        QTest::newRow("folder named like archive") << "dir.zip" << ArchiveKind::None << "";
        QTest::newRow("missing in such folder") << "dir.zip/missing.txt" << ArchiveKind::None << "";
        QTest::newRow("file in such folder") << "dir.zip/inner.txt" << ArchiveKind::None << "";
        QTest::newRow("no extension") << "README" << ArchiveKind::None << "";
        QTest::newRow("nothing exists") << "nowhere/deep/x.zip/y" << ArchiveKind::None << "";
    }

    void kindAndArchivePath()
    {
        QFETCH(QString, path);
        QFETCH(int, kind);
        QFETCH(QString, archive);
        CArchiveAccess access(test::createFake);
        configure(access, {"ZIP", "CAB", "7Z", "001", "GZ", "TAR", "XZ", "EXE"});
        QCOMPARE(access.GetArchiveKind(at(path)), kind);
        QCOMPARE(access.GetArchivePath(at(path)), archive.isEmpty() ? QString() : at(archive));
        if (QFileInfo(at(path)).isFile())
            QCOMPARE(access.IsArchiveFile(at(path)), kind != ArchiveKind::None && path == archive);
    }

    void selfExtractingProbeOrder_data()
    {
        QTest::addColumn<QStringList>("extensions");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("probes");

        QTest::newRow("cab listed first") << QStringList{"ZIP", "JAR", "CAB", "7Z", "EXE"} << ArchiveKind::Cab
                                          << QStringList{"OpenArchive 1 cab.exe", "OpenArchive 2 cab.exe"};
        QTest::newRow("7z listed first") << QStringList{"ZIP", "7Z", "CAB", "EXE"} << ArchiveKind::SevenZip
                                         << QStringList{"OpenArchive 1 cab.exe", "OpenArchive 6 cab.exe"};
        QTest::newRow("exe not enabled") << QStringList{"ZIP", "CAB"} << ArchiveKind::None << QStringList{};
    }

    void selfExtractingProbeOrder()
    {
        QFETCH(QStringList, extensions);
        QFETCH(int, kind);
        QFETCH(QStringList, probes);
        CArchiveAccess access(test::createFake);
        configure(access, extensions);
        QCOMPARE(access.GetArchiveKind(at("cab.exe")), kind);
        const QStringList opens = FakeWorld::get().log.filter(QStringLiteral("OpenArchive"));
        QCOMPARE(opens, probes);
    }

    void customEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("enabled");

        QTest::newRow("plain") << "Sample kind#ABC=1" << "ABC" << true;
        QTest::newRow("flag 0") << "Sample kind#ABC=0" << "ABC" << false;
        QTest::newRow("flag not exactly 1") << "Sample kind#ABC=1 " << "ABC" << false;
        QTest::newRow("flag 11") << "Sample kind#ABC=11" << "ABC" << false;
        QTest::newRow("lower-case extension") << "Sample#abc=1" << "ABC" << true;
        QTest::newRow("hash in description") << "C#-sources#CS=1" << "CS" << true;
        QTest::newRow("equals in description") << "a=b kind#QQ=1" << "QQ" << true;
        QTest::newRow("no hash") << "ABC=1" << "ABC" << false;
        QTest::newRow("no equals") << "Sample#ABC" << "ABC" << false;
    }

    void customEntries()
    {
        QFETCH(QString, entry);
        QFETCH(QString, extension);
        QFETCH(bool, enabled);
        QCOMPARE(isCustomArchiveEnabled({entry}, extension), enabled);
    }

    void unpackDispatchOrder_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("calls");

        const QStringList before{"SetHandleDialogProgress window", "SetWndFileTree null", "SetIni 1011"};
        QTest::newRow("file") << "a.zip/docs/x.txt"
                              << QStringList{"OpenArchive 1 a.zip", "IsFolder docs/x.txt"} + before
                                     + QStringList{"UnpackFile docs/x.txt", "CloseArchive"};
        QTest::newRow("folder") << "a.zip/docs/subdir"
                                << QStringList{"OpenArchive 1 a.zip", "IsFolder docs/subdir"} + before
                                       + QStringList{"UnpackFolder docs/subdir", "CloseArchive"};
        QTest::newRow("zip archive") << "a.zip" << QStringList{"OpenArchive 1 a.zip"} + before
                                                   + QStringList{"UnpackArchive", "CloseArchive"};
        QTest::newRow("cab archive scans first")
            << "c.cab" << QStringList{"OpenArchive 2 c.cab"} + before
                              + QStringList{"InitScan", "UnpackArchive", "CloseArchive"};
        QTest::newRow("split set") << "archive.7z.001/x"
                                   << QStringList{"OpenMultiVolumeArchive", "OpenArchive 10 archive.7z.001",
                                                  "IsFolder x"}
                                          + before + QStringList{"UnpackFile x", "CloseArchive"};
    }

    void unpackDispatchOrder()
    {
        QFETCH(QString, selected);
        QFETCH(QStringList, calls);
        ScriptedPrompter prompts;
        CArchiveAccess access(test::createFake);
        configure(access, {"ZIP", "CAB", "001"});
        access.SetUnpackIni(INIUNPACK{1, 0, 1, 1});
        QObject tree;
        QObject progress;
        access.SetWndFileTree(&tree);
        QVERIFY(CArchiveExtraction(access).ExtractPath(at(selected), at("out"), &progress));
        QCOMPARE(FakeWorld::get().log, calls);
    }

    void yesToAllCarry_data()
    {
        QTest::addColumn<bool>("batch");
        QTest::addColumn<int>("questions");
        QTest::newRow("batch carries the answer") << true << 1;
        QTest::newRow("separate extractions ask again") << false << 2;
    }

    void yesToAllCarry()
    {
        QFETCH(bool, batch);
        QFETCH(int, questions);
        ScriptedPrompter prompts;
        prompts.queueReplaceAnswer(ReplaceAnswer::YesToAll);
        CArchiveAccess access(test::createFake);
        CArchiveExtraction extraction(access);
        const QStringList items{at("a.zip/one.txt"), at("b.zip/two.txt")};
        if (batch) {
            QVERIFY(extraction.ExtractItems(items, at("out"), false, nullptr));
        } else {
            for (const QString &item : items)
                QVERIFY(extraction.ExtractPath(item, at("out"), nullptr));
        }
        QCOMPARE(prompts.records().size(), std::size_t(questions));
        QCOMPARE(FakeWorld::get().log.contains("SetIniYesToAll 1"), batch);
        QVERIFY(!access.IsYesToAllCarryOn());
    }

    void failureMessages_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("unpackSucceeds");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");

        QTest::newRow("open") << "bad.zip/x" << true << "Cannot open the archive." << "Error Opening Archive";
        QTest::newRow("file") << "a.zip/docs/x.txt" << false << "Cannot unpack the file docs/x.txt."
                              << "Error Unpacking File";
        QTest::newRow("folder") << "a.zip/docs/subdir" << false << "Cannot unpack the folder docs/subdir."
                                << "Error Unpacking Folder";
        QTest::newRow("archive") << "a.zip" << false << "Cannot unpack the archive %1." << "Error Unpacking Archive";
    }

    void failureMessages()
    {
        QFETCH(QString, selected);
        QFETCH(bool, unpackSucceeds);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        FakeWorld::get().unpackSucceeds = unpackSucceeds;
        FakeWorld::get().detail = QStringLiteral("never shown by the menu's extraction");
        ScriptedPrompter prompts;
        prompts.setDefaultReplaceAnswer(ReplaceAnswer::Yes);
        CArchiveAccess access(test::createFake);
        QVERIFY(!CArchiveExtraction(access).ExtractPath(at(selected), at("out"), nullptr));
        const auto &records = prompts.records();
        QVERIFY(!records.empty());
        const ScriptedPrompter::Record &last = records.back();
        QCOMPARE(last.text, text.contains(QLatin1String("%1")) ? text.arg(at("a.zip")) : text);
        QCOMPARE(last.caption, caption);
        QCOMPARE(last.icon, MsgIcon::Error);
        // A reader that did not open is never closed; an opened one always is.
        QCOMPARE(FakeWorld::get().log.contains("CloseArchive"), !selected.startsWith(QLatin1String("bad")));
    }

    void detailedText_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("withDetail");
        QTest::addColumn<bool>("suppressed");
        QTest::addColumn<QStringList>("texts");

        QTest::newRow("zip with detail") << ArchiveKind::Zip << true << false
                                         << QStringList{"Cannot open the archive.\n\nCentral directory damaged"};
        QTest::newRow("zip without detail") << ArchiveKind::Zip << false << false
                                            << QStringList{"Cannot open the archive."};
        QTest::newRow("custom kind is zip group") << ArchiveKind::Custom << true << false
                                                  << QStringList{"Cannot open the archive.\n\nCentral directory damaged"};
        QTest::newRow("gzip never detailed") << ArchiveKind::GZip << true << false
                                             << QStringList{"Cannot open the archive."};
        QTest::newRow("suppressed") << ArchiveKind::Zip << true << true << QStringList{};
    }

    void detailedText()
    {
        QFETCH(int, kind);
        QFETCH(bool, withDetail);
        QFETCH(bool, suppressed);
        QFETCH(QStringList, texts);
        FakeWorld::get().detail = QStringLiteral("Central directory damaged");
        ScriptedPrompter prompts;
        CArchiveAccess access(test::createFake);
        access.SetSuppressOpenErrors(suppressed);
        QVERIFY(!access.OpenArchiveOfKind(at("bad.zip"), kind));
        access.ShowOpenError(kind, withDetail);
        QCOMPARE(prompts.texts(), texts);
    }

    void kindsWithoutReader_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("none") << ArchiveKind::None;
        QTest::newRow("ace") << ArchiveKind::Ace;
        QTest::newRow("negative") << -1;
        QTest::newRow("unknown in range") << 50;
        QTest::newRow("above range") << 101;
    }

    void kindsWithoutReader()
    {
        QFETCH(int, kind);
        CArchiveAccess access(test::createFake);
        QVERIFY(!access.OpenArchiveOfKind(at("a.zip"), kind));
        QVERIFY(!access.IsFolderOfKind(QStringLiteral("dir"), kind));
        QVERIFY(!access.UnpackArchiveOfKind(at("out"), kind, nullptr, true));
        QVERIFY(!access.CloseArchiveOfKind(kind));
        QVERIFY(FakeWorld::get().log.isEmpty());
    }

    void operationsNeedTheOpenKind()
    {
        CArchiveAccess access(test::createFake);
        QVERIFY(access.OpenArchiveOfKind(at("a.zip"), ArchiveKind::Zip));
        QVERIFY(!access.IsFolderOfKind(QStringLiteral("subdir"), ArchiveKind::Jar));
        QVERIFY(!access.UnpackFileOfKind(QStringLiteral("x"), at("out"), ArchiveKind::Tar, nullptr, true));
        QVERIFY(access.IsFolderOfKind(QStringLiteral("subdir"), ArchiveKind::Zip));
        QVERIFY(access.CloseArchiveOfKind(ArchiveKind::Zip));
        QVERIFY(!access.CloseArchiveOfKind(ArchiveKind::Zip));
    }

    // What runs in a reader's event pump may come back to the layer; the reader the caller is inside stays.
    void readerInUseIsKept_data()
    {
        QTest::addColumn<bool>("duringUnpack");
        QTest::newRow("while an opened archive is held") << false;
        QTest::newRow("inside an unpack call") << true;
    }

    void readerInUseIsKept()
    {
        QFETCH(bool, duringUnpack);
        CArchiveAccess access(test::createFake);
        QStringList refusals;
        const auto reenter = [&] {
            if (access.OpenArchiveOfKind(at("b.zip"), ArchiveKind::Zip))
                refusals << "opened";
            if (access.CloseArchiveOfKind(ArchiveKind::Zip))
                refusals << "closed";
            if (access.StreamArchiveOfKind(at("b.zip"), ArchiveKind::Zip, TarNames::AsListed, {})
                != EntryStream::Failed)
                refusals << "streamed";
            if (access.CurrentArchivePath() != at("a.zip"))
                refusals << "reader changed";
        };
        {
            COpenedArchive archive = access.Open(at("a.zip"), ArchiveKind::Zip);
            QVERIFY(archive);
            if (duringUnpack) {
                FakeWorld::get().duringUnpack = reenter;
                QVERIFY(access.UnpackFileOfKind(QStringLiteral("x"), at("out"), ArchiveKind::Zip, nullptr, true));
            } else {
                reenter();
            }
            QCOMPARE(refusals, QStringList());
            QVERIFY(!archive->isFolder(QStringLiteral("x")));
        }
        FakeWorld::get().duringUnpack = {};
        QVERIFY(!access.IsReaderInUse());
        QCOMPARE(FakeWorld::get().log.count("CloseArchive"), 1);
        QVERIFY(access.OpenArchiveOfKind(at("b.zip"), ArchiveKind::Zip));
    }

    void listing_data()
    {
        QTest::addColumn<bool>("tarInside");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("as listed") << false << QStringList{"F 10240 a.tar", "D 0 docs", "D 0 docs/sub", "F 5 docs/x"};
        QTest::newRow("below the tar")
            << true << QStringList{"F 10240 a.tar", "D 0 a.tar/docs", "D 0 a.tar/docs/sub", "F 5 a.tar/docs/x"};
    }

    void listing()
    {
        QFETCH(bool, tarInside);
        QFETCH(QStringList, lines);
        FakeWorld &world = FakeWorld::get();
        world.tarInside = tarInside;
        // A 7z-style record marks a nested folder with bSubFolder alone; the split set reads it that way.
        world.entries = {{"a.tar", 10240, 0x58210000, 0, 0},
                         {"docs", 99, 0, 0, 1},
                         {"docs/sub", 0, 0, 1, 0},
                         {"docs/x", 5, 0, 0, 0}};
        CArchiveAccess access(test::createFake);
        QVERIFY(access.OpenArchiveOfKind(at("archive.7z.001"), ArchiveKind::SevenZipVolumes));
        QStringList seen;
        bool timed = false;
        forEachEntry(*access.CurrentUnpacker(ArchiveKind::SevenZipVolumes), TarNames::UnderTar,
                     [&](const ArchiveEntry &entry) {
                         if (seen.isEmpty())
                             timed = entry.modified.has_value();
                         seen << QStringLiteral("%1 %2 %3").arg(entry.folder ? "D" : "F").arg(entry.size).arg(entry.path);
                         return true;
                     });
        QCOMPARE(seen, lines);
        QVERIFY(timed);
    }
};

QTEST_GUILESS_MAIN(TestArchiveAccess)
#include "tst_archiveaccess.moc"
