#include "finder/archive/archiveaccess.h"
#include "finder/search/searchengine.h"
#include "platform/events.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>

using namespace orv;
using orv::test::runProcess;

Q_DECLARE_METATYPE(orv::SearchCriteria)

// The engine over a tree of archives of every kind, made at test time by the tools that make them in
// real life. Hits are compared as paths relative to the tree.
class TestSearchEngine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString at(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    static void enableAllTypes(CArchiveAccess &access)
    {
        access.SetArchiveExtensions({"ZIP", "CAB", "RAR", "JAR", "XAP", "7Z", "001", "GZ", "GZIP", "BZ", "BZ2",
                                     "BZIP2", "XZ", "TAR", "TGZ", "TBZ", "TBZ2", "TXZ", "ISO"});
    }

    struct Outcome
    {
        QStringList hits;  // relative full paths, sorted
        std::vector<CFileInfo> records;  // as the sink took them
        std::uint32_t count = 0;
        QStringList messages;
        bool outOfMemory = false;
    };

    Outcome search(const SearchCriteria &criteria, const QStringList &places, QObject *progress = nullptr,
                   std::size_t capacity = std::size_t(-1), int jobs = 1)
    {
        ScriptedPrompter prompts;
        CArchiveAccess access;
        enableAllTypes(access);
        CResultStore store;
        store.setCapacity(capacity);
        CSearchEngine engine(access, store);
        engine.SetCriteria(criteria);
        engine.SetProgressWindow(progress);
        // Every path is sent when every entry is a pump.
        engine.SetPumpInterval(0);
        engine.SetJobs(jobs);
        QStringList absolute;
        for (const QString &place : places)
            absolute << at(place);
        Outcome outcome;
        outcome.count = engine.Run(absolute);
        outcome.records = store.CopyAll();
        for (const CFileInfo &record : outcome.records)
            outcome.hits << record.m_strFullPath.mid(m_dir.path().size() + 1);
        outcome.hits.sort();
        outcome.messages = prompts.texts();
        outcome.outOfMemory = engine.IsOutOfMemory();
        return outcome;
    }

    static SearchCriteria criteriaFor(SearchMode mode, const QString &archives, const QString &files)
    {
        SearchCriteria criteria;
        criteria.setMode(mode);
        criteria.strArchiveMask = archives;
        criteria.strFileMask = files;
        return criteria;
    }

private slots:
    void initTestCase();
    void modes_data();
    void modes();
    void recordFields();
    void stopAsksAndObeys_data();
    void stopAsksAndObeys();
    void refusedHitEndsTheSearch_data();
    void refusedHitEndsTheSearch();
    void linksAndSpecialFilesSearchedOnce();
    void refusedPasswordDoesNotStop();
    void jobsChangeNothing_data();
    void jobsChangeNothing();
    void jobsAskPasswordsInTurn_data();
    void jobsAskPasswordsInTurn();
    void catalogueChangesNothing_data();
    void catalogueChangesNothing();
};

