#include "finder/archive/archivekind.h"
#include "finder/archive/unpackerregistry.h"
#include "platform/events.h"
#include "platform/numbers.h"
#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/tools.h"
#include "tests/support/unpacksettings.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <vector>

using namespace orv;
using namespace orv::test;

// What every reader keeps to behind IUnpacker, whatever its format: each case runs for every format, on
// archives made at test time from one source tree by the tools that make such archives in real life. RAR,
// which no tool here makes, comes from the shared samples, with bsdtar's extraction as its source tree.

namespace {

using Tree = QMap<QString, QByteArray>;

struct Format
{
    const char *name;
    ArchiveKindCode kind;
    QString archive;  // in the scratch folder; the first volume of a set
    QString source;   // the folder whose tree the archive holds
    QString file;     // the file and the folder the cases unpack
    QString folder;
    QString leading;  // an item listed before the contents: the tar inside a compressed file
    bool folderItems;  // a cabinet records files only
    bool upperCase;    // ISO 9660 names as the image stores them
};

const QString kSharedRar = QStringLiteral("/fixtures/rar/rar5-folders.rar");

// A format made from the source tree "src". Its cases unpack one file and a folder that has a sibling
// sharing its prefix ("docs2") and an empty folder inside ("docs/none").
Format generated(const char *name, ArchiveKindCode kind, const char *archive, const char *leading = "",
                 bool folderItems = true, bool upperCase = false)
{
    return Format{name, kind, QString::fromLatin1(archive), QStringLiteral("src"), QStringLiteral("docs/deep/data.bin"),
                  QStringLiteral("docs"), QString::fromLatin1(leading), folderItems, upperCase};
}

std::vector<Format> makeFormats()
{
    return {generated("zip", ArchiveKind::Zip, "a.zip"),
            generated("jar", ArchiveKind::Jar, "a.jar"),
            generated("7z", ArchiveKind::SevenZip, "a.7z"),
            generated("split 7z", ArchiveKind::SevenZipVolumes, "split.7z.001"),
            Format{"rar", ArchiveKind::Rar, kSharedRar, QStringLiteral("rarsrc"), QStringLiteral("sub/dir2/file2.txt"),
                   QStringLiteral("sub/dir1"), QString(), true, false},
            generated("cab", ArchiveKind::Cab, "a.cab", "", false),
            generated("gzip", ArchiveKind::GZip, "a.tar.gz", "a.tar"),
            generated("bzip2", ArchiveKind::BZip2, "a.tar.bz2", "a.tar"),
            generated("xz", ArchiveKind::Xz, "a.tar.xz", "a.tar"),
            generated("tar", ArchiveKind::Tar, "a.tar"),
            generated("iso", ArchiveKind::Iso, "a.iso", "", true, true),
            generated("udf", ArchiveKind::Iso, "udf.iso")};
}

const std::vector<Format> &formats()
{
    static const std::vector<Format> all = makeFormats();
    return all;
}

const Format &formatAt(int index)
{
    return formats()[std::size_t(index)];
}

// A path of the source tree as the archive spells it.
QString spelt(const Format &format, const QString &path)
{
    return format.upperCase ? path.toUpper() : path;
}

QString entryParentOf(const QString &path)
{
    return path.left(std::max<qsizetype>(0, path.lastIndexOf(u'/')));
}

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

enum class Operation { File, Folder, Archive };

bool chosenBy(Operation operation, const Format &format, const QString &path)
{
    switch (operation) {
    case Operation::File:
        return path == format.file;
    case Operation::Folder:
        return path == format.folder || path.startsWith(format.folder + u'/');
    case Operation::Archive:
        break;
    }
    return true;
}

// What an unpack writes, worked out from the source tree: the items chosen, at their paths or cut as the
// "without paths" rules say, and every folder above them.
Tree expectedTree(const Format &format, const Tree &source, Operation operation, bool withoutPaths)
{
    Tree expected;
    const QString parent = entryParentOf(format.folder);
    for (auto it = source.cbegin(); it != source.cend(); ++it) {
        const bool folder = it.key().endsWith(u'/');
        QString path = folder ? it.key().chopped(1) : it.key();
        const bool folderWritten = format.folderItems && !(withoutPaths && operation == Operation::Archive);
        if (!chosenBy(operation, format, path) || (folder && !folderWritten))
            continue;
        if (withoutPaths && operation != Operation::Folder)
            path = nameOf(path);
        else if (withoutPaths && !parent.isEmpty())
            path = path.mid(parent.size() + 1);
        path = spelt(format, path);
        expected.insert(folder ? path + u'/' : path, it.value());
        for (QString above = entryParentOf(path); !above.isEmpty(); above = entryParentOf(above))
            expected.insert(above + u'/', {});
    }
    return expected;
}

// Every entry the cursor gives, walked as the finder walks it: a file as its size, a folder as "/".
QMap<QString, QString> walk(IUnpacker &unpacker)
{
    QMap<QString, QString> listed;
    if (!unpacker.findFile())
        return listed;
    bool more = true;
    while (more) {
        more = unpacker.findNextFile();
        ArchiveEntry entry;
        if (!unpacker.currentEntry(entry))
            break;
        listed.insert(entry.path, entry.folder ? QStringLiteral("/") : QString::number(entry.size));
    }
    return listed;
}

// A tree as lines that a failed comparison shows readably: folders as "path/", files as "path size digest".
QStringList describe(const Tree &tree)
{
    QStringList lines;
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        const QByteArray digest = QCryptographicHash::hash(it.value(), QCryptographicHash::Md5).toHex().left(8);
        const bool folder = it.key().endsWith(u'/');
        lines << (folder ? it.key() : QStringLiteral("%1 %2 %3").arg(it.key()).arg(it->size()).arg(digest));
    }
    return lines;
}

