#pragma once

#include "finder/search/searchcriteria.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CSearchResults;
}

namespace orv {

class CSearchFilterPage;

// "Search in Results": a mask for names and the Find dialog's Include and Exclude pages without
// "Filter for". "&Search" refuses a size beyond the largest number, as "&Find" does.
class CSearchResults : public QDialog
{
    Q_OBJECT

public:
    explicit CSearchResults(QWidget *parent = nullptr);
    ~CSearchResults() override;

    QString mask() const;
    FilterPage include() const;
    FilterPage exclude() const;
    CSearchFilterPage *includePage() const { return m_include; }
    CSearchFilterPage *excludePage() const { return m_exclude; }

    void accept() override;

private:
    void applyEnabling();

    std::unique_ptr<Ui::CSearchResults> m_ui;
    CSearchFilterPage *m_include;
    CSearchFilterPage *m_exclude;
};

}  // namespace orv
