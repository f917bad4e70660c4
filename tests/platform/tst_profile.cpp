#include "platform/profile.h"
#include "tests/support/testhome.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using orv::PrivateProfile;
using orv::test::readFile;
using orv::test::writeFile;

class TestProfile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString iniPath() const { return m_dir.filePath(QStringLiteral("t.ini")); }

private Q_SLOTS:
    void readString_data();
    void readString();
    void readInt_data();
    void readInt();
    void writeKeepsRestOfFile_data();
    void writeKeepsRestOfFile();
    void listsSectionsAndKeys();
    void deletes_data();
    void deletes();
    void missingFileReadsDefaults();
    void failedWriteLeavesFileIntact();
    void writeIntoMissingFolderFails();
    void batchWritesOnceAtCommit();
};

void TestProfile::readString_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << QByteArray("[A]\nk=v\n") << "A" << "k" << "v";
    QTest::newRow("section name ignores case") << QByteArray("[Pack]\nk=v\n") << "PACK" << "k" << "v";
    QTest::newRow("key name ignores case") << QByteArray("[A]\nKey=v\n") << "A" << "kEY" << "v";
    QTest::newRow("blanks around names and value")
        << QByteArray("  [ A ]  \n  k  =   v w  \n") << "A" << "k" << "v w";
    QTest::newRow("double quotes stripped") << QByteArray("[A]\nk=\" v \"\n") << "A" << "k" << " v ";
    QTest::newRow("single quotes stripped") << QByteArray("[A]\nk='v'\n") << "A" << "k" << "v";
    QTest::newRow("unmatched quote kept") << QByteArray("[A]\nk=\"v\n") << "A" << "k" << "\"v";
    QTest::newRow("first key wins") << QByteArray("[A]\nk=1\nk=2\n") << "A" << "k" << "1";
    QTest::newRow("first section wins") << QByteArray("[A]\nk=1\n[A]\nk=2\n") << "A" << "k" << "1";
    QTest::newRow("key in other section not found") << QByteArray("[A]\n[B]\nk=v\n") << "A" << "k" << "dflt";
    QTest::newRow("missing key gives default") << QByteArray("[A]\nx=v\n") << "A" << "k" << "dflt";
    QTest::newRow("empty value is empty, not default") << QByteArray("[A]\nk=\n") << "A" << "k" << "";
    QTest::newRow("key without equals sign gives default") << QByteArray("[A]\nk\n") << "A" << "k" << "dflt";
    QTest::newRow("value keeps later equals signs") << QByteArray("[A]\nk=a=b\n") << "A" << "k" << "a=b";
    QTest::newRow("comment line is not a key") << QByteArray("[A]\n;k=1\nk=2\n") << "A" << "k" << "2";
    QTest::newRow("CRLF line ends") << QByteArray("[A]\r\nk=v\r\n") << "A" << "k" << "v";
    QTest::newRow("UTF-8 value") << QByteArray("[A]\nk=D\xc3\xa9j\xc3\xa0\n") << "A" << "k" << "Déjà";
    QTest::newRow("keys of a repeated section not merged")
        << QByteArray("[A]\nx=1\n[a]\nk=2\n") << "A" << "k" << "dflt";
    QTest::newRow("key before any section not found") << QByteArray("k=0\n[A]\n") << "A" << "k" << "dflt";
    QTest::newRow("BOM at start") << QByteArray("\xef\xbb\xbf[A]\nk=v\n") << "A" << "k" << "v";
}

void TestProfile::readString()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QVERIFY(writeFile(iniPath(), content));
    QCOMPARE(PrivateProfile(iniPath()).readString(section, key, QStringLiteral("dflt")), expected);
    PrivateProfile batch(iniPath());
    batch.beginBatch();
    QCOMPARE(batch.readString(section, key, QStringLiteral("dflt")), expected);
}

void TestProfile::readInt_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("number") << QByteArray("42") << 42;
    QTest::newRow("negative") << QByteArray("-1") << -1;
    QTest::newRow("plus sign") << QByteArray("+7") << 7;
    QTest::newRow("leading digits only") << QByteArray("12abc") << 12;
    QTest::newRow("no digits is zero") << QByteArray("abc") << 0;
    QTest::newRow("empty value gives default") << QByteArray("") << 99;
    QTest::newRow("huge value clamps") << QByteArray("99999999999999") << 2147483647;
}

void TestProfile::readInt()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    QVERIFY(writeFile(iniPath(), "[A]\nk=" + value + "\n"));
    QCOMPARE(PrivateProfile(iniPath()).readInt(QStringLiteral("A"), QStringLiteral("k"), 99), expected);
}