// Files that are not whole copies of their source, or that an interrupted write left behind.
QStringList damagedFiles(const Tree &written, const Tree &source)
{
    QStringList damaged;
    for (auto it = written.cbegin(); it != written.cend(); ++it) {
        if (!it.key().endsWith(u'/') && source.value(it.key()) != it.value())
            damaged << it.key();
    }
    return damaged;
}

struct UnpackCase
{
    const char *name;
    Operation operation;
    bool withoutPaths;
};

const UnpackCase kUnpackCases[] = {
    {"file", Operation::File, false},      {"file without paths", Operation::File, true},
    {"folder", Operation::Folder, false},  {"folder without paths", Operation::Folder, true},
    {"archive", Operation::Archive, false}, {"archive without paths", Operation::Archive, true},
};

struct ReplaceCase
{
    const char *name;
    QList<ReplaceAnswer> answers;
    bool ask;
    bool readOnly;  // the existing copy of the file is read-only
    bool result;
    bool replaced;
    int questions;
};

// Two files exist already; the answers are such that the order in which a format writes them does not
// matter.
const ReplaceCase kReplaceCases[] = {
    {"yes", {ReplaceAnswer::Yes, ReplaceAnswer::Yes}, true, false, true, true, 2},
    {"no is no failure", {ReplaceAnswer::No, ReplaceAnswer::No}, true, false, true, false, 2},
    {"yes to all asks once", {ReplaceAnswer::YesToAll}, true, false, true, true, 1},
    {"cancel stops the run", {ReplaceAnswer::Cancel}, true, false, false, false, 1},
    {"never asked, read-only replaced", {}, false, true, true, true, 0},
};

template <typename Case, std::size_t N>
QStringList namesOf(const Case (&cases)[N])
{
    QStringList names;
    for (const Case &c : cases)
        names << QString::fromLatin1(c.name);
    return names;
}

// The rows of one case: every format, times every variant of the case when it has any.
void addMatrix(const QStringList &variants = {})
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("variant");
    for (int f = 0; f < int(formats().size()); ++f) {
        if (variants.isEmpty())
            QTest::newRow(formatAt(f).name) << f << 0;
        for (int v = 0; v < variants.size(); ++v)
            QTest::addRow("%s: %s", formatAt(f).name, qPrintable(variants[v])) << f << v;
    }
}

}  // namespace

