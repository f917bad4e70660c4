#include "szfixtures.h"

#include "tests/support/testhome.h"
#include "unpack/sevenzip/szlibrary.h"
#include "unpack/sevenzip/zipwriter.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace orv;
using namespace orv::test;
using sz::ZipEncryption;

namespace {

const QString kPassword = QStringLiteral("Zip pass 2");

QStringList leftovers(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains(QStringLiteral(".orv-")))
            found.append(path);
    }
    return found;
}

QHash<QString, SltRecord> byPath(const QList<SltRecord> &records)
{
    QHash<QString, SltRecord> result;
    for (const SltRecord &record : records)
        result.insert(record.value(QStringLiteral("Path")), record);
    return result;
}

// Every item of the archive, read back through the glue; folders end in "/" and hold nothing.
QHash<QString, QByteArray> contents(const QString &archivePath, const QString &password = {})
{
    sz::SevenZipArchive archive;
    sz::ArchiveOpenOptions options;
    options.formats = {QStringLiteral("zip")};
    if (!password.isEmpty())
        options.knownPassword = password;
    QHash<QString, QByteArray> result;
    QTemporaryDir out;
    if (!archive.open(archivePath, options)
        || !extractEverything(archive, out.path(), password.isEmpty() ? std::nullopt : std::optional(password)))
        return result;
    for (quint32 i = 0; i < archive.itemCount(); ++i) {
        const sz::ItemInfo item = archive.item(i);
        result.insert(item.isDir ? item.path + u'/' : item.path,
                      item.isDir ? QByteArray() : readFile(out.path() + u'/' + item.path));
    }
    return result;
}

enum class Failure { SourceVanished, Stopped, TruncatedArchive, TrailingGarbage, BadPassword, LibraryMissing };

}  // namespace

class TestZipWriter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_source;
    QStringList m_files;

    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }
    // The source tree as a new archive.
    bool writeTree(const QString &archivePath, const sz::ZipWriteOptions &options);

private slots:
    void initTestCase();
    void create_data();
    void create();
    void updateKeepsReplacesRenamesRemoves();
    void updateKeepsEncryptedEntriesWithoutTheirPassword();
    void failedUpdateLeavesOriginal_data();
    void failedUpdateLeavesOriginal();
    void passwordProblems_data();
    void passwordProblems();
    void badNames_data();
    void badNames();
    void descriptorDetection_data();
    void descriptorDetection();
};

bool TestZipWriter::writeTree(const QString &archivePath, const sz::ZipWriteOptions &options)
{
    sz::ZipWriter writer;
    writer.create(archivePath);
    writer.setOptions(options);
    for (const QString &file : std::as_const(m_files)) {
        if (!writer.addFile(m_source + u'/' + file, file))
            return false;
    }
    if (!writer.addFolder(QStringLiteral("emptydir"), m_source + QStringLiteral("/emptydir")))
        return false;
    const bool ok = writer.commit();
    if (!ok)
        qWarning("%s", qPrintable(writer.errorText()));
    return ok;
}

void TestZipWriter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_source = path(QStringLiteral("src"));
    m_files = makeSourceTree(m_source);
    // An unusual mode, to see it come back.
    QVERIFY(QFile::setPermissions(m_source + QStringLiteral("/a.txt"),
                                  QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ExeOwner));
}

