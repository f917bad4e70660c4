#include "finder/settings/options.h"
#include "finder/settings/optionspage.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace orv;
using orv::test::readFile;
using orv::test::TestHome;
using orv::test::writeFile;

namespace {

QString iniPathIn(const TestHome &home)
{
    return home.configHome() + QStringLiteral("/Orvel Systems/Orvel-ZIP Finder/orvfind.ini");
}

// "name=state" of a control on the page: "on", "off", "enabled", "disabled" or a text. A list row is named
// "list:row text". Reading answers the state the control is in; writing brings it there as a user would.
class PageControls
{
public:
    explicit PageControls(QWidget *page) : m_page(page) {}

    QString state(const QString &setting) const
    {
        const auto [name, wanted] = split(setting);
        QWidget *widget = control(name);
        if (!widget)
            return QStringLiteral("no control ") + name;
        if (wanted == "enabled" || wanted == "disabled")
            return name + '=' + (widget->isEnabled() ? "enabled" : "disabled");
        if (QListWidgetItem *row = listRow(name))
            return name + '=' + (row->checkState() == Qt::Checked ? "on" : "off");
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            return name + '=' + (button->isChecked() ? "on" : "off");
        if (auto *combo = qobject_cast<QComboBox *>(widget))
            return name + '=' + combo->currentText();
        return name + '=' + qobject_cast<QLineEdit *>(widget)->text();
    }

    void set(const QString &setting) const
    {
        const auto [name, wanted] = split(setting);
        QWidget *widget = control(name);
        QVERIFY2(widget, qPrintable(name));
        if (QListWidgetItem *row = listRow(name))
            row->setCheckState(wanted == "on" ? Qt::Checked : Qt::Unchecked);
        else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            if (button->isChecked() != (wanted == "on"))
                button->click();
        } else if (auto *combo = qobject_cast<QComboBox *>(widget))
            combo->setCurrentIndex(combo->findText(wanted));
        else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
            edit->selectAll();
            QTest::keyClicks(edit, wanted);
        }
    }

private:
    static std::pair<QString, QString> split(const QString &setting)
    {
        const qsizetype eq = setting.lastIndexOf('=');
        return {setting.left(eq), setting.mid(eq + 1)};
    }
    QWidget *control(const QString &name) const
    {
        return m_page->findChild<QWidget *>(name.section(':', 0, 0));
    }
    QListWidgetItem *listRow(const QString &name) const
    {
        auto *list = qobject_cast<QListWidget *>(control(name));
        if (!list || !name.contains(':'))
            return nullptr;
        const QList<QListWidgetItem *> rows = list->findItems(name.section(':', 1), Qt::MatchExactly);
        return rows.value(0);
    }

    QWidget *m_page;
};

bool selectItem(QTreeWidget *tree, const QString &text)
{
    const QList<QTreeWidgetItem *> items = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    if (items.isEmpty())
        return false;
    tree->setCurrentItem(items.first());
    return true;
}

QTreeWidget *treeOf(const COptions &dialog)
{
    return dialog.findChild<QTreeWidget *>("pageTree");
}

QStringList fileLines(const TestHome &home)
{
    return QString::fromUtf8(readFile(iniPathIn(home))).split('\n');
}

}  // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pagesShowAndSaveTheirValues_data();
    void pagesShowAndSaveTheirValues();
    void treeHasThePagesInOrder();
    void leavingAFailingPageKeepsIt();
    void okChecksThePagesInOrder();
};