class TestUnpackerContract : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QMap<QString, Tree> m_sources;  // by source folder
    QString m_rar;

    QString at(const QString &relative) const { return m_dir.filePath(relative); }
    QString archiveOf(const Format &format) const
    {
        return format.kind == ArchiveKind::Rar ? m_rar : at(format.archive);
    }
    // The case's format, opened by a reader of its own.
    std::unique_ptr<IUnpacker> open(int index)
    {
        const Format &format = formatAt(index);
        if (archiveOf(format).isEmpty())
            return nullptr;
        std::unique_ptr<IUnpacker> unpacker = createUnpackerOfKind(format.kind);
        if (unpacker && !unpacker->openArchive(archiveOf(format)))
            unpacker.reset();
        return unpacker;
    }
    void makeArchives();

private slots:
    void initTestCase();
    void openAndClose_data() { addMatrix(); }
    void openAndClose();
    void cursorWalk_data() { addMatrix(); }
    void cursorWalk();
    void isFolder_data() { addMatrix(); }
    void isFolder();
    void outputTexts_data() { addMatrix(); }
    void outputTexts();
    void unpack_data() { addMatrix(namesOf(kUnpackCases)); }
    void unpack();
    void replaceQuestion_data() { addMatrix(namesOf(kReplaceCases)); }
    void replaceQuestion();
    void yesToAllCarriesToTheNextReader_data() { addMatrix(); }
    void yesToAllCarriesToTheNextReader();
    void stopRequest_data() { addMatrix({QStringLiteral("interrupt"), QStringLiteral("go on")}); }
    void stopRequest();
};

#define OPEN_OR_SKIP(name, index)                                              \
    const std::unique_ptr<IUnpacker> name = open(index);                       \
    if (archiveOf(formatAt(index)).isEmpty())                                  \
        QSKIP("the shared RAR samples are not at hand");                       \
    QVERIFY(name)

void TestUnpackerContract::initTestCase()
{
    // Tools and readers then agree on the local time that DOS and ISO 9660 times are kept in.
    qputenv("TZ", "UTC");
    tzset();
    QVERIFY(m_dir.isValid());
    const Tree files{{"top.txt", "top level\n"},
                     {"docs/readme.txt", QByteArray("read me\n").repeated(300)},
                     {"docs/deep/data.bin", noise(300000, 5)},
                     {"docs/deep/empty.txt", {}},
                     {"docs2/other.txt", "a sibling that only shares the prefix\n"}};
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        QVERIFY(writeFile(at("src/") + it.key(), it.value()));
    QVERIFY(QDir().mkpath(at("src/docs/none")));
    makeArchives();
    m_sources.insert(QStringLiteral("src"), tree(at("src")));
    const QString rar = qEnvironmentVariable("ORV_SHARED_DIR") + kSharedRar;
    if (QFileInfo::exists(rar) && QDir().mkpath(at("rarsrc"))
        && runTool(QStringLiteral("bsdtar"), {QStringLiteral("-xf"), rar}, at("rarsrc")).ok()) {
        m_rar = rar;
        m_sources.insert(QStringLiteral("rarsrc"), tree(at("rarsrc")));
    }
}

void TestUnpackerContract::makeArchives()
{
    const QString src = at("src");
    const QStringList top{"docs", "docs2", "top.txt"};
    const QStringList files = filesOf(tree(src)).keys();
    QVERIFY(runTool("sh", {"-c", "find . -exec touch -h -d '2021-03-04 05:06:08' {} +"}, src).ok());
    QVERIFY(runTool("zip", QStringList{"-rqX", at("a.zip")} + top, src).ok());
    QVERIFY(runTool("7z", QStringList{"a", "-bd", "-tzip", at("a.jar")} + top, src).ok());
    QVERIFY(runTool("7z", QStringList{"a", "-bd", at("a.7z")} + top, src).ok());
    QVERIFY(runTool("7z", QStringList{"a", "-bd", "-v100k", "-mx0", at("split.7z")} + top, src).ok());
    QVERIFY(runTool("gcab", QStringList{"-c", "-z", at("a.cab")} + files, src).ok());
    QVERIFY(runTool("tar", QStringList{"-cf", at("a.tar")} + top, src).ok());
    QVERIFY(runTool("sh", {"-c", "gzip -k a.tar && bzip2 -k a.tar && xz -k a.tar"}, m_dir.path()).ok());
    QVERIFY(runTool("genisoimage", {"-quiet", "-o", at("a.iso"), src}).ok());
    QVERIFY(runTool("genisoimage", {"-quiet", "-udf", "-o", at("udf.iso"), src}).ok());
}