void TestSearchEngine::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString src = at("src");
    QVERIFY(test::writeFile(src + "/docs/readme.txt", "read me\n"));
    QVERIFY(test::writeFile(src + "/docs/data.bin", QByteArray(5000, 'x')));
    QVERIFY(test::writeFile(src + "/top.txt", "top"));
    QVERIFY(test::writeFile(at("nest/secret.txt"), "secret"));
    QVERIFY(runProcess("zip", {"-q", at("src/inner.zip"), "secret.txt"}, at("nest")).ok());
    const QStringList items{"docs", "top.txt", "inner.zip"};
    QVERIFY(QDir().mkpath(at("arc/deep")));
    QVERIFY(runProcess("zip", QStringList{"-q", "-r", at("arc/a.zip")} + items, src).ok());
    QVERIFY(runProcess("7z", QStringList{"a", "-bd", "-y", at("arc/a.7z")} + items, src).ok());
    QVERIFY(runProcess("tar", QStringList{"-cf", at("arc/a.tar")} + items, src).ok());
    QVERIFY(runProcess("tar", QStringList{"-czf", at("arc/a.tgz")} + items, src).ok());
    QVERIFY(runProcess("tar", QStringList{"-cjf", at("arc/a.tar.bz2")} + items, src).ok());
    QVERIFY(runProcess("tar", QStringList{"-cJf", at("arc/a.tar.xz")} + items, src).ok());
    QVERIFY(runProcess("gcab", {"-c", at("arc/a.cab"), "docs/readme.txt", "docs/data.bin", "top.txt", "inner.zip"}, src).ok());
    QVERIFY(runProcess("genisoimage", {"-quiet", "-udf", "-o", at("arc/a.iso"), src}, src).ok());
    QVERIFY(test::writeFile(at("arc/note.txt"), "plain"));
    QVERIFY(runProcess("gzip", {"-k", "note.txt"}, at("arc")).ok());
    QVERIFY(QFile::remove(at("arc/note.txt")));
    QVERIFY(test::writeFile(at("arc/deep/notes.txt"), "not an archive"));
    QVERIFY(runProcess("zip", {"-q", at("arc/deep/b.zip"), "top.txt"}, src).ok());
    QVERIFY(test::writeFile(at("arc/broken.zip"), "PK\x03\x04 this is no archive"));
    QVERIFY(test::writeFile(at("twinsrc/docs/a.txt"), "a"));
    QVERIFY(test::writeFile(at("twinsrc/Docs/b.txt"), "b"));
    QVERIFY(test::writeFile(at("twinsrc/docsX/c.txt"), "c"));
    QVERIFY(QDir().mkpath(at("twins")));
    QVERIFY(runProcess("zip", {"-q", "-r", at("twins/t.zip"), "docs", "Docs", "docsX"}, at("twinsrc")).ok());
    // Enough archives of each kind that several are listed at once, one of them a level deeper.
    for (const char *name : {"a.zip", "a.7z", "a.tar", "a.tgz", "a.tar.bz2", "a.tar.xz", "a.cab", "a.iso",
                                "note.txt.gz"}) {
        for (int i = 0; i < 7; ++i) {
            const QString copy = QStringLiteral("many/%1/%2c%3-%4").arg(QLatin1String(name), i == 3 ? "sub/" : "").arg(i).arg(QLatin1String(name));
            QVERIFY(QDir().mkpath(QFileInfo(at(copy)).path()));
            QVERIFY(QFile::copy(at(QStringLiteral("arc/") + name), at(copy)));
        }
    }
}

