#include "finder/export/exportrun.h"
#include "platform/events.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <clocale>
#include <csignal>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orv;

namespace {

// The rows of a vector, each at its own index in the list.
class VectorRows : public IFoundRows
{
public:
    explicit VectorRows(std::vector<CFileInfo> records) : m_records(std::move(records)) {}
    std::size_t count() const override { return m_records.size(); }
    std::optional<FoundRow> at(std::size_t index) const override { return FoundRow{m_records.at(index), index}; }

private:
    std::vector<CFileInfo> m_records;
};

// Stands in for the progress window: keeps the titles and texts it gets and asks to stop, as its Stop
// button would, once the given numbers of rows are written. It takes the events after every row.
class FakeRunWindow : public QObject, public IRunWindow
{
public:
    QObject *begin(const QString &title) override
    {
        titles << title;
        return this;
    }
    void end() override { ++ended; }
    int pumpIntervalMs() const override { return 0; }
    bool event(QEvent *event) override
    {
        if (event->type() != Ev::type(Ev::FindProgress))
            return QObject::event(event);
        texts << static_cast<OrvEvent *>(event)->text();
        if (stopAfter.contains(int(texts.size())))
            postOrvEvent(this, Ev::FindStop);
        return true;
    }

    QList<int> stopAfter;
    QStringList titles;
    QStringList texts;
    int ended = 0;
};

CFileInfo record(const QString &folder, const QString &name, std::uint64_t size, std::int64_t modified)
{
    CFileInfo r;
    r.m_strName = name;
    r.m_strFullPath = folder + QLatin1Char('/') + name;
    r.m_nSize = r.m_nSize2 = size;
    r.m_tModified = modified;
    return r;
}

// Names that a naive writer gets wrong, and a folder record.
std::vector<CFileInfo> trickyRecords()
{
    CFileInfo folder = record(QStringLiteral("/data"), QStringLiteral("docs"), 0, 86400);
    folder.m_nIsFolder = 1;
    return {record(QStringLiteral("/data/a.zip"), QStringLiteral("semi;colon \"quoted\".txt"), 1234567, 3723),
            record(QStringLiteral("/data/R&D <new>"), QStringLiteral("Grüße 日本.txt"), 999, 0),
            record(QStringLiteral(""), QStringLiteral("two\nlines"), 0, 60), folder};
}

std::vector<CFileInfo> plainRecords(int count)
{
    std::vector<CFileInfo> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(record(QStringLiteral("/p"), QStringLiteral("file%1.txt").arg(i), std::uint64_t(i), 0));
    return rows;
}

// Reads a written file back with the clients people use: Python's csv module, an XML parser, openpyxl,
// and the document part of the .docx as text. Each row as its cell texts, header rows included.
const char kReadBack[] = R"(
import csv, json, sys, zipfile
import xml.etree.ElementTree as ET
kind, path = sys.argv[1], sys.argv[2]
rows = []
if kind == 'txt':
    rows = [[line] for line in open(path, encoding='utf-8-sig', newline='').read().split('\r\n')[:-1]]
elif kind == 'csv':
    rows = list(csv.reader(open(path, encoding='utf-8-sig', newline=''), delimiter=';'))
elif kind == 'xml':
    root = ET.parse(path).getroot()
    rows = [[(e.text or '') for e in f] for f in root]
elif kind == 'xlsx':
    import openpyxl
    sheet = openpyxl.load_workbook(path).active
    rows = [['' if v is None else str(v) for v in r] for r in sheet.iter_rows(values_only=True)]
elif kind == 'docx':
    w = '{http://schemas.openxmlformats.org/wordprocessingml/2006/main}'
    body = ET.fromstring(zipfile.ZipFile(path).read('word/document.xml')).find(w + 'body')
    rows = [[''.join(e.text or '' if e.tag == w + 't' else '\t' for e in p.iter() if e.tag in (w + 't', w + 'tab'))]
            for p in body.findall(w + 'p')]
print(json.dumps(rows))
)";