void TestUnpackerContract::openAndClose()
{
    QFETCH(int, format);
    OPEN_OR_SKIP(unpacker, format);
    QCOMPARE(unpacker->damageText(), QString());
    QVERIFY(unpacker->closeArchive());
    QVERIFY(unpacker->openArchive(archiveOf(formatAt(format))));

    // Text under the archive's name is refused, and nothing is left to list.
    const QString fake = at(QStringLiteral("fake/") + QFileInfo(formatAt(format).archive).fileName());
    QVERIFY(writeFile(fake, QByteArray("not an archive\n").repeated(100)));
    QVERIFY(!unpacker->openArchive(fake));
    QVERIFY(!unpacker->findFile());
}

void TestUnpackerContract::cursorWalk()
{
    QFETCH(int, format);
    OPEN_OR_SKIP(unpacker, format);
    const Format &f = formatAt(format);
    QMap<QString, QString> expected;
    const Tree source = m_sources.value(f.source);
    for (auto it = source.cbegin(); it != source.cend(); ++it) {
        const bool folder = it.key().endsWith(u'/');
        const QString path = folder ? it.key().chopped(1) : it.key();
        if (!folder || f.folderItems)
            expected.insert(spelt(f, path), folder ? QStringLiteral("/") : QString::number(it->size()));
    }
    if (!f.leading.isEmpty())
        expected.insert(f.leading, QString::number(QFileInfo(at(f.leading)).size()));
    QCOMPARE(walk(*unpacker), expected);
    // Every walk starts again at the first entry.
    QCOMPARE(walk(*unpacker), expected);
}

void TestUnpackerContract::isFolder()
{
    QFETCH(int, format);
    OPEN_OR_SKIP(unpacker, format);
    const Format &f = formatAt(format);
    QVERIFY(unpacker->isFolder(f.folder));
    QVERIFY(unpacker->isFolder(f.folder.toUpper()));
    QVERIFY(!unpacker->isFolder(f.folder.chopped(1)));
    QVERIFY(!unpacker->isFolder(f.file));
    QVERIFY(!unpacker->isFolder(QStringLiteral("missing")));
}

void TestUnpackerContract::outputTexts()
{
    QFETCH(int, format);
    OPEN_OR_SKIP(unpacker, format);
    const Format &f = formatAt(format);
    const Tree source = filesOf(m_sources.value(f.source));
    const auto counts = [](qsizetype files) { return QStringLiteral("Files - %1, Folders - ").arg(files); };
    const qsizetype inFolder = std::count_if(source.keyBegin(), source.keyEnd(),
                                             [&f](const QString &path) { return path.startsWith(f.folder + u'/'); });
    const QString size = formatNumber64(quint64(source.value(f.file).size()));
    const QString fileText = unpacker->fileOutputInfo(f.file);
    QVERIFY2(fileText.startsWith(u"Modified - ") && fileText.contains(QStringLiteral(", Size - %1 bytes").arg(size)),
             qPrintable(fileText));
    QCOMPARE(unpacker->fileOutputInfo(QStringLiteral("missing.txt")), QString());
    const QString folderText = unpacker->folderOutputInfo(f.folder);
    QVERIFY2(folderText.startsWith(counts(inFolder)), qPrintable(folderText));
    const QString archiveText = unpacker->archiveOutputInfo();
    QVERIFY2(archiveText.startsWith(counts(source.size())), qPrintable(archiveText));
}

void TestUnpackerContract::unpack()
{
    QFETCH(int, format);
    QFETCH(int, variant);
    const UnpackCase &c = kUnpackCases[variant];
    const Format &f = formatAt(format);
    ScriptedPrompter prompts;
    OPEN_OR_SKIP(unpacker, format);
    INIUNPACK settings = ini(c.withoutPaths);
    unpacker->setIni(settings);
    const QString target = freshFolder(m_dir.path());
    bool done = false;
    if (c.operation == Operation::File)
        // Named in other case and with the other separator, as a path typed by hand may be.
        done = unpacker->unpackFile(QString(f.file).toUpper().replace(u'/', u'\\'), target);
    else if (c.operation == Operation::Folder)
        done = unpacker->unpackFolder(f.folder, target);
    else
        done = unpacker->unpackArchive(target);
    QVERIFY2(done, qPrintable(unpacker->lastErrorText()));
    const Tree source = m_sources.value(f.source);
    QCOMPARE(describe(tree(target)), describe(expectedTree(f, source, c.operation, c.withoutPaths)));
    QCOMPARE(prompts.texts(), QStringList());
    if (c.operation == Operation::File && !c.withoutPaths) {
        const QFileInfo written(target + u'/' + spelt(f, f.file));
        QCOMPARE(written.lastModified(), QFileInfo(at(f.source + u'/' + f.file)).lastModified());
    }
}

