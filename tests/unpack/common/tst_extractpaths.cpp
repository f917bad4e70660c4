#include "unpack/common/extractpaths.h"
#include "platform/fileattributes.h"
#include "unpack/common/outputfile.h"

#include "tests/support/testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Rule { File, Folder, Archive };

bool makeLink(const QString &target, const QString &link)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

bool writeThrough(orv::safefs::FolderCache &cache, const QString &target, const QString &entry,
                  const orv::safefs::FolderCreated &created = {})
{
    orv::OutputFile file;
    return file.open(target, entry, created, &cache) && file.write("data", 4) && file.commit();
}

int permissionsOf(const QString &path)
{
    struct stat st{};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

}  // namespace

Q_DECLARE_METATYPE(Rule)

class TestExtractPaths : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_target = m_dir->filePath(QStringLiteral("target"));
        m_outside = m_dir->filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(m_target));
        QVERIFY(QDir().mkpath(m_outside));
    }

    void rules_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<bool>("withoutPaths");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file with paths") << Rule::File << false << "a/b/x.txt" << "" << "a/b/x.txt";
        QTest::newRow("file without paths") << Rule::File << true << "a/b/x.txt" << "" << "x.txt";
        QTest::newRow("folder with paths") << Rule::Folder << false << "a/b/c/x.txt" << "a/b" << "a/b/c/x.txt";
        QTest::newRow("folder keeps its own name") << Rule::Folder << true << "a/b/c/x.txt" << "a/b" << "b/c/x.txt";
        QTest::newRow("the folder entry itself") << Rule::Folder << true << "a/b" << "a/b" << "b";
        QTest::newRow("top-level folder unchanged") << Rule::Folder << true << "a/x.txt" << "a" << "a/x.txt";
        QTest::newRow("archive with paths") << Rule::Archive << false << "a/b/x.txt" << "" << "a/b/x.txt";
        QTest::newRow("archive flat") << Rule::Archive << true << "a/b/x.txt" << "" << "x.txt";
    }
    void rules()
    {
        QFETCH(Rule, rule);
        QFETCH(bool, withoutPaths);
        QFETCH(QString, item);
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        QString relative;
        switch (rule) {
        case Rule::File:
            relative = orv::ExtractPaths::forFile(item, withoutPaths);
            break;
        case Rule::Folder:
            relative = orv::ExtractPaths::forFolderItem(item, folder, withoutPaths);
            break;
        case Rule::Archive:
            relative = orv::ExtractPaths::forArchiveItem(item, withoutPaths);
            break;
        }
        QCOMPARE(relative, expected);
    }

    void hostile_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("expected");  // "-" when refused
        QTest::newRow("plain") << "a/b.txt" << "a/b.txt";
        QTest::newRow("empty components dropped") << "a//b/./c" << "a/b/c";
        QTest::newRow("backslash separators") << "a\\b.txt" << "a/b.txt";
        QTest::newRow("absolute") << "/etc/passwd" << "-";
        QTest::newRow("absolute with backslash") << "\\etc\\passwd" << "-";
        QTest::newRow("climbing") << "../x" << "-";
        QTest::newRow("climbing later") << "a/b/../../../x" << "-";
        QTest::newRow("climbing inside is refused too") << "a/../b" << "-";
        QTest::newRow("climbing with backslashes") << "a\\..\\..\\x" << "-";
        QTest::newRow("bare dot-dot") << ".." << "-";
        QTest::newRow("NUL inside") << QStringLiteral("a") + QChar(0) + QStringLiteral("/../../x") << "-";
        QTest::newRow("empty") << "" << "-";
        QTest::newRow("only dots and slashes") << "././/" << "-";
        QTest::newRow("dots in a name are fine") << "a/..b/c.." << "a/..b/c..";
        QTest::newRow("dot-dot last") << "a/b/.." << "-";
        QTest::newRow("NUL at the end of a clean path") << QStringLiteral("a/b") + QChar(0) << "-";
        QTest::newRow("trailing separator") << "a/b/" << "a/b";
        QTest::newRow("trailing dot") << "a/." << "a";
    }
    void hostile()
    {
        QFETCH(QString, entry);
        QFETCH(QString, expected);
        QCOMPARE(orv::safeRelativePath(entry).value_or(QStringLiteral("-")), expected);
        if (expected == QLatin1String("-")) {
            orv::OutputFile file;
            QVERIFY(!file.open(m_target, entry));
            QCOMPARE(file.error(), orv::OutputFile::Error::OutsideTarget);
            QVERIFY(entriesOf(m_target).isEmpty());
            QVERIFY(entriesOf(m_dir->path()).size() == 2);
        } else {
            QCOMPARE(*orv::safeOutputPath(m_target + QStringLiteral("//"), entry), m_target + '/' + expected);
        }
    }

    void writesAndCreatesFolders()
    {
        QStringList created;
        orv::OutputFile file;
        QVERIFY(file.open(m_target, QStringLiteral("a/b/x.txt"), [&](const QString &p) { created << p; }));
        QVERIFY(file.write("hello", 5));
        file.setModificationTime(1000000000);
        QVERIFY(file.commit());
        const QString path = m_target + QStringLiteral("/a/b/x.txt");
        QCOMPARE(file.path(), path);
        QCOMPARE(created, QStringList({m_target + QStringLiteral("/a"), m_target + QStringLiteral("/a/b")}));
        QCOMPARE(orv::test::readFile(path), QByteArray("hello"));
        QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), qint64(1000000000));
        QCOMPARE(entriesOf(m_target + QStringLiteral("/a/b")), QStringList({QStringLiteral("x.txt")}));
    }

    void unfinishedFileLeavesTheOldOne()
    {
        const QString path = m_target + QStringLiteral("/x.txt");
        QVERIFY(orv::test::writeFile(path, "old"));
        {
            orv::OutputFile file;
            QVERIFY(file.open(m_target, QStringLiteral("x.txt")));
            QVERIFY(file.write("partial", 7));
        }
        QCOMPARE(orv::test::readFile(path), QByteArray("old"));
        QCOMPARE(entriesOf(m_target), QStringList({QStringLiteral("x.txt")}));
    }

    void abandonedFileLeavesTheFolderAsItWas_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<bool>("replaces");
        QTest::newRow("nothing there") << "" << false;
        QTest::newRow("a file") << "file" << true;
        QTest::newRow("a link to a file outside") << "link" << true;
        QTest::newRow("a dangling link") << "dangling" << true;
    }
    void abandonedFileLeavesTheFolderAsItWas()
    {
        QFETCH(QString, existing);
        QFETCH(bool, replaces);
        const QString path = m_target + QStringLiteral("/x.txt");
        const QString victim = m_outside + QStringLiteral("/victim.txt");
        QVERIFY(orv::test::writeFile(victim, "precious"));
        if (existing == QLatin1String("file"))
            QVERIFY(orv::test::writeFile(path, "old"));
        else if (existing == QLatin1String("link"))
            QVERIFY(makeLink(victim, path));
        else if (existing == QLatin1String("dangling"))
            QVERIFY(makeLink(m_outside + QStringLiteral("/missing.txt"), path));
        const QStringList before = entriesOf(m_target);
        {
            orv::OutputFile file;
            QVERIFY(file.open(m_target, QStringLiteral("x.txt")));
            QCOMPARE(file.replacesExisting(), replaces);
            QVERIFY(file.write("partial", 7));
        }
        orv::OutputFile discarded;
        QVERIFY(discarded.open(m_target, QStringLiteral("x.txt")));
        QVERIFY(discarded.write("partial", 7));
        discarded.discard();
        QVERIFY(!discarded.commit());
        QCOMPARE(entriesOf(m_target), before);
        QCOMPARE(entriesOf(m_outside), QStringList({QStringLiteral("victim.txt")}));
        QCOMPARE(orv::test::readFile(victim), QByteArray("precious"));
        if (existing == QLatin1String("file"))
            QCOMPARE(orv::test::readFile(path), QByteArray("old"));
    }

    void linkedFolderInsideTargetNotFollowed()
    {
        QVERIFY(makeLink(m_outside, m_target + QStringLiteral("/docs")));
        orv::OutputFile file;
        QVERIFY(!file.open(m_target, QStringLiteral("docs/x.txt")));
        QCOMPARE(file.error(), orv::OutputFile::Error::OutsideTarget);
        QVERIFY(entriesOf(m_outside).isEmpty());
    }

    void linkAtTheOutputPathReplaced()
    {
        const QString victim = m_outside + QStringLiteral("/victim.txt");
        QVERIFY(orv::test::writeFile(victim, "precious"));
        const QString path = m_target + QStringLiteral("/x.txt");
        QVERIFY(makeLink(victim, path));
        orv::OutputFile file;
        QVERIFY(file.open(m_target, QStringLiteral("x.txt")));
        QVERIFY(file.write("new", 3));
        QVERIFY(file.commit());
        QCOMPARE(orv::test::readFile(victim), QByteArray("precious"));
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(orv::test::readFile(path), QByteArray("new"));
    }

    // Refused before any data is written.
    void folderInTheWay()
    {
        QVERIFY(QDir().mkpath(m_target + QStringLiteral("/x.txt/inner")));
        orv::OutputFile file;
        QVERIFY(!file.open(m_target, QStringLiteral("x.txt")));
        QCOMPARE(file.error(), orv::OutputFile::Error::FolderInTheWay);
        QVERIFY(QFileInfo(m_target + QStringLiteral("/x.txt/inner")).isDir());
        QCOMPARE(entriesOf(m_target), QStringList({QStringLiteral("x.txt")}));
    }

    void cachedFolderRemovedIsMadeAgain()
    {
        orv::safefs::FolderCache cache;
        QVERIFY(writeThrough(cache, m_target, QStringLiteral("a/x.txt")));
        QVERIFY(QDir(m_target + QStringLiteral("/a")).removeRecursively());
        QStringList created;
        QVERIFY(writeThrough(cache, m_target, QStringLiteral("a/y.txt"), [&](const QString &p) { created << p; }));
        QCOMPARE(entriesOf(m_target + QStringLiteral("/a")), QStringList({QStringLiteral("y.txt")}));
        QCOMPARE(created, QStringList({m_target + QStringLiteral("/a")}));
    }

    void cachedFolderSwappedForLinkNeverLeadsOutside()
    {
        orv::safefs::FolderCache cache;
        QVERIFY(writeThrough(cache, m_target, QStringLiteral("a/x.txt")));
        QVERIFY(QDir(m_target).rename(QStringLiteral("a"), QStringLiteral("moved")));
        QVERIFY(makeLink(m_outside, m_target + QStringLiteral("/a")));
        writeThrough(cache, m_target, QStringLiteral("a/y.txt"));
        QVERIFY(entriesOf(m_outside).isEmpty());
        QVERIFY(writeThrough(cache, m_target, QStringLiteral("b/z.txt")));
        QVERIFY(!writeThrough(cache, m_target, QStringLiteral("a/w.txt")));
        QVERIFY(entriesOf(m_outside).isEmpty());
    }

    void attributes_data()
    {
        QTest::addColumn<quint32>("attributes");
        QTest::addColumn<int>("expected");
        QTest::newRow("unix mode") << quint32(orv::Attr::UnixExtension | (0640u << 16)) << 0640;
        QTest::newRow("set-user-id from the archive dropped")
            << quint32(orv::Attr::UnixExtension | (04755u << 16)) << 0755;
        QTest::newRow("read-only") << quint32(orv::Attr::ReadOnly) << 0444;
        QTest::newRow("normal keeps the creation mode") << quint32(orv::Attr::Normal) << 0644;
    }
    void attributes()
    {
        QFETCH(quint32, attributes);
        QFETCH(int, expected);
        const mode_t previous = ::umask(022);
        orv::OutputFile file;
        QVERIFY(file.open(m_target, QStringLiteral("x.txt")));
        file.setAttributes(attributes);
        QVERIFY(file.write("data", 4));
        const bool committed = file.commit();
        ::umask(previous);
        QVERIFY(committed);
        QCOMPARE(permissionsOf(file.path()), expected);
        QCOMPARE(entriesOf(m_target), QStringList({QStringLiteral("x.txt")}));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_target;
    QString m_outside;
};

QTEST_GUILESS_MAIN(TestExtractPaths)
#include "tst_extractpaths.moc"
