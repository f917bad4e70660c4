#include "finder/common/busyflags.h"
#include "finder/export/exportcommands.h"
#include "finder/search/findprogress.h"
#include "finder/search/foundfilesmodel.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testhome.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

using namespace orv;

// The window's side of saving and exporting: the Save dialog, the progress window and the busy mark.
class TestExportCommands : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        CResultStore store;
        CFoundFilesModel model{store};
        CBusyFlags busy;
        QWidget window;
        CExportCommands commands{model, busy, &window};

        explicit Fixture(int rows)
        {
            CFileInfo r;
            r.m_strName = QStringLiteral("f.txt");
            r.m_strFullPath = QStringLiteral("/d/f.txt");
            for (int i = 0; i < rows; ++i)
                store.AddFoundFile(r);
            model.setAllChecked(true);
        }
    };

private slots:
    // The dialog as the user meets it, then the CSV filter and a name typed without an extension.
    void saveDialog()
    {
        test::TestHome home;
        ScriptedPrompter prompts;
        Fixture f(2);
        QStringList seen;
        QTimer::singleShot(0, this, [&seen, &home] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen << dialog->windowTitle() << dialog->nameFilters() << dialog->selectedNameFilter()
                 << dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
            auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            // What the combo box says when the user picks an item.
            types->setCurrentIndex(1);
            emit types->activated(1);
            emit types->textActivated(types->itemText(1));
            dialog->selectFile(home.path() + QStringLiteral("/report"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        f.commands.OnSaveAs();
        QCOMPARE(seen, (QStringList{"Save As", "Text Files (*.txt)", "Comma Separated Value Files (*.csv)",
                                    "XML Files (*.xml)", "Text Files (*.txt)", "Untitled"}));
        const QString saved = home.path() + QStringLiteral("/report.csv");
        QCOMPARE(f.commands.targetPath(), saved);
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Saved 2 lines in the file '%1'").arg(saved)});
    }

    // The dialog asked about the name as typed; the name with the extension appended is another file, which
    // is replaced only when the user says so.
    void appendedExtensionNamesAnotherFile()
    {
        test::TestHome home;
        ScriptedPrompter prompts;
        prompts.queueMessageAnswer(MsgAnswer::No);
        Fixture f(1);
        const QString taken = home.path() + QStringLiteral("/report.txt.csv");
        QVERIFY(test::writeFile(taken, "keep me"));
        f.commands.SaveAs(home.path() + QStringLiteral("/report.txt"), 2);
        QCOMPARE(prompts.texts(),
                 QStringList{QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(taken)});
        QCOMPARE(test::readFile(taken), QByteArray("keep me"));
    }

    // While the rows are written the progress window is titled for the run and counts the lines, and the
    // operation is marked as running, so that closing the window asks it to stop.
    void runningSaveIsAskedToStop()
    {
        test::TestHome home;
        ScriptedPrompter prompts;
        prompts.queueMessageAnswer(MsgAnswer::Yes);
        // Enough rows for the events to be taken again after the first row's.
        Fixture f(30000);
        QStringList shown;
        QTimer::singleShot(0, this, [&f, &shown] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *progress = qobject_cast<CFindProgress *>(w); progress && progress->isVisible())
                    shown << progress->windowTitle() << progress->itemText();
            QVERIFY(f.busy.IsBusy());
        });
        const QString path = home.path() + QStringLiteral("/list.xml");
        f.commands.SaveAs(path, 3);
        QCOMPARE(shown, (QStringList{"Saving", "Current recording line 1 of 30000 ..."}));
        QVERIFY(!f.busy.isRunning(CBusyFlags::Search));
        QCOMPARE(prompts.texts().value(0), QStringLiteral("Interrupt the saving?"));
        QVERIFY(prompts.texts().value(1).startsWith(QStringLiteral("Saved ")));
    }
};

QTEST_MAIN(TestExportCommands)
#include "tst_exportcommands.moc"