void TestSearchEngine::modes_data()
{
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<QStringList>("places");
    QTest::addColumn<QStringList>("hits");

    const auto each = [](const QStringList &archives, const QStringList &entries) {
        QStringList out;
        for (const QString &archive : archives)
            for (const QString &entry : entries)
                out << "arc/" + archive + "/" + entry;
        return out;
    };
    const QStringList plain{"a.zip", "a.7z", "a.tar", "a.cab", "a.iso"};
    const QStringList tars{"a.tgz/a.tar", "a.tar.bz2/a.tar", "a.tar.xz/a.tar"};
    const QStringList txt{"docs/readme.txt", "top.txt"};

    QTest::newRow("archives by name, subfolders included")
        << criteriaFor(SearchMode::Archives, "*.zip", {}) << QStringList{"arc"}
        << QStringList{"arc/a.zip", "arc/broken.zip", "arc/deep/b.zip"};
    SearchCriteria flat = criteriaFor(SearchMode::Archives, "*.zip", {});
    flat.bIncludeSubfolders = false;
    QTest::newRow("archives without subfolders") << flat << QStringList{"arc"}
                                                 << QStringList{"arc/a.zip", "arc/broken.zip"};
    QTest::newRow("a text file is no archive, whatever the mask")
        << criteriaFor(SearchMode::Archives, "*", {}) << QStringList{"arc/deep"} << QStringList{"arc/deep/b.zip"};

    QStringList allTxt =
        each(plain + tars, txt) + QStringList{"arc/deep/b.zip/top.txt", "arc/note.txt.gz/note.txt"};
    allTxt.sort();
    QTest::newRow("files in every kind") << criteriaFor(SearchMode::FilesInArchives, "ignored", "*.TXT")
                                         << QStringList{"arc"} << allTxt;
    QStringList nested = each(plain + tars, {"inner.zip"});
    nested.sort();
    QTest::newRow("nested archives are entries, never opened")
        << criteriaFor(SearchMode::FilesInArchives, {}, "*") << QStringList{"arc/a.zip"}
        << QStringList{"arc/a.zip/docs/data.bin", "arc/a.zip/docs/readme.txt", "arc/a.zip/inner.zip",
                       "arc/a.zip/top.txt"};
    QTest::newRow("nested archive found by its name")
        << criteriaFor(SearchMode::FilesInArchives, {}, "inner.zip") << QStringList{"arc"} << nested;
    QTest::newRow("both: archives are not reported themselves")
        << criteriaFor(SearchMode::ArchivesAndFiles, "*.7z", "*") << QStringList{"arc"}
        << each({"a.7z"}, {"docs/data.bin", "docs/readme.txt", "inner.zip", "top.txt"});
    QTest::newRow("plain gzip lists its one file")
        << criteriaFor(SearchMode::FilesInArchives, {}, "note*") << QStringList{"arc"}
        << QStringList{"arc/note.txt.gz/note.txt"};

    SearchCriteria skip = criteriaFor(SearchMode::FilesInArchives, {}, "*");
    skip.bSkipCompressedTar = true;
    QTest::newRow("skipping compressed tar reports the tar alone")
        << skip << QStringList{"arc/a.tgz", "arc/a.tar.bz2"} << QStringList{"arc/a.tar.bz2/a.tar", "arc/a.tgz/a.tar"};
    QTest::newRow("skipping does not touch a plain tar")
        << skip << QStringList{"arc/a.tar"}
        << each({"a.tar"}, {"docs/data.bin", "docs/readme.txt", "inner.zip", "top.txt"});
    SearchCriteria skipMiss = skip;
    skipMiss.strFileMask = "*.txt";
    QTest::newRow("skipping ends after the first tested entry even without a hit")
        << skipMiss << QStringList{"arc/a.tar.xz"} << QStringList{};
    QTest::newRow("compressed tar without skipping")
        << criteriaFor(SearchMode::FilesInArchives, {}, "*") << QStringList{"arc/a.tar.xz"}
        << QStringList{"arc/a.tar.xz/a.tar", "arc/a.tar.xz/a.tar/docs/data.bin",
                       "arc/a.tar.xz/a.tar/docs/readme.txt", "arc/a.tar.xz/a.tar/inner.zip",
                       "arc/a.tar.xz/a.tar/top.txt"};

    const SearchCriteria all = criteriaFor(SearchMode::FilesInArchives, {}, "*");
    QTest::newRow("folder inside a zip") << all << QStringList{"arc/a.zip/docs"}
                                         << each({"a.zip"}, {"docs/data.bin", "docs/readme.txt"});
    QTest::newRow("folder inside the tar of a gzip") << all << QStringList{"arc/a.tgz/a.tar/docs"}
                                                     << each({"a.tgz/a.tar"}, {"docs/data.bin", "docs/readme.txt"});
    QTest::newRow("the tar level of a gzip is the whole tar")
        << skip << QStringList{"arc/a.tgz/a.tar"} << QStringList{"arc/a.tgz/a.tar"};
    QTest::newRow("folder inside holds neither its twin in other case nor a longer name")
        << all << QStringList{"twins/t.zip/docs"} << QStringList{"twins/t.zip/docs/a.txt"};
    QTest::newRow("the twin in other case holds its own entries")
        << all << QStringList{"twins/t.zip/Docs"} << QStringList{"twins/t.zip/Docs/b.txt"};
    QTest::newRow("a file inside an archive is no place") << all << QStringList{"arc/a.zip/top.txt"} << QStringList{};
    QTest::newRow("folder of a 7z, then a whole cab")
        << all << QStringList{"arc/a.7z/docs", "arc/a.cab"}
        << each({"a.7z"}, {"docs/data.bin", "docs/readme.txt"})
               + each({"a.cab"}, {"docs/data.bin", "docs/readme.txt", "inner.zip", "top.txt"});
    QTest::newRow("a missing place yields nothing") << all << QStringList{"nowhere", "arc/nothing.zip/x"}
                                                    << QStringList{};
    SearchCriteria big = all;
    big.include.bOff = false;
    big.include.nFilterFor = FilterFor::FilesInArchives;
    big.include.bSizeOn = true;
    big.include.nRelation = SizeRelation::NoLess;
    big.include.nSize = 1000;
    QTest::newRow("include size filter on entries") << big << QStringList{"arc/a.iso", "arc/a.zip"}
                                                    << each({"a.iso", "a.zip"}, {"docs/data.bin"});
    SearchCriteria notTxt = all;
    notTxt.exclude.bOff = false;
    notTxt.exclude.nFilterFor = FilterFor::Archives;
    notTxt.exclude.bSizeOn = true;
    notTxt.exclude.nRelation = SizeRelation::NoMore;
    notTxt.exclude.nSize = 1 << 30;
    QTest::newRow("exclude filter on archives drops their listing") << notTxt << QStringList{"arc/a.zip"}
                                                                     << QStringList{};
}

