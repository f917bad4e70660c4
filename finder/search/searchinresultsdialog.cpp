#include "searchinresultsdialog.h"

#include "finder/search/finddialog.h"
#include "platform/prompts.h"
#include "ui_searchinresultsdialog.h"

#include <QPushButton>

namespace orv {

CSearchResults::CSearchResults(QWidget *parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CSearchResults>()),
      m_include(new CSearchFilterPage(tr("Include all files"))),
      m_exclude(new CSearchFilterPage(tr("Do not exclude files")))
{
    m_ui->setupUi(this);
    m_ui->tabs->addTab(m_include, tr("Include"));
    m_ui->tabs->addTab(m_exclude, tr("Exclude"));
    const CFindDialogModel defaults;
    m_include->showState(defaults.include, {});
    m_exclude->showState(defaults.exclude, {});
    for (CSearchFilterPage *page : {m_include, m_exclude}) {
        page->hideFilterFor();
        connect(page, &CSearchFilterPage::changed, this, &CSearchResults::applyEnabling);
    }
    connect(m_ui->maskEdit, &QLineEdit::textChanged, this, &CSearchResults::applyEnabling);
    connect(m_ui->searchButton, &QPushButton::clicked, this, &CSearchResults::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    applyEnabling();
}

CSearchResults::~CSearchResults() = default;

void CSearchResults::applyEnabling()
{
    m_ui->searchButton->setEnabled(!mask().isEmpty());
    m_include->applyEnabling(CFindDialogModel::pageEnabling(m_include->read()));
    m_exclude->applyEnabling(CFindDialogModel::pageEnabling(m_exclude->read()));
}

void CSearchResults::accept()
{
    if (mask().isEmpty())
        return;
    for (const CSearchFilterPage *page : {m_include, m_exclude}) {
        if (const std::optional<QString> problem = CFindDialogModel::pageProblem(page->read())) {
            showError(*problem, tr("Orvel-ZIP Finder"));
            return;
        }
    }
    QDialog::accept();
}

QString CSearchResults::mask() const
{
    return m_ui->maskEdit->text().trimmed();
}

FilterPage CSearchResults::include() const
{
    return CFindDialogModel::pageFilter(m_include->read());
}

FilterPage CSearchResults::exclude() const
{
    return CFindDialogModel::pageFilter(m_exclude->read());
}

}  // namespace orv