void TestZipWriter::create_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("level");
    QTest::addColumn<ZipEncryption>("encryption");
    QTest::addColumn<QString>("expectedMethod");  // 7z's name for a compressible file's method

    QTest::newRow("Deflate, level 9") << 8 << 9 << ZipEncryption::None << "Deflate";
    QTest::newRow("BZip2") << 12 << 5 << ZipEncryption::None << "BZip2";
    QTest::newRow("LZMA") << 14 << 5 << ZipEncryption::None << "LZMA";
    QTest::newRow("Deflate, level 0 stores") << 8 << 0 << ZipEncryption::None << "Store";
    QTest::newRow("LZMA, level 0 stores") << 14 << 0 << ZipEncryption::None << "Store";
    QTest::newRow("stored method") << 0 << 5 << ZipEncryption::None << "Store";
    QTest::newRow("ZipCrypto") << 8 << 5 << ZipEncryption::ZipCrypto << "ZipCrypto Deflate";
    QTest::newRow("AES-128, BZip2") << 12 << 1 << ZipEncryption::Aes128 << "AES-128 BZip2";
    QTest::newRow("AES-192") << 8 << 5 << ZipEncryption::Aes192 << "AES-192 Deflate";
    QTest::newRow("AES-256, LZMA 9") << 14 << 9 << ZipEncryption::Aes256 << "AES-256 LZMA";
}

// What we write must test clean in 7-Zip, use the asked method and encryption, and give back the bytes,
// times and Unix modes of the sources.
void TestZipWriter::create()
{
    QFETCH(int, method);
    QFETCH(int, level);
    QFETCH(ZipEncryption, encryption);
    QFETCH(QString, expectedMethod);
    const QString archivePath = path(QStringLiteral("created/%1.zip").arg(QTest::currentDataTag()));
    QDir().mkpath(path(QStringLiteral("created")));
    const bool encrypted = encryption != ZipEncryption::None;
    QVERIFY(writeTree(archivePath, {method, level, encryption, encrypted ? kPassword : QString()}));
    QVERIFY(leftovers(path(QStringLiteral("created"))).isEmpty());

    const ToolRun test = runTool(QStringLiteral("7z"), {QStringLiteral("t"), QStringLiteral("-p") + kPassword, archivePath});
    QVERIFY2(test.exitCode == 0, test.output.constData());
    const QHash<QString, SltRecord> listed = byPath(sevenZipListing(archivePath, kPassword));
    QCOMPARE(listed.size(), m_files.size() + 1);
    QVERIFY2(listed[QStringLiteral("sub/deeper/c.txt")].value(QStringLiteral("Method")).startsWith(expectedMethod),
             qPrintable(listed[QStringLiteral("sub/deeper/c.txt")].value(QStringLiteral("Method"))));
    QCOMPARE(listed[QStringLiteral("a.txt")].value(QStringLiteral("Encrypted")), encrypted ? u"+" : u"-");
    QCOMPARE(listed[QStringLiteral("emptydir")].value(QStringLiteral("Encrypted")), u"-");

    sz::SevenZipArchive archive;
    sz::ArchiveOpenOptions options;
    options.formats = {QStringLiteral("zip")};
    QVERIFY(archive.open(archivePath, options));
    for (quint32 i = 0; i < archive.itemCount(); ++i) {
        const sz::ItemInfo item = archive.item(i);
        struct stat info{};
        QCOMPARE(::stat(QFile::encodeName(m_source + u'/' + item.path).constData(), &info), 0);
        QCOMPARE(item.isDir, S_ISDIR(info.st_mode));
        QCOMPARE(item.mTime.value_or(0), qint64(info.st_mtim.tv_sec));
        QCOMPARE(item.attrib.value_or(0) >> 16, quint32(info.st_mode));
    }
    const QHash<QString, QByteArray> read = contents(archivePath, kPassword);
    for (const QString &file : std::as_const(m_files))
        QCOMPARE(read.value(file), readFile(m_source + u'/' + file));
}

