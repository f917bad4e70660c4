#pragma once

#include "finder/archive/archivekind.h"
#include "finder/archive/unpackerinterface.h"
#include "finder/search/listingcodec.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct statx;
struct sqlite3_stmt;

namespace orv {

// What tells one version of an archive file from another without reading it.
struct ArchiveStamp
{
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;

    // No value when the file cannot be looked at.
    static std::optional<ArchiveStamp> of(const QString &path);
    static ArchiveStamp of(const struct statx &st);
    friend bool operator==(const ArchiveStamp &, const ArchiveStamp &) = default;
};

// An archive's entries as its reader lists them, the tar inside a compressed stream first.
struct CataloguedListing
{
    bool tarInside = false;
    std::vector<ArchiveEntry> entries;
};

// The listings of archives already read, in an SQLite file private to the user, so that a search opens only
// archives that are new or changed. A listing is found only under the path, kind and stamp it was stored
// with. Writes are gathered in transactions, so that a crash loses at most the listings of the last one and
// never leaves half a listing.
class CListingCatalogue
{
public:
    CListingCatalogue();
    ~CListingCatalogue();
    CListingCatalogue(const CListingCatalogue &) = delete;
    CListingCatalogue &operator=(const CListingCatalogue &) = delete;

    // Under $XDG_CACHE_HOME (default ~/.cache), in the program's folder.
    static QString defaultPath();

    // Creates the file (0600) and its folder when missing. False with errorText() when that fails or the
    // file is no catalogue; a file of an older layout is emptied.
    bool open(const QString &path);
    const QString &errorText() const { return m_error; }

    // Both take the stamp of the archive as it is on disk now.
    std::optional<CataloguedListing> find(const QString &archivePath, ArchiveKindCode kind, const ArchiveStamp &stamp);
    std::optional<PackedListing> findPacked(const QString &archivePath, ArchiveKindCode kind,
                                            const ArchiveStamp &stamp);
    void store(const QString &archivePath, ArchiveKindCode kind, const ArchiveStamp &stamp,
               const CataloguedListing &listing);
    void store(const QString &archivePath, ArchiveKindCode kind, const ArchiveStamp &stamp,
               const PackedListing &listing);
    // Drops the listings of the archive at the place, or of those below the folder, that are gone.
    void dropGone(const QString &place);
    // A search begins: the finds that follow, up to the next commit, read in one transaction instead of
    // one each, as a search does over thousands of archives.
    void beginReading();
    // Writes what is gathered, and ends the reading.
    bool commit();

    struct Info
    {
        std::int64_t archives = 0;
        std::int64_t entries = 0;
        std::int64_t bytes = 0;
    };
    Info info();
    bool clear();

private:
    struct Closer
    {
        void operator()(sqlite3 *db) const;
    };
    struct Finalizer
    {
        void operator()(sqlite3_stmt *statement) const;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

    bool execute(const char *sql);
    Statement prepare(const char *sql);
    // The statement prepared at its first use and reset at every other.
    Statement &cached(Statement &statement, const char *sql);
    bool createLayout();
    std::optional<PackedListing> storedListing(const QString &archivePath, ArchiveKindCode kind,
                                               const ArchiveStamp &stamp);
    bool beginWriting();
    bool fail(const QString &what);

    std::unique_ptr<sqlite3, Closer> m_db;
    // Finalized before the database closes.
    Statement m_find;
    Statement m_store;
    // The rows of the archives found on disk since the search began: dropGone need not look at them again.
    std::vector<std::int64_t> m_seen;
    QString m_path;
    QString m_error;
    bool m_inTransaction = false;
    bool m_writing = false;
    int m_storedSinceCommit = 0;
};

}  // namespace orv
