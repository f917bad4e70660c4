#include "finddialog.h"

#include "platform/product.h"
#include "platform/prompts.h"
#include "ui_finddialog.h"
#include "ui_finddialogfilterpage.h"

#include <QSignalBlocker>

#include <algorithm>

namespace orv {

CSearchFilterPage::CSearchFilterPage(const QString &firstBoxText, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CSearchFilterPage>())
{
    m_ui->setupUi(this);
    m_ui->allFilesCheck->setText(firstBoxText);
    m_ui->relationCombo->addItems(CFindDialogModel::relationTexts());
    for (QCheckBox *box : {m_ui->allFilesCheck, m_ui->dateCheck, m_ui->sizeCheck})
        connect(box, &QCheckBox::toggled, this, &CSearchFilterPage::changed);
}

CSearchFilterPage::~CSearchFilterPage() = default;

QCheckBox *CSearchFilterPage::firstBox() const
{
    return m_ui->allFilesCheck;
}

void CSearchFilterPage::hideFilterFor()
{
    m_ui->filterForLabel->hide();
    m_ui->filterForCombo->hide();
}

void CSearchFilterPage::showState(const FilterPageState &state, const QStringList &filterForItems)
{
    const QSignalBlocker blocker(this);
    m_ui->allFilesCheck->setChecked(state.bAllFiles);
    m_ui->filterForCombo->clear();
    m_ui->filterForCombo->addItems(filterForItems);
    m_ui->filterForCombo->setCurrentIndex(state.nFilterFor < filterForItems.size() ? state.nFilterFor : 0);
    m_ui->dateCheck->setChecked(state.bDateOn);
    m_ui->fromDate->setDate(state.fromDate);
    m_ui->fromTime->setTime(state.fromTime);
    m_ui->toDate->setDate(state.toDate);
    m_ui->toTime->setTime(state.toTime);
    m_ui->sizeCheck->setChecked(state.bSizeOn);
    m_ui->relationCombo->setCurrentIndex(state.nRelation);
    m_ui->sizeEdit->setValue(state.strSize);
}

FilterPageState CSearchFilterPage::read() const
{
    FilterPageState state;
    state.bAllFiles = m_ui->allFilesCheck->isChecked();
    state.nFilterFor = std::max(0, m_ui->filterForCombo->currentIndex());
    state.bDateOn = m_ui->dateCheck->isChecked();
    state.fromDate = m_ui->fromDate->date();
    state.fromTime = m_ui->fromTime->time();
    state.toDate = m_ui->toDate->date();
    state.toTime = m_ui->toTime->time();
    state.bSizeOn = m_ui->sizeCheck->isChecked();
    state.nRelation = m_ui->relationCombo->currentIndex();
    state.strSize = m_ui->sizeEdit->text();
    return state;
}

void CSearchFilterPage::applyEnabling(const FilterPageEnabling &enabling)
{
    m_ui->filterForLabel->setEnabled(enabling.filterFor);
    m_ui->filterForCombo->setEnabled(enabling.filterFor);
    m_ui->dateCheck->setEnabled(enabling.dateCheck);
    for (QWidget *picker : {static_cast<QWidget *>(m_ui->fromDate), static_cast<QWidget *>(m_ui->fromTime),
                            static_cast<QWidget *>(m_ui->andLabel), static_cast<QWidget *>(m_ui->toDate),
                            static_cast<QWidget *>(m_ui->toTime)})
        picker->setEnabled(enabling.datePickers);
    m_ui->sizeCheck->setEnabled(enabling.sizeCheck);
    m_ui->relationCombo->setEnabled(enabling.sizeValue);
    m_ui->sizeEdit->setEnabled(enabling.sizeValue);
    m_ui->bytesLabel->setEnabled(enabling.sizeValue);
}

CFindArchives::CFindArchives(const FilterChoices &remembered, QWidget *parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CFindArchives>()),
      m_include(new CSearchFilterPage(tr("Include all files"))),
      m_exclude(new CSearchFilterPage(tr("Do not exclude files"))),
      m_model(remembered)
{
    m_ui->setupUi(this);
    m_ui->tabs->addTab(m_include, tr("Include"));
    m_ui->tabs->addTab(m_exclude, tr("Exclude"));
    m_ui->modeCombo->addItems(CFindDialogModel::modeTexts());
    m_ui->subfoldersCheck->setChecked(m_model.bIncludeSubfolders);
    m_model.setMode(0);
    m_include->showState(m_model.include, m_model.filterForItems());
    m_exclude->showState(m_model.exclude, m_model.filterForItems());

    connect(m_ui->modeCombo, &QComboBox::currentIndexChanged, this, &CFindArchives::onModeChanged);
    for (QLineEdit *mask : {m_ui->archiveMaskEdit, m_ui->fileMaskEdit})
        connect(mask, &QLineEdit::textChanged, this, &CFindArchives::applyEnabling);
    for (CSearchFilterPage *page : {m_include, m_exclude})
        connect(page, &CSearchFilterPage::changed, this, &CFindArchives::applyEnabling);
    connect(m_ui->findButton, &QPushButton::clicked, this, &CFindArchives::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CFindArchives::reject);
    applyEnabling();
}

CFindArchives::~CFindArchives() = default;

void CFindArchives::onModeChanged(int index)
{
    readControls();
    m_model.setMode(index);
    m_include->showState(m_model.include, m_model.filterForItems());
    m_exclude->showState(m_model.exclude, m_model.filterForItems());
    applyEnabling();
}

void CFindArchives::readControls()
{
    m_model.strArchiveMask = m_ui->archiveMaskEdit->text();
    m_model.strFileMask = m_ui->fileMaskEdit->text();
    m_model.bIncludeSubfolders = m_ui->subfoldersCheck->isChecked();
    m_model.bSkipCompressedTar = m_ui->skipTarCheck->isChecked();
    m_model.include = m_include->read();
    m_model.exclude = m_exclude->read();
}

void CFindArchives::applyEnabling()
{
    readControls();
    const OptionsEnabling on = m_model.optionsEnabling();
    m_ui->archiveMaskLabel->setEnabled(on.archiveMask);
    m_ui->archiveMaskEdit->setEnabled(on.archiveMask);
    m_ui->subfoldersCheck->setEnabled(on.subfolders);
    m_ui->fileMaskLabel->setEnabled(on.fileMask);
    m_ui->fileMaskEdit->setEnabled(on.fileMask);
    m_ui->skipTarCheck->setEnabled(on.skipCompressedTar);
    m_ui->findButton->setEnabled(on.find);
    m_include->applyEnabling(CFindDialogModel::pageEnabling(m_model.include));
    m_exclude->applyEnabling(CFindDialogModel::pageEnabling(m_model.exclude));
}

void CFindArchives::accept()
{
    readControls();
    if (!m_model.optionsEnabling().find)
        return;
    if (const std::optional<QString> problem = m_model.inputProblem()) {
        showError(*problem, productName());
        return;
    }
    QDialog::accept();
}

}  // namespace orv