void TestZipWriter::updateKeepsReplacesRenamesRemoves()
{
    const QString archivePath = path(QStringLiteral("update/u.zip"));
    QDir().mkpath(path(QStringLiteral("update")));
    QVERIFY(writeTree(archivePath, {14, 5, ZipEncryption::None, {}}));
    const QHash<QString, SltRecord> before = byPath(sevenZipListing(archivePath));
    const QString newer = path(QStringLiteral("update/newer.txt"));
    const QByteArray replacement = QByteArray("replacement ").repeated(100);
    QVERIFY(writeFile(newer, replacement));

    sz::ZipWriter writer;
    QVERIFY2(writer.open(archivePath), qPrintable(writer.errorText()));
    QVERIFY(!writer.isReadOnly());
    writer.setOptions({8, 5, ZipEncryption::None, {}});
    for (quint32 i = 0; i < writer.archive().itemCount(); ++i) {
        const QString name = writer.archive().item(i).path;
        if (name == u"empty.txt")
            writer.removeItem(i);
        else if (name == u"sub/noise.bin")
            writer.renameItem(i, QStringLiteral("moved\\noise.bin"));
    }
    QVERIFY(writer.addFile(newer, QStringLiteral("a.txt")));
    QVERIFY(writer.addFile(m_source + QStringLiteral("/a.txt"), QStringLiteral("added/new.txt")));
    QVERIFY(writer.addFile(newer, QStringLiteral("added/new.txt")));
    QVERIFY2(writer.commit(), qPrintable(writer.errorText()));
    QVERIFY(leftovers(path(QStringLiteral("update"))).isEmpty());

    const QHash<QString, QByteArray> read = contents(archivePath);
    const QStringList expected{QStringLiteral("a.txt"), QStringLiteral("added/new.txt"), QStringLiteral("moved/noise.bin"),
                               QStringLiteral("sub/deeper/c.txt"), QStringLiteral("\U0001F600 \u00FC.txt"),
                               QStringLiteral("emptydir/")};
    QStringList names = read.keys();
    names.sort();
    QStringList sortedExpected = expected;
    sortedExpected.sort();
    QCOMPARE(names, sortedExpected);
    QCOMPARE(read.value(QStringLiteral("a.txt")), replacement);
    QCOMPARE(read.value(QStringLiteral("added/new.txt")), replacement);
    QCOMPARE(read.value(QStringLiteral("moved/noise.bin")), readFile(m_source + QStringLiteral("/sub/noise.bin")));
    // Kept and renamed entries are copied, not recompressed with the new method.
    const QHash<QString, SltRecord> after = byPath(sevenZipListing(archivePath));
    for (const auto &[old, now] : {std::pair{"sub/deeper/c.txt", "sub/deeper/c.txt"}, std::pair{"sub/noise.bin", "moved/noise.bin"}}) {
        const SltRecord &was = before[QString::fromUtf8(old)];
        const SltRecord &is = after[QString::fromUtf8(now)];
        QCOMPARE(is.value(QStringLiteral("Method")), was.value(QStringLiteral("Method")));
        QCOMPARE(is.value(QStringLiteral("Packed Size")), was.value(QStringLiteral("Packed Size")));
        QCOMPARE(is.value(QStringLiteral("Modified")), was.value(QStringLiteral("Modified")));
    }
    QVERIFY(after[QStringLiteral("a.txt")].value(QStringLiteral("Method")).startsWith(QStringLiteral("Deflate")));
}

// Old encrypted entries are copied raw; adding plain files needs no password and loses nothing.
void TestZipWriter::updateKeepsEncryptedEntriesWithoutTheirPassword()
{
    const QString archivePath = path(QStringLiteral("encupdate/e.zip"));
    QDir().mkpath(path(QStringLiteral("encupdate")));
    QVERIFY(writeTree(archivePath, {8, 5, ZipEncryption::Aes256, kPassword}));
    int asked = 0;
    sz::ZipWriter writer;
    QVERIFY(writer.open(archivePath, [&] { ++asked; return std::optional<QString>(); }));
    QVERIFY(writer.addFile(m_source + QStringLiteral("/a.txt"), QStringLiteral("plain/a.txt")));
    QVERIFY2(writer.commit(), qPrintable(writer.errorText()));
    QCOMPARE(asked, 0);
    const ToolRun test = runTool(QStringLiteral("7z"), {QStringLiteral("t"), QStringLiteral("-p") + kPassword, archivePath});
    QVERIFY2(test.exitCode == 0, test.output.constData());
    const QHash<QString, SltRecord> listed = byPath(sevenZipListing(archivePath, kPassword));
    QCOMPARE(listed[QStringLiteral("plain/a.txt")].value(QStringLiteral("Encrypted")), u"-");
    QCOMPARE(listed[QStringLiteral("sub/noise.bin")].value(QStringLiteral("Encrypted")), u"+");
}

