#include "isotestsupport.h"

#include "platform/prompts.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"
#include "unpack/iso/isounpacker.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace orv;
using namespace orv::test;

namespace {

// Most of an image is zeros and file data; damage aimed at the bytes that are set hits the descriptors
// and directory records far more often.
QByteArray damaged(QByteArray bytes, const std::vector<qsizetype> &set, QRandomGenerator &random)
{
    const auto at = [&] {
        return random.bounded(4) == 0 ? qsizetype(random.bounded(quint32(bytes.size())))
                                      : set[random.bounded(quint32(set.size()))];
    };
    switch (random.bounded(4)) {
    case 0:
        for (int i = 0, n = int(random.bounded(1, 9)); i < n; ++i)
            bytes[at()] = char(random.bounded(256));
        break;
    case 1:
        bytes.truncate(at());
        break;
    case 2: {
        const qsizetype start = at();
        const qsizetype length = std::min<qsizetype>(bytes.size() - start, random.bounded(1, 64));
        bytes.replace(start, length, QByteArray(length, random.bounded(2) ? '\0' : '\xFF'));
        break;
    }
    default:  // a length, extent or count made huge
        bytes.replace(std::min(at(), bytes.size() - 4), 4, QByteArray("\xF0\xFF\xFF\x7F", 4));
        break;
    }
    return bytes;
}

}  // namespace

// Damaged images may be refused or listed in part, but never crash, hang or fill the disk.
class TestIsoDamage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void randomDamage_data();
    void randomDamage();
};

void TestIsoDamage::randomDamage_data()
{
    QTest::addColumn<std::function<QByteArray(const QString &)>>("make");
    const std::vector<UdfFile> files{{QStringLiteral("a.txt"), "alpha"},
                                     {QStringLiteral("d/b.bin"), QByteArray(5000, 'b')},
                                     {QStringLiteral("d/e/c"), "embedded", true},
                                     {QStringLiteral("f/"), {}}};
    QTest::newRow("UDF 2048") << std::function([files](const QString &) { return buildUdf(files); });
    QTest::newRow("UDF 512, extended entries") << std::function([files](const QString &) {
        UdfOptions o;
        o.sectorSize = 512;
        o.extendedEntries = true;
        o.longAllocation = true;
        return buildUdf(files, o);
    });
    const auto tool = [](QStringList arguments) {
        return std::function([arguments](const QString &folder) {
            const QString source = folder + QStringLiteral("/src");
            writeFile(source + QStringLiteral("/a.txt"), "alpha");
            writeFile(source + QStringLiteral("/d/b.bin"), QByteArray(5000, 'b'));
            writeFile(source + QStringLiteral("/d/e/c"), "c");
            const QString image = folder + QStringLiteral("/tool.iso");
            runTool(QStringLiteral("genisoimage"), arguments + QStringList{QStringLiteral("-o"), image, source});
            return readFile(image);
        });
    };
    QTest::newRow("genisoimage ISO 9660") << tool({QStringLiteral("-quiet")});
    QTest::newRow("genisoimage UDF") << tool({QStringLiteral("-quiet"), QStringLiteral("-udf")});
}

void TestIsoDamage::randomDamage()
{
    QFETCH(std::function<QByteArray(const QString &)>, make);
    const QByteArray pristine = make(m_dir.path());
    QVERIFY(!pristine.isEmpty());
    std::vector<qsizetype> set;
    for (qsizetype i = 0; i < pristine.size(); ++i) {
        if (pristine[i] != '\0')
            set.push_back(i);
    }
    ScriptedPrompter prompter;  // refused names are reported; nobody is there to read it
    QRandomGenerator random(0x150 + quint32(pristine.size()));
    const QString victim = m_dir.path() + QStringLiteral("/victim.iso");
    int opened = 0;
    for (int i = 0; i < 300; ++i) {
        QVERIFY(writeFile(victim, damaged(pristine, set, random)));
        CIsoUnpacker unpacker;
        if (!unpacker.OpenArchive(victim))
            continue;
        ++opened;
        listWithUnpacker(unpacker);
        unpacker.GetArchiveOutputInfo();
        QTemporaryDir out;
        unpacker.UnpackArchive(out.path());
        prompter.clear();
    }
    QVERIFY(opened > 0);
}

QTEST_GUILESS_MAIN(TestIsoDamage)
#include "tst_isodamage.moc"