void TestSearchEngine::modes()
{
    QFETCH(SearchCriteria, criteria);
    QFETCH(QStringList, places);
    QFETCH(QStringList, hits);
    std::sort(hits.begin(), hits.end());
    const Outcome outcome = search(criteria, places);
    QCOMPARE(outcome.hits, hits);
    QCOMPARE(outcome.count, std::uint32_t(hits.size()));
    QCOMPARE(outcome.messages, QStringList{CSearchEngine::CountMessage(outcome.count)});
}

void TestSearchEngine::recordFields()
{
    ScriptedPrompter prompts;
    CArchiveAccess access;
    enableAllTypes(access);
    CResultStore store;
    CSearchEngine engine(access, store);
    engine.SetCriteria(criteriaFor(SearchMode::FilesInArchives, {}, "data.bin"));
    engine.Run({at("arc/a.tar"), at("arc/deep")});
    QCOMPARE(store.size(), std::size_t(1));
    const CFileInfo &entry = store.at(0);
    QCOMPARE(entry.m_strName, QStringLiteral("data.bin"));
    QCOMPARE(entry.m_nSize, 5000u);
    QCOMPARE(entry.m_nSize2, 5000u);
    QCOMPARE(entry.m_bInArchive, 1);
    QCOMPARE(entry.m_tCreated, entry.m_tModified);
    QCOMPARE(entry.m_tModified, QFileInfo(at("src/docs/data.bin")).lastModified().toSecsSinceEpoch());

    engine.SetCriteria(criteriaFor(SearchMode::Archives, "A.TAR", {}));
    engine.Run({at("arc")});
    QCOMPARE(store.size(), std::size_t(1));
    QCOMPARE(store.at(0).m_bInArchive, 0);
    QCOMPARE(store.at(0).m_nSize, std::uint64_t(QFileInfo(at("arc/a.tar")).size()));
    QCOMPARE(store.at(0).m_nSequence, 0u);
    // The walk's times are those QFileInfo gives, the birth time where the file system keeps one.
    const QFileInfo tar(at("arc/a.tar"));
    const QDateTime born = tar.birthTime().isValid() ? tar.birthTime() : tar.metadataChangeTime();
    QCOMPARE(store.at(0).m_tModified, tar.lastModified().toSecsSinceEpoch());
    QCOMPARE(store.at(0).m_tCreated, born.toSecsSinceEpoch());
}

// Records what the progress window is sent, and posts the stop request once it has seen a few paths.
class ProgressProbe : public QObject
{
public:
    int stopAfter = -1;
    QStringList paths;

    bool event(QEvent *event) override
    {
        if (event->type() != Ev::type(Ev::FindProgress))
            return QObject::event(event);
        paths << static_cast<OrvEvent *>(event)->text();
        if (paths.size() == stopAfter)
            postOrvEvent(this, Ev::FindStop);
        return true;
    }
};

void TestSearchEngine::stopAsksAndObeys_data()
{
    QTest::addColumn<QList<MsgAnswer>>("answers");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<int>("jobs");
    QTest::newRow("yes stops") << QList<MsgAnswer>{MsgAnswer::Yes} << true << 1;
    QTest::newRow("no goes on") << QList<MsgAnswer>{MsgAnswer::No} << false << 1;
    QTest::newRow("yes stops, 3 jobs") << QList<MsgAnswer>{MsgAnswer::Yes} << true << 3;
    QTest::newRow("no goes on, 3 jobs") << QList<MsgAnswer>{MsgAnswer::No} << false << 3;
}