void TestZipWriter::failedUpdateLeavesOriginal_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("textPart");
    QTest::newRow("source vanished") << Failure::SourceVanished << "vanishing.txt";
    QTest::newRow("stopped") << Failure::Stopped << "stopped";
    QTest::newRow("truncated archive") << Failure::TruncatedArchive << "u.zip";
    QTest::newRow("data after the end") << Failure::TrailingGarbage << "cannot be updated";
    QTest::newRow("non-ASCII password") << Failure::BadPassword << "password";
    QTest::newRow("library missing") << Failure::LibraryMissing << "was not found";
}

// Whatever goes wrong, the archive keeps every byte and no temporary file is left beside it.
void TestZipWriter::failedUpdateLeavesOriginal()
{
    QFETCH(Failure, failure);
    QFETCH(QString, textPart);
    QTemporaryDir folder;
    const QString archivePath = folder.path() + QStringLiteral("/u.zip");
    QVERIFY(writeTree(archivePath, {8, 5, ZipEncryption::None, {}}));
    QByteArray original = readFile(archivePath);
    if (failure == Failure::TruncatedArchive)
        original.chop(30);
    if (failure == Failure::TrailingGarbage)
        original += "trailing bytes that belong to no archive";
    QVERIFY(writeFile(archivePath, original));

    const QString vanishing = folder.path() + QStringLiteral("/vanishing.txt");
    QVERIFY(writeFile(vanishing, QByteArray("x").repeated(100000)));
    sz::ZipWriter writer;
    const bool opened = writer.open(archivePath);
    if (failure == Failure::TruncatedArchive && !opened) {
        QVERIFY(writer.errorText().contains(textPart));
        QCOMPARE(readFile(archivePath), original);
        return;
    }
    QVERIFY2(opened, qPrintable(writer.errorText()));
    if (failure == Failure::TrailingGarbage)
        QVERIFY(writer.isReadOnly());
    if (failure == Failure::BadPassword)
        writer.setOptions({8, 5, ZipEncryption::Aes256, QStringLiteral("p\u00E4ss")});
    QVERIFY(writer.addFile(vanishing, QStringLiteral("v.txt")));
    QVERIFY(writer.addFile(m_source + QStringLiteral("/sub/deeper/c.txt"), QStringLiteral("c2.txt")));
    if (failure == Failure::SourceVanished)
        QVERIFY(QFile::remove(vanishing));
    if (failure == Failure::LibraryMissing)
        qputenv(sz::Library::pathVariable, "/nonexistent/7z.so");
    const bool committed = writer.commit([&](quint64, quint64) { return failure != Failure::Stopped; });
    qunsetenv(sz::Library::pathVariable);
    QVERIFY(!committed);
    QVERIFY2(writer.errorText().contains(textPart, Qt::CaseInsensitive), qPrintable(writer.errorText()));
    QCOMPARE(readFile(archivePath), original);
    QVERIFY(leftovers(folder.path()).isEmpty());
}

