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

class VectorRows : public IFoundRows
{
public:
    explicit VectorRows(std::vector<CFileInfo> records) : m_records(std::move(records)) {}
    std::size_t count() const override { return m_records.size(); }
    std::optional<FoundRow> at(std::size_t index) const override { return FoundRow{m_records.at(index), index}; }

private:
    std::vector<CFileInfo> m_records;
};

// Stands in for the progress window: takes the events after every row, keeps its title and texts, and asks
// to stop, as its Stop button would, once the given numbers of rows are written.
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

// Names that a naive writer gets wrong, a file in the root folder and a folder record.
std::vector<CFileInfo> trickyRecords()
{
    CFileInfo folder = record(QStringLiteral("/data"), QStringLiteral("docs"), 0, 86400);
    folder.m_nIsFolder = 1;
    return {record(QStringLiteral(""), QStringLiteral("cr\rlf\nname"), 0, 60),
            record(QStringLiteral("/data/\"q\".zip"), QStringLiteral("semi;colon.txt"), 1234567, 3723),
            record(QStringLiteral("/data/R&D <new>"), QStringLiteral("Grüße 日本.txt"), 999, 0), folder};
}

// What a reader gets back from trickyRecords() in each form, header rows included.
QList<QStringList> expectedRows(const QString &kind)
{
    QList<QStringList> rows{{"cr\rlf\nname", "/", "0 bytes", "01/01/70 00:01:00"},
                            {"semi;colon.txt", "/data/\"q\".zip", "1 234 567 bytes", "01/01/70 01:02:03"},
                            {"Grüße 日本.txt", "/data/R&D <new>", "999 bytes", "01/01/70 00:00:00"},
                            {"docs", "/data/docs", "", "01/02/70 00:00:00"}};
    if (kind == "xml")
        return rows;
    if (kind == "csv")
        return QList<QStringList>{{"Name", "Path", "Size", "Modified"}} + rows;
    if (kind == "xlsx") {
        for (int i = 0; i < rows.size(); ++i)
            rows[i].prepend(QString::number(i + 1));
        return QList<QStringList>{{"Num.", "Name", "Path", "Size", "Modified"}} + rows;
    }
    for (QStringList &row : rows) {  // a text line: blanks between the texts, line breaks escaped
        row = QStringList{row.join(QLatin1Char(' '))};
        row[0].replace(QLatin1Char('\r'), QLatin1String("\\r")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    }
    return kind == "txt" ? rows : QList<QStringList>{{"Name\tPath\tSize\tModified"}} + rows;
}

// Reads a file back as its users would: Python's csv module, an XML parser, openpyxl (with Excel's _xHHHH_
// for a control character decoded, as Excel does), and the document part of the .docx as text, a tab
// element as a tab. Each row as its cell texts.
const char kReadBack[] = R"(
import csv, json, sys, zipfile, xml.etree.ElementTree as ET
kind, path = sys.argv[1], sys.argv[2]
if kind == 'txt':
    rows = [[line] for line in open(path, encoding='utf-8-sig', newline='').read().split('\r\n')[:-1]]
elif kind == 'csv':
    rows = list(csv.reader(open(path, encoding='utf-8-sig', newline=''), delimiter=';'))
elif kind == 'xml':
    rows = [[e.text or '' for e in f] for f in ET.parse(path).getroot()]
elif kind == 'xlsx':
    import openpyxl, re
    text = lambda v: re.sub('_x([0-9A-F]{4})_', lambda m: chr(int(m.group(1), 16)), str(v))
    rows = [['' if v is None else text(v) for v in r] for r in openpyxl.load_workbook(path).active.values]
else:
    w = '{http://schemas.openxmlformats.org/wordprocessingml/2006/main}'
    body = ET.fromstring(zipfile.ZipFile(path).read('word/document.xml')).find(w + 'body')
    rows = [[''.join(e.text if e.tag == w + 't' else '\t' for e in p.iter() if e.tag in (w + 't', w + 'tab'))]
            for p in body.findall(w + 'p')]
print(json.dumps(rows))
)";