void TestOptions::pagesShowAndSaveTheirValues_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QStringList>("saved");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("creation: ask, LZMA, level asked")
        << QByteArray("[Creation and adding]\nAskBeforeCreation=Yes\nCompressionLevel=-2\nCompressionMethod=2\n")
        << "Creation and Adding"
        << QStringList{"askCreationRadio=on", "methodAlwaysRadio=on", "methodCombo=LZMA", "levelAskRadio=on",
                       "levelCombo=6 - default", "levelCombo=disabled"}
        << QStringList{"firstNameRadio=on", "methodAskRadio=on", "levelAlwaysRadio=on",
                       "levelCombo=9 - best compression"}
        << QStringList{"AskBeforeCreation=No", "CompressionMethod=-1", "CompressionLevel=9"} << QStringList{};
    QTest::newRow("creation: default level, unknown method")
        << QByteArray("[Creation and adding]\nCompressionLevel=-1\nCompressionMethod=7\n") << "Creation and Adding"
        << QStringList{"levelDefaultRadio=on", "levelCombo=disabled", "methodAlwaysRadio=on", "methodCombo=DEFLATE",
                       "methodCombo=enabled"}
        << QStringList{"levelAskRadio=on"} << QStringList{"CompressionLevel=-2", "CompressionMethod=0"}
        << QStringList{};
    QTest::newRow("encryption off greys the page")
        << QByteArray("[Encryption]\nEnableEncryption=No\nEncryptionMethod=-1\nEnableRulesForPasswords=Yes\n"
                      "RuleForPasswords=3\n")
        << "Encryption"
        << QStringList{"enableCheck=off", "methodAskRadio=on", "methodAlwaysRadio=disabled", "methodCombo=disabled",
                       "rulesCheck=disabled", "paranoidRadio=on", "paranoidRadio=disabled"}
        << QStringList{"enableCheck=on", "methodAlwaysRadio=on", "methodCombo=AES-256", "strongRadio=on"}
        << QStringList{"EnableEncryption=Yes", "EncryptionMethod=3", "EnableRulesForPasswords=Yes",
                       "RuleForPasswords=2"}
        << QStringList{};
    QTest::newRow("encryption on, rules off") << QByteArray() << "Encryption"
                                              << QStringList{"enableCheck=on", "methodCombo=enabled",
                                                             "rulesCheck=enabled", "liteRadio=disabled"}
                                              << QStringList{"rulesCheck=on", "mixedRadio=on"}
                                              << QStringList{"EnableRulesForPasswords=Yes", "RuleForPasswords=1"}
                                              << QStringList{};
    QTest::newRow("pack") << QByteArray() << "Pack"
                          << QStringList{"packFilesCheck=on", "packFoldersCheck=on", "askUpdatingRadio=on"}
                          << QStringList{"packFilesCheck=off", "replaceRadio=on"}
                          << QStringList{"PackFilesWithoutPaths=No", "AskBeforeUpdating=No"} << QStringList{};
    QTest::newRow("unpack") << QByteArray() << "Unpack" << QStringList{"unpackArchivesCheck=off", "askOverwritingRadio=on"}
                            << QStringList{"unpackArchivesCheck=on", "overwriteRadio=on"}
                            << QStringList{"UnpackArchivesWithoutPaths=Yes", "AskBeforeOverwriting=No"}
                            << QStringList{};
    QTest::newRow("drag image shown by the Interface group")
        << QByteArray("[Interface]\nDraggingImageForModeClearType=0\n") << "Interface"
        << QStringList{"likeXpRadio=on"} << QStringList{"withFrameRadio=on"}
        << QStringList{"DraggingImageForModeClearType=1"} << QStringList{};
    QTest::newRow("tooltips") << QByteArray("[Interface]\nEnableShowTooltipForBackOrForwardMenu=maybe\n")
                              << "Show Tooltips" << QStringList{"backForwardTipsCheck=on", "toolbarTipsCheck=on"}
                              << QStringList{"toolbarTipsCheck=off"}
                              << QStringList{"EnableShowTooltipForToolbars=No",
                                             "EnableShowTooltipForBackOrForwardMenu=Yes"}
                              << QStringList{};
    QTest::newRow("history") << QByteArray("[Interface]\nArchiveHistoryStepsShown=12\n") << "History"
                             << QStringList{"stepsEdit=12"} << QStringList{"stepsEdit=20"}
                             << QStringList{"ArchiveHistoryStepsShown=20"} << QStringList{};
    QTest::newRow("additional archives")
        << QByteArray() << "Additional Archives"
        << QStringList{"typesList:Check for self-extracting archive (*.exe)=off", "typesList:RAR archive (*.rar)=on"}
        << QStringList{"typesList:Check for self-extracting archive (*.exe)=on", "typesList:RAR archive (*.rar)=off"}
        << QStringList{"EXE=1", "RAR=0"} << QStringList{};
    QTest::newRow("custom archives: a new kind unticked, an old one unticked")
        << QByteArray("[Custom archives]\nKind = one#ABC=1\n") << "Custom Archives"
        << QStringList{"kindsList:Kind = one (*.ABC)=on", "addButton=disabled"}
        << QStringList{"kindsList:Kind = one (*.ABC)=off", "extensionEdit=x#y", "descriptionEdit=C# kind",
                       "addButton=on"}
        << QStringList{"Kind = one#ABC=0", "C# kind#xy=0"} << QStringList{};
    QTest::newRow("custom archives: a duplicate extension refused")
        << QByteArray("[Custom archives]\nJava archive#JAR=1\n") << "Custom Archives" << QStringList{}
        << QStringList{"extensionEdit=jar", "descriptionEdit=Mine", "addButton=on", "extensionEdit=jar"}
        << QStringList{"Java archive#JAR=1"} << QStringList{"The extension of 'jar' already exists!"};
    QTest::newRow("OneDrive cleared") << QByteArray("[CloudDrives]\nEnableOneDrive=Yes\nOneDriveUserFolder=%1\n")
                                      << "OneDrive" << QStringList{"enableCheck=on", "folderEdit=%1", "browseButton=enabled"}
                                      << QStringList{"enableCheck=off"}
                                      << QStringList{"EnableOneDrive=No", "OneDriveUserFolder=Empty"} << QStringList{};
    QTest::newRow("Music ticked: not found, then typed")
        << QByteArray() << "Music" << QStringList{"enableCheck=off", "folderEdit=disabled"}
        << QStringList{"enableCheck=on", "folderEdit=%1/tunes"}
        << QStringList{"EnableMusic=Yes", "MusicUserFolder=%1/tunes"}
        << QStringList{"Music user folder is not found. Specify its location manually."};
    QTest::newRow("Pictures ticked: found") << QByteArray() << "Pictures" << QStringList{}
                                            << QStringList{"enableCheck=on"}
                                            << QStringList{"EnablePictures=Yes", "PicturesUserFolder=%1/Pictures"}
                                            << QStringList{};
    QTest::newRow("SugarSync ticked: not found") << QByteArray() << "SugarSync" << QStringList{"enableCheck=off"}
                                                 << QStringList{"enableCheck=on"}
                                                 << QStringList{"EnableSugarSync=Yes"}
                                                 << QStringList{"SugarSync user folders is not found."};
}