void TestSearchEngine::stopAsksAndObeys()
{
    QFETCH(QList<MsgAnswer>, answers);
    QFETCH(bool, cancelled);
    QFETCH(int, jobs);
    const SearchCriteria criteria = criteriaFor(SearchMode::FilesInArchives, {}, "*");
    ProgressProbe quiet;
    const Outcome full = search(criteria, {"arc", "many", "arc/a.zip"}, &quiet);

    ScriptedPrompter prompts;
    for (MsgAnswer answer : answers)
        prompts.queueMessageAnswer(answer);
    CArchiveAccess access;
    enableAllTypes(access);
    CResultStore store;
    CSearchEngine engine(access, store);
    engine.SetCriteria(criteria);
    ProgressProbe probe;
    probe.stopAfter = 3;
    engine.SetProgressWindow(&probe);
    engine.SetPumpInterval(0);
    engine.SetJobs(jobs);
    // The last place is a single archive: after a confirmed interruption it is not listed either.
    const std::uint32_t count = engine.Run({at("arc"), at("many"), at("arc/a.zip")});
    QCOMPARE(engine.IsCancelled(), cancelled);
    const QStringList expected{"Interrupt the find?", CSearchEngine::CountMessage(count)};
    QCOMPARE(prompts.texts(), expected);
    QCOMPARE(prompts.records().front().buttons, MsgButtons::YesNo);
    // What is kept is the start of the whole search, wherever the workers had got to.
    const std::vector<CFileInfo> kept = store.CopyAll();
    QVERIFY(kept.size() <= full.records.size());
    QVERIFY(std::equal(kept.begin(), kept.end(), full.records.begin()));
    if (cancelled) {
        QVERIFY(count < full.count);
        if (jobs == 1)
            QCOMPARE(probe.paths.size(), 3);
    } else {
        QCOMPARE(count, full.count);
        if (jobs == 1)
            QCOMPARE(probe.paths, quiet.paths);
    }
}

// A store that runs out of memory refuses the hit: the search ends there with a message, and the hits
// before it stay. Which entries of an archive come first is the archive's order, so only the count is fixed.
void TestSearchEngine::refusedHitEndsTheSearch_data()
{
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<QStringList>("places");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("kept");
    QTest::addColumn<QStringList>("keptFrom");
    QTest::addColumn<bool>("refused");

    const SearchCriteria entries = criteriaFor(SearchMode::FilesInArchives, "ignored", "*");
    const QStringList zipEntries{"arc/a.zip/docs/data.bin", "arc/a.zip/docs/readme.txt", "arc/a.zip/inner.zip",
                                 "arc/a.zip/top.txt"};
    QTest::newRow("entry refused: the next archive is not listed")
        << entries << QStringList{"arc/a.zip", "arc/a.7z"} << 2 << 2 << zipEntries << true;
    QTest::newRow("archive on disk refused at once")
        << criteriaFor(SearchMode::Archives, "*", "") << QStringList{"arc"} << 0 << 0 << QStringList{} << true;
    QTest::newRow("room for every hit") << entries << QStringList{"arc/a.zip"} << 4 << 4 << zipEntries << false;
}

void TestSearchEngine::refusedHitEndsTheSearch()
{
    QFETCH(SearchCriteria, criteria);
    QFETCH(QStringList, places);
    QFETCH(int, capacity);
    QFETCH(int, kept);
    QFETCH(QStringList, keptFrom);
    QFETCH(bool, refused);
    const Outcome outcome = search(criteria, places, nullptr, std::size_t(capacity));
    QCOMPARE(outcome.count, std::uint32_t(kept));
    QCOMPARE(outcome.hits.size(), kept);
    for (const QString &hit : outcome.hits)
        QVERIFY2(keptFrom.contains(hit), qPrintable(hit));
    QCOMPARE(outcome.outOfMemory, refused);
    QStringList messages{CSearchEngine::CountMessage(outcome.count)};
    if (refused)
        messages.prepend(CSearchEngine::OutOfMemoryMessage(outcome.count));
    QCOMPARE(outcome.messages, messages);
}

