#pragma once

#include "finder/search/foundfilesmodel.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace orv {

// One row a save or export writes: its record and its place in the whole list, from 0.
struct FoundRow
{
    CFileInfo record;
    std::size_t position = 0;
};

// The rows a save or export walks, in order.
class IFoundRows
{
public:
    virtual ~IFoundRows() = default;
    virtual std::size_t count() const = 0;
    // Nothing when the row's record has left the list since the walk began.
    virtual std::optional<FoundRow> at(std::size_t index) const = 0;
};

// The checked rows of the list in the order shown when the walk begins. Each is read from the store only
// when its turn comes, so the walk costs no copy of the list; a record deleted meanwhile (the events are
// pumped between rows) is passed over.
class CCheckedRows final : public IFoundRows
{
public:
    explicit CCheckedRows(const CFoundFilesModel &model) : m_store(model.store()), m_rows(model.checkedRows()) {}

    std::size_t count() const override { return m_rows.size(); }
    std::optional<FoundRow> at(std::size_t index) const override
    {
        const CFoundFilesModel::CheckedRow &row = m_rows.at(index);
        const std::ptrdiff_t position = m_store.rowOfListIndex(row.listIndex);
        if (position < 0)
            return std::nullopt;
        return FoundRow{m_store.at(std::size_t(position)), std::size_t(row.row)};
    }

private:
    const CResultStore &m_store;
    std::vector<CFoundFilesModel::CheckedRow> m_rows;
};

}  // namespace orv
