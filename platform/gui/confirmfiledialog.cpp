#include "confirmfiledialog.h"

#include "ui_confirmfiledialog.h"

#include <QFileIconProvider>
#include <QFileInfo>

namespace orv {

namespace {
constexpr int kIconSize = 32;
}  // namespace

CConfirmFile::CConfirmFile(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CConfirmFile>())
{
    m_ui->setupUi(this);
}

CConfirmFile::~CConfirmFile() = default;

void CConfirmFile::setQuestion(const FileConfirmation &question)
{
    setWindowTitle(question.caption);
    m_ui->questionLabel->setText(question.question);
    m_ui->quotedNameLabel->setText(question.quotedName.trimmed());
    m_ui->secondLineLabel->setText(question.secondLine);
    m_ui->secondLineLabel->setVisible(!question.secondLine.isEmpty());
    m_ui->firstInfoLabel->setText(question.firstInfo);
    m_ui->secondInfoLabel->setText(question.secondInfo);
    const QIcon icon = QFileIconProvider().icon(QFileInfo(question.path));
    m_ui->iconLabel->setPixmap(icon.pixmap(kIconSize));
}

}  // namespace orv
