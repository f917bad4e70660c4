#include "foundfiles.h"

#include <algorithm>

namespace orv {

QString inFolderText(const CFileInfo &record)
{
    if (record.m_nIsFolder != 0)
        return record.m_strFullPath;
    const qsizetype slash = record.m_strFullPath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    if (slash == 0)
        return QStringLiteral("/");
    return record.m_strFullPath.left(slash);
}

const CFileInfo &CResultStore::AddFoundFile(const CFileInfo &record)
{
    const std::size_t row = m_records.size();
    if (m_observer)
        m_observer->beginAppend(row);
    CFileInfo &added = m_records.emplace_back(record);
    added.m_nSequence = m_foundCount;
    added.m_nListIndex = m_foundCount;
    ++m_foundCount;
    if (m_observer)
        m_observer->endAppend();
    return added;
}

void CResultStore::FreeAll()
{
    if (m_observer)
        m_observer->beginReset();
    std::vector<CFileInfo>().swap(m_records);
    m_foundCount = 0;
    if (m_observer)
        m_observer->endReset();
}

// List indexes grow with every append and are never reused until the store is emptied, so the array
// stays sorted by them and a binary search finds the record.
std::ptrdiff_t CResultStore::rowOfListIndex(std::uint32_t listIndex) const
{
    const auto it = std::lower_bound(m_records.begin(), m_records.end(), listIndex,
                                     [](const CFileInfo &r, std::uint32_t key) { return r.m_nListIndex < key; });
    if (it == m_records.end() || it->m_nListIndex != listIndex)
        return -1;
    return it - m_records.begin();
}

bool CResultStore::RemoveOne(std::uint32_t listIndex)
{
    const std::ptrdiff_t row = rowOfListIndex(listIndex);
    if (row < 0)
        return false;
    if (m_observer)
        m_observer->beginRemove(std::size_t(row));
    m_records.erase(m_records.begin() + row);
    if (m_observer)
        m_observer->endRemove();
    return true;
}

}  // namespace orv
