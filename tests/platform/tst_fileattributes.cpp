#include "platform/fileattributes.h"

#include "tests/support/testhome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

mode_t modeOf(const QString &path)
{
    struct stat st{};
    if (::lstat(native(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

bool makeFile(const QString &path, mode_t mode)
{
    return orv::test::writeFile(path, "data") && ::chmod(native(path).constData(), mode) == 0;
}

bool makeLink(const QString &target, const QString &link)
{
    return ::symlink(native(target).constData(), native(link).constData()) == 0;
}

}  // namespace

class TestFileAttributes : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup()
    {
        // Read-only folders left by a row would stop the temporary folder from removing itself.
        QDir(m_dir->path()).removeRecursively();
        m_dir.reset();
    }

    void attributes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("mode");
        QTest::addColumn<quint32>("expected");
        using namespace orv;
        QTest::newRow("plain file") << "file" << "a.txt" << 0644 << Attr::Normal;
        QTest::newRow("owner cannot write") << "file" << "a.txt" << 0444 << Attr::ReadOnly;
        QTest::newRow("only others may write") << "file" << "a.txt" << 0466 << Attr::ReadOnly;
        QTest::newRow("dot name") << "file" << ".profile" << 0644 << Attr::Hidden;
        QTest::newRow("hidden and read-only") << "file" << ".a" << 0400 << (Attr::Hidden | Attr::ReadOnly);
        QTest::newRow("folder") << "dir" << "sub" << 0755 << Attr::Directory;
        QTest::newRow("hidden folder") << "dir" << ".git" << 0755 << (Attr::Directory | Attr::Hidden);
        QTest::newRow("link to read-only file not followed") << "link" << "ln" << 0444 << Attr::Normal;
        QTest::newRow("link to folder is no folder") << "dirlink" << "ln" << 0755 << Attr::Normal;
        QTest::newRow("dangling link still exists") << "dangling" << "ln" << 0 << Attr::Normal;
        QTest::newRow("missing") << "none" << "nothing" << 0 << InvalidAttributes;
    }
    void attributes()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(int, mode);
        QFETCH(quint32, expected);
        const QString path = m_dir->filePath(name);
        const QString target = m_dir->filePath(QStringLiteral("target"));
        if (kind == QLatin1String("file")) {
            QVERIFY(makeFile(path, static_cast<mode_t>(mode)));
        } else if (kind == QLatin1String("dir")) {
            QVERIFY(QDir().mkdir(path));
            QCOMPARE(::chmod(native(path).constData(), static_cast<mode_t>(mode)), 0);
        } else if (kind == QLatin1String("link")) {
            QVERIFY(makeFile(target, static_cast<mode_t>(mode)));
            QVERIFY(makeLink(target, path));
        } else if (kind == QLatin1String("dirlink")) {
            QVERIFY(QDir().mkdir(target));
            QVERIFY(makeLink(target, path));
        } else if (kind == QLatin1String("dangling")) {
            QVERIFY(makeLink(m_dir->filePath(QStringLiteral("gone")), path));
        }
        QCOMPARE(orv::fileAttributes(path), expected);
    }

    void clearing_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("read-only gets owner write") << 0444 << 0644;
        QTest::newRow("other bits kept") << 0501 << 0701;
        QTest::newRow("writable untouched") << 0640 << 0640;
    }
    void clearing()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        const QString path = m_dir->filePath(QStringLiteral(".f"));
        QVERIFY(makeFile(path, static_cast<mode_t>(before)));
        QVERIFY(orv::clearSpecialAttributes(path));
        QCOMPARE(int(modeOf(path)), after);
        QCOMPARE(orv::fileAttributes(path) & orv::Attr::ReadOnly, 0u);
    }

    void archived_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<quint32>("attributes");
        QTest::addColumn<int>("after");
        using namespace orv;
        QTest::newRow("windows read-only") << 0664 << Attr::ReadOnly << 0444;
        QTest::newRow("windows plain gives write back") << 0444 << Attr::Archive << 0644;
        QTest::newRow("hidden and system have no effect") << 0640 << (Attr::Hidden | Attr::System) << 0640;
        QTest::newRow("unix mode") << 0600 << ((quint32(0100755) << 16) | Attr::UnixExtension) << 0755;
        QTest::newRow("unix mode wins over read-only bit")
            << 0600 << ((quint32(0100644) << 16) | Attr::UnixExtension | Attr::ReadOnly) << 0644;
        QTest::newRow("set-user-id dropped") << 0600 << ((quint32(0104755) << 16) | Attr::UnixExtension) << 0755;
    }
    void archived()
    {
        QFETCH(int, before);
        QFETCH(quint32, attributes);
        QFETCH(int, after);
        const QString path = m_dir->filePath(QStringLiteral("f"));
        QVERIFY(makeFile(path, static_cast<mode_t>(before)));
        QVERIFY(orv::applyArchivedAttributes(path, attributes));
        QCOMPARE(int(modeOf(path)), after);
    }

    void linkTargetsLeftAlone()
    {
        const QString target = m_dir->filePath(QStringLiteral("target"));
        const QString link = m_dir->filePath(QStringLiteral("link"));
        QVERIFY(makeFile(target, 0600));
        QVERIFY(makeLink(target, link));
        QVERIFY(orv::applyArchivedAttributes(link, (quint32(0100777) << 16) | orv::Attr::UnixExtension));
        QCOMPARE(int(modeOf(target)), 0600);
        QCOMPARE(::chmod(native(target).constData(), 0444), 0);
        QVERIFY(orv::clearSpecialAttributes(link));
        QCOMPARE(int(modeOf(target)), 0444);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestFileAttributes)
#include "tst_fileattributes.moc"
