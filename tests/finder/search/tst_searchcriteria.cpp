#include "finder/search/foundfiles.h"
#include "finder/search/searchcriteria.h"

#include <QTest>

using namespace orv;

Q_DECLARE_METATYPE(orv::FilterPage)
Q_DECLARE_METATYPE(orv::CFileInfo)

// Masks, the two filter pages and the record store: the rules every hit passes through.
class TestSearchCriteria : public QObject
{
    Q_OBJECT

private slots:
    void masks_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");

        QTest::newRow("star-dot-star needs a dot") << "*.*" << "README" << false;
        QTest::newRow("star matches all") << "*" << "README" << true;
        QTest::newRow("trailing stars match nothing") << "A*B*" << "AB" << true;
        QTest::newRow("question mark needs a character") << "A*B?" << "AB" << false;
        QTest::newRow("empty name") << "*" << "" << false;
        QTest::newRow("blank name") << "*" << "   " << false;
        QTest::newRow("empty mask") << "" << "a" << false;
        QTest::newRow("case ignored") << "*.TXT" << "notes.txt" << true;
        QTest::newRow("name trimmed") << "notes.txt" << "  notes.txt \t" << true;
        QTest::newRow("mask not trimmed") << " notes.txt" << "notes.txt" << false;
        QTest::newRow("dot is literal") << "a.b" << "axb" << false;
        QTest::newRow("prefix is not a match") << "abc" << "abcd" << false;
        QTest::newRow("mask longer than name") << "abcd" << "abc" << false;
        QTest::newRow("retry after a false start") << "*ab" << "aab" << true;
        QTest::newRow("retry across repeats") << "*aab" << "aaab" << true;
        QTest::newRow("several stars") << "*a*b*c" << "xaybzc" << true;
        QTest::newRow("several stars, order matters") << "*a*b*c" << "xcybza" << false;
        QTest::newRow("semicolon is literal") << "*.txt;*.doc" << "a.txt" << false;
        QTest::newRow("question marks count") << "???" << "ab" << false;
        QTest::newRow("question marks and star") << "?*?" << "ab" << true;
        QTest::newRow("non-latin case") << "ÄRGER*" << "ärger.txt" << true;
        QTest::newRow("star and tail, the tail alone") << "*.txt" << ".TXT" << true;
        QTest::newRow("star and tail, shorter name") << "*.txt" << "txt" << false;
        QTest::newRow("star and tail, name beyond ASCII") << "*.txt" << "übersicht.Txt" << true;
        QTest::newRow("star and tail, end beyond ASCII") << "*.txt" << "a.tẋt" << false;
        QTest::newRow("star and tail, end that upper-cases into ASCII") << "*.txi" << "a.txı" << true;
        QTest::newRow("star and tail, end that upper-cases longer") << "*SS" << "ß" << true;
        QTest::newRow("star and tail, tail beyond ASCII") << "*.ÄX" << "a.äx" << true;
        // Backtracking over every star would take ages here; the walk stays quadratic at worst.
        QTest::newRow("many stars, long name, no match") << "*a*a*a*a*a*a*a*b" << QString(20000, 'a') << false;
        QTest::newRow("many stars, long name, match") << "*a*a*a*a*a*a*a*b" << QString(20000, 'a') + 'b' << true;
    }

    void masks()
    {
        QFETCH(QString, mask);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(MatchMask(mask, name), matches);
    }

    void filters_data()
    {
        QTest::addColumn<FilterPage>("page");
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("time");
        QTest::addColumn<quint64>("size");
        QTest::addColumn<bool>("holds");  // the include verdict; the exclude verdict when the page applies

        FilterPage off;
        off.bDateOn = true;
        off.tFrom = off.tTo = 5;
        QTest::newRow("page off ignores its values") << off << 1 << qint64(6) << quint64(0) << true;

        FilterPage nothing;
        nothing.bOff = false;
        QTest::newRow("neither date nor size") << nothing << 1 << qint64(0) << quint64(0) << true;

        FilterPage date;
        date.bOff = false;
        date.bDateOn = true;
        date.tFrom = date.tTo = 1577836800;
        QTest::newRow("one-second range, that second") << date << 1 << qint64(1577836800) << quint64(0) << true;
        QTest::newRow("one-second range, next second") << date << 1 << qint64(1577836801) << quint64(0) << false;
        QTest::newRow("other kind not filtered") << date << 2 << qint64(0) << quint64(0) << true;

        FilterPage reversed = date;
        reversed.tFrom = 10;
        reversed.tTo = 5;
        QTest::newRow("start after end never holds") << reversed << 1 << qint64(7) << quint64(0) << false;

        FilterPage entries = date;
        entries.nFilterFor = FilterFor::FilesInArchives;
        QTest::newRow("files filter skips archives") << entries << 1 << qint64(0) << quint64(0) << true;
        QTest::newRow("files filter tests entries") << entries << 2 << qint64(0) << quint64(0) << false;
        FilterPage both = date;
        both.nFilterFor = FilterFor::Both;
        QTest::newRow("both tests archives") << both << 1 << qint64(0) << quint64(0) << false;
        QTest::newRow("both tests entries") << both << 2 << qint64(0) << quint64(0) << false;

        FilterPage size;
        size.bOff = false;
        size.bSizeOn = true;
        size.nFilterFor = FilterFor::Both;
        size.nSize = 100;
        QTest::newRow("equal") << size << 2 << qint64(0) << quint64(100) << true;
        QTest::newRow("not equal") << size << 2 << qint64(0) << quint64(101) << false;
        size.nRelation = SizeRelation::NoLess;
        QTest::newRow("no less, below") << size << 2 << qint64(0) << quint64(99) << false;
        QTest::newRow("no less, at") << size << 2 << qint64(0) << quint64(100) << true;
        size.nRelation = SizeRelation::NoMore;
        QTest::newRow("no more, above") << size << 2 << qint64(0) << quint64(101) << false;
        QTest::newRow("no more, huge size is not negative")
            << size << 2 << qint64(0) << quint64(0x8000000000000000ULL) << false;
        FilterPage zero = size;
        zero.nRelation = SizeRelation::NoLess;
        zero.nSize = 0;
        QTest::newRow("no less than 0 passes all") << zero << 2 << qint64(0) << quint64(0) << true;

        FilterPage dateAndSize = size;
        dateAndSize.bDateOn = true;
        dateAndSize.tFrom = 0;
        dateAndSize.tTo = 10;
        QTest::newRow("date fails, size holds") << dateAndSize << 2 << qint64(11) << quint64(5) << false;
        QTest::newRow("date holds, size fails") << dateAndSize << 2 << qint64(5) << quint64(500) << false;
        QTest::newRow("date and size hold") << dateAndSize << 2 << qint64(5) << quint64(5) << true;
    }

    void filters()
    {
        QFETCH(FilterPage, page);
        QFETCH(int, kind);
        QFETCH(qint64, time);
        QFETCH(quint64, size);
        QFETCH(bool, holds);
        const auto k = FilterKind(kind);
        QCOMPARE(PassesInclude(page, k, time, size), holds);
        // The exclude page answers the same test, but a page that does not apply excludes nothing.
        const bool applies = !page.bOff && (page.bDateOn || page.bSizeOn)
                             && (page.nFilterFor == FilterFor::Both || int(page.nFilterFor) + 1 == kind);
        QCOMPARE(IsExcluded(page, k, time, size), applies && holds);
    }

    void modeTexts()
    {
        SearchCriteria criteria;
        criteria.setMode(SearchMode::ArchivesAndFiles);
        QCOMPARE(criteria.nModeIndex, 2);
        QCOMPARE(modeOfText(criteria.strMode.toUpper()), SearchMode::ArchivesAndFiles);
        QCOMPARE(modeOfText(QStringLiteral("Search of everything")), std::nullopt);
    }

    void inFolder_data()
    {
        QTest::addColumn<QString>("fullPath");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("text");
        QTest::newRow("file in root") << "/a.zip" << false << "/";
        QTest::newRow("file in folder") << "/data/a.zip" << false << "/data";
        QTest::newRow("entry in archive folder") << "/x/b.zip/dir/a.txt" << false << "/x/b.zip/dir";
        QTest::newRow("folder record keeps its path") << "/x/b.zip/dir" << true << "/x/b.zip/dir";
    }

    void inFolder()
    {
        QFETCH(QString, fullPath);
        QFETCH(bool, folder);
        QFETCH(QString, text);
        CFileInfo record;
        record.m_strFullPath = fullPath;
        record.m_nIsFolder = folder ? 1 : 0;
        QCOMPARE(inFolderText(record), text);
    }

    // The store keeps records in a compact form of shared folder texts and pooled names; every record
    // must come back as it went in, numbered. A neighbour in the same folder goes first, so the folder text
    // is shared.
    void storeGivesRecordsBack_data()
    {
        QTest::addColumn<CFileInfo>("record");
        const auto make = [](const QString &name, const QString &fullPath) {
            CFileInfo r;
            r.m_strName = name;
            r.m_strFullPath = fullPath;
            r.m_nSize = r.m_nSize2 = 1234567890123ULL;
            r.m_tModified = -86400;
            r.m_tCreated = 1700000000;
            return r;
        };
        CFileInfo entry = make("a.txt", "/x/b.zip/dir/a.txt");
        entry.m_bInArchive = 1;
        QTest::newRow("entry inside an archive") << entry;
        QTest::newRow("file in the root folder") << make("top", "/top");
        QTest::newRow("path without a folder") << make("loose.txt", "loose.txt");
        QTest::newRow("path ending in a separator") << make("", "/x/b.zip/dir/");
        QTest::newRow("name other than the last component") << make("shown name", "/x/b.zip/dir/stored");
        QTest::newRow("name longer than a block of text")
            << make(QString(70000, QLatin1Char('n')), "/x/b.zip/dir/" + QString(70000, QLatin1Char('n')));
        CFileInfo folder = make("dir", "/x/b.zip/dir");
        folder.m_nIsFolder = 1;
        QTest::newRow("folder record") << folder;
    }
    void storeGivesRecordsBack()
    {
        QFETCH(CFileInfo, record);
        CResultStore store;
        CFileInfo neighbour;
        neighbour.m_strName = QStringLiteral("neighbour.txt");
        neighbour.m_strFullPath = QStringLiteral("/x/b.zip/dir/neighbour.txt");
        QVERIFY(store.AddFoundFile(neighbour));
        QVERIFY(store.AddFoundFile(record));
        record.m_nSequence = record.m_nListIndex = 1;
        QCOMPARE(store.at(1), record);
        QCOMPARE(store.at(0), neighbour);
    }

    // The records lie in chunks of a few thousand; a removal moves every later one down across them.
    void storeRemovesAcrossChunks()
    {
        CResultStore store;
        CFileInfo record;
        QList<std::uint32_t> expected;
        for (std::uint32_t i = 0; i < 10000; ++i) {
            record.m_nSize = i;
            QVERIFY(store.AddFoundFile(record));
            expected << i;
        }
        for (std::uint32_t gone : {4095u, 4096u, 0u, 9999u, 8000u}) {
            QVERIFY(store.RemoveOne(gone));
            expected.removeOne(gone);
        }
        QList<std::uint32_t> indexes;
        for (const CFileInfo &r : store.CopyAll()) {
            QCOMPARE(r.m_nSize, std::uint64_t(r.m_nListIndex));
            indexes << r.m_nListIndex;
        }
        QCOMPARE(indexes, expected);
    }

    void storeNumbersAndRemoves()
    {
        CResultStore store;
        CFileInfo record;
        record.m_nSequence = 77;
        for (int i = 0; i < 5; ++i) {
            record.m_strName = QString::number(i);
            QVERIFY(store.AddFoundFile(record));
            QCOMPARE(store.at(store.size() - 1).m_nListIndex, std::uint32_t(i));
        }
        QVERIFY(store.RemoveOne(1));
        QVERIFY(store.RemoveOne(3));
        QVERIFY(!store.RemoveOne(3));
        record.m_strName = QStringLiteral("late");
        QVERIFY(store.AddFoundFile(record));
        QCOMPARE(store.at(store.size() - 1).m_nSequence, 5u);
        QStringList names;
        QList<std::uint32_t> indexes;
        for (const CFileInfo &r : store.CopyAll()) {
            names << r.m_strName;
            indexes << r.m_nListIndex;
        }
        QCOMPARE(names, QStringList({"0", "2", "4", "late"}));
        QCOMPARE(indexes, QList<std::uint32_t>({0, 2, 4, 5}));
        QCOMPARE(store.rowOfListIndex(4), 2);

        const std::vector<CFileInfo> copies = store.CopyAll();
        store.FreeAll();
        QVERIFY(store.empty());
        QCOMPARE(copies.size(), std::size_t(4));
        QCOMPARE(copies[3].m_nListIndex, 5u);
        QVERIFY(store.AddFoundFile(copies[3]));
        QCOMPARE(store.at(0).m_nSequence, 0u);
    }
};

QTEST_GUILESS_MAIN(TestSearchCriteria)
#include "tst_searchcriteria.moc"
