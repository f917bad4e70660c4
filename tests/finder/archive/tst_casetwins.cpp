#include "finder/archive/archiveaccess.h"
#include "finder/archive/extraction.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;

using Files = QMap<QString, QByteArray>;  // path below the destination -> content

// Archives holding names that differ in case alone, made by the tools that make them in real life. Every
// reader must hand out each twin with its own bytes and a folder with its own entries only; a path typed
// in other case still finds an item that has no twin.
class TestCaseTwins : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Files m_source;

    QString at(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    Files extracted(const QString &folder) const
    {
        Files files;
        QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files.insert(path.mid(folder.size() + 1), test::readFile(path));
        }
        return files;
    }

    Files pick(const QStringList &paths) const
    {
        Files files;
        for (const QString &path : paths)
            files.insert(path, m_source.value(path));
        return files;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_source = {{"xt_connmark.h", "lower\n"},
                    {"xt_CONNMARK.h", "UPPER, and longer\n"},
                    {"docs/a.txt", "docs a\n"},
                    {"Docs/a.txt", "Docs a, other bytes\n"},
                    {"Docs/b.txt", "Docs b\n"},
                    {"Solo/Note.txt", "no twin\n"}};
        for (auto it = m_source.cbegin(); it != m_source.cend(); ++it)
            QVERIFY(test::writeFile(at("src/" + it.key()), it.value()));
        const QString src = at("src");
        const QStringList top{"xt_connmark.h", "xt_CONNMARK.h", "docs", "Docs", "Solo"};
        const QList<QPair<QString, QStringList>> makers{
            {"tar", QStringList{"-cf", at("t.tar")} + top},
            {"tar", QStringList{"-czf", at("t.tgz")} + top},
            {"zip", QStringList{"-q", "-r", "-X", at("t.zip")} + top},
            {"7z", QStringList{"a", "-bd", "-y", at("t.7z")} + top},
            {"gcab", QStringList{"-c", at("t.cab")} + m_source.keys()},
            // ISO 9660 names as given, beyond the standard's character set.
            {"genisoimage", {"-quiet", "-allow-lowercase", "-relaxed-filenames", "-l", "-o", at("t.iso"), src}},
            {"genisoimage", {"-quiet", "-udf", "-o", at("udf.iso"), src}},
        };
        for (const auto &[tool, arguments] : makers) {
            const test::ToolRun run = test::runTool(tool, arguments, src);
            QVERIFY2(run.ok(), run.output.constData());
        }
    }

    void extractsEachTwin_data()
    {
        QTest::addColumn<QString>("place");  // the archive, or the tar level of a compressed tar
        QTest::addColumn<QString>("inner");
        QTest::addColumn<Files>("expected");

        const QList<std::tuple<const char *, QString, Files>> items{
            {"file twin, lower", "xt_connmark.h", pick({"xt_connmark.h"})},
            {"file twin, upper", "xt_CONNMARK.h", pick({"xt_CONNMARK.h"})},
            {"folder twin, lower", "docs", pick({"docs/a.txt"})},
            {"folder twin, capital", "Docs", pick({"Docs/a.txt", "Docs/b.txt"})},
            {"file typed in other case, no twin", "SOLO/NOTE.TXT", pick({"Solo/Note.txt"})},
            {"folder typed in other case, no twin", "solo", pick({"Solo/Note.txt"})},
        };
        for (const QString &place : QStringList{"t.tar", "t.tgz/t.tar", "t.zip", "t.7z", "t.cab", "t.iso", "udf.iso"}) {
            for (const auto &[name, inner, expected] : items)
                QTest::addRow("%s: %s", qPrintable(place), name) << place << inner << expected;
        }
    }

    // The folder test, the unpack and the one-line text all take the same item.
    void extractsEachTwin()
    {
        QFETCH(QString, place);
        QFETCH(QString, inner);
        QFETCH(Files, expected);
        const QString archive = at(place.section('/', 0, 0));
        const QString selected = at(place + '/' + inner);
        ScriptedPrompter prompts;
        CArchiveAccess access;
        access.SetArchiveExtensions({"ZIP", "7Z", "TAR", "TGZ", "CAB", "ISO"});
        const QString target = at("out/" + QString(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(target));

        QVERIFY2(CArchiveExtraction(access).ExtractPath(selected, target, nullptr),
                 qPrintable(prompts.texts().join('\n')));
        QCOMPARE(extracted(target), expected);

        const ArchiveKindCode kind = access.GetArchiveKind(archive);
        const COpenedArchive opened = access.Open(archive, kind);
        QVERIFY(opened);
        inner = innerPathOf(selected, archive);
        const bool folder = opened->isFolder(inner);
        qint64 size = 0;
        for (const QByteArray &bytes : expected)
            size += bytes.size();
        const QString text = folder ? opened->folderOutputInfo(inner) : opened->fileOutputInfo(inner);
        if (folder)
            QVERIFY2(text.startsWith(QStringLiteral("Files - %1, ").arg(expected.size())), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Size - %1 bytes").arg(size)), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestCaseTwins)
#include "tst_casetwins.moc"
