#include "platform/knownfolders.h"
#include "tests/support/testhome.h"

#include <QTest>

#include <functional>

using Lookup = std::function<QString()>;
Q_DECLARE_METATYPE(Lookup)

namespace {

const char kUnset[] = "<unset>";

const QByteArray kLocalisedDirs = "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\nXDG_DOWNLOAD_DIR=\"$HOME/Telechargements\"\n"
                                  "XDG_DOCUMENTS_DIR=\"$HOME/Docs perso\"\nXDG_MUSIC_DIR=\"$HOME/Musique\"\n"
                                  "XDG_PICTURES_DIR=\"$HOME/Images\"\nXDG_VIDEOS_DIR=\"$HOME/Films\"\n";

}  // namespace

class TestKnownFolders : public QObject
{
    Q_OBJECT

private slots:
    void followsEnvironment_data();
    void followsEnvironment();
};

// Each row sets one variable over a fresh home ("@" in values) and may write a user-dirs file into the
// configuration folder; every row runs in the same process, so a lookup that cached its answer fails.
void TestKnownFolders::followsEnvironment_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("userDirs");
    QTest::addColumn<Lookup>("lookup");
    QTest::addColumn<QString>("expected");

    const Lookup config = orv::applicationDataFolder;
    const Lookup data = orv::localApplicationDataFolder;
    const Lookup temp = orv::temporaryFolder;
    const QByteArray none;
    QTest::newRow("config from variable") << QByteArray("XDG_CONFIG_HOME") << "@/cfg/" << none << config << "@/cfg";
    QTest::newRow("config unset") << QByteArray("XDG_CONFIG_HOME") << kUnset << none << config << "@/.config";
    QTest::newRow("config empty") << QByteArray("XDG_CONFIG_HOME") << "" << none << config << "@/.config";
    QTest::newRow("config relative") << QByteArray("XDG_CONFIG_HOME") << "cfg" << none << config << "@/.config";
    QTest::newRow("config follows home") << QByteArray("HOME") << "@/me" << none << config << "@/.config";
    QTest::newRow("data from variable") << QByteArray("XDG_DATA_HOME") << "@/data" << none << data << "@/data";
    QTest::newRow("data unset") << QByteArray("XDG_DATA_HOME") << kUnset << none << data << "@/.local/share";
    QTest::newRow("data relative") << QByteArray("XDG_DATA_HOME") << "./d" << none << data << "@/.local/share";
    QTest::newRow("profile") << QByteArray("HOME") << "@/me" << none << Lookup(orv::profileFolder) << "@/me";
    QTest::newRow("temp from TMPDIR") << QByteArray("TMPDIR") << "@/tmp/" << none << temp << "@/tmp";
    QTest::newRow("temp unset") << QByteArray("TMPDIR") << kUnset << none << temp << "/tmp";
    QTest::newRow("temp missing") << QByteArray("TMPDIR") << "@/gone" << none << temp << "/tmp";

    using F = orv::SpecialFolder;
    const std::tuple<const char *, F, const char *, const char *> folders[] = {
        {"desktop", F::Desktop, "Desktop", "Bureau"},
        {"downloads", F::Downloads, "Downloads", "Telechargements"},
        {"documents", F::Documents, "Documents", "Docs perso"},
        {"music", F::Music, "Music", "Musique"},
        {"pictures", F::Pictures, "Pictures", "Images"},
        {"videos", F::Videos, "Videos", "Films"},
    };
    for (const auto &[name, which, plain, localised] : folders) {
        const Lookup lookup = [w = which] { return orv::specialFolder(w); };
        const QString plainPath = QStringLiteral("@/") + QLatin1String(plain);
        const QString localisedPath = QStringLiteral("@/") + QLatin1String(localised);
        QTest::addRow("%s default", name) << QByteArray() << QString() << none << lookup << plainPath;
        QTest::addRow("%s from user dirs", name) << QByteArray() << QString() << kLocalisedDirs << lookup
                                                 << localisedPath;
        QTest::addRow("%s from moved config", name)
            << QByteArray("XDG_CONFIG_HOME") << "@/cfg" << kLocalisedDirs << lookup << localisedPath;
    }
}

void TestKnownFolders::followsEnvironment()
{
    QFETCH(QByteArray, variable);
    QFETCH(QString, value);
    QFETCH(QByteArray, userDirs);
    QFETCH(Lookup, lookup);
    QFETCH(QString, expected);

    orv::test::TestHome home;
    QVERIFY(home.isValid());
    if (value == QLatin1String(kUnset))
        qunsetenv(variable.constData());
    else if (!variable.isEmpty())
        qputenv(variable.constData(), QFile::encodeName(QString(value).replace(QLatin1Char('@'), home.path())));
    if (!userDirs.isEmpty())
        QVERIFY(orv::test::writeFile(orv::applicationDataFolder() + QStringLiteral("/user-dirs.dirs"), userDirs));

    QCOMPARE(lookup(), expected.replace(QLatin1Char('@'), home.path()));
}

QTEST_GUILESS_MAIN(TestKnownFolders)
#include "tst_knownfolders.moc"