void TestProfile::writeKeepsRestOfFile_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");

    const QByteArray base("; my notes\n[A]\nx=1\nk=old\n\n[B]\ny=2\n");
    QTest::newRow("replace existing value in place")
        << base << "a" << "K" << QByteArray("; my notes\n[A]\nx=1\nK=new\n\n[B]\ny=2\n");
    QTest::newRow("append key at end of its section, before blank separator")
        << base << "A" << "z" << QByteArray("; my notes\n[A]\nx=1\nk=old\nz=new\n\n[B]\ny=2\n");
    QTest::newRow("append key to last section")
        << base << "B" << "z" << QByteArray("; my notes\n[A]\nx=1\nk=old\n\n[B]\ny=2\nz=new\n");
    QTest::newRow("append missing section at end")
        << base << "C" << "z" << QByteArray("; my notes\n[A]\nx=1\nk=old\n\n[B]\ny=2\n\n[C]\nz=new\n");
    QTest::newRow("new file") << QByteArray() << "C" << "z" << QByteArray("[C]\nz=new\n");
}

void TestProfile::writeKeepsRestOfFile()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);
    QFile::remove(iniPath());
    if (!before.isEmpty())
        QVERIFY(writeFile(iniPath(), before));
    PrivateProfile profile(iniPath());
    QVERIFY(profile.writeString(section, key, QStringLiteral("new")));
    QCOMPARE(readFile(iniPath()), after);
    QCOMPARE(profile.readString(section, key, QString()), QStringLiteral("new"));
}

void TestProfile::listsSectionsAndKeys()
{
    QVERIFY(writeFile(iniPath(), "[One]\na=1\n;c=3\nb\n\n[Two]\n[one]\nd=4\n"));
    PrivateProfile profile(iniPath());
    QCOMPARE(profile.sectionNames(), (QStringList{"One", "Two", "one"}));
    QCOMPARE(profile.keys(QStringLiteral("ONE")), (QStringList{"a", "b"}));
    QCOMPARE(profile.keys(QStringLiteral("missing")), QStringList());
}

void TestProfile::deletes_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("key") << "a" << "X" << QByteArray("[A]\ny=2\n[B]\nx=3\n");
    QTest::newRow("section") << "A" << QString() << QByteArray("[B]\nx=3\n");
    QTest::newRow("missing key changes nothing") << "B" << "nope" << QByteArray("[A]\nx=1\ny=2\n[B]\nx=3\n");
}

void TestProfile::deletes()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);
    QVERIFY(writeFile(iniPath(), "[A]\nx=1\ny=2\n[B]\nx=3\n"));
    PrivateProfile profile(iniPath());
    QVERIFY(key.isNull() ? profile.deleteSection(section) : profile.deleteKey(section, key));
    QCOMPARE(readFile(iniPath()), after);
}

void TestProfile::missingFileReadsDefaults()
{
    PrivateProfile profile(m_dir.filePath(QStringLiteral("none.ini")));
    QCOMPARE(profile.readString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("d")), QStringLiteral("d"));
    QCOMPARE(profile.readInt(QStringLiteral("A"), QStringLiteral("k"), 5), 5);
    QVERIFY(profile.sectionNames().isEmpty());
}

void TestProfile::failedWriteLeavesFileIntact()
{
    QTemporaryDir locked;
    const QString path = locked.filePath(QStringLiteral("t.ini"));
    QVERIFY(writeFile(path, "[A]\nk=v\n"));
    QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner);
    PrivateProfile profile(path);
    const bool written = profile.writeString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("w"));
    QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (written)
        QSKIP("the folder stays writable for this user (running as root)");
    QVERIFY(!profile.lastError().isEmpty());
    QCOMPARE(readFile(path), QByteArray("[A]\nk=v\n"));
}

void TestProfile::writeIntoMissingFolderFails()
{
    PrivateProfile profile(m_dir.filePath(QStringLiteral("missing/t.ini")));
    QVERIFY(!profile.writeString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v")));
    QVERIFY(!profile.lastError().isEmpty());
}

void TestProfile::batchWritesOnceAtCommit()
{
    QVERIFY(writeFile(iniPath(), "[A]\nk=1\n"));
    PrivateProfile profile(iniPath());
    profile.beginBatch();
    QCOMPARE(profile.readString(QStringLiteral("A"), QStringLiteral("k"), QString()), QStringLiteral("1"));
    QVERIFY(profile.writeString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")));
    QCOMPARE(profile.readString(QStringLiteral("A"), QStringLiteral("k"), QString()), QStringLiteral("2"));
    QVERIFY(profile.deleteSection(QStringLiteral("A")));
    QVERIFY(profile.writeString(QStringLiteral("B"), QStringLiteral("j"), QStringLiteral("3")));
    QCOMPARE(profile.readString(QStringLiteral("B"), QStringLiteral("j"), QString()), QStringLiteral("3"));
    QCOMPARE(readFile(iniPath()), QByteArray("[A]\nk=1\n"));
    QVERIFY(profile.commitBatch());
    QCOMPARE(readFile(iniPath()), QByteArray("[B]\nj=3\n"));
}

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
