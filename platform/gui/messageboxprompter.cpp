#include "messageboxprompter.h"

#include "platform/gui/confirmreplacedialog.h"
#include "platform/gui/passworddialog.h"

#include <QMessageBox>

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
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel:
        break;
    }
    return MsgAnswer::Cancel;
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
    return dialog.ask();
}

std::optional<QString> MessageBoxPrompter::password(const QString &)
{
    CPassword dialog(m_parent);
    return dialog.ask();
}

}  // namespace orv