// The page shows what the file holds; the user's changes go through OK into the file, and a dialog made
// from the file read again shows them.
void TestOptions::pagesShowAndSaveTheirValues()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, item);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, changes);
    QFETCH(QStringList, saved);
    QTest::failOnWarning(QRegularExpression(".*"));
    TestHome home;
    const auto withHome = [&](QString text) { return text.replace("%1", home.path()); };
    QVERIFY(QDir().mkpath(home.path() + "/tunes") && QDir().mkpath(home.path() + "/Pictures"));
    if (!file.isEmpty())
        QVERIFY(writeFile(iniPathIn(home), withHome(QString::fromUtf8(file)).toUtf8()));
    ScriptedPrompter prompts;
    CSettings settings;
    settings.LoadSettings();

    COptions dialog(draftOf(settings.values()));
    QVERIFY(selectItem(treeOf(dialog), item));
    const PageControls controls(dialog.currentPage());
    for (const QString &setting : shown)
        QCOMPARE(controls.state(setting), withHome(setting));
    for (const QString &setting : changes)
        controls.set(withHome(setting));
    dialog.findChild<QPushButton *>("okButton")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(ApplyOptions(settings, dialog.draft()).saved);
    QTEST(prompts.texts(), "messages");
    const QStringList lines = fileLines(home);
    for (const QString &line : saved)
        QVERIFY2(lines.contains(withHome(line)), qPrintable(line));

    CSettings again;
    again.LoadSettings();
    COptions reopened(draftOf(again.values()));
    QVERIFY(selectItem(treeOf(reopened), item));
    const PageControls after(reopened.currentPage());
    for (const QString &setting : changes)
        if (!setting.startsWith("addButton") && !setting.startsWith("extensionEdit")
            && !setting.startsWith("description"))
            QCOMPARE(after.state(setting), withHome(setting));
}