void TestUnpackerContract::replaceQuestion()
{
    QFETCH(int, format);
    QFETCH(int, variant);
    const ReplaceCase &c = kReplaceCases[variant];
    const Format &f = formatAt(format);
    ScriptedPrompter prompts;
    for (ReplaceAnswer answer : c.answers)
        prompts.queueReplaceAnswer(answer);
    OPEN_OR_SKIP(unpacker, format);
    INIUNPACK settings = ini(false, c.ask);
    unpacker->setIni(settings);
    const QString target = freshFolder(m_dir.path());
    const Tree source = filesOf(m_sources.value(f.source));
    const QStringList existing{f.file, source.lastKey()};
    for (const QString &file : existing)
        QVERIFY(writeFile(target + u'/' + spelt(f, file), "old"));
    if (c.readOnly)
        QVERIFY(QFile::setPermissions(target + u'/' + spelt(f, existing[1]), QFile::ReadOwner));

    QCOMPARE(unpacker->unpackArchive(target), c.result);
    // Nothing but the replace questions.
    QCOMPARE(prompts.count(ScriptedPrompter::Record::Replace), c.questions);
    QCOMPARE(int(prompts.records().size()), c.questions);
    for (const QString &file : existing) {
        QCOMPARE(readFile(target + u'/' + spelt(f, file)), c.replaced ? source.value(file) : QByteArray("old"));
    }
    // An answer for all lives as long as the archive stays open.
    INIYESTOALL answers;
    unpacker->getIniYesToAll(answers);
    QCOMPARE(answers.bYesToAllFiles, std::uint8_t(c.answers.value(0) == ReplaceAnswer::YesToAll));
    QVERIFY(unpacker->openArchive(archiveOf(f)));
    unpacker->getIniYesToAll(answers);
    QCOMPARE(answers.bYesToAllFiles, std::uint8_t(0));
}

// A batch hands the answers of one reader to the next after its open.
void TestUnpackerContract::yesToAllCarriesToTheNextReader()
{
    QFETCH(int, format);
    ScriptedPrompter prompts;
    OPEN_OR_SKIP(first, format);
    const QString target = freshFolder(m_dir.path());
    QVERIFY(first->unpackArchive(target));
    prompts.queueReplaceAnswer(ReplaceAnswer::YesToAll);
    QVERIFY(first->unpackArchive(target));
    INIYESTOALL answers;
    first->getIniYesToAll(answers);
    const std::unique_ptr<IUnpacker> second = open(format);
    QVERIFY(second);
    second->setIniYesToAll(answers);
    QVERIFY(second->unpackArchive(target));
    QCOMPARE(prompts.count(ScriptedPrompter::Record::Replace), 1);
}

void TestUnpackerContract::stopRequest()
{
    QFETCH(int, format);
    QFETCH(int, variant);
    const bool interrupt = variant == 0;
    const Format &f = formatAt(format);
    ScriptedPrompter prompts;
    prompts.queueMessageAnswer(interrupt ? MsgAnswer::Yes : MsgAnswer::No);
    QObject progress;
    OPEN_OR_SKIP(unpacker, format);
    unpacker->setHandleDialogProgress(&progress);
    postOrvEvent(&progress, Ev::UnpackStop);
    const QString target = freshFolder(m_dir.path());
    QCOMPARE(unpacker->unpackArchive(target), !interrupt);
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Interrupt the unpack?")});
    const Tree expected = expectedTree(f, m_sources.value(f.source), Operation::Archive, false);
    const Tree written = tree(target);
    QCOMPARE(damagedFiles(written, expected), QStringList());
    if (!interrupt)
        QCOMPARE(describe(written), describe(expected));
}

QTEST_GUILESS_MAIN(TestUnpackerContract)
#include "tst_unpackercontract.moc"
