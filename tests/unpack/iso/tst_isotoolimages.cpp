#include "isotestsupport.h"

#include "tests/support/testhome.h"
#include "unpack/iso/isounpacker.h"

#include <QDir>
#include <QHash>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

using namespace orv;
using namespace orv::test;

// Images made by the usual tools are listed as 7-Zip lists them and extract to the bytes and times of
// the files they were made from.
class TestIsoToolImages : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }
    QString source() const { return path(QStringLiteral("src")); }
    QString makeImage(const QString &tool);

private slots:
    void initTestCase();
    void matchesSevenZip_data();
    void matchesSevenZip();
    void emptyUdfWith512ByteSectors();
};

void TestIsoToolImages::initTestCase()
{
    // The tools record UTC; the reader takes recorded times as local time.
    qputenv("TZ", "UTC");
    tzset();
    QVERIFY(m_dir.isValid());
    makeSourceTree(source());
}

QString TestIsoToolImages::makeImage(const QString &tool)
{
    const QString image = path(tool + QStringLiteral(".iso"));
    ToolRun run;
    if (tool == QLatin1String("genisoimage")) {
        run = runTool(QStringLiteral("genisoimage"),
                      {QStringLiteral("-quiet"), QStringLiteral("-hidden"), QStringLiteral("hid.txt"),
                       QStringLiteral("-o"), image, source()});
    } else if (tool == QLatin1String("genisoimage-udf")) {
        run = runTool(QStringLiteral("genisoimage"),
                      {QStringLiteral("-quiet"), QStringLiteral("-udf"), QStringLiteral("-o"), image, source()});
    } else if (tool == QLatin1String("xorriso")) {
        run = runTool(QStringLiteral("xorriso"), {QStringLiteral("-outdev"), image, QStringLiteral("-rockridge"),
                                                  QStringLiteral("off"), QStringLiteral("-joliet"), QStringLiteral("off"),
                                                  QStringLiteral("-map"), source(), QStringLiteral("/")});
    } else if (tool == QLatin1String("pycdlib")) {
        // UDF 2.60 with every file and folder of the source tree.
        const QString script = QStringLiteral(
            "import pycdlib, os, sys\n"
            "src, out = sys.argv[1], sys.argv[2]\n"
            "iso = pycdlib.PyCdlib(); iso.new(udf='2.60', interchange_level=4)\n"
            "for top, dirs, files in sorted(os.walk(src)):\n"
            "    rel = os.path.relpath(top, src)\n"
            "    base = '' if rel == '.' else '/' + rel\n"
            "    for d in sorted(dirs): iso.add_directory(udf_path=base + '/' + d)\n"
            "    for f in sorted(files):\n"
            "        data = open(os.path.join(top, f), 'rb').read()\n"
            "        import io; iso.add_fp(io.BytesIO(data), len(data), udf_path=base + '/' + f)\n"
            "iso.write(out); iso.close()\n");
        run = runTool(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, source(), image});
    }
    return run.exitCode == 0 ? image : QString(run.output);
}

void TestIsoToolImages::matchesSevenZip_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<bool>("udf");
    QTest::addColumn<bool>("keepsTimes");  // pycdlib stamps every file with its own time
    QTest::newRow("genisoimage ISO 9660, hidden file") << "genisoimage" << false << true;
    QTest::newRow("genisoimage UDF 1.02 over ISO 9660") << "genisoimage-udf" << true << true;
    QTest::newRow("xorriso ISO 9660") << "xorriso" << false << true;
    QTest::newRow("pycdlib UDF 2.60") << "pycdlib" << true << false;
}

void TestIsoToolImages::matchesSevenZip()
{
    QFETCH(QString, tool);
    QFETCH(bool, udf);
    QFETCH(bool, keepsTimes);
    const QString image = makeImage(tool);
    QVERIFY2(QFileInfo::exists(image), qPrintable(image));

    CIsoUnpacker unpacker;
    QVERIFY(unpacker.OpenArchive(image));
    QCOMPARE(unpacker.IsUDF(), udf);
    // Every tool's image is whole: its volume ends where the file does, or before.
    QCOMPARE(unpacker.GetDamageText(), QString());
    const Listing ours = listWithUnpacker(unpacker);
    const Listing theirs = listWith7z(image);
    QVERIFY(!theirs.isEmpty());
    QCOMPARE(describe(ours), describe(theirs));

    const QString hidden = udf ? QStringLiteral("hid.txt") : QStringLiteral("HID.TXT");
    QVERIFY(unpacker.LocateFile(hidden));
    ISOFILEFULLINFO info;
    QVERIFY(unpacker.GetFileFullInfo(info));
    QCOMPARE(info.bHidden, std::uint8_t(tool == QLatin1String("genisoimage") ? 1 : 0));

    // ISO 9660 names are upper case; the source files are found again without regard to case.
    QHash<QString, QString> sources;
    for (const QString &file : makeSourceTree(path(QStringLiteral("names"))))
        sources.insert(file.toLower(), source() + u'/' + file);
    QTemporaryDir out;
    QVERIFY(unpacker.UnpackArchive(out.path()));
    for (auto it = ours.begin(); it != ours.end(); ++it) {
        const QString written = out.path() + u'/' + it.key();
        const QFileInfo original(sources.value(it.key().toLower()));
        QVERIFY2(QFileInfo(written).isDir() == it->folder, qPrintable(written));
        if (it->folder)
            continue;
        QVERIFY2(readFile(written) == readFile(original.filePath()), qPrintable(it.key()));
        if (keepsTimes)
            QCOMPARE(QFileInfo(written).lastModified().toSecsSinceEpoch(), original.lastModified().toSecsSinceEpoch());
    }
}

void TestIsoToolImages::emptyUdfWith512ByteSectors()
{
    const QString image = path(QStringLiteral("mkudffs.img"));
    QVERIFY(writeFile(image, QByteArray(4 * 1024 * 1024, '\0')));
    const ToolRun run = runTool(QStringLiteral("mkudffs"), {QStringLiteral("--blocksize=512"),
                                                            QStringLiteral("--media-type=hd"), image});
    QVERIFY2(run.exitCode == 0, run.output.constData());
    CIsoUnpacker unpacker;
    QVERIFY(unpacker.OpenArchive(image));
    QVERIFY(unpacker.IsUDF());
    QCOMPARE(unpacker.GetDamageText(), QString());
    QCOMPARE(describe(listWithUnpacker(unpacker)), describe(listWith7z(image)));
}

QTEST_GUILESS_MAIN(TestIsoToolImages)
#include "tst_isotoolimages.moc"
