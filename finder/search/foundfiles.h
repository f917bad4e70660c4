#pragma once

#include "finder/search/chunkedarray.h"
#include "finder/search/compacttexts.h"

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

// A hit inside an archive as its listing gives it, before any record is made of it: its full path is the
// prefix followed by the path.
struct FoundEntry
{
    const QString &prefix;  // the archive's path and "/", and below a compressed tar the tar's name and "/"
    const QString &path;    // inside the archive
    QStringView name;       // the last component of the path
    std::uint64_t size = 0;
    std::int64_t modified = 0;

    CFileInfo record() const;
};

// Where a search puts its hits: the result store of the window, or a writer that writes each hit out and
// keeps none.
class IFoundFileSink
{
public:
    virtual ~IFoundFileSink() = default;
    virtual void FreeAll() = 0;
    // Takes the hit and numbers it with the found count. False when there is no memory left for it: the
    // hit is not taken and every hit before it stays as it was.
    virtual bool AddFoundFile(const CFileInfo &record) = 0;
    // The same for a hit inside an archive; a sink that can use the parts as they are saves making the
    // record.
    virtual bool AddFoundEntry(const FoundEntry &entry) { return AddFoundFile(entry.record()); }
    virtual std::uint32_t foundCount() const = 0;
};

// Told about every change of the store, before and after it, so that a list model can follow it row by
// row without copying the records. beginAppend comes once the store has made room for the record, so
// that running out of memory there refuses the hit before the list has started to take it; it may
// throw std::bad_alloc, with nothing changed, and the store then refuses the hit.
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

// Owns every record of the current result in insertion order, each in a compact form: the folder part
// of the full path is kept once for all records of that folder, the last component and the name (once,
// when they are the same) lie in large blocks of text, and the numbers in a fixed record of 48 bytes.
// The fields that every record has alike are not kept: the sequence number is the list index, the
// second size is the size, the reserved field is 0, and the folder and in-archive marks are 0 or 1.
class CResultStore final : public IFoundFileSink
{
public:
    CResultStore();
    ~CResultStore() override;
    CResultStore(CResultStore &&other);

    // Copies the record, numbers the copy with the found count and appends it.
    bool AddFoundFile(const CFileInfo &record) override;
    void FreeAll() override;
    // Removes the record with that list index; the others keep their numbers. False when none has it.
    // The texts of removed records stay until the store is emptied.
    bool RemoveOne(std::uint32_t listIndex);
    std::vector<CFileInfo> CopyAll() const;
    // Hands every record over to a new store (without an observer) and empties this one as FreeAll does,
    // so that a pass over the old result costs no copy of it.
    CResultStore TakeAll();

    std::uint32_t foundCount() const override { return m_foundCount; }
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    // The record at a position, made whole.
    CFileInfo at(std::size_t row) const;
    // Single fields, for the list's cells and its sorting.
    QString nameAt(std::size_t row) const;
    std::uint64_t sizeAt(std::size_t row) const { return m_entries[row].size; }
    std::int64_t modifiedAt(std::size_t row) const { return m_entries[row].modified; }
    std::uint32_t listIndexAt(std::size_t row) const { return m_entries[row].listIndex; }
    // Records of one folder share a key, so that the folder's text is worked on once; keys run from 0
    // below folderKeyCount(). A folder record, which shows its own full path, has no key (-1).
    std::int64_t folderKeyAt(std::size_t row) const;
    std::size_t folderKeyCount() const { return m_folders.size(); }
    QString folderKeyText(std::uint32_t key) const;
    // The row of the record with that list index, or -1.
    std::ptrdiff_t rowOfListIndex(std::uint32_t listIndex) const;

    // The most records the store takes; a record past it is refused as when memory runs out.
    void setCapacity(std::size_t records) { m_capacity = records; }
    void setObserver(IResultStoreObserver *observer) { m_observer = observer; }

private:
    struct Entry
    {
        std::uint64_t size = 0;
        std::int64_t modified = 0;
        std::int64_t created = 0;
        std::uint64_t text = 0;  // where the last component of the full path lies in the text pool
        std::uint32_t folder = 0;  // the folder part of the full path, with its trailing "/"
        std::uint32_t listIndex = 0;
        std::uint32_t lastLength = 0;
        std::uint32_t flags = 0;
    };

    void append(const CFileInfo &record);
    QString fullPathOf(const Entry &entry) const;

    ChunkedArray<Entry> m_entries;
    TextPool m_texts;
    FolderTable m_folders;
    std::uint32_t m_foundCount = 0;
    std::size_t m_capacity = std::size_t(-1);
    IResultStoreObserver *m_observer = nullptr;
};

}  // namespace orv
