#pragma once

#include "unpack/common/records.h"
#include "zip/entrylist.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace orv::sz {
class SevenZipArchive;
struct ItemInfo;
}

namespace orv::zip {

// What a ZIP entry records beyond the common entry fields.
struct ZipFacts
{
    std::uint32_t index = 0;  // the entry's number in the archive
    std::optional<std::uint32_t> crc;
    std::optional<std::uint32_t> attributes;
    bool hasTime = false;
    // Read with the listing only for encrypted entries; see ZipCatalog::method.
    std::optional<QString> method;
    bool encrypted = false;
    bool zipCryptoWithDescriptor = false;
};

// The listing of an open ZIP archive: the real entries in archive order (entry i is item i of the
// archive), then the folders that only their contents imply, which ZIP files often leave out.
class ZipCatalog
{
public:
    // With Methods::Later the compression method of an entry is asked of the archive only when it is
    // wanted, which must then still be the one listed here.
    enum class Methods { Now, Later };
    void build(const sz::SevenZipArchive &archive, std::int64_t impliedFolderTime, Methods methods = Methods::Now);
    void clear();
    QString method(const ZipFacts &facts, const sz::SevenZipArchive &archive) const;

    const EntryList &entries() const { return m_entries; }
    int size() const { return m_entries.size(); }
    const ArchiveEntry &at(int index) const { return m_entries.at(index); }
    // None for implied folders.
    const ZipFacts *facts(int index) const;

    // A file (not a folder) with that path, in another case only when no item is spelt exactly so.
    std::optional<int> findFile(const QString &path) const;
    std::optional<int> findFolder(const QString &path) const { return m_entries.findFolder(normaliseEntryPath(path)); }
    // Only what is spelt exactly so: to the writer, "a" and "A" are two names.
    std::optional<int> findExactFile(const QString &path) const;
    bool hasExactFolder(const QString &path) const;

private:
    EntryList m_entries;
    std::vector<ZipFacts> m_facts;
};

// The path 7z.so gives for an item, in the form the listing shows: the UTF-8 flag honoured, other names
// read as the archiver wrote them.
QString displayPath(const sz::ItemInfo &item, bool utf8Locale);

}  // namespace orv::zip
