#include "foundfilesmodel.h"

#include "platform/numbers.h"

#include <algorithm>
#include <numeric>

namespace orv {

namespace {

const char *const kTitles[CFoundFilesModel::ColumnCount] = {
    QT_TRANSLATE_NOOP("CFoundFilesModel", "Name"), QT_TRANSLATE_NOOP("CFoundFilesModel", "In Folder"),
    QT_TRANSLATE_NOOP("CFoundFilesModel", "Size"), QT_TRANSLATE_NOOP("CFoundFilesModel", "Modified")};

// Case-folded once per record, so that each of the n log n comparisons is a plain UTF-16 compare.
std::vector<QString> foldedNames(const CResultStore &store)
{
    std::vector<QString> keys;
    keys.reserve(store.size());
    for (std::size_t position = 0; position < store.size(); ++position)
        keys.push_back(store.nameAt(position).toCaseFolded());
    return keys;
}

// Records of one folder share its text, so each folder is folded once; a folder record shows its own
// full path and gets a key of its own after those of the folders.
std::vector<std::uint32_t> folderKeys(const CResultStore &store, std::vector<QString> &texts)
{
    texts.clear();
    texts.reserve(store.folderKeyCount());
    for (std::uint32_t key = 0; key < store.folderKeyCount(); ++key)
        texts.push_back(store.folderKeyText(key).toCaseFolded());
    std::vector<std::uint32_t> keys(store.size());
    for (std::size_t position = 0; position < store.size(); ++position) {
        const std::int64_t key = store.folderKeyAt(position);
        if (key >= 0) {
            keys[position] = std::uint32_t(key);
        } else {
            keys[position] = std::uint32_t(texts.size());
            texts.push_back(store.at(position).m_strFullPath.toCaseFolded());
        }
    }
    return keys;
}

// Grows the capacity as push_back would, but before anything is added.
template <typename T>
void makeRoomForOne(std::vector<T> &values)
{
    if (values.size() == values.capacity())
        values.reserve(std::max<std::size_t>(16, values.capacity() * 2));
}

template <typename Less>
void sortRows(std::vector<std::uint32_t> &order, Qt::SortOrder direction, Less less)
{
    if (direction == Qt::AscendingOrder)
        std::stable_sort(order.begin(), order.end(), less);
    else
        std::stable_sort(order.begin(), order.end(), [&less](std::uint32_t a, std::uint32_t b) { return less(b, a); });
}

}  // namespace

CFoundFilesModel::CFoundFilesModel(CResultStore &store, QObject *parent) : QAbstractTableModel(parent), m_store(store)
{
    m_order.resize(store.size());
    std::iota(m_order.begin(), m_order.end(), 0u);
    m_checked.assign(store.size(), 0);
    m_store.setObserver(this);
}

CFoundFilesModel::~CFoundFilesModel()
{
    m_store.setObserver(nullptr);
}

int CFoundFilesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int CFoundFilesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

CFileInfo CFoundFilesModel::record(int row) const
{
    return m_store.at(m_order.at(std::size_t(row)));
}

QString CFoundFilesModel::sizeText(const CFileInfo &record)
{
    if (record.m_nIsFolder != 0)
        return {};
    return formatNumber64(record.m_nSize) + tr(" bytes");
}

// A time the search could not read is stored as 0; showing it as the first day of 1970 would pass it off
// as a real date.
QString CFoundFilesModel::modifiedText(const CFileInfo &record)
{
    return record.m_tModified == 0 ? QString() : localTimeText(record.m_tModified);
}

QString CFoundFilesModel::displayText(const CFileInfo &record, int column)
{
    switch (column) {
    case Name:
        return record.m_strName;
    case Folder:
        return inFolderText(record);
    case Size:
        return sizeText(record);
    case Modified:
        return modifiedText(record);
    default:
        return {};
    }
}

QVariant CFoundFilesModel::decoration(const CFileInfo &) const
{
    return {};
}

QVariant CFoundFilesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const CFileInfo r = record(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return displayText(r, index.column());
    case Qt::ToolTipRole:
        return index.column() == Name ? r.m_strFullPath : QVariant();
    case Qt::DecorationRole:
        return index.column() == Name ? decoration(r) : QVariant();
    case Qt::CheckStateRole:
        if (index.column() == Name)
            return isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        return index.column() == Size ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant CFoundFilesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return tr(kTitles[section]);
    if (role == Qt::TextAlignmentRole)
        return section == Size ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags CFoundFilesModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == Name)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool CFoundFilesModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != Name)
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

bool CFoundFilesModel::isChecked(int row) const
{
    return m_checked.at(m_order.at(std::size_t(row))) != 0;
}

void CFoundFilesModel::setChecked(int row, bool checked)
{
    std::uint8_t &mark = m_checked.at(m_order.at(std::size_t(row)));
    if ((mark != 0) == checked)
        return;
    mark = checked ? 1 : 0;
    m_checkedCount += checked ? 1 : std::size_t(-1);
    const QModelIndex cell = index(row, Name);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
    emit checksChanged();
}

