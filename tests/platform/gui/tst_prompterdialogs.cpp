#include "platform/gui/confirmfiledialog.h"
#include "platform/gui/confirmreplacedialog.h"
#include "platform/gui/messageboxprompter.h"
#include "platform/gui/passworddialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `act` on the modal window once exec() shows it. A window that `act` left open (a failed check) is
// closed, so a failure never leaves the test waiting in exec().
void whenModalShown(std::function<void(QDialog *)> act)
{
    QTimer::singleShot(0, qApp, [act = std::move(act)] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(modal);
        act(modal);
        if (modal->isVisible())
            modal->done(-1);
    });
}

// Clicks the named button, or closes the window when the name is empty.
void answerWith(QDialog *dialog, const QString &buttonName)
{
    if (buttonName.isEmpty())
        return QTest::keyClick(dialog, Qt::Key_Escape);
    auto *button = dialog->findChild<QPushButton *>(buttonName);
    QVERIFY2(button, qPrintable(buttonName));
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

Q_DECLARE_METATYPE(orv::MsgButtons)
Q_DECLARE_METATYPE(orv::MsgAnswer)
Q_DECLARE_METATYPE(orv::ReplaceAnswer)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

class TestPrompterDialogs : public QObject
{
    Q_OBJECT

private slots:
    void messageAnswers_data();
    void messageAnswers();
    void messageShowsTextAsWritten();
    void replaceAnswers_data();
    void replaceAnswers();
    void replaceShowsQuestion();
    void fileConfirmationAnswers_data();
    void fileConfirmationAnswers();
    void passwordAnswers_data();
    void passwordAnswers();
    void questionsLeaveTheProgressInSight_data();
    void questionsLeaveTheProgressInSight();

private:
    orv::ReplaceQuestion m_question{QStringLiteral("This folder already contains a read-only file named"),
                                    QStringLiteral("'<b>report</b>.txt'."),
                                    QStringLiteral("size: 1 234 bytes"),
                                    QStringLiteral("modified: 01/02/24, 10:11:12"),
                                    QStringLiteral("size: 56 bytes"),
                                    QStringLiteral("modified: 03/04/24, 13:14:15"),
                                    QStringLiteral("/nonexistent/report.txt"),
                                    QStringLiteral("report.txt"),
                                    QStringLiteral("/data/old.zip"),
                                    QStringLiteral("/data/new.zip")};
    // One dialog for every row, so each row also shows that the previous row's text is gone.
    orv::CPassword m_password;
};

void TestPrompterDialogs::messageAnswers_data()
{
    QTest::addColumn<orv::MsgButtons>("buttons");
    QTest::addColumn<QMessageBox::StandardButton>("click");
    QTest::addColumn<orv::MsgAnswer>("answer");

    using B = orv::MsgButtons;
    using A = orv::MsgAnswer;
    QTest::newRow("ok") << B::Ok << QMessageBox::Ok << A::Ok;
    QTest::newRow("cancel of ok/cancel") << B::OkCancel << QMessageBox::Cancel << A::Cancel;
    QTest::newRow("yes") << B::YesNo << QMessageBox::Yes << A::Yes;
    QTest::newRow("no") << B::YesNo << QMessageBox::No << A::No;
    QTest::newRow("cancel of three") << B::YesNoCancel << QMessageBox::Cancel << A::Cancel;
    QTest::newRow("retry") << B::RetryCancel << QMessageBox::Retry << A::Retry;
    // Escape stands for the window's close box.
    QTest::newRow("escape on ok") << B::Ok << QMessageBox::NoButton << A::Ok;
    QTest::newRow("escape on yes/no") << B::YesNo << QMessageBox::NoButton << A::No;
    QTest::newRow("escape on three") << B::YesNoCancel << QMessageBox::NoButton << A::Cancel;
}

void TestPrompterDialogs::messageAnswers()
{
    QFETCH(orv::MsgButtons, buttons);
    QFETCH(QMessageBox::StandardButton, click);
    QFETCH(orv::MsgAnswer, answer);

    whenModalShown([click](QDialog *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        if (click == QMessageBox::NoButton)
            return QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(box->button(click));
        QTest::mouseClick(box->button(click), Qt::LeftButton);
    });
    orv::MessageBoxPrompter prompter;
    QCOMPARE(orv::prompter().message(QStringLiteral("text"), QStringLiteral("caption"), orv::MsgIcon::Question,
                                     buttons),
             answer);
}

void TestPrompterDialogs::messageShowsTextAsWritten()
{
    const QString text = QStringLiteral("Cannot open the archive <i>a</i>.zip.");
    QString shown;
    QWidget mainWindow;
    whenModalShown([&](QDialog *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("Error Opening Archive"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        shown = label->textFormat() == Qt::PlainText ? label->text() : QStringLiteral("<markup>");
        QCOMPARE(box->parentWidget(), &mainWindow);
        box->button(QMessageBox::Ok)->click();
    });
    orv::MessageBoxPrompter prompter;
    prompter.setParentWindow(&mainWindow);
    orv::showError(text, QStringLiteral("Error Opening Archive"));
    QCOMPARE(shown, text);
}

void TestPrompterDialogs::replaceAnswers_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<orv::ReplaceAnswer>("answer");

    QTest::newRow("yes") << "yesButton" << "&Yes" << orv::ReplaceAnswer::Yes;
    QTest::newRow("yes to all") << "yesToAllButton" << "Yes To &All" << orv::ReplaceAnswer::YesToAll;
    QTest::newRow("no") << "noButton" << "&No" << orv::ReplaceAnswer::No;
    QTest::newRow("cancel") << "cancelButton" << "&Cancel" << orv::ReplaceAnswer::Cancel;
    QTest::newRow("closed") << QString() << QString() << orv::ReplaceAnswer::Cancel;
}

void TestPrompterDialogs::replaceAnswers()
{
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(orv::ReplaceAnswer, answer);

    int code = -1;
    whenModalShown([&](QDialog *modal) {
        connect(modal, &QDialog::finished, modal, [&code](int result) { code = result; });
        if (!button.isEmpty())
            QCOMPARE(modal->findChild<QPushButton *>(button)->text(), caption);
        answerWith(modal, button);
    });
    orv::MessageBoxPrompter prompter;
    QCOMPARE(orv::prompter().confirmReplace(m_question), answer);
    QCOMPARE(code, static_cast<int>(answer));
}

void TestPrompterDialogs::replaceShowsQuestion()
{
    orv::CConfirmReplace dialog;
    dialog.setQuestion(m_question);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Confirm File Replace"));
    const std::pair<const char *, QString> labels[] = {
        {"messageLabel", m_question.message},
        {"quotedNameLabel", m_question.quotedName},
        {"replaceLabel", QStringLiteral("Replace the existing file")},
        {"existingSizeLabel", m_question.existingSize},
        {"existingModifiedLabel", m_question.existingModified},
        {"withLabel", QStringLiteral("with file")},
        {"newSizeLabel", m_question.newSize},
        {"newModifiedLabel", m_question.newModified},
        {"existingDetailLabel", m_question.existingDetail},
        {"newDetailLabel", m_question.newDetail},
    };
    for (const auto &[name, text] : labels) {
        auto *label = dialog.findChild<QLabel *>(QLatin1String(name));
        QVERIFY2(label, name);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    for (const char *name : {"existingIconLabel", "newIconLabel"}) {
        auto *icon = dialog.findChild<QLabel *>(QLatin1String(name));
        QVERIFY2(icon && !icon->pixmap().isNull(), name);
    }
}

void TestPrompterDialogs::fileConfirmationAnswers_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("answer");

    QTest::newRow("yes") << "yesButton" << true;
    QTest::newRow("no") << "noButton" << false;
    QTest::newRow("closed") << QString() << false;
}

void TestPrompterDialogs::fileConfirmationAnswers()
{
    QFETCH(QString, button);
    const orv::FileConfirmation question{QStringLiteral("Confirm File Rename"),
                                         QStringLiteral("Are you sure you want to rename the hidden file"),
                                         QStringLiteral(" '.a.obk'"), QStringLiteral("to 'b.obk'?"),
                                         QStringLiteral("/nonexistent/.a.obk"), QStringLiteral("size: 40 bytes"),
                                         QStringLiteral("modified: 01/02/24, 10:11:12")};
    whenModalShown([&](QDialog *modal) {
        QCOMPARE(modal->windowTitle(), question.caption);
        QCOMPARE(modal->findChild<QLabel *>(QStringLiteral("secondLineLabel"))->text(), question.secondLine);
        QCOMPARE(modal->findChild<QLabel *>(QStringLiteral("firstInfoLabel"))->text(), question.firstInfo);
        answerWith(modal, button);
    });
    orv::MessageBoxPrompter prompter;
    QTEST(orv::prompter().confirmFile(question), "answer");
}

void TestPrompterDialogs::passwordAnswers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("button");
    QTest::addColumn<std::optional<QString>>("answer");

    QTest::newRow("ok") << "s3cret é" << "okButton" << std::optional<QString>(QStringLiteral("s3cret é"));
    QTest::newRow("ok with nothing typed") << "" << "okButton" << std::optional<QString>(QString());
    QTest::newRow("cancel") << "typed anyway" << "cancelButton" << std::optional<QString>();
    QTest::newRow("closed") << "typed anyway" << QString() << std::optional<QString>();
    QTest::newRow("ok after cancel") << "again" << "okButton" << std::optional<QString>(QStringLiteral("again"));
}