void TestSearchEngine::linksAndSpecialFilesSearchedOnce()
{
    QTemporaryDir dir;
    QVERIFY(test::writeFile(dir.path() + "/top/one/a.zip", test::readFile(at("arc/a.zip"))));
    namespace fs = std::filesystem;
    fs::create_directory_symlink(fs::path((dir.path() + "/top").toStdString()),
                                 fs::path((dir.path() + "/top/one/back").toStdString()));
    fs::create_directory_symlink(fs::path((dir.path() + "/top/one").toStdString()),
                                 fs::path((dir.path() + "/top/again").toStdString()));
    // Named like archives, a pipe would block a reader for good and a dangling link leads nowhere.
    QCOMPARE(::mkfifo(QFile::encodeName(dir.path() + "/top/pipe.zip").constData(), 0600), 0);
    fs::create_symlink(fs::path((dir.path() + "/gone.zip").toStdString()),
                       fs::path((dir.path() + "/top/dangling.zip").toStdString()));
    ScriptedPrompter prompts;
    CArchiveAccess access;
    CResultStore store;
    CSearchEngine engine(access, store);
    engine.SetCriteria(criteriaFor(SearchMode::Archives, "*.zip", {}));
    QCOMPARE(engine.Run({dir.path() + "/top"}), 1u);
}

void TestSearchEngine::refusedPasswordDoesNotStop()
{
    QTemporaryDir dir;
    QVERIFY(runProcess("7z", {"a", "-bd", "-y", "-psecret", "-mhe=on", dir.path() + "/1locked.7z", "top.txt"}, at("src")).ok());
    QVERIFY(runProcess("7z", {"a", "-bd", "-y", "-psecret", dir.path() + "/2data-locked.7z", "top.txt"}, at("src")).ok());
    QVERIFY(QFile::copy(at("arc/a.7z"), dir.path() + "/3open.7z"));
    ScriptedPrompter prompts;
    prompts.setDefaultPassword(std::nullopt);
    CArchiveAccess access;
    enableAllTypes(access);
    CResultStore store;
    CSearchEngine engine(access, store);
    engine.SetCriteria(criteriaFor(SearchMode::FilesInArchives, {}, "top.txt"));
    // Listing needs no data, so the archive with plain headers is listed; the locked headers are skipped.
    QCOMPARE(engine.Run({dir.path()}), 2u);
    QVERIFY(!engine.IsCancelled());
    QCOMPARE(prompts.texts().last(), CSearchEngine::CountMessage(2));
}

// Any number of jobs gives the hits, in their order, and the messages of one thread.
void TestSearchEngine::jobsChangeNothing_data()
{
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<QStringList>("places");
    QTest::addColumn<int>("jobs");
    QTest::addColumn<int>("capacity");

    const SearchCriteria all = criteriaFor(SearchMode::FilesInArchives, {}, "*");
    const int unlimited = -1;
    for (const char *kind : {"a.zip", "a.7z", "a.tar", "a.tgz", "a.tar.bz2", "a.tar.xz", "a.cab", "a.iso",
                             "note.txt.gz"}) {
        for (int jobs : {2, 5})
            QTest::addRow("%s, %d jobs", kind, jobs) << all << QStringList{QStringLiteral("many/") + kind} << jobs
                                                     << unlimited;
    }
    SearchCriteria skip = criteriaFor(SearchMode::ArchivesAndFiles, "*", "*.txt");
    skip.bSkipCompressedTar = true;
    QTest::newRow("every kind and a broken one, both modes, skipping tars, 3 jobs")
        << skip << QStringList{"arc", "many"} << 3 << unlimited;
    QTest::newRow("folders inside archives between whole trees, 2 jobs")
        << all << QStringList{"arc/a.7z/docs", "many/a.zip", "arc/a.tgz/a.tar/docs", "many/a.cab"} << 2 << unlimited;
    QTest::newRow("out of memory midway, 4 jobs") << all << QStringList{"many"} << 4 << 61;
}

void TestSearchEngine::jobsChangeNothing()
{
    QFETCH(SearchCriteria, criteria);
    QFETCH(QStringList, places);
    QFETCH(int, jobs);
    QFETCH(int, capacity);
    const Outcome one = search(criteria, places, nullptr, std::size_t(capacity), 1);
    const Outcome many = search(criteria, places, nullptr, std::size_t(capacity), jobs);
    QVERIFY(one.count > 0);
    QCOMPARE(many.records, one.records);
    QCOMPARE(many.messages, one.messages);
    QCOMPARE(many.outOfMemory, one.outOfMemory);
}

