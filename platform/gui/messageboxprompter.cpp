#include "messageboxprompter.h"

#include "platform/gui/confirmfiledialog.h"
#include "platform/gui/confirmreplacedialog.h"
#include "platform/gui/passworddialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

namespace orv {

namespace {

QMessageBox::Icon boxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case MsgButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// A box closed without a button (a Yes/No box has no escape button) answers what changes nothing.
MsgAnswer answerOf(int result, MsgButtons buttons)
{
    switch (result) {
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Retry:
        return MsgAnswer::Retry;
    default:
        break;
    }
    return dismissalOf(buttons);
}

// The progress window of a running operation: a visible window that does not block the others.
const QWidget *progressWindow(const QWidget *asking)
{
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (window != asking && window->isVisible() && qobject_cast<const QDialog *>(window) && !window->isModal())
            return window;
    }
    return nullptr;
}

// A question asked while an operation runs goes below its progress window, or above it when the screen has
// no room below, so that the path being worked on stays in sight.
void keepProgressInSight(QDialog &dialog)
{
    const QWidget *progress = progressWindow(&dialog);
    if (!progress)
        return;
    dialog.adjustSize();
    const QRect busy = progress->frameGeometry();
    const QScreen *screen = progress->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    // Not shown yet, the dialog has no frame of its own: it will get one like the progress window's.
    const QSize framed = dialog.size() + busy.size() - progress->size();
    QRect placed(QPoint(busy.center().x() - framed.width() / 2, busy.bottom() + 1), framed);
    if (room.isValid() && placed.bottom() > room.bottom())
        placed.moveBottom(busy.top() - 1);
    dialog.move(placed.topLeft());
}

}  // namespace

MessageBoxPrompter::MessageBoxPrompter(QWidget *parent) : m_previous(setPrompter(this)), m_parent(parent) {}

MessageBoxPrompter::~MessageBoxPrompter()
{
    setPrompter(m_previous);
}

MsgAnswer MessageBoxPrompter::message(const QString &text, const QString &caption, MsgIcon icon,
                                      MsgButtons buttons)
{
    QMessageBox box(boxIcon(icon), caption, text, boxButtons(buttons), m_parent);
    // Texts carry file and archive names, which must show as written even when they look like markup.
    box.setTextFormat(Qt::PlainText);
    return answerOf(box.exec(), buttons);
}

ReplaceAnswer MessageBoxPrompter::confirmReplace(const ReplaceQuestion &question)
{
    CConfirmReplace dialog(m_parent);
    dialog.setQuestion(question);
    keepProgressInSight(dialog);
    return dialog.ask();
}

std::optional<QString> MessageBoxPrompter::password(const QString &)
{
    CPassword dialog(m_parent);
    keepProgressInSight(dialog);
    return dialog.ask();
}

bool MessageBoxPrompter::confirmFile(const FileConfirmation &question)
{
    CConfirmFile dialog(m_parent);
    dialog.setQuestion(question);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace orv
