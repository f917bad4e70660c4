#include "searchinresultsdialog.h"

#include "ui_searchinresultsdialog.h"

#include <QDateTime>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace orv {

CSearchResults::CSearchResults(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CSearchResults>())
{
    m_ui->setupUi(this);
    m_include = {m_ui->includeOff, m_ui->includeDateOn, m_ui->includeFrom, m_ui->includeTo,
                 m_ui->includeSizeOn, m_ui->includeRelation, m_ui->includeSize};
    m_exclude = {m_ui->excludeOff, m_ui->excludeDateOn, m_ui->excludeFrom, m_ui->excludeTo,
                 m_ui->excludeSizeOn, m_ui->excludeRelation, m_ui->excludeSize};
    setUpPage(m_include);
    setUpPage(m_exclude);
    const auto updateSearch = [this] { m_ui->searchButton->setEnabled(!mask().isEmpty()); };
    connect(m_ui->maskEdit, &QLineEdit::textChanged, this, updateSearch);
    connect(m_ui->searchButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    updateSearch();
}

CSearchResults::~CSearchResults() = default;

void CSearchResults::setUpPage(const Page &page)
{
    const QDateTime now = QDateTime::currentDateTime();
    page.from->setDateTime(QDateTime(now.date(), QTime(0, 0)));
    page.to->setDateTime(QDateTime(now.date(), QTime(23, 59, 59)));
    page.size->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,25}")), page.size));
    for (QCheckBox *box : {page.off, page.dateOn, page.sizeOn})
        connect(box, &QCheckBox::toggled, this, [page] { updatePage(page); });
    updatePage(page);
}

void CSearchResults::updatePage(const Page &page)
{
    const bool on = !page.off->isChecked();
    page.dateOn->setEnabled(on);
    page.sizeOn->setEnabled(on);
    page.from->setEnabled(on && page.dateOn->isChecked());
    page.to->setEnabled(on && page.dateOn->isChecked());
    page.relation->setEnabled(on && page.sizeOn->isChecked());
    page.size->setEnabled(on && page.sizeOn->isChecked());
}

FilterPage CSearchResults::readPage(const Page &page)
{
    FilterPage result;
    result.bOff = page.off->isChecked();
    if (result.bOff)
        return result;
    result.bDateOn = page.dateOn->isChecked();
    if (result.bDateOn) {
        result.tFrom = page.from->dateTime().toSecsSinceEpoch();
        result.tTo = page.to->dateTime().toSecsSinceEpoch();
    }
    result.bSizeOn = page.sizeOn->isChecked();
    if (result.bSizeOn) {
        result.nRelation = SizeRelation(page.relation->currentIndex());
        result.nSize = page.size->text().remove(QLatin1Char(' ')).toLongLong();
    }
    return result;
}

QString CSearchResults::mask() const
{
    return m_ui->maskEdit->text().trimmed();
}

FilterPage CSearchResults::include() const
{
    return readPage(m_include);
}

FilterPage CSearchResults::exclude() const
{
    return readPage(m_exclude);
}

}  // namespace orv