// A worker never asks: an archive that needs a password is listed again on the main thread, in its turn,
// so each is asked for once and in the order of one thread.
void TestSearchEngine::jobsAskPasswordsInTurn_data()
{
    QTest::addColumn<std::optional<QString>>("password");
    QTest::newRow("refused") << std::optional<QString>();
    QTest::newRow("given") << std::optional<QString>("secret");
}

void TestSearchEngine::jobsAskPasswordsInTurn()
{
    QFETCH(std::optional<QString>, password);
    QTemporaryDir dir;
    QStringList locked;
    for (int i = 0; i < 12; ++i) {
        const QString path = dir.path() + QStringLiteral("/%1/%2.7z").arg(i % 3).arg(i);
        if (i % 4 == 1) {
            QVERIFY(runProcess("7z", {"a", "-bd", "-y", "-psecret", "-mhe=on", path, "top.txt"}, at("src")).ok());
            locked << path;
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(path).path()) && QFile::copy(at("arc/a.7z"), path));
        }
    }
    const auto run = [&](int jobs) {
        ScriptedPrompter prompts;
        prompts.setDefaultPassword(password);
        CArchiveAccess access;
        enableAllTypes(access);
        CResultStore store;
        CSearchEngine engine(access, store);
        engine.SetCriteria(criteriaFor(SearchMode::FilesInArchives, {}, "*.txt"));
        engine.SetJobs(jobs);
        engine.Run({dir.path()});
        QStringList asked;
        for (const ScriptedPrompter::Record &record : prompts.records())
            asked << QString::number(record.kind) + " " + record.text;
        return std::pair{store.CopyAll(), asked};
    };
    const auto one = run(1);
    const auto many = run(4);
    QCOMPARE(many.second, one.second);
    QCOMPARE(many.first, one.first);
    QStringList passwordsAsked;
    for (const QString &question : many.second) {
        if (question.startsWith(QString::number(ScriptedPrompter::Record::Password) + " "))
            passwordsAsked << question.section(' ', 1);
    }
    std::sort(locked.begin(), locked.end());
    std::sort(passwordsAsked.begin(), passwordsAsked.end());
    QCOMPARE(passwordsAsked.removeDuplicates(), 0);
    QCOMPARE(passwordsAsked, locked);
}

// A catalogued search finds what an uncatalogued one finds, in the same order and with the same messages,
// after every kind of change between two runs, and opens only what is new or changed, what failed to open
// and what needed a password.
void TestSearchEngine::catalogueChangesNothing_data()
{
    QTest::addColumn<int>("jobs");
    QTest::newRow("1 job") << 1;
    QTest::newRow("3 jobs") << 3;
}

