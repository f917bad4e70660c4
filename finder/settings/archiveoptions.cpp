#include "archiveoptions.h"

#include "platform/product.h"
#include "platform/prompts.h"
#include "ui_addarchivesoptions.h"
#include "ui_customarchivesoptions.h"

#include <QStyle>
#include <QValidator>

namespace orv {

namespace {

QListWidgetItem *checkableRow(const QString &text, bool ticked, QListWidget *list)
{
    auto *item = new QListWidgetItem(text, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    return item;
}

// Refuses, as it is typed, any character the extension may not hold.
class CExtensionValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        return std::all_of(input.begin(), input.end(), CCustomKinds::isExtensionCharacter) ? Acceptable : Invalid;
    }
};

}  // namespace

CAddArchivesOptions::CAddArchivesOptions(QWidget *parent)
    : COptionsPage(OptionsPageId::AdditionalArchives, parent), m_ui(std::make_unique<Ui::CAddArchivesOptions>())
{
    m_ui->setupUi(this);
    for (const QString &row : additionalArchiveRows())
        checkableRow(row, false, m_ui->typesList);
}

CAddArchivesOptions::~CAddArchivesOptions() = default;

void CAddArchivesOptions::load(const OptionsDraft &draft)
{
    const QList<bool> ticks = ticksOfTypes(draft.values.enabledTypes);
    for (int row = 0; row < m_ui->typesList->count(); ++row)
        m_ui->typesList->item(row)->setCheckState(ticks.value(row) ? Qt::Checked : Qt::Unchecked);
}

void CAddArchivesOptions::store(OptionsDraft &draft) const
{
    QList<bool> ticks;
    for (int row = 0; row < m_ui->typesList->count(); ++row)
        ticks << (m_ui->typesList->item(row)->checkState() == Qt::Checked);
    typesOfTicks(ticks, draft.values.enabledTypes, draft.values.disabledTypes);
}

CCustomArchivesOptions::CCustomArchivesOptions(QWidget *parent)
    : COptionsPage(OptionsPageId::CustomArchives, parent), m_ui(std::make_unique<Ui::CCustomArchivesOptions>())
{
    m_ui->setupUi(this);
    m_ui->descriptionEdit->setMaxLength(CCustomKinds::kMaxDescription);
    m_ui->extensionEdit->setValidator(new CExtensionValidator(m_ui->extensionEdit));
    m_ui->removeButton->setIcon(
        QIcon::fromTheme(QStringLiteral("list-remove"), style()->standardIcon(QStyle::SP_DialogDiscardButton)));
    connect(m_ui->addButton, &QPushButton::clicked, this, &CCustomArchivesOptions::OnAdd);
    connect(m_ui->removeButton, &QToolButton::clicked, this, &CCustomArchivesOptions::OnRemove);
    connect(m_ui->extensionEdit, &QLineEdit::textChanged, this, &CCustomArchivesOptions::updateAddButton);
    connect(m_ui->descriptionEdit, &QLineEdit::textChanged, this, &CCustomArchivesOptions::updateAddButton);
    updateAddButton();
}

CCustomArchivesOptions::~CCustomArchivesOptions() = default;

void CCustomArchivesOptions::load(const OptionsDraft &draft)
{
    m_kinds = CCustomKinds(draft.values.customArchives);
    showKinds();
}

void CCustomArchivesOptions::store(OptionsDraft &draft) const
{
    CCustomKinds kinds = m_kinds;
    for (int row = 0; row < m_ui->kindsList->count(); ++row)
        kinds.setEnabled(row, m_ui->kindsList->item(row)->checkState() == Qt::Checked);
    draft.values.customArchives = kinds.entries();
}

void CCustomArchivesOptions::OnAdd()
{
    takeTicks();
    const QString refusal = m_kinds.add(m_ui->descriptionEdit->text(), m_ui->extensionEdit->text());
    if (!refusal.isEmpty()) {
        prompter().message(refusal, productName(), MsgIcon::Warning, MsgButtons::Ok);
        return;
    }
    showKinds();
    m_ui->extensionEdit->clear();
    m_ui->descriptionEdit->clear();
}

void CCustomArchivesOptions::OnRemove()
{
    takeTicks();
    QList<int> rows;
    for (const QListWidgetItem *item : m_ui->kindsList->selectedItems())
        rows << m_ui->kindsList->row(item);
    m_kinds.remove(rows);
    showKinds();
}

void CCustomArchivesOptions::takeTicks()
{
    for (int row = 0; row < m_ui->kindsList->count(); ++row)
        m_kinds.setEnabled(row, m_ui->kindsList->item(row)->checkState() == Qt::Checked);
}

void CCustomArchivesOptions::showKinds()
{
    m_ui->kindsList->clear();
    for (int row = 0; row < m_kinds.kinds().size(); ++row)
        checkableRow(m_kinds.rowText(row), m_kinds.kinds()[row].enabled, m_ui->kindsList);
}

void CCustomArchivesOptions::updateAddButton()
{
    m_ui->addButton->setEnabled(CCustomKinds::canAdd(m_ui->descriptionEdit->text(), m_ui->extensionEdit->text()));
}

}  // namespace orv
