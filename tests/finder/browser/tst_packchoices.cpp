#include "finder/browser/packchoices.h"
#include "finder/settings/settings.h"

#include <QtTest>

using namespace orv;

class TestPackChoices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void passwordRules_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QList<bool>>("holds");  // rules 1, 2, 3, 4, and any other

        QTest::newRow("six letters and digits") << "abc123" << QList<bool>{true, false, false, false, true};
        QTest::newRow("blanks at the ends do not count") << "  abc12  " << QList<bool>{false, false, false, false, true};
        QTest::newRow("eight, no digit") << "abcdefgh" << QList<bool>{true, false, false, false, true};
        QTest::newRow("ten with a backslash") << "abcdefgh1\\" << QList<bool>{true, true, true, false, true};
        QTest::newRow("ten, a blank is no special") << "abcd efgh1" << QList<bool>{true, true, false, false, true};
        QTest::newRow("twelve, both cases, special") << "Abcdefghi1{x" << QList<bool>{true, true, true, true, true};
        QTest::newRow("twelve, no upper case") << "abcdefghi1{x" << QList<bool>{true, true, true, false, true};
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
        QTest::newRow("level above 9 shows 6") << QList<int>{12, 2, 0, 0, 0} << QList<int>{0, 0, 6, 0, 2, 0, 0, 0, 6, 14};
        QTest::newRow("method off the list") << QList<int>{9, 5, 0, 0, 0} << QList<int>{0, 0, 9, 0, 0, 1, 0, 0, 9, 8};
        QTest::newRow("encryption method asked") << QList<int>{0, 0, -1, 0, 0} << QList<int>{0, 0, 0, 0, 0, 0, 0, 1, 0, 8};
        QTest::newRow("asked before creating") << QList<int>{-1, 1, 0, 1, 1} << QList<int>{1, 1, 6, 0, 1, 0, 0, 0, 6, 12};
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
        QCOMPARE(shown.name, "report");
    }
};

QTEST_GUILESS_MAIN(TestPackChoices)
#include "tst_packchoices.moc"
