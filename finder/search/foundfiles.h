#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace orv {

// One hit of a search and one row of the found-files list.
struct CFileInfo
{
    std::uint32_t m_nSequence = 0;   // the found count when the record was added
    std::uint32_t m_nListIndex = 0;  // the same value; the key for removing one record
    std::int32_t m_nReserved = 0;
    QString m_strName;      // file name, or the entry name inside an archive
    QString m_strFullPath;  // for an entry: archive path, "/", path inside the archive
    std::uint64_t m_nSize = 0;   // unpacked size for an entry
    std::uint64_t m_nSize2 = 0;  // same value as m_nSize
    std::int64_t m_nIsFolder = 0;  // non-zero: the folder text is the full path and there is no size
    std::int64_t m_tModified = 0;  // seconds since 1970; 0 when unknown
    std::int64_t m_tCreated = 0;   // for an entry the same as m_tModified
    std::int32_t m_bInArchive = 0;

    friend bool operator==(const CFileInfo &, const CFileInfo &) = default;
};

// The folder column of the list and of the saved files: the full path without its last component, or
// the full path itself for a folder record. A file in the root folder gets "/".
QString inFolderText(const CFileInfo &record);

// Told about every change of the store, before and after it, so that a list model can follow it row by
// row without copying the records.
class IResultStoreObserver
{
public:
    virtual ~IResultStoreObserver() = default;
    virtual void beginAppend(std::size_t row) = 0;
    virtual void endAppend() = 0;
    virtual void beginRemove(std::size_t row) = 0;
    virtual void endRemove() = 0;
    virtual void beginReset() = 0;
    virtual void endReset() = 0;
};

// Owns every record of the current result in insertion order. The records lie in one contiguous array,
// so a result of hundreds of thousands of hits costs its strings and little else.
class CResultStore
{
public:
    // Copies the record, numbers the copy with the found count and appends it; returns the copy.
    const CFileInfo &AddFoundFile(const CFileInfo &record);
    void FreeAll();
    // Removes the record with that list index; the others keep their numbers. False when none has it.
    bool RemoveOne(std::uint32_t listIndex);
    std::vector<CFileInfo> CopyAll() const { return m_records; }

    std::uint32_t foundCount() const { return m_foundCount; }
    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    const CFileInfo &at(std::size_t row) const { return m_records.at(row); }
    const std::vector<CFileInfo> &records() const { return m_records; }
    // The row of the record with that list index, or -1.
    std::ptrdiff_t rowOfListIndex(std::uint32_t listIndex) const;

    void setObserver(IResultStoreObserver *observer) { m_observer = observer; }

private:
    std::vector<CFileInfo> m_records;
    std::uint32_t m_foundCount = 0;
    IResultStoreObserver *m_observer = nullptr;
};

}  // namespace orv
