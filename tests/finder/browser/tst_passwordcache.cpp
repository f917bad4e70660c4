#include "finder/browser/passwordcache.h"

#include <QtTest>

using orv::CPasswordCache;
namespace Kind = orv::ArchiveKind;

class TestPasswordCache : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lookups_data();
    void lookups();
    void removalBelowAFolder_data();
    void removalBelowAFolder();
};

void TestPasswordCache::lookups_data()
{
    QTest::addColumn<int>("storedKind");
    QTest::addColumn<QString>("storedPath");
    QTest::addColumn<int>("askedKind");
    QTest::addColumn<QString>("askedPath");
    QTest::addColumn<QString>("found");  // null when nothing is found

    QTest::newRow("7z") << Kind::SevenZip << "/d/a.7z" << Kind::SevenZip << "/d/a.7z" << "pw";
    QTest::newRow("split 7z shares the 7z list") << Kind::SevenZip << "/d/a.7z.001" << Kind::SevenZipVolumes
                                                 << "/d/a.7z.001" << "pw";
    QTest::newRow("RAR list apart from 7z") << Kind::Rar << "/d/a.rar" << Kind::SevenZip << "/d/a.rar" << QString();
    QTest::newRow("no list for ZIP") << Kind::Zip << "/d/a.zip" << Kind::Zip << "/d/a.zip" << QString();
    QTest::newRow("names differing in case are two archives")
        << Kind::Rar << "/d/A.rar" << Kind::Rar << "/d/a.rar" << QString();
    QTest::newRow("star in the archive name") << Kind::Rar << "/d/x*y.rar" << Kind::Rar << "/d/x*y.rar" << "pw";
    QTest::newRow("path before a star is another archive")
        << Kind::Rar << "/d/x*y.rar" << Kind::Rar << "/d/x" << QString();
}

void TestPasswordCache::lookups()
{
    QFETCH(int, storedKind);
    QFETCH(QString, storedPath);
    QFETCH(int, askedKind);
    QFETCH(QString, askedPath);
    QFETCH(QString, found);

    CPasswordCache cache;
    cache.add(storedKind, storedPath, QStringLiteral("pw"));
    cache.add(storedKind, storedPath, QStringLiteral("second"));
    const std::optional<QString> password = cache.find(askedKind, askedPath);
    QCOMPARE(password.has_value(), !found.isNull());
    if (password)
        QCOMPARE(*password, found);
}

void TestPasswordCache::removalBelowAFolder_data()
{
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QStringList>("left");

    const QStringList all{"/d/a.rar", "/d/ab/c.7z", "/d/a.rar.x"};
    QTest::newRow("the archive itself") << "/d/a.rar" << QStringList{"/d/ab/c.7z", "/d/a.rar.x"};
    QTest::newRow("a folder, not its namesakes") << "/d/a" << all;
    QTest::newRow("a folder holding one") << "/d/ab" << QStringList{"/d/a.rar", "/d/a.rar.x"};
    QTest::newRow("the root") << "/" << QStringList{};
}

void TestPasswordCache::removalBelowAFolder()
{
    QFETCH(QString, removed);
    QFETCH(QStringList, left);

    CPasswordCache cache;
    cache.add(Kind::Rar, "/d/a.rar", "1");
    cache.add(Kind::SevenZip, "/d/ab/c.7z", "2");
    cache.add(Kind::Rar, "/d/a.rar.x", "3");
    cache.removeAtOrBelow(removed);
    QStringList remaining;
    for (const int kind : {Kind::Rar, Kind::SevenZip}) {
        for (const CPasswordCache::Entry &entry : cache.entries(kind))
            remaining << entry.archivePath;
    }
    remaining.sort();
    left.sort();
    QCOMPARE(remaining, left);
}

QTEST_GUILESS_MAIN(TestPasswordCache)
#include "tst_passwordcache.moc"
