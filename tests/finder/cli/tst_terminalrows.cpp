#include "finder/cli/terminalrows.h"
#include "finder/cli/terminaltext.h"
#include "finder/export/foundfileswriter.h"

#include <QTest>

using namespace orv;

// The plain row of a hit written from the listing's parts must be the row of the record the window keeps,
// as the saved text list words it with names escaped for the terminal, whatever the name holds.
class TestTerminalRows : public QObject
{
    Q_OBJECT

private slots:
    void partsGiveTheRecordsRow_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("path");
        QTest::addColumn<quint64>("size");
        QTest::newRow("plain") << "/data/a.zip/" << "docs/n1.txt" << quint64(18);
        QTest::newRow("at the top of the archive") << "/data/a.zip/" << "top.txt" << quint64(0);
        QTest::newRow("below a compressed tar") << "/d/b.tar.gz/b.tar/" << "x/y/z.txt" << quint64(1234567);
        QTest::newRow("backslash, tab and DEL") << "/d/a\\b.zip/" << "f\\g/h\ti\x7fj.txt" << quint64(7);
        QTest::newRow("beyond ASCII") << "/d/ä.zip/" << QString::fromUtf8("ordner/datei €.txt") << quint64(10);
        QTest::newRow("an undecodable byte") << "/d/a.tar/" << QStringLiteral("dir/n") + QChar(0xDCFF) + QLatin1Char('x') << quint64(1);
        QTest::newRow("archive at the root") << "/a.zip/" << "n.txt" << quint64(999);
    }

    void partsGiveTheRecordsRow()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, path);
        QFETCH(quint64, size);
        const qsizetype slash = path.lastIndexOf(u'/');
        const FoundEntry entry{prefix, path, QStringView(path).sliced(slash + 1), size, 1700000000};
        CFileInfo escaped = entry.record();
        escaped.m_strName = QString::fromUtf8(terminalText(escaped.m_strName));
        escaped.m_strFullPath = QString::fromUtf8(terminalText(escaped.m_strFullPath));
        const QByteArray expected = foundFilesRow(FoundFilesFormat::Text, escaped, LineEnd::Lf).toUtf8();

        // Twice in a row, so that the kept folder and time texts are used too.
        for (int round = 0; round < 2; ++round) {
            CTerminalRows rows;
            std::string fromParts;
            rows.append(fromParts, entry);
            rows.append(fromParts, entry);
            std::string fromRecord;
            rows.append(fromRecord, entry.record());
            QCOMPARE(QByteArray::fromStdString(fromParts), expected + expected);
            QCOMPARE(QByteArray::fromStdString(fromRecord), expected);
        }
    }

    // The texts kept from the row before must never stand for another folder or time: one writer over a run
    // of rows writes what a new writer writes for each row alone.
    void keptTextsFollowEachRow()
    {
        const QString a = QStringLiteral("/d/a.zip/"), b = QStringLiteral("/d/b.zip/");
        const QString aCopy = QString(a.constData(), a.size());  // the same text in another string
        const QString x1 = QStringLiteral("x/1.txt"), x2 = QStringLiteral("x/2.txt"), y1 = QStringLiteral("y/1.txt"),
                      top = QStringLiteral("top.txt"), deep = QStringLiteral("x/\u00e4/3.txt");
        const struct Row
        {
            const QString &prefix;
            const QString &path;
            std::int64_t time;
        } rows[] = {{a, x1, 1}, {a, x2, 1}, {a, y1, 2}, {a, top, 2}, {a, x1, 2}, {b, x1, 2}, {b, y1, 1},
                    {aCopy, y1, 1}, {a, deep, 1}, {b, deep, 1}, {b, top, 1}, {a, top, 1}};
        CTerminalRows kept;
        std::string together, alone;
        for (const Row &row : rows) {
            const qsizetype slash = row.path.lastIndexOf(u'/');
            const FoundEntry entry{row.prefix, row.path, QStringView(row.path).sliced(slash + 1), 5, row.time};
            kept.append(together, entry);
            CTerminalRows fresh;
            fresh.append(alone, entry);
        }
        QCOMPARE(QByteArray::fromStdString(together), QByteArray::fromStdString(alone));
    }
};

QTEST_GUILESS_MAIN(TestTerminalRows)
#include "tst_terminalrows.moc"