void CFoundFilesModel::setAllChecked(bool checked)
{
    std::fill(m_checked.begin(), m_checked.end(), checked ? 1 : 0);
    m_checkedCount = checked ? m_checked.size() : 0;
    if (!m_order.empty())
        emit dataChanged(index(0, Name), index(rowCount() - 1, Name), {Qt::CheckStateRole});
    emit checksChanged();
}

std::vector<CFileInfo> CFoundFilesModel::checkedRecords() const
{
    std::vector<CFileInfo> result;
    for (std::uint32_t position : m_order)
        if (m_checked[position] != 0)
            result.push_back(m_store.at(position));
    return result;
}

std::vector<CFoundFilesModel::CheckedRow> CFoundFilesModel::checkedRows() const
{
    std::vector<CheckedRow> result;
    result.reserve(m_checkedCount);
    for (std::size_t row = 0; row < m_order.size(); ++row)
        if (m_checked[m_order[row]] != 0)
            result.push_back({m_store.listIndexAt(m_order[row]), int(row)});
    return result;
}

void CFoundFilesModel::removeRows(std::vector<int> rows)
{
    if (!m_order.empty() && rows.size() >= m_order.size()) {
        m_store.FreeAll();
        return;
    }
    std::vector<std::uint32_t> listIndexes;
    listIndexes.reserve(rows.size());
    for (int row : rows)
        if (row >= 0 && row < rowCount())
            listIndexes.push_back(m_store.listIndexAt(m_order[std::size_t(row)]));
    for (std::uint32_t listIndex : listIndexes)
        m_store.RemoveOne(listIndex);
}

void CFoundFilesModel::sort(int column, Qt::SortOrder order)
{
    if (!holdsResults() || column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    std::vector<std::uint32_t> positions;
    positions.reserve(std::size_t(persistent.size()));
    for (const QModelIndex &i : persistent)
        positions.push_back(m_order[std::size_t(i.row())]);

    sortOrderOf(column, order);
    m_sortColumn = column;
    m_sortOrder = order;

    std::vector<int> rowOfPosition(m_store.size(), -1);
    for (std::size_t row = 0; row < m_order.size(); ++row)
        rowOfPosition[m_order[row]] = int(row);
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (qsizetype i = 0; i < persistent.size(); ++i)
        moved.append(index(rowOfPosition[positions[std::size_t(i)]], persistent[i].column()));
    changePersistentIndexList(persistent, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit sorted();
}

void CFoundFilesModel::sortOrderOf(int column, Qt::SortOrder order)
{
    const CResultStore &store = m_store;
    if (column == Name) {
        const std::vector<QString> keys = foldedNames(store);
        sortRows(m_order, order, [&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    } else if (column == Folder) {
        std::vector<QString> texts;
        const std::vector<std::uint32_t> keys = folderKeys(store, texts);
        sortRows(m_order, order,
                 [&keys, &texts](std::uint32_t a, std::uint32_t b) { return texts[keys[a]] < texts[keys[b]]; });
    } else if (column == Size) {
        sortRows(m_order, order,
                 [&store](std::uint32_t a, std::uint32_t b) { return store.sizeAt(a) < store.sizeAt(b); });
    } else {
        sortRows(m_order, order,
                 [&store](std::uint32_t a, std::uint32_t b) { return store.modifiedAt(a) < store.modifiedAt(b); });
    }
}

void CFoundFilesModel::sortByColumnCommand(int column)
{
    const bool flip = column == m_sortColumn && m_sortOrder == Qt::AscendingOrder;
    sort(column, flip ? Qt::DescendingOrder : Qt::AscendingOrder);
}

// Room for the row is made before the view hears of it, so that running out of memory here changes
// nothing and the store can refuse the hit.
void CFoundFilesModel::beginAppend(std::size_t row)
{
    makeRoomForOne(m_order);
    makeRoomForOne(m_checked);
    beginInsertRows({}, int(m_order.size()), int(m_order.size()));
    m_order.push_back(std::uint32_t(row));
    m_checked.push_back(0);
}

void CFoundFilesModel::endAppend()
{
    endInsertRows();
}

void CFoundFilesModel::beginRemove(std::size_t row)
{
    const auto it = std::find(m_order.begin(), m_order.end(), std::uint32_t(row));
    m_removing = row;
    const int shown = int(it - m_order.begin());
    beginRemoveRows({}, shown, shown);
    if (it != m_order.end())
        m_order.erase(it);
}

void CFoundFilesModel::endRemove()
{
    for (std::uint32_t &position : m_order)
        if (position > m_removing)
            --position;
    if (m_checked[m_removing] != 0)
        --m_checkedCount;
    m_checked.erase(m_checked.begin() + std::ptrdiff_t(m_removing));
    endRemoveRows();
    emit checksChanged();
}

void CFoundFilesModel::beginReset()
{
    beginResetModel();
}

void CFoundFilesModel::endReset()
{
    m_order.clear();
    m_checked.clear();
    m_checkedCount = 0;
    m_sortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;
    endResetModel();
    emit checksChanged();
    emit sorted();
}

}  // namespace orv
