#pragma once

#include "finder/search/foundfileslistcolumns.h"
#include "finder/search/foundfilesmodel.h"

#include <QHeaderView>
#include <QIcon>
#include <QTableView>

namespace orv {

// The model with the file-type icons: an entry and a file alike show the icon of the type its name
// suggests.
class CFoundFilesIconModel : public CFoundFilesModel
{
    Q_OBJECT

public:
    using CFoundFilesModel::CFoundFilesModel;

protected:
    QVariant decoration(const CFileInfo &record) const override;
};

// The list's header draws its own sort arrow, up for ascending and down for descending, at the top of the
// sorted column: styles disagree on which way the built-in indicator points.
class CSortArrowHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit CSortArrowHeader(QWidget *parent = nullptr) : QHeaderView(Qt::Horizontal, parent) {}

    void setArrow(int section, Qt::SortOrder order);
    int arrowSection() const { return m_section; }
    Qt::SortOrder arrowOrder() const { return m_order; }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    int m_section = -1;
    Qt::SortOrder m_order = Qt::AscendingOrder;
};

// The report list of the Found Files pane: four columns, a check box per row, a header that sorts.
class COrvelListFiles : public QTableView
{
    Q_OBJECT

public:
    static constexpr int ControlId = 42008;

    explicit COrvelListFiles(CResultStore &store, QWidget *parent = nullptr);
    ~COrvelListFiles() override;

    CFoundFilesModel *listModel() const { return m_model; }
    FoundFilesColumns &columns() { return m_columns; }
    // Shows the column layout and view switches held in columns().
    void applyColumns();
    void setColumnShown(int column, bool shown);
    void setGrid(bool on);
    void setFullRowSelect(bool on);
    void setShowSelectionAlways(bool on);
    // Rows of the selection, in the order shown; the last one the user selected comes last.
    std::vector<int> selectedRowList() const;
    int lastSelectedRow() const;
    void scrollSelectionIntoView();
    void updateSortArrows();
    CSortArrowHeader *sortHeader() const { return m_header; }
    // The usual widths, widened where a size of ten digits or a date and time of this locale needs more.
    FoundFilesColumns::Widths fittedDefaultWidths() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void onSectionResized(int column, int oldWidth, int newWidth);

    CFoundFilesIconModel *m_model;
    CSortArrowHeader *m_header;
    FoundFilesColumns m_columns;
    bool m_applying = false;
    bool m_firstLook = false;  // no layout stored yet: the columns are fitted to the list once shown
};

}  // namespace orv
