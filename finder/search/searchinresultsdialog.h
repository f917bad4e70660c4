#pragma once

#include "finder/search/searchcriteria.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;

namespace Ui {
class CSearchResults;
}

namespace orv {

// "Search in Results": a mask for names and the Include and Exclude pages without "Filter for".
class CSearchResults : public QDialog
{
    Q_OBJECT

public:
    explicit CSearchResults(QWidget *parent = nullptr);
    ~CSearchResults() override;

    QString mask() const;
    FilterPage include() const;
    FilterPage exclude() const;

private:
    struct Page
    {
        QCheckBox *off;
        QCheckBox *dateOn;
        QDateTimeEdit *from;
        QDateTimeEdit *to;
        QCheckBox *sizeOn;
        QComboBox *relation;
        QLineEdit *size;
    };
    void setUpPage(const Page &page);
    static void updatePage(const Page &page);
    static FilterPage readPage(const Page &page);

    std::unique_ptr<Ui::CSearchResults> m_ui;
    Page m_include;
    Page m_exclude;
};

}  // namespace orv
