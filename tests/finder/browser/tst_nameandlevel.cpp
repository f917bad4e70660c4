#include "finder/browser/nameandlevel.h"
#include "finder/settings/settings.h"
#include "tests/support/scriptedprompter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace orv;

class TestNameAndLevel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void passwordRules_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QList<bool>>("holds");  // rules 1, 2, 3, 4, and any other

        QTest::newRow("six letters and digits") << "abc123" << QList<bool>{true, false, false, false, true};
        QTest::newRow("blanks at the ends do not count") << " abc12 " << QList<bool>{false, false, false, false, true};
        QTest::newRow("ten, a blank is no special") << "abcd efgh1" << QList<bool>{true, true, false, false, true};
        QTest::newRow("ten with a backslash") << "abcdefgh1\\" << QList<bool>{true, true, true, false, true};
        QTest::newRow("twelve, no upper case") << "abcdefghi1{x" << QList<bool>{true, true, true, false, true};
        QTest::newRow("twelve, both cases") << "Abcdefghi1{x" << QList<bool>{true, true, true, true, true};
    }

    void passwordRules()
    {
        QFETCH(QString, password);
        QFETCH(QList<bool>, holds);
        const QList<bool> got{passwordRuleHolds(1, password), passwordRuleHolds(2, password),
                              passwordRuleHolds(3, password), passwordRuleHolds(4, password),
                              passwordRuleHolds(0, password) && passwordRuleHolds(5, password)};
        QCOMPARE(got, holds);
    }

    void presets_data()
    {
        QTest::addColumn<QList<int>>("settings");  // level, method, encryption method, ask before creation, creating
        // dialog shown, name editable, level, its list enabled, method index, its list enabled, encryption
        // method, its list enabled; then the level and method number used without the dialog
        QTest::addColumn<QList<int>>("expected");

        QTest::newRow("new file's settings") << QList<int>{-1, 0, 0, 0, 1} << QList<int>{0, 0, 6, 0, 0, 0, 0, 0, 6, 8};
        QTest::newRow("level asked") << QList<int>{-2, 1, 2, 0, 0} << QList<int>{1, 0, 6, 1, 1, 0, 2, 0, 6, 12};
        QTest::newRow("method asked") << QList<int>{3, -1, 3, 0, 0} << QList<int>{1, 0, 3, 0, 0, 1, 3, 0, 3, 8};
        QTest::newRow("level above 9") << QList<int>{12, 2, -1, 0, 0} << QList<int>{0, 0, 6, 0, 2, 0, 0, 1, 6, 14};
        QTest::newRow("ask before creating") << QList<int>{-1, 1, 0, 1, 1} << QList<int>{1, 1, 6, 0, 1, 0, 0, 0, 6, 12};
        QTest::newRow("not before adding") << QList<int>{-1, 1, 0, 1, 0} << QList<int>{0, 0, 6, 0, 1, 0, 0, 0, 6, 12};
    }

    void presets()
    {
        QFETCH(QList<int>, settings);
        QFETCH(QList<int>, expected);
        SettingsValues values;
        values.nCompressionLevel = settings[0];
        values.nCompressionMethod = settings[1];
        values.nEncryptionMethod = settings[2];
        values.bAskBeforeCreation = settings[3] != 0;
        values.bEnableEncryption = true;
        const bool creating = settings[4] != 0;
        const NameAndLevelPresets shown = presetsFor(values, creating, "report");
        // A password from the first item's dialog stays for the later items, whose settings may be fixed.
        PackChoices fixed{"report", 0, 0, true, "kept", 0};
        applyFixedCompression(values, fixed);
        const QList<int> got{!compressionFixed(values, creating), shown.nameEditable, shown.level, shown.levelEnabled,
                             shown.methodIndex, shown.methodEnabled, shown.encryptionMethod,
                             shown.encryptionMethodEnabled, fixed.level, fixed.method};
        QCOMPARE(got, expected);
        QVERIFY(shown.encrypt && fixed.encrypt);
    }

    void ok_data()
    {
        QTest::addColumn<QString>("password");  // typed after "Set password"; null leaves the part folded
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<bool>("foldAgain");    // the encryption part's own Cancel before OK
        QTest::addColumn<int>("rule");          // 0: rules off
        QTest::addColumn<bool>("mark");
        QTest::addColumn<QString>("message");   // empty: the dialog closes

        const QString ruleText = "The password you entered does not match the established rule for checking passwords.";
        QTest::newRow("no password") << QString() << "" << false << 1 << false << "";
        QTest::newRow("rule 1 holds") << "abc123" << "abc123" << false << 1 << true << "";
        QTest::newRow("no rules") << "abc" << "abc" << false << 0 << false << "";
        QTest::newRow("rule 2 fails") << "abc123" << "abc123" << false << 2 << false << ruleText;
        QTest::newRow("confirmation differs") << "abc123" << "abc124" << false << 1 << true
                                              << "Password does not match the confirm password.";
        QTest::newRow("folded again forgets it") << "abc123" << "abc124" << true << 1 << true << "";
    }

    void ok()
    {
        QFETCH(QString, password);
        QFETCH(QString, confirm);
        QFETCH(bool, foldAgain);
        QFETCH(int, rule);
        QFETCH(bool, mark);
        QFETCH(QString, message);
        NameAndLevelPresets presets;
        presets.creating = presets.nameEditable = presets.rulesEnabled = rule != 0;
        presets.rule = rule;
        CNameAndLevel dialog(presets);
        QVERIFY(!dialog.encryptionShown());
        dialog.findChild<QComboBox *>("methodCombo")->setCurrentIndex(2);
        dialog.findChild<QComboBox *>("levelCombo")->setCurrentIndex(9);
        dialog.findChild<QComboBox *>("encryptionMethodCombo")->setCurrentIndex(3);
        dialog.findChild<QLineEdit *>("archiveNameEdit")->setText("typed.zip");
        if (!password.isNull()) {
            dialog.findChild<QPushButton *>("setPasswordButton")->click();
            QVERIFY(dialog.encryptionShown());
            QTest::keyClicks(dialog.findChild<QLineEdit *>("passwordEdit"), password);
            dialog.findChild<QLineEdit *>("confirmEdit")->setText(confirm);
        }
        QCOMPARE(!dialog.findChild<QWidget *>("ruleMark")->isHidden(), mark);
        if (foldAgain)
            dialog.findChild<QPushButton *>("encryptionCancelButton")->click();

        ScriptedPrompter prompts;
        dialog.findChild<QDialogButtonBox *>("buttons")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(dialog.result() == QDialog::Accepted, message.isEmpty());
        if (!message.isEmpty())
            return;
        const PackChoices &chosen = dialog.choices();
        const bool encrypt = !password.isEmpty() && !foldAgain;
        QCOMPARE(chosen.encrypt, encrypt);
        QCOMPARE(chosen.password, encrypt ? password : QString());
        QCOMPARE((QList<int>{chosen.method, chosen.level, chosen.encryptionMethod}), (QList<int>{14, 9, 3}));
        QCOMPARE(chosen.archiveName, "typed.zip");
    }
};

QTEST_MAIN(TestNameAndLevel)
#include "tst_nameandlevel.moc"