QList<QStringList> readWithClient(const QString &kind, const QString &path)
{
    const test::ProcessRun run = test::runProcess(QStringLiteral("/usr/bin/python3"), {"-c", kReadBack, kind, path});
    QList<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(run.out).array())
        rows << row.toVariant().toStringList();
    return rows;
}

const QMap<QString, FoundFilesFormat> kSavedForms{
    {"txt", FoundFilesFormat::Text}, {"csv", FoundFilesFormat::Csv}, {"xml", FoundFilesFormat::Xml}};

std::size_t write(const QString &kind, const QString &path, const IFoundRows &rows, IRunWindow &window,
                  const FileOpener &open = {})
{
    if (kSavedForms.contains(kind))
        return SaveFoundFiles(path, kSavedForms[kind], rows, window);
    return ExportFoundFiles(kind == "xlsx" ? ExportTarget::Excel : ExportTarget::Word, path, rows, window, open);
}

}  // namespace

// In UTC and the C locale, so that "%x %X" is fixed.
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
    }

    void extensionRule()
    {
        QFETCH(QString, chosen);
        QFETCH(int, filter);
        QFETCH(QString, saved);
        QCOMPARE(withSaveExtension(chosen, *formatOfSaveFilter(filter)), saved);
    }

    // Every form read back by a real reader, and what is said around the rows: the question comes never
    // before the first row and again only after a new stop request, and an interrupted file is complete (an
    // XML file still parses).
    void writes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<int>>("stopAfter");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("messages");  // %1 the file
        const QString saved = QStringLiteral("Saved %1 lines in the file '%2'");
        const QString question = QStringLiteral("Interrupt the saving?");
        QTest::newRow("txt: to the end") << "txt" << QList<int>{} << QList<bool>{} << true << 4
                                         << QStringList{saved.arg(4).arg("%1")};
        QTest::newRow("csv: Yes after the second row") << "csv" << QList<int>{2} << QList<bool>{true} << true << 2
                                                       << QStringList{question, saved.arg(2).arg("%1")};
        QTest::newRow("xml: No, then Yes") << "xml" << QList<int>{1, 2} << QList<bool>{false, true} << true << 2
                                           << QStringList{question, question, saved.arg(2).arg("%1")};
        QTest::newRow("xlsx: to the end") << "xlsx" << QList<int>{} << QList<bool>{} << true << 4
                                          << QStringList{"Exported 4 lines to Excel"};
        QTest::newRow("docx: Yes after the third row, no program opens it")
            << "docx" << QList<int>{3} << QList<bool>{true} << false << 3
            << QStringList{"Interrupt the export?", "Exported 3 lines to Word",
                           "Can't open Word\nNo program of this desktop opens the document; it is kept as\n%1"};
    }

    void writes()
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
        const std::size_t written = write(kind, path, VectorRows(trickyRecords()), window, [&](const QString &file) {
            opened << file;
            return opens;
        });

        QCOMPARE(int(written), rows);
        QCOMPARE(prompts.texts(), messages.replaceInStrings(QStringLiteral("%1"), path));
        QCOMPARE(window.ended, 1);
        const bool saving = kSavedForms.contains(kind);
        QCOMPARE(window.titles, QStringList{saving ? "Saving" : "Export"});
        QCOMPARE(window.texts.last(),
                 QStringLiteral("Current %1 line %2 of 4 ...").arg(saving ? "recording" : "exporting").arg(rows));
        const QList<QStringList> all = expectedRows(kind);
        QCOMPARE(readWithClient(kind, path), all.mid(0, all.size() - 4 + rows));
        QCOMPARE(opened, saving ? QStringList{} : QStringList{path});
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
        for (int i = 0; i < 7; ++i)
            store.AddFoundFile(record(QStringLiteral("/p"), QStringLiteral("f%1").arg(i), 1, 0));
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
 'aligned': sorted({(c, s.cell(r, c).alignment.horizontal) for r in range(2, s.max_row + 1) for c in range(2, 6)}),
 'lines': sorted({b.style for row in s['A1:E%d' % s.max_row] for c in row
                  for b in (c.border.left, c.border.right, c.border.top, c.border.bottom)}, key=str)}))
)";
        const test::ProcessRun run = test::runProcess(QStringLiteral("/usr/bin/python3"), {"-c", script, path});
        QVERIFY2(run.ok(), run.err.constData());
        // A width of n characters is stored as Excel stores it, with the cell's padding of 5 pixels of the
        // default font: n + 0.7109375.
        QCOMPARE(QJsonDocument::fromJson(run.out).toVariant().toMap(),
                 QJsonDocument::fromJson(R"({"numbers": [1, 4, 7],
                     "widths": [10.7109375, 60.7109375, 60.7109375, 30.7109375, 25.7109375],
                     "header": ["solid", "FFC0C0C0", true, 8, "center"],
                     "aligned": [[2, "left"], [3, "left"], [4, "right"], [5, "center"]], "lines": ["thin"]})")
                     .toVariant()
                     .toMap());
    }

    // A file that cannot be made is told at once; a disk that fills up (here a file-size limit, in a child
    // process) is told after the rows, and what a saved list had written stays in it, while a workbook or
    // document is made whole or not at all.
    void failures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("said");  // the message's start, its caption after a "|"
        QTest::newRow("txt: no folder") << "txt" << false << "Cannot create file %1|Creating file error";
        QTest::newRow("xlsx: no folder") << "xlsx" << false << "Can't open Excel\n|Export error";
        QTest::newRow("docx: no folder") << "docx" << false << "Can't open Word\n|Export error";
        QTest::newRow("csv: disk full") << "csv" << true << "Cannot write to file %1|Writing file error";
        QTest::newRow("xlsx: disk full") << "xlsx" << true << "Export to Excel error:\n|Export error";
        QTest::newRow("docx: disk full") << "docx" << true << "Export to Word error:\n|Export error";
    }

    void failures()
    {
        QFETCH(QString, kind);
        QFETCH(bool, full);
        QFETCH(QString, said);
        test::TestHome home;
        const QString folder = home.path() + (full ? QStringLiteral("/out") : QStringLiteral("/none"));
        QVERIFY(!full || QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/found.") + kind;
        constexpr rlim_t kLimit = 4096;
        int channel[2];
        QVERIFY(::pipe(channel) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{kLimit, kLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ScriptedPrompter prompts;
            FakeRunWindow window;
            std::vector<CFileInfo> many(1000, record(QStringLiteral("/p"), QStringLiteral("name"), 1, 0));
            write(kind, path, VectorRows(many), window, [](const QString &) { return true; });
            if (prompts.records().empty())
                ::_exit(1);
            const auto &first = prompts.records().front();
            const QByteArray bytes = (first.text + QLatin1Char('|') + first.caption).toUtf8();
            ::_exit(::write(channel[1], bytes.constData(), std::size_t(bytes.size())) == bytes.size() ? 0 : 1);
        }
        ::close(channel[1]);
        QByteArray bytes(4096, '\0');
        bytes.resize(std::max<ssize_t>(0, ::read(channel[0], bytes.data(), std::size_t(bytes.size()))));
        ::close(channel[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        const QStringList expected = said.replace(QStringLiteral("%1"), path).split(QLatin1Char('|'));
        const QStringList got = QString::fromUtf8(bytes).split(QLatin1Char('|'));
        QVERIFY2(got.first().startsWith(expected.first()), qPrintable(got.first()));
        QCOMPARE(got.last(), expected.last());
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left, full && kSavedForms.contains(kind) ? QStringList{"found." + kind} : QStringList{});
        QCOMPARE(QFileInfo(path).size(), left.isEmpty() ? 0 : qint64(kLimit));
    }
};

QTEST_GUILESS_MAIN(TestFoundFilesExport)
#include "tst_foundfilesexport.moc"