void TestSearchEngine::catalogueChangesNothing()
{
    QFETCH(int, jobs);
    QTemporaryDir dir;
    const QString tree = dir.path() + "/tree/";
    const QString cataloguePath = dir.path() + "/cache/listings.sqlite";
    for (const char *name : {"a.zip", "a.7z", "a.tgz", "a.tar.bz2", "a.cab", "a.iso", "note.txt.gz", "broken.zip"}) {
        for (const char *copy : {"1-", "2-", "sub/3-"}) {
            QVERIFY(QDir().mkpath(tree + "sub"));
            QVERIFY(QFile::copy(at(QStringLiteral("arc/") + name), tree + copy + name));
        }
    }
    QVERIFY(runProcess("7z", {"a", "-bd", "-y", "-psecret", "-mhe=on", tree + "locked.7z", "top.txt"}, at("src")).ok());

    struct Run
    {
        std::vector<CFileInfo> records;
        QStringList messages;
        int opens = 0;
    };
    const auto run = [&](bool catalogued) {
        Run result;
        ScriptedPrompter prompts;
        prompts.setDefaultPassword("secret");
        std::atomic<int> opens = 0;
        ArchiveAccessConfig config;
        config.creator = [&opens](ArchiveKindCode kind) {
            ++opens;
            return createUnpackerOfKind(kind);
        };
        CArchiveAccess access(config);
        enableAllTypes(access);
        CListingCatalogue catalogue;
        CResultStore store;
        CSearchEngine engine(access, store);
        engine.SetCriteria(criteriaFor(SearchMode::FilesInArchives, {}, "*"));
        engine.SetJobs(jobs);
        if (catalogued) {
            [&] { QVERIFY2(catalogue.open(cataloguePath), qPrintable(catalogue.errorText())); }();
            engine.SetCatalogue(&catalogue);
        }
        engine.Run({tree});
        result.records = store.CopyAll();
        result.messages = prompts.texts();
        result.opens = opens;
        return result;
    };
    const auto sameAsUncatalogued = [&](int expectedOpens) {
        const Run plain = run(false);
        const Run catalogued = run(true);
        QVERIFY(!plain.records.empty());
        QCOMPARE(catalogued.records, plain.records);
        QCOMPARE(catalogued.messages, plain.messages);
        QCOMPARE(catalogued.opens, expectedOpens);
    };
    // A worker meets the password question and leaves the locked archive to the main thread, which opens
    // it again.
    const int broken = 3, locked = jobs > 1 ? 2 : 1, all = 24 + locked;
    sameAsUncatalogued(all);
    if (QTest::currentTestFailed())
        return;
    struct stat st{};
    QCOMPARE(::stat(QFile::encodeName(cataloguePath).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
    sameAsUncatalogued(broken + locked);
    if (QTest::currentTestFailed())
        return;

    // Changed in place at the same size: one with a new time, one given its old time back.
    const auto patch = [](const QString &path, bool keepTime) {
        const QByteArray name = QFile::encodeName(path);
        struct stat before{};
        QCOMPARE(::stat(name.constData(), &before), 0);
        QByteArray bytes = test::readFile(path);
        QVERIFY(bytes.contains("readme"));
        bytes.replace("readme", "reedme");
        QVERIFY(test::writeFile(path, bytes));
        timespec times[2] = {before.st_atim, before.st_mtim};
        times[1].tv_sec += keepTime ? 0 : 5;
        QCOMPARE(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
    };
    patch(tree + "1-a.zip", false);
    patch(tree + "sub/3-a.zip", true);
    QVERIFY(QFile::remove(tree + "2-a.7z"));
    QVERIFY(QFile::copy(at("arc/a.cab"), tree + "2-a.7z"));  // replaced by another archive
    QVERIFY(QFile::rename(tree + "2-a.tgz", tree + "sub/renamed.tgz"));
    QVERIFY(QFile::remove(tree + "1-a.iso"));
    QVERIFY(QFile::copy(at("arc/a.tar"), tree + "new.tar"));
    sameAsUncatalogued(2 + 1 + 1 + 1 + broken + locked);
    if (QTest::currentTestFailed())
        return;

    // A damaged listing is read anew: one that claims more entries than it holds, one cut short, one that
    // is no listing at all.
    const char damage[] = "import sqlite3, sys\n"
                          "db = sqlite3.connect(sys.argv[1])\n"
                          "db.execute(\"update archives set entries = entries + 1 where id % 3 = 0\")\n"
                          "db.execute(\"update archives set listing = case id % 3 when 0 then listing\"\n"
                          "           \" when 1 then substr(listing, 1, length(listing) / 2) else x'0102' end\")\n"
                          "db.commit()\n";
    QVERIFY(runProcess("/usr/bin/python3", {"-c", damage, cataloguePath}).ok());
    sameAsUncatalogued(all);
    if (QTest::currentTestFailed())
        return;

    {
        CListingCatalogue catalogue;
        QVERIFY(catalogue.open(cataloguePath));
        // Every archive but the broken and the locked ones, the removed and the renamed ones gone.
        QCOMPARE(catalogue.info().archives, std::int64_t(24 - broken - 2 + 2));
        QVERIFY(catalogue.clear());
        QCOMPARE(catalogue.info().archives, std::int64_t(0));
    }
    // A file of another layout is emptied, and then kept as any other.
    sameAsUncatalogued(all);
    const char older[] = "import sqlite3, sys\n"
                         "db = sqlite3.connect(sys.argv[1])\n"
                         "db.execute('pragma user_version = 1')\n"
                         "db.commit()\n";
    QVERIFY(runProcess("/usr/bin/python3", {"-c", older, cataloguePath}).ok());
    CListingCatalogue catalogue;
    QVERIFY2(catalogue.open(cataloguePath), qPrintable(catalogue.errorText()));
    QCOMPARE(catalogue.info().archives, std::int64_t(0));
}

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "tst_searchengine.moc"
