#include "foundfiles.h"

#include <algorithm>
#include <new>
#include <utility>

namespace orv {

namespace {

namespace EntryFlag {
constexpr std::uint32_t InArchive = 0x1;
constexpr std::uint32_t IsFolder = 0x2;
// The name is not the last component of the full path; it follows that component in the text pool, behind
// two characters that hold its length.
constexpr std::uint32_t OwnName = 0x4;
}  // namespace EntryFlag

using namespace EntryFlag;

// The folder column's text of a record that is not a folder, from the folder part of its path (which
// keeps its trailing "/").
QString inFolderOf(const QString &folderPart)
{
    if (folderPart.size() <= 1)
        return folderPart;
    return folderPart.chopped(1);
}

}  // namespace

CFileInfo FoundEntry::record() const
{
    CFileInfo hit;
    hit.m_strName = name.toString();
    hit.m_strFullPath.reserve(prefix.size() + path.size());
    hit.m_strFullPath.append(prefix).append(path);
    hit.m_nSize = hit.m_nSize2 = size;
    hit.m_tModified = hit.m_tCreated = modified;
    hit.m_bInArchive = 1;
    return hit;
}

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

CResultStore::CResultStore() = default;
CResultStore::~CResultStore() = default;
CResultStore::CResultStore(CResultStore &&other) = default;

bool CResultStore::AddFoundFile(const CFileInfo &record)
{
    const TextPool::Mark mark = m_texts.mark();
    try {
        append(record);
    } catch (const std::bad_alloc &) {
        m_texts.rewind(mark);
        return false;
    }
    if (m_observer) {
        try {
            m_observer->beginAppend(m_entries.size() - 1);
        } catch (const std::bad_alloc &) {
            m_entries.pop_back();
            m_texts.rewind(mark);
            return false;
        }
    }
    ++m_foundCount;
    if (m_observer)
        m_observer->endAppend();
    return true;
}

// Either the whole record is added or, on std::bad_alloc, nothing but texts that the caller rewinds.
void CResultStore::append(const CFileInfo &record)
{
    if (m_entries.size() >= m_capacity)
        throw std::bad_alloc();
    const QStringView path(record.m_strFullPath);
    const qsizetype split = path.lastIndexOf(QLatin1Char('/')) + 1;
    const QStringView last = path.sliced(split);
    // The texts of one record lie in one block of the pool, whose positions are 32 bits.
    if (last.size() + 2 + record.m_strName.size() > qsizetype(UINT32_MAX))
        throw std::bad_alloc();
    Entry entry;
    entry.size = record.m_nSize;
    entry.modified = record.m_tModified;
    entry.created = record.m_tCreated;
    entry.folder = m_folders.idOf(path.first(split));
    entry.listIndex = m_foundCount;
    entry.lastLength = std::uint32_t(last.size());
    entry.flags = (record.m_bInArchive != 0 ? InArchive : 0u) | (record.m_nIsFolder != 0 ? IsFolder : 0u);
    if (record.m_strName == last) {
        entry.text = m_texts.add(last);
    } else {
        entry.flags |= OwnName;
        const auto length = std::uint32_t(record.m_strName.size());
        QString texts;
        texts.reserve(last.size() + 2 + record.m_strName.size());
        texts.append(last).append(QChar(char16_t(length & 0xFFFF))).append(QChar(char16_t(length >> 16)));
        entry.text = m_texts.add(texts.append(record.m_strName));
    }
    m_entries.push_back(entry);
}

QString CResultStore::nameAt(std::size_t row) const
{
    const Entry &entry = m_entries[row];
    if (!(entry.flags & OwnName))
        return m_texts.at(entry.text, entry.lastLength).toString();
    const QStringView length = m_texts.at(entry.text + entry.lastLength, 2);
    const std::size_t nameLength = std::size_t(length[0].unicode()) | std::size_t(length[1].unicode()) << 16;
    return m_texts.at(entry.text + entry.lastLength + 2, nameLength).toString();
}

QString CResultStore::fullPathOf(const Entry &entry) const
{
    const QString &folder = m_folders.text(entry.folder);
    const QStringView last = m_texts.at(entry.text, entry.lastLength);
    QString path;
    path.reserve(folder.size() + last.size());
    return path.append(folder).append(last);
}

CFileInfo CResultStore::at(std::size_t row) const
{
    const Entry &entry = m_entries.at(row);
    CFileInfo record;
    record.m_nSequence = record.m_nListIndex = entry.listIndex;
    record.m_strName = nameAt(row);
    record.m_strFullPath = fullPathOf(entry);
    record.m_nSize = record.m_nSize2 = entry.size;
    record.m_nIsFolder = (entry.flags & IsFolder) ? 1 : 0;
    record.m_tModified = entry.modified;
    record.m_tCreated = entry.created;
    record.m_bInArchive = (entry.flags & InArchive) ? 1 : 0;
    return record;
}

std::int64_t CResultStore::folderKeyAt(std::size_t row) const
{
    const Entry &entry = m_entries[row];
    return (entry.flags & IsFolder) ? -1 : std::int64_t(entry.folder);
}

QString CResultStore::folderKeyText(std::uint32_t key) const
{
    return inFolderOf(m_folders.text(key));
}

std::vector<CFileInfo> CResultStore::CopyAll() const
{
    std::vector<CFileInfo> copies;
    copies.reserve(m_entries.size());
    for (std::size_t row = 0; row < m_entries.size(); ++row)
        copies.push_back(at(row));
    return copies;
}

void CResultStore::FreeAll()
{
    if (m_observer)
        m_observer->beginReset();
    m_entries.clear();
    m_texts.clear();
    m_folders.clear();
    m_foundCount = 0;
    if (m_observer)
        m_observer->endReset();
}

CResultStore CResultStore::TakeAll()
{
    if (m_observer)
        m_observer->beginReset();
    CResultStore taken;
    std::swap(taken.m_entries, m_entries);
    std::swap(taken.m_texts, m_texts);
    std::swap(taken.m_folders, m_folders);
    taken.m_foundCount = std::exchange(m_foundCount, 0);
    if (m_observer)
        m_observer->endReset();
    return taken;
}

// List indexes grow with every append and are never reused until the store is emptied, so the records
// stay sorted by them and a binary search finds the record.
std::ptrdiff_t CResultStore::rowOfListIndex(std::uint32_t listIndex) const
{
    std::size_t low = 0;
    std::size_t high = m_entries.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (m_entries[middle].listIndex < listIndex)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == m_entries.size() || m_entries[low].listIndex != listIndex)
        return -1;
    return std::ptrdiff_t(low);
}

bool CResultStore::RemoveOne(std::uint32_t listIndex)
{
    const std::ptrdiff_t row = rowOfListIndex(listIndex);
    if (row < 0)
        return false;
    if (m_observer)
        m_observer->beginRemove(std::size_t(row));
    m_entries.erase(std::size_t(row));
    if (m_observer)
        m_observer->endRemove();
    return true;
}

}  // namespace orv