void TestPrompterDialogs::passwordAnswers()
{
    QFETCH(QString, typed);
    QFETCH(QString, button);
    QFETCH(std::optional<QString>, answer);

    whenModalShown([&](QDialog *modal) {
        QCOMPARE(modal->windowTitle(), QStringLiteral("Enter Password"));
        QCOMPARE(modal->findChild<QLabel *>(QStringLiteral("passwordLabel"))->text(), QStringLiteral("Password"));
        auto *edit = modal->findChild<QLineEdit *>(QStringLiteral("passwordEdit"));
        QVERIFY(edit);
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        QCOMPARE(edit->text(), QString());
        edit->insert(typed);
        answerWith(modal, button);
    });
    QCOMPARE(m_password.ask(), answer);
}

void TestPrompterDialogs::questionsLeaveTheProgressInSight_data()
{
    QTest::addColumn<bool>("password");
    QTest::addColumn<bool>("atTheBottom");  // else in the middle of the screen, where dialogs go by default
    QTest::newRow("password") << true << false;
    QTest::newRow("replace") << false << false;
    QTest::newRow("password, above when no room below") << true << true;
}

void TestPrompterDialogs::questionsLeaveTheProgressInSight()
{
    QFETCH(bool, password);
    QFETCH(bool, atTheBottom);
    QDialog progress;
    progress.resize(460, 120);
    const QRect screen = progress.screen()->availableGeometry();
    progress.move(screen.center().x() - 230, atTheBottom ? screen.bottom() - 130 : screen.center().y() - 60);
    progress.show();
    orv::MessageBoxPrompter prompter;
    whenModalShown([&](QDialog *modal) {
        QVERIFY2(!modal->frameGeometry().intersects(progress.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(modal->x()).arg(modal->y()).arg(modal->width()).arg(modal->height())));
        QVERIFY(screen.contains(modal->frameGeometry().topLeft()));
        answerWith(modal, QString());
    });
    if (password)
        prompter.password(QStringLiteral("/a.7z"));
    else
        prompter.confirmReplace(m_question);
}

QTEST_MAIN(TestPrompterDialogs)
#include "tst_prompterdialogs.moc"