void TestOptions::treeHasThePagesInOrder()
{
    COptions dialog(draftOf(SettingsValues{}));
    QStringList texts;
    for (QTreeWidgetItemIterator it(treeOf(dialog)); *it; ++it)
        texts << QString((*it)->parent() ? "  " : "") + (*it)->text(0);
    QCOMPARE(texts, (QStringList{"Creation and Adding", "Encryption", "Pack", "Unpack", "System", "Interface",
                                 "  Drag Image", "  Show Tooltips", "  History", "Additional Archives",
                                 "Custom Archives", "Cloud Drives", "  OneDrive", "  Dropbox", "  Google Drive",
                                 "  SugarSync", "  Box", "  iCloud Drive", "Special Folders", "  Desktop",
                                 "  Downloads", "  Documents", "  Music", "  Pictures", "  Videos"}));
    QCOMPARE(dialog.currentPage()->pageId(), OptionsPageId::CreationAndAdding);
    QVERIFY(selectItem(treeOf(dialog), "Google Drive"));
    QCOMPARE(dialog.currentPage()->findChild<QAbstractButton *>("enableCheck")->text(),
             QStringLiteral("Enable Coogle Drive"));
}

void TestOptions::leavingAFailingPageKeepsIt()
{
    ScriptedPrompter prompts;
    COptions dialog(draftOf(SettingsValues{}));
    QTreeWidget *tree = treeOf(dialog);
    QVERIFY(selectItem(tree, "History"));
    PageControls(dialog.currentPage()).set("stepsEdit=4");
    QVERIFY(selectItem(tree, "Pack"));
    QCOMPARE(prompts.texts(), QStringList{"The number of steps in Archive Browser history can be from 5 to 20."});
    QCOMPARE(prompts.records()[0].icon, MsgIcon::Warning);
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("History"));
    QCOMPARE(dialog.currentPage()->pageId(), OptionsPageId::History);

    PageControls(dialog.currentPage()).set("stepsEdit=5");
    QVERIFY(selectItem(tree, "Pack"));
    QCOMPARE(dialog.currentPage()->pageId(), OptionsPageId::Pack);
    QCOMPARE(prompts.texts().size(), 1);
}

// History first, then the locations with Desktop last; the failing page comes up and the dialog stays.
void TestOptions::okChecksThePagesInOrder()
{
    ScriptedPrompter prompts;
    SettingsValues values;
    values.bEnableDesktop = true;
    values.strDesktopUserFolder = "/no/such/desktop";
    values.bEnableVideos = true;
    values.strVideosUserFolder = "/no/such/videos";
    values.nArchiveHistoryStepsShown = 21;
    COptions dialog(draftOf(values));
    auto *ok = dialog.findChild<QPushButton *>("okButton");
    const QStringList expected{"The number of steps in Archive Browser history can be from 5 to 20.",
                               "The folder specified for Videos does not exist.",
                               "The folder specified for Desktop does not exist."};
    const QList<int> pages{OptionsPageId::History, 357, 383};
    for (int i = 0; i < expected.size(); ++i) {
        ok->click();
        QCOMPARE(prompts.texts().value(i), expected[i]);
        QCOMPARE(dialog.currentPage()->pageId(), pages[i]);
        QVERIFY(dialog.result() != QDialog::Accepted);
        PageControls(dialog.currentPage()).set(i == 0 ? "stepsEdit=20" : "enableCheck=off");
    }
    ok->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.draft().places[size_t(Place::Desktop)].enabled);
    QCOMPARE(dialog.draft().values.nArchiveHistoryStepsShown, 20);
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