QList<QStringList> readWithClient(const QString &kind, const QString &path)
{
    const test::ToolRun run = test::runTool(QStringLiteral("/usr/bin/python3"), {"-c", kReadBack, kind, path});
    QList<QStringList> rows;
    if (!run.ok()) {
        return rows;
    }
    for (const QJsonValue &row : QJsonDocument::fromJson(run.output).array())
        rows << row.toVariant().toStringList();
    return rows;
}

const QMap<QString, FoundFilesFormat> kSavedForms{
    {"txt", FoundFilesFormat::Text}, {"csv", FoundFilesFormat::Csv}, {"xml", FoundFilesFormat::Xml}};

// Saves or exports, by the kind's name.
std::size_t write(const QString &kind, const QString &path, const IFoundRows &rows, IRunWindow &window,
                  const FileOpener &open = {})
{
    if (kSavedForms.contains(kind))
        return SaveFoundFiles(path, kSavedForms[kind], rows, window);
    return ExportFoundFiles(kind == "xlsx" ? ExportTarget::Excel : ExportTarget::Word, path, rows, window, open);
}

}  // namespace

class TestFoundFilesExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        ::tzset();
        std::setlocale(LC_ALL, "C");
    }

    void extensionRule_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "/d/report" << 2 << "/d/report.csv";
        QTest::newRow("another extension") << "/d/report.txt" << 2 << "/d/report.txt.csv";
        QTest::newRow("its extension in capitals") << "/d/REPORT.CSV" << 2 << "/d/REPORT.CSV";
        QTest::newRow("a dot only in the folder") << "/d.xml/report" << 3 << "/d.xml/report.xml";
        QTest::newRow("text") << "/d/list.TXT" << 1 << "/d/list.TXT";
    }

    void extensionRule()
    {
        QFETCH(QString, chosen);
        QFETCH(int, filter);
        QFETCH(QString, saved);
        QCOMPARE(withSaveExtension(chosen, *formatOfSaveFilter(filter)), saved);
    }

    // What every form says around its rows, and when it asks: never before the first row, again only
    // after a new stop request; an interrupted file is complete (an XML file still parses).
    void interruptProtocol_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<int>>("stopAfter");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("messages");  // "%1" the file
        const QString saved = QStringLiteral("Saved %1 lines in the file '%2'");
        const QString question = QStringLiteral("Interrupt the saving?");
        QTest::newRow("txt: to the end") << "txt" << QList<int>{} << QList<bool>{} << true << 3
                                         << QStringList{saved.arg(3).arg("%1")};
        QTest::newRow("csv: Yes after the first row") << "csv" << QList<int>{1} << QList<bool>{true} << true << 1
                                                      << QStringList{question, saved.arg(1).arg("%1")};
        QTest::newRow("xml: Yes after the first row, footer still written")
            << "xml" << QList<int>{1} << QList<bool>{true} << true << 1 << QStringList{question, saved.arg(1).arg("%1")};
        QTest::newRow("txt: No goes on until a new request")
            << "txt" << QList<int>{1, 2} << QList<bool>{false, true} << true << 2
            << QStringList{question, question, saved.arg(2).arg("%1")};
        QTest::newRow("xlsx: Yes after the first row")
            << "xlsx" << QList<int>{1} << QList<bool>{true} << true << 1
            << QStringList{"Interrupt the export?", "Exported 1 lines to Excel"};
        QTest::newRow("docx: No, and no program opens it")
            << "docx" << QList<int>{2} << QList<bool>{false} << false << 3
            << QStringList{"Interrupt the export?", "Exported 3 lines to Word",
                           "Can't open Word\nNo program of this desktop opens the document; it is kept as\n%1"};
    }

    void interruptProtocol()
    {
        QFETCH(QString, kind);
        QFETCH(QList<int>, stopAfter);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, opens);
        QFETCH(int, rows);
        QFETCH(QStringList, messages);
        test::TestHome home;
        ScriptedPrompter prompts;
        for (bool yes : answers)
            prompts.queueMessageAnswer(yes ? MsgAnswer::Yes : MsgAnswer::No);
        FakeRunWindow window;
        window.stopAfter = stopAfter;
        QStringList opened;
        const QString path = home.path() + QStringLiteral("/found.") + kind;
        const VectorRows three(plainRecords(3));
        const std::size_t written = write(kind, path, three, window, [&opened, opens](const QString &file) {
            opened << file;
            return opens;
        });

        QCOMPARE(int(written), rows);
        for (QString &message : messages)
            message.replace(QStringLiteral("%1"), path);
        QCOMPARE(prompts.texts(), messages);
        QCOMPARE(window.ended, 1);
        QCOMPARE(window.texts.last(), QStringLiteral("Current %1 line %2 of 3 ...")
                                          .arg(kSavedForms.contains(kind) ? "recording" : "exporting")
                                          .arg(rows));
        QCOMPARE(window.titles, QStringList{kSavedForms.contains(kind) ? "Saving" : "Export"});
        const int headerRows = kind == "csv" || kind == "xlsx" || kind == "docx" ? 1 : 0;
        QCOMPARE(readWithClient(kind, path).size(), headerRows + rows);
        QCOMPARE(opened, kSavedForms.contains(kind) ? QStringList{} : QStringList{path});
    }

    // Every value comes back from a real reader as the list shows it.
    void readBack_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<QStringList>>("rows");
        const QStringList a{"semi;colon \"quoted\".txt", "/data/a.zip", "1 234 567 bytes", "01/01/70 01:02:03"};
        const QStringList b{"Grüße 日本.txt", "/data/R&D <new>", "999 bytes", "01/01/70 00:00:00"};
        const QStringList c{"two\nlines", "/", "0 bytes", "01/01/70 00:01:00"};
        const QStringList d{"docs", "/data/docs", "", "01/02/70 00:00:00"};
        const auto lines = [](const QList<QStringList> &values, const QString &separator) {
            QList<QStringList> result;
            for (QStringList row : values) {
                row[0].replace("\n", "\\n");
                result << QStringList{row.join(separator)};
            }
            return result;
        };
        const auto numbered = [](QList<QStringList> values) {
            for (int i = 0; i < values.size(); ++i)
                values[i].prepend(QString::number(i + 1));
            return values;
        };
        QTest::newRow("txt") << "txt" << lines({a, b, c, d}, " ");
        QTest::newRow("csv") << "csv" << (QList<QStringList>{{"Name", "Path", "Size", "Modified"}, a, b, c, d});
        QTest::newRow("xml") << "xml" << QList<QStringList>{a, b, c, d};
        QTest::newRow("xlsx") << "xlsx"
                              << QList<QStringList>{{"Num.", "Name", "Path", "Size", "Modified"}} + numbered({a, b, c, d});
        QTest::newRow("docx") << "docx" << QList<QStringList>{{"Name\tPath\tSize\tModified"}} + lines({a, b, c, d}, " ");
    }

    void readBack()
    {
        QFETCH(QString, kind);
        QFETCH(QList<QStringList>, rows);
        test::TestHome home;
        ScriptedPrompter prompts;
        FakeRunWindow window;
        const QString path = home.path() + QStringLiteral("/found.") + kind;
        write(kind, path, VectorRows(trickyRecords()), window, [](const QString &) { return true; });
        QCOMPARE(readWithClient(kind, path), rows);
    }

    // The worksheet's look: rows 1, 4 and 7 of the list become worksheet rows 2 to 4 numbered 1, 4 and 7,
    // with the header's fill, font and alignment, the column widths and alignments, and thin lines on every
    // edge of every cell from A1 to E4.
    void workbookLook()
    {
        test::TestHome home;
        ScriptedPrompter prompts;
        CResultStore store;
        CFoundFilesModel model(store);
        for (const CFileInfo &r : plainRecords(7))
            store.AddFoundFile(r);
        for (int row : {0, 3, 6})
            model.setChecked(row, true);
        FakeRunWindow window;
        const QString path = home.path() + QStringLiteral("/look.xlsx");
        QCOMPARE(ExportFoundFiles(ExportTarget::Excel, path, CCheckedRows(model), window, {}), std::size_t(3));
        const char script[] = R"(
import json, sys, openpyxl
s = openpyxl.load_workbook(sys.argv[1]).active
h = s['A1']
print(json.dumps({
 'numbers': [s.cell(r, 1).value for r in range(2, s.max_row + 1)],
 'widths': [s.column_dimensions[c].width for c in 'ABCDE'],
 'header': [h.fill.fill_type, h.fill.fgColor.rgb, h.font.b, h.font.sz, h.alignment.horizontal],
 'aligned': [s.cell(r, c).alignment.horizontal for r in range(2, s.max_row + 1) for c in range(2, 6)],
 'lines': sorted({b.style for row in s['A1:E%d' % s.max_row] for c in row
                  for b in (c.border.left, c.border.right, c.border.top, c.border.bottom)}, key=str)}))
)";
        const test::ToolRun run = test::runTool(QStringLiteral("/usr/bin/python3"), {"-c", script, path});
        QVERIFY2(run.ok(), run.output.constData());
        // A width of n characters is stored as the file stores Excel's, with the cell's padding of 5 pixels
        // of the default font: n + 0.7109375.
        QCOMPARE(QJsonDocument::fromJson(run.output).toVariant().toMap(),
                 QJsonDocument::fromJson(R"({"numbers": [1, 4, 7],
                     "widths": [10.7109375, 60.7109375, 60.7109375, 30.7109375, 25.7109375],
                     "header": ["solid", "FFC0C0C0", true, 8, "center"],
                     "aligned": ["left", "left", "right", "center", "left", "left", "right", "center",
                                 "left", "left", "right", "center"],
                     "lines": ["thin"]})")
                     .toVariant()
                     .toMap());
    }

    // A file that cannot be made is told at once; a disk that fills up (here a file-size limit, in a child
    // process) is told after the rows, and what the list had written stays in its file.
    void failures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("caption");
        QTest::newRow("txt: no folder") << "txt" << false << "Cannot create file %1" << "Creating file error";
        QTest::newRow("xlsx: no folder") << "xlsx" << false << "Can't open Excel\n" << "Export error";
        QTest::newRow("docx: no folder") << "docx" << false << "Can't open Word\n" << "Export error";
        QTest::newRow("csv: disk full") << "csv" << true << "Cannot write to file %1" << "Writing file error";
        QTest::newRow("xlsx: disk full") << "xlsx" << true << "Export to Excel error:\n" << "Export error";
        QTest::newRow("docx: disk full") << "docx" << true << "Export to Word error:\n" << "Export error";
    }

    void failures()
    {
        QFETCH(QString, kind);
        QFETCH(bool, full);
        QFETCH(QString, message);
        QFETCH(QString, caption);
        test::TestHome home;
        const QString folder = home.path() + (full ? QStringLiteral("/out") : QStringLiteral("/none"));
        QVERIFY(!full || QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/found.") + kind;
        constexpr rlim_t kLimit = 4096;
        int channel[2];
        QVERIFY(::pipe(channel) == 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(channel[0]);
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{kLimit, kLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ScriptedPrompter prompts;
            FakeRunWindow window;
            write(kind, path, VectorRows(plainRecords(1000)), window, [](const QString &) { return true; });
            const QByteArray said = prompts.records().empty() ? QByteArray()
                                                               : (prompts.records().front().text + QLatin1Char('\0')
                                                                  + prompts.records().front().caption)
                                                                     .toUtf8();
            const bool sent = ::write(channel[1], said.constData(), std::size_t(said.size())) == said.size();
            ::_exit(sent ? 0 : 1);
        }
        ::close(channel[1]);
        QByteArray said;
        char buffer[4096];
        for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
            said.append(buffer, n);
        ::close(channel[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        const QStringList parts = QString::fromUtf8(said).split(QLatin1Char('\0'));
        QCOMPARE(parts.size(), 2);
        QVERIFY2(parts[0].startsWith(message.replace(QStringLiteral("%1"), path)), qPrintable(parts[0]));
        QCOMPARE(parts[1], caption);
        // A saved list keeps what it had written; a workbook or document is made whole or not at all.
        const QFileInfo written(path);
        QCOMPARE(written.exists(), full && kSavedForms.contains(kind));
        if (written.exists())
            QCOMPARE(written.size(), qint64(kLimit));
        QCOMPARE(QDir(written.absolutePath()).entryList(QDir::Files | QDir::Hidden).size(), written.exists() ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestFoundFilesExport)
#include "tst_foundfilesexport.moc"
