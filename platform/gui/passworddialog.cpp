#include "passworddialog.h"

#include "ui_passworddialog.h"

#include <QPushButton>
#include <QShowEvent>

namespace orv {

CPassword::CPassword(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CPassword>())
{
    m_ui->setupUi(this);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

CPassword::~CPassword() = default;

std::optional<QString> CPassword::ask()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_ui->passwordEdit->text();
}

void CPassword::showEvent(QShowEvent *event)
{
    // A spontaneous show is the window coming back from the task bar, not a new question.
    if (!event->spontaneous()) {
        m_ui->passwordEdit->clear();
        m_ui->passwordEdit->setFocus();
    }
    QDialog::showEvent(event);
}

}  // namespace orv