void TestZipWriter::passwordProblems_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<ZipEncryption>("encryption");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("plain ASCII, AES") << "Abc 123 !~" << ZipEncryption::Aes256 << true;
    QTest::newRow("empty") << "" << ZipEncryption::ZipCrypto << false;
    QTest::newRow("empty, no encryption") << "" << ZipEncryption::None << true;
    QTest::newRow("umlaut") << "p\u00E4ss" << ZipEncryption::ZipCrypto << false;
    QTest::newRow("tab") << "a\tb" << ZipEncryption::Aes128 << false;
    QTest::newRow("99 for AES") << QString(99, u'x') << ZipEncryption::Aes192 << true;
    QTest::newRow("100 for AES") << QString(100, u'x') << ZipEncryption::Aes256 << false;
    QTest::newRow("300 for ZipCrypto") << QString(300, u'x') << ZipEncryption::ZipCrypto << true;
}

// The rules must match what the library accepts, so a refused password never reaches it and an accepted
// one always writes.
void TestZipWriter::passwordProblems()
{
    QFETCH(QString, password);
    QFETCH(ZipEncryption, encryption);
    QFETCH(bool, accepted);
    QCOMPARE(sz::ZipWriter::passwordProblem(password, encryption).isEmpty(), accepted);
    if (!accepted || encryption == ZipEncryption::None)
        return;
    QTemporaryDir folder;
    sz::ZipWriter writer;
    writer.create(folder.path() + QStringLiteral("/p.zip"));
    writer.setOptions({8, 5, encryption, password});
    QVERIFY(writer.addFile(m_source + QStringLiteral("/a.txt"), QStringLiteral("a.txt")));
    QVERIFY2(writer.commit(), qPrintable(writer.errorText()));
    QCOMPARE(contents(folder.path() + QStringLiteral("/p.zip"), password).value(QStringLiteral("a.txt")),
             readFile(m_source + QStringLiteral("/a.txt")));
}

void TestZipWriter::badNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("nested") << "a/b/c.txt" << true;
    QTest::newRow("backslashes") << "a\\b.txt" << true;
    QTest::newRow("parent") << "../escape.txt" << false;
    QTest::newRow("parent inside") << "a/../../b.txt" << false;
    QTest::newRow("absolute") << "/etc/x" << false;
    QTest::newRow("empty part") << "a//b" << false;
    QTest::newRow("trailing slash") << "dir/" << false;
    QTest::newRow("empty") << "" << false;
}

void TestZipWriter::badNames()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    sz::ZipWriter writer;
    writer.create(path(QStringLiteral("names.zip")));
    QCOMPARE(writer.addFile(m_source + QStringLiteral("/a.txt"), name), accepted);
    QCOMPARE(writer.errorText().isEmpty(), accepted);
}

void TestZipWriter::descriptorDetection_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<bool>("zipCryptoWithDescriptor");
    QTest::newRow("zip -P") << "zip" << true;
    QTest::newRow("7z ZipCrypto") << "7z" << false;
}

// Info-ZIP's encrypted entries carry a data descriptor; the packer must know before renaming them.
void TestZipWriter::descriptorDetection()
{
    QFETCH(QString, tool);
    QFETCH(bool, zipCryptoWithDescriptor);
    const QString archivePath = path(QStringLiteral("descriptor-%1.zip").arg(tool));
    const QStringList arguments = tool == u"zip"
        ? QStringList{QStringLiteral("-q"), QStringLiteral("-P"), kPassword, archivePath, QStringLiteral("a.txt")}
        : QStringList{QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-mem=ZipCrypto"),
                      QStringLiteral("-p") + kPassword, archivePath, QStringLiteral("a.txt")};
    const ToolRun run = runTool(tool, arguments, m_source);
    QVERIFY2(run.exitCode == 0, run.output.constData());
    sz::SevenZipArchive archive;
    sz::ArchiveOpenOptions options;
    options.formats = {QStringLiteral("zip")};
    QVERIFY(archive.open(archivePath, options));
    QCOMPARE(archive.itemCount(), 1u);
    QVERIFY(archive.item(0).encrypted);
    QCOMPARE(archive.item(0).isZipCryptoWithDescriptor(), zipCryptoWithDescriptor);
}

QTEST_GUILESS_MAIN(TestZipWriter)
#include "tst_zipwriter.moc"
