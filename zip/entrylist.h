#pragma once

#include "unpack/common/impliedfolders.h"
#include "unpack/common/records.h"
#include "zip/archivereader.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace orv::zip {

// One item as listed at open, kept so that the cursor, the texts and the choice of what to extract need
// no further pass over the file.
struct ArchiveEntry
{
    using Type = StreamHeader::Type;

    QString path;        // normalised, "/"-separated
    QString storedPath;  // as the archive stores it, for the check against the target folder
    QString linkTarget;
    Type type = Type::File;
    std::uint64_t size = 0;
    std::uint64_t packed = 0;
    std::int64_t modified = 0;
    std::uint32_t mode = 0;
    int stream = -1;     // position of its header in the stream; -1 when no header stands for it
    int source = -1;     // for a hard link: the index of the file it names, -1 when none does
    bool implied = false;  // a folder no header names, implied by the paths below it

    bool isFolder() const { return type == Type::Folder; }
    // Whether extracting it writes data: files, and hard links (as copies of the file they name).
    bool carriesData() const { return type == Type::File || type == Type::HardLink; }
};

// The short record of an entry, as every member of the ZIP family fills it: bFolder for a folder,
// bSubFolder for every entry whose path has a parent.
void fillShortInfo(FILESHORTINFO &record, const ArchiveEntry &entry);

class EntryList
{
public:
    void clear();
    // A hard link is tied here to the last file before it with the path it names, or to the file an earlier
    // link with that path stands for, and takes its size.
    void add(ArchiveEntry entry);
    // Adds a folder entry, once, for every folder that the paths of the items imply but no header names.
    // Called after the last real entry: the implied folders follow the real ones.
    void addImpliedFolders(std::int64_t modified);

    int size() const { return static_cast<int>(m_entries.size()); }
    const ArchiveEntry &at(int index) const { return m_entries[static_cast<std::size_t>(index)]; }
    ArchiveEntry &at(int index) { return m_entries[static_cast<std::size_t>(index)]; }

    // The item with this path; when several have it, the last one (the one an extraction of the whole
    // archive leaves on disk). A path no item spells exactly names the first spelling that differs from it
    // in case alone, as SpellingLookup chooses.
    std::optional<int> find(const QString &path) const;
    // The folder with this path, chosen in the same way; an item spelt exactly so that is a file hides a
    // folder that differs in case.
    std::optional<int> findFolder(const QString &path) const;
    // Only what is spelt exactly so: to a writer "a" and "A" are two names.
    std::optional<int> findExact(const QString &path) const;
    std::optional<int> findExactFolder(const QString &path) const;
    // The folder's path as the archive spells it; the path itself when it names no folder.
    QString folderSpelling(const QString &path) const;

private:
    void trackFiles();
    QString spelling(const QString &path) const;

    std::vector<ArchiveEntry> m_entries;
    // Built at the first lookup: a search lists every entry and looks none up.
    void indexOnce() const;
    mutable QHash<QString, int> m_byPath;    // path -> last index
    mutable QHash<QString, int> m_folders;   // folder path -> last index
    mutable bool m_indexBuilt = false;
    // Case-folded path -> the first item spelt so; built at the first path no item spells exactly, as
    // almost every path handed in comes from the listing itself.
    mutable QHash<QString, int> m_byFolded;
    mutable bool m_foldedBuilt = false;
    // Exact path -> index of the last file with it, or of the file the last link with it stands for, for
    // hard links; built at the first hard link, as most archives have none.
    QHash<QString, int> m_lastFile;
    bool m_tracksFiles = false;
};

}  // namespace orv::zip
