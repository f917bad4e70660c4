#include "finder/browser/nameandlevel.h"
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
