#pragma once

#include "unpack/common/foldermap.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace orv {

// The sums behind the one-line description of a folder or a whole archive.
class ArchiveTotals
{
public:
    void addFile(std::uint64_t size, std::uint64_t packed);
    void addFolder(const QString &path) { m_folders.add(path); }
    // For formats that list only files: the folder an item lies in counts, not the item.
    void addParentOf(const QString &path);

    std::uint64_t files() const { return m_files; }
    std::uint64_t folders() const { return static_cast<std::uint64_t>(m_folders.size()); }
    std::uint64_t size() const { return m_size; }
    std::uint64_t packed() const { return m_packed; }

private:
    std::uint64_t m_files = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_packed = 0;
    FolderMap m_folders;
};

// The path of an item relative to a folder of the archive when it lies below it ("a/b" under "a" is "b");
// no value for the folder itself and for items elsewhere. The folder is spelt as the archive spells it
// (SpellingLookup), and compared exactly: "A/b" does not lie below "a".
std::optional<QString> pathBelowFolder(const QString &itemPath, const QString &folder);

// "Files - 1, Folders - 2, Size - 1 000 bytes, Packed - 500 bytes, Ratio - 50%"
QString totalsText(const ArchiveTotals &totals);
// The same without the packed size and ratio, for formats that do not record a packed size per file.
QString totalsTextWithoutPacked(const ArchiveTotals &totals);

// The time an item's record carries as a DOS date and time (whole even seconds), in seconds since 1970,
// so that a description shows the time the listing shows; 0 when the record has none.
std::int64_t dosRecordSeconds(std::uint32_t dosDateTime);

// One-line descriptions of a file. Times are seconds since 1970, shown as local time.
QString sevenZipFileText(std::int64_t modified, std::uint64_t size, std::uint64_t packed, std::uint32_t crc);
QString rarFileText(std::int64_t modified, std::uint64_t size, std::uint64_t packed, std::uint32_t crc,
                    std::uint32_t versionToExtract);
QString cabFileText(std::int64_t modified, std::uint64_t size);
QString isoFileText(std::int64_t modified, std::uint64_t size, std::uint64_t packed);
QString udfFileText(std::int64_t modified, std::int64_t accessed, std::uint64_t size, std::uint64_t packed);

}  // namespace orv
