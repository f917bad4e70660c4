#include "extractto.h"

#include "ui_extractto.h"

#include <QFileDialog>
#include <QFileInfo>

namespace orv {

CExtractTo::CExtractTo(const QString &folder, bool separateAllowed, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CExtractTo>())
{
    m_ui->setupUi(this);
    m_ui->folderEdit->setText(folder);
    m_ui->separateCheck->setEnabled(separateAllowed);
    connect(m_ui->browseButton, &QPushButton::clicked, this, &CExtractTo::OnBrowse);
}

CExtractTo::~CExtractTo() = default;

QString CExtractTo::folder() const
{
    return m_ui->folderEdit->text().trimmed();
}

bool CExtractTo::separateFolders() const
{
    return m_ui->separateCheck->isEnabled() && m_ui->separateCheck->isChecked();
}

// The chooser starts where the proposed folder would go: the folder part of the text, or the folder itself
// when it already exists.
void CExtractTo::OnBrowse()
{
    const QFileInfo typed(folder());
    const QString start = typed.isDir() ? typed.absoluteFilePath() : typed.absolutePath();
    const QString chosen = QFileDialog::getExistingDirectory(
        this, tr("Choose an existing folder for extracted files\nor create a new folder"), start);
    if (!chosen.isEmpty())
        m_ui->folderEdit->setText(chosen);
}

}  // namespace orv
