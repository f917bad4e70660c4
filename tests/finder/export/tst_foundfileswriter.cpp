#include "finder/export/savedlistfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <ctime>

using namespace orv;

Q_DECLARE_METATYPE(orv::FoundFilesFormat)

// The three saved forms byte for byte, in the C locale and UTC so that "%x %X" is fixed. A list that was
// right before values holding separators or line breaks were mended must come out the same.
class TestFoundFilesWriter : public QObject
{
    Q_OBJECT

private:
    static std::vector<CFileInfo> records()
    {
        CFileInfo file;
        file.m_strName = QStringLiteral(" a b.txt");
        file.m_strFullPath = QStringLiteral("/x/b.zip/dir/ a b.txt");
        file.m_nSize = 1234567;
        file.m_tModified = 86400 + 3723;
        CFileInfo root;
        root.m_strName = QStringLiteral("r&<d>;.zip");
        root.m_strFullPath = QStringLiteral("/r&<d>;.zip");
        root.m_nSize = 999;
        CFileInfo folder;
        folder.m_strName = QStringLiteral("dir\x01");
        folder.m_strFullPath = QStringLiteral("/x/dir\x01");
        folder.m_nIsFolder = 1;
        return {file, root, folder};
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        ::tzset();
        std::setlocale(LC_ALL, "C");
    }

    void forms_data()
    {
        QTest::addColumn<FoundFilesFormat>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text: values unchanged, blanks and all")
            << FoundFilesFormat::Text
            << QByteArray("\xEF\xBB\xBF a b.txt /x/b.zip/dir 1 234 567 bytes 01/02/70 01:02:03\r\n"
                          "r&<d>;.zip / 999 bytes 01/01/70 00:00:00\r\n"
                          "dir\x01 /x/dir\x01  01/01/70 00:00:00\r\n");
        QTest::newRow("csv: header says Path, only a value holding \";\" quoted")
            << FoundFilesFormat::Csv
            << QByteArray("\xEF\xBB\xBFName;Path;Size;Modified\r\n"
                          " a b.txt;/x/b.zip/dir;1 234 567 bytes;01/02/70 01:02:03\r\n"
                          "\"r&<d>;.zip\";/;999 bytes;01/01/70 00:00:00\r\n"
                          "dir\x01;/x/dir\x01;;01/01/70 00:00:00\r\n");
        QTest::newRow("xml: name trimmed, text escaped, empty size for a folder")
            << FoundFilesFormat::Xml
            << QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<found_files>\r\n"
                          "<file>\r\n<name>a b.txt</name>\r\n<path>/x/b.zip/dir</path>\r\n"
                          "<size>1 234 567 bytes</size>\r\n<modified>01/02/70 01:02:03</modified>\r\n</file>\r\n"
                          "<file>\r\n<name>r&amp;&lt;d&gt;;.zip</name>\r\n<path>/</path>\r\n"
                          "<size>999 bytes</size>\r\n<modified>01/01/70 00:00:00</modified>\r\n</file>\r\n"
                          "<file>\r\n<name>dir\xEF\xBF\xBD</name>\r\n<path>/x/dir\xEF\xBF\xBD</path>\r\n"
                          "<size></size>\r\n<modified>01/01/70 00:00:00</modified>\r\n</file>\r\n"
                          "</found_files>\r\n");
    }

    void forms()
    {
        QFETCH(FoundFilesFormat, format);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/list");
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));  // an earlier file is truncated
        {
            CSavedListFile file(format);
            QVERIFY(file.create(path) && file.writeHeader());
            for (const CFileInfo &record : records())
                QVERIFY(file.writeRow(record, 0));
            QVERIFY(file.finish());
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }
};

QTEST_GUILESS_MAIN(TestFoundFilesWriter)
#include "tst_foundfileswriter.moc"
