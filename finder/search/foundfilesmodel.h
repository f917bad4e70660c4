#pragma once

#include "finder/search/foundfiles.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

namespace orv {

// The rows of the Found Files list over the result store. The store keeps the records in insertion order;
// the model keeps only the order they are shown in and a check mark per record, so a result of hundreds of
// thousands of hits costs a few bytes a row here.
class CFoundFilesModel : public QAbstractTableModel, private IResultStoreObserver
{
    Q_OBJECT

public:
    enum Column { Name = 0, Folder = 1, Size = 2, Modified = 3, ColumnCount = 4 };

    explicit CFoundFilesModel(CResultStore &store, QObject *parent = nullptr);
    ~CFoundFilesModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    // Sorting is refused (nothing changes) while the list holds no finished result.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The record of a row, made whole from the store's compact form.
    CFileInfo record(int row) const;
    CResultStore &store() { return m_store; }
    const CResultStore &store() const { return m_store; }

    // The sort column (-1 none) and direction of the last sort; reset when the store is emptied.
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // A search still running fills the store; sorting waits until it has finished.
    void setSearchRunning(bool running) { m_searchRunning = running; }
    bool holdsResults() const { return !m_order.empty() && !m_searchRunning; }
    // The menu's and the header's rule: the current column flips direction, another one sorts ascending.
    void sortByColumnCommand(int column);

    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    bool anyChecked() const { return m_checkedCount > 0; }
    // The records of the checked rows, in the order shown.
    std::vector<CFileInfo> checkedRecords() const;
    // The same rows as keys only: the list index of each record and the row it is shown in.
    struct CheckedRow
    {
        std::uint32_t listIndex;
        int row;
    };
    std::vector<CheckedRow> checkedRows() const;
    // Frees the records of the given rows and removes the rows.
    void removeRows(std::vector<int> rows);

    static QString sizeText(const CFileInfo &record);
    static QString modifiedText(const CFileInfo &record);
    static QString displayText(const CFileInfo &record, int column);

signals:
    void checksChanged();
    void sorted();

protected:
    // The widgets put the file-type icon here; the core model has none.
    virtual QVariant decoration(const CFileInfo &record) const;

private:
    void beginAppend(std::size_t row) override;
    void endAppend() override;
    void beginRemove(std::size_t row) override;
    void endRemove() override;
    void beginReset() override;
    void endReset() override;
    void sortOrderOf(int column, Qt::SortOrder order);

    CResultStore &m_store;
    std::vector<std::uint32_t> m_order;  // row -> position in the store
    std::vector<std::uint8_t> m_checked; // by position in the store
    std::size_t m_checkedCount = 0;
    std::size_t m_removing = 0;          // store position of the record being removed
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_searchRunning = false;
};

}  // namespace orv
