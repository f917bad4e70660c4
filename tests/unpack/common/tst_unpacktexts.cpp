#include "unpack/common/entrynames.h"
#include "unpack/common/foldermap.h"
#include "unpack/common/outputinfo.h"
#include "unpack/common/records.h"

#include <QTest>

#include <clocale>

class TestUnpackTexts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        std::setlocale(LC_TIME, "C");
        qputenv("TZ", "UTC");
        tzset();
    }

    void nameParts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("extension");
        QTest::newRow("top level") << "a.txt" << "a.txt" << "a" << "txt";
        QTest::newRow("nested") << "docs/sub/report.final.pdf" << "report.final.pdf" << "report.final" << "pdf";
        QTest::newRow("no dot") << "bin/Makefile" << "Makefile" << "Makefile" << "";
        QTest::newRow("dot in a folder only") << "v1.2/README" << "README" << "README" << "";
        QTest::newRow("trailing dot") << "x." << "x." << "x" << "";
        QTest::newRow("dot file") << ".hidden" << ".hidden" << "" << "hidden";
    }
    void nameParts()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, extension);
        orv::FILESHORTINFO record;
        orv::fillNames(record, path);
        QCOMPARE(record.strPath, path);
        QCOMPARE(record.strName, name);
        QCOMPARE(record.strTitle, title);
        QCOMPARE(record.strExtension, extension);
    }

    void normalised_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("expected");
        QTest::newRow("backslashes") << "docs\\sub\\a.txt" << "docs/sub/a.txt";
        QTest::newRow("leading separator") << "/etc/passwd" << "etc/passwd";
        QTest::newRow("folder entry") << "docs/" << "docs";
        QTest::newRow("doubled and dot") << "a//./b" << "a/b";
        QTest::newRow("dot-dot kept for the check") << "a/../b" << "a/../b";
        QTest::newRow("already normal") << "docs/sub/a.txt" << "docs/sub/a.txt";
        QTest::newRow("names that start with a dot stay") << ".config/.x/..y" << ".config/.x/..y";
        QTest::newRow("trailing dot component") << "a/b/." << "a/b";
        QTest::newRow("only a dot") << "." << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("one backslash at the end") << "a\\" << "a";
    }
    void normalised()
    {
        QFETCH(QString, raw);
        QFETCH(QString, expected);
        QCOMPARE(orv::normaliseEntryPath(raw), expected);
    }

    void folderMapCountsAncestorsOnce()
    {
        orv::FolderMap map;
        QCOMPARE(map.add(QStringLiteral("a/b/c")), 3);
        QCOMPARE(map.add(QStringLiteral("a/b/d")), 1);
        QCOMPARE(map.add(QStringLiteral("a/b")), 0);
        QCOMPARE(map.add(QStringLiteral("A/b")), 2);  // case-sensitive
        QCOMPARE(map.size(), qsizetype(6));
    }

    void folderMapKeepsCollidingPathsApart()
    {
        // "Ba" and "C@" give the same key: 66 * 33 + 97 == 67 * 33 + 64.
        const QString first = QStringLiteral("docs/Ba");
        const QString second = QStringLiteral("docs/C@");
        QCOMPARE(orv::FolderMap::hashKey(first), orv::FolderMap::hashKey(second));
        orv::FolderMap map;
        map.add(first);
        QCOMPARE(map.add(second), 1);
        QVERIFY(map.contains(first));
        QVERIFY(map.contains(second));
        QCOMPARE(map.size(), qsizetype(3));
    }

    void below_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");  // "-" for none
        QTest::newRow("direct child") << "a/b.txt" << "a" << "b.txt";
        QTest::newRow("deeper") << "a/b/c" << "a" << "b/c";
        QTest::newRow("a folder differing in case alone is another") << "Docs/x" << "docs" << "-";
        QTest::newRow("the folder itself") << "a" << "a" << "-";
        QTest::newRow("only a common prefix") << "ab/c" << "a" << "-";
        QTest::newRow("elsewhere") << "b/c" << "a" << "-";
        QTest::newRow("whole archive") << "b/c" << "" << "b/c";
    }
    void below()
    {
        QFETCH(QString, item);
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        const std::optional<QString> relative = orv::pathBelowFolder(item, folder);
        QCOMPARE(relative.value_or(QStringLiteral("-")), expected);
    }

    void totals()
    {
        orv::ArchiveTotals totals;
        totals.addFile(1000, 500);
        totals.addFile(234567, 100000);
        totals.addFolder(QStringLiteral("a/b"));
        totals.addFolder(QStringLiteral("a"));
        QCOMPARE(orv::totalsText(totals),
                 QStringLiteral("Files - 2, Folders - 2, Size - 235 567 bytes, Packed - 100 500 bytes, Ratio - 42%"));
        QCOMPARE(orv::totalsTextWithoutPacked(totals), QStringLiteral("Files - 2, Folders - 2, Size - 235 567 bytes"));

        orv::ArchiveTotals filesOnly;
        for (const char *path : {"a/b/x.txt", "a/b/y.txt", "top.txt"})
            filesOnly.addParentOf(QString::fromLatin1(path));
        QCOMPARE(filesOnly.folders(), quint64(2));
    }

    // Which bytes are taken for UTF-8 decides which names collapse: every row must come back byte for byte,
    // and only the rows with bytes outside a valid sequence carry escapes.
    void entryNames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("escaped");
        QTest::newRow("ascii") << QByteArray("docs/a.txt") << 0;
        // U+1D4AE: the second half of its UTF-16 pair lies among the escapes.
        QTest::newRow("two, three and four bytes") << QByteArray("\xc3\xa9\xe2\x82\xac\xf0\x9d\x92\xae") << 0;
        QTest::newRow("the replacement character itself") << QByteArray("\xef\xbf\xbd") << 0;
        QTest::newRow("lone high byte") << QByteArray("a\xff.txt") << 1;
        QTest::newRow("sequence cut by the end") << QByteArray("a\xe2\x82") << 2;
        QTest::newRow("sequence cut by ascii") << QByteArray("\xe2\x82/b") << 2;
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << 2;
        QTest::newRow("overlong three bytes") << QByteArray("\xe0\x80\xaf") << 3;
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xb3\xbf") << 3;
        QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << 4;
        QTest::newRow("stray continuation") << QByteArray("\x80") << 1;
    }

    void entryNames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, escaped);
        const QString name = orv::decodeEntryName(bytes);
        int lone = 0;
        for (qsizetype i = 0; i < name.size(); ++i)
            lone += name[i].isLowSurrogate() && (i == 0 || !name[i - 1].isHighSurrogate()) ? 1 : 0;
        QCOMPARE(lone, escaped);
        QCOMPARE(orv::entryNameBytes(name), bytes);
        if (escaped == 0)
            QCOMPARE(name, QString::fromUtf8(bytes));
    }

    void fileTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("7z") << orv::sevenZipFileText(0, 2000, 1000, 0xABC)
                            << "Modified - 01/01/70 00:00:00, Size - 2 000 bytes, Packed - 1 000 bytes, "
                               "Ratio - 50%, CRC - 00000abc";
        QTest::newRow("rar") << orv::rarFileText(0, 10, 10, 0xDEADBEEF, 29)
                             << "Modified - 01/01/70 00:00:00, Size - 10 bytes, Packed - 10 bytes, Ratio - 100%, "
                                "CRC - deadbeef, Version to extract - 2.9";
        QTest::newRow("cab") << orv::cabFileText(86400, 1234567)
                             << "Modified - 01/02/70 00:00:00, Size - 1 234 567 bytes";
        QTest::newRow("iso empty file") << orv::isoFileText(0, 0, 0)
                                        << "Modified - 01/01/70 00:00:00, Size - 0 bytes, Packed - 0 bytes, Ratio - 0%";
        QTest::newRow("udf") << orv::udfFileText(0, 3600, 100, 2048)
                             << "Modified - 01/01/70 00:00:00, Accessed - 01/01/70 01:00:00, Size - 100 bytes, "
                                "Packed - 2 048 bytes, Ratio - 2048%";
    }
    void fileTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }
};

QTEST_GUILESS_MAIN(TestUnpackTexts)
#include "tst_unpacktexts.moc"
