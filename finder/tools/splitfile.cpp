#include "splitfile.h"

#include "platform/gui/folderbrowser.h"
#include "platform/product.h"
#include "platform/prompts.h"
#include "ui_splitfile.h"

#include <QDir>
#include <QFileDialog>

namespace orv {

namespace {
constexpr int kPartsDigits = 3;
}  // namespace

CSplitFile::CSplitFile(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CSplitFile>())
{
    m_ui->setupUi(this);
    m_ui->partsEdit->setMaxDigits(kPartsDigits);
    for (QLineEdit *edit : {m_ui->sourceEdit, m_ui->destinationEdit, static_cast<QLineEdit *>(m_ui->partsEdit),
                            static_cast<QLineEdit *>(m_ui->sizeEdit)})
        connect(edit, &QLineEdit::textChanged, this, &CSplitFile::updateControls);
    connect(m_ui->partsRadio, &QRadioButton::toggled, this, &CSplitFile::updateControls);
    connect(m_ui->sourceBrowseButton, &QToolButton::clicked, this, &CSplitFile::OnBrowseSource);
    connect(m_ui->destinationBrowseButton, &QToolButton::clicked, this, &CSplitFile::OnBrowseDestination);
    connect(m_ui->splitButton, &QPushButton::clicked, this, &CSplitFile::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CSplitFile::reject);
    updateControls();
}

CSplitFile::~CSplitFile() = default;

SplitRequest CSplitFile::request() const
{
    SplitRequest request;
    request.source = m_ui->sourceEdit->text().trimmed();
    request.destinationFolder = m_ui->destinationEdit->text().trimmed();
    request.mode = m_ui->partsRadio->isChecked() ? SplitRequest::NumberOfParts : SplitRequest::SizeOfPart;
    request.parts = int(digitsValue(m_ui->partsEdit->value()));
    request.sizeValue = digitsValue(m_ui->sizeEdit->value());
    request.unit = m_ui->unitCombo->currentIndex();
    return request;
}

void CSplitFile::accept()
{
    if (const SplitProblem problem = checkSplitRequest(request())) {
        showError(problem.message, productName());
        (problem.field == SplitProblem::Parts ? m_ui->partsEdit : m_ui->sizeEdit)->setFocus();
        return;
    }
    QDialog::accept();
}

void CSplitFile::OnBrowseSource()
{
    const QString zipFilter = tr("Zip Archives (*.zip)");
    QString selected = zipFilter;
    const QString chosen = QFileDialog::getOpenFileName(
        this, tr("Open File"), QDir::homePath(),
        tr("7-Zip Archives (*.7z)") + QStringLiteral(";;") + zipFilter + QStringLiteral(";;") + tr("All Files (*)"),
        &selected);
    if (!chosen.isEmpty())
        m_ui->sourceEdit->setText(chosen);
}

void CSplitFile::OnBrowseDestination()
{
    const QString chosen =
        browseForFolder(this, tr("Browse For Folder"),
                        tr("Choose an existing folder for output files\nor create a new folder"), QDir::homePath(),
                        true);
    if (!chosen.isEmpty())
        m_ui->destinationEdit->setText(chosen);
}

void CSplitFile::updateControls()
{
    const bool byParts = m_ui->partsRadio->isChecked();
    m_ui->partsEdit->setEnabled(byParts);
    m_ui->sizeEdit->setEnabled(!byParts);
    m_ui->unitCombo->setEnabled(!byParts);
    m_ui->splitButton->setEnabled(canSplit(m_ui->sourceEdit->text(), m_ui->destinationEdit->text(),
                                           byParts ? SplitRequest::NumberOfParts : SplitRequest::SizeOfPart,
                                           m_ui->partsEdit->value(), m_ui->sizeEdit->value()));
}

}  // namespace orv
