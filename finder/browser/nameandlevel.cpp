#include "nameandlevel.h"

#include "platform/product.h"
#include "platform/prompts.h"
#include "ui_nameandlevel.h"

#include <QIcon>
#include <QPushButton>
#include <QStyle>

namespace orv {

CNameAndLevel::CNameAndLevel(const NameAndLevelPresets &presets, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CNameAndLevel>()), m_presets(presets)
{
    m_ui->setupUi(this);
    m_ui->markLabel->hide();
    m_ui->ruleMark->setIcon(QIcon::fromTheme(QStringLiteral("emblem-ok"),
                                             style()->standardIcon(QStyle::SP_DialogApplyButton)));
    // The edits keep their width whether or not the mark beside them shows.
    QSizePolicy markPolicy = m_ui->ruleMark->sizePolicy();
    markPolicy.setRetainSizeWhenHidden(true);
    m_ui->ruleMark->setSizePolicy(markPolicy);
    m_ui->ruleMark->hide();
    connect(m_ui->setPasswordButton, &QPushButton::clicked, this, &CNameAndLevel::OnSetPassword);
    connect(m_ui->encryptionCancelButton, &QPushButton::clicked, this, &CNameAndLevel::OnCancelEncryption);
    connect(m_ui->showPasswordCheck, &QCheckBox::toggled, this, &CNameAndLevel::onShowPassword);
    connect(m_ui->passwordEdit, &QLineEdit::textChanged, this, &CNameAndLevel::onPasswordChanged);
    applyPresets();
}

CNameAndLevel::~CNameAndLevel() = default;

bool CNameAndLevel::ask(const NameAndLevelPresets &presets, PackChoices &choices, QWidget *parent)
{
    CNameAndLevel dialog(presets, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choices = dialog.choices();
    return true;
}

void CNameAndLevel::applyPresets()
{
    m_ui->archiveNameEdit->setText(m_presets.name);
    m_ui->archiveNameEdit->setEnabled(m_presets.nameEditable);
    m_ui->levelCombo->setCurrentIndex(m_presets.level);
    m_ui->levelCombo->setEnabled(m_presets.levelEnabled);
    m_ui->methodCombo->setCurrentIndex(m_presets.methodIndex);
    m_ui->methodCombo->setEnabled(m_presets.methodEnabled);
    m_ui->encryptionMethodCombo->setCurrentIndex(m_presets.encryptionMethod);
    m_ui->encryptionMethodCombo->setEnabled(m_presets.encryptionMethodEnabled);
    setEncryptionShown(m_presets.encrypt);
}

bool CNameAndLevel::encryptionShown() const
{
    return !m_ui->encryptionGroup->isHidden();
}

// Folded, the dialog shows only its upper part; the fixed-size layout makes the window follow.
void CNameAndLevel::setEncryptionShown(bool shown)
{
    m_ui->encryptionGroup->setVisible(shown);
    m_ui->setPasswordButton->setEnabled(!shown);
}

void CNameAndLevel::OnSetPassword()
{
    setEncryptionShown(true);
    m_ui->passwordEdit->setFocus();
}

void CNameAndLevel::OnCancelEncryption()
{
    m_ui->passwordEdit->clear();
    m_ui->confirmEdit->clear();
    setEncryptionShown(false);
    m_ui->setPasswordButton->setFocus();
}

void CNameAndLevel::onShowPassword(bool shown)
{
    const QLineEdit::EchoMode mode = shown ? QLineEdit::Normal : QLineEdit::Password;
    m_ui->passwordEdit->setEchoMode(mode);
    m_ui->confirmEdit->setEchoMode(mode);
}

void CNameAndLevel::onPasswordChanged(const QString &text)
{
    m_ui->ruleMark->setVisible(m_presets.rulesEnabled && passwordRuleHolds(m_presets.rule, text));
}

void CNameAndLevel::accept()
{
    PackChoices taken;
    taken.method = zipMethodOfIndex(m_ui->methodCombo->currentIndex());
    taken.level = m_ui->levelCombo->currentIndex();
    taken.archiveName = m_ui->archiveNameEdit->text().trimmed();
    taken.encryptionMethod = m_ui->encryptionMethodCombo->currentIndex();
    if (m_presets.nameEditable) {
        if (const QString problem = archiveNameProblem(taken.archiveName); !problem.isEmpty()) {
            showError(problem, productName());
            m_ui->archiveNameEdit->setFocus();
            return;
        }
    }
    const QString password = encryptionShown() ? m_ui->passwordEdit->text() : QString();
    const QString confirm = encryptionShown() ? m_ui->confirmEdit->text() : QString();
    switch (passwordProblem(password, confirm, m_presets.rulesEnabled, m_presets.rule)) {
    case PasswordProblem::BreaksRule:
        showError(tr("The password you entered does not match the established rule for checking passwords."),
                  productName());
        m_ui->passwordEdit->setFocus();
        return;
    case PasswordProblem::Mismatch:
        showError(tr("Password does not match the confirm password."), productName());
        m_ui->confirmEdit->setFocus();
        return;
    case PasswordProblem::None:
        break;
    }
    taken.encrypt = !password.isEmpty() || !confirm.isEmpty();
    taken.password = taken.encrypt ? password : QString();
    m_choices = taken;
    QDialog::accept();
}

}  // namespace orv
