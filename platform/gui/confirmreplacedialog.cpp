#include "confirmreplacedialog.h"

#include "ui_confirmreplacedialog.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPushButton>

namespace orv {

namespace {

constexpr int kIconSize = 32;

QIcon existingFileIcon(const QString &path)
{
    QFileIconProvider provider;
    const QIcon icon = provider.icon(QFileInfo(path));
    return icon.isNull() ? provider.icon(QAbstractFileIconProvider::File) : icon;
}

// The new file exists only in the archive, so its icon comes from its name alone.
QIcon iconForName(const QString &name)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    const QIcon generic = QFileIconProvider().icon(QAbstractFileIconProvider::File);
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), generic));
}

}  // namespace

CConfirmReplace::CConfirmReplace(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CConfirmReplace>())
{
    m_ui->setupUi(this);
    const std::pair<QPushButton *, ReplaceAnswer> buttons[] = {
        {m_ui->yesButton, ReplaceAnswer::Yes},
        {m_ui->yesToAllButton, ReplaceAnswer::YesToAll},
        {m_ui->noButton, ReplaceAnswer::No},
        {m_ui->cancelButton, ReplaceAnswer::Cancel},
    };
    for (const auto &[button, answer] : buttons) {
        const int code = static_cast<int>(answer);
        connect(button, &QPushButton::clicked, this, [this, code] { done(code); });
    }
}

CConfirmReplace::~CConfirmReplace() = default;

void CConfirmReplace::setQuestion(const ReplaceQuestion &question)
{
    m_ui->messageLabel->setText(question.message);
    m_ui->quotedNameLabel->setText(question.quotedName);
    m_ui->existingSizeLabel->setText(question.existingSize);
    m_ui->existingModifiedLabel->setText(question.existingModified);
    m_ui->newSizeLabel->setText(question.newSize);
    m_ui->newModifiedLabel->setText(question.newModified);
    m_ui->existingDetailLabel->setText(question.existingDetail);
    m_ui->existingDetailLabel->setVisible(!question.existingDetail.isEmpty());
    m_ui->newDetailLabel->setText(question.newDetail);
    m_ui->newDetailLabel->setVisible(!question.newDetail.isEmpty());
    m_ui->existingIconLabel->setPixmap(existingFileIcon(question.existingPath).pixmap(kIconSize));
    m_ui->newIconLabel->setPixmap(iconForName(question.newName).pixmap(kIconSize));
}

ReplaceAnswer CConfirmReplace::ask()
{
    switch (exec()) {
    case static_cast<int>(ReplaceAnswer::Yes):
        return ReplaceAnswer::Yes;
    case static_cast<int>(ReplaceAnswer::YesToAll):
        return ReplaceAnswer::YesToAll;
    case static_cast<int>(ReplaceAnswer::No):
        return ReplaceAnswer::No;
    default:
        return ReplaceAnswer::Cancel;
    }
}

void CConfirmReplace::reject()
{
    done(static_cast<int>(ReplaceAnswer::Cancel));
}

}  // namespace orv
