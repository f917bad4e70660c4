#include "listingcatalogue.h"

#include "finder/search/listingcodec.h"

#include "platform/knownfolders.h"
#include "platform/product.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace orv {

namespace {

// Raised whenever the tables change; a file of another layout is emptied, as it is only a cache.
constexpr int kLayoutVersion = 2;
// Listings stored between two commits: few enough that a crash loses little, many enough that the
// journal's syncs do not dominate a first search.
constexpr int kStoresPerCommit = 256;
constexpr int kBusyWaitMs = 5000;

std::int64_t nanoseconds(const statx_timestamp &time)
{
    return std::int64_t(time.tv_sec) * 1000000000 + std::int64_t(time.tv_nsec);
}

// Paths are kept as the UTF-16 of the QString, so that any name the program met comes back as it was.
void bindText(sqlite3_stmt *statement, int index, const QString &text)
{
    sqlite3_bind_blob(statement, index, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
}

std::optional<QString> columnText(sqlite3_stmt *statement, int index)
{
    const int bytes = sqlite3_column_bytes(statement, index);
    const void *data = sqlite3_column_blob(statement, index);
    if (bytes < 0 || bytes % 2 != 0 || (bytes > 0 && !data))
        return std::nullopt;
    QString text(bytes / 2, Qt::Uninitialized);
    if (bytes > 0)
        std::memcpy(text.data(), data, std::size_t(bytes));
    return text;
}

}  // namespace

std::optional<ArchiveStamp> ArchiveStamp::of(const QString &path)
{
    struct statx st{};
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS, &st) != 0
        || !S_ISREG(st.stx_mode))
        return std::nullopt;
    return of(st);
}

ArchiveStamp ArchiveStamp::of(const struct statx &st)
{
    ArchiveStamp stamp;
    stamp.size = std::int64_t(st.stx_size);
    stamp.modifiedNs = nanoseconds(st.stx_mtime);
    stamp.changedNs = nanoseconds(st.stx_ctime);
    stamp.inode = st.stx_ino;
    stamp.device = std::uint64_t(makedev(st.stx_dev_major, st.stx_dev_minor));
    return stamp;
}

void CListingCatalogue::Closer::operator()(sqlite3 *db) const
{
    sqlite3_close(db);
}

void CListingCatalogue::Finalizer::operator()(sqlite3_stmt *statement) const
{
    sqlite3_finalize(statement);
}

CListingCatalogue::CListingCatalogue() = default;

CListingCatalogue::~CListingCatalogue()
{
    commit();
}

QString CListingCatalogue::defaultPath()
{
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || !QDir::isAbsolutePath(cache))
        cache = profileFolder() + QStringLiteral("/.cache");
    return QDir::cleanPath(cache + QLatin1Char('/') + organizationName() + QLatin1Char('/') + productName()
                           + QStringLiteral("/Listings.sqlite"));
}

bool CListingCatalogue::fail(const QString &what)
{
    m_error = what;
    if (m_db)
        m_error += QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(m_db.get()));
    return false;
}

bool CListingCatalogue::open(const QString &path)
{
    m_find.reset();
    m_store.reset();
    m_db.reset();
    m_path = path;
    if (!QDir().mkpath(QFileInfo(path).path()))
        return fail(QStringLiteral("cannot create the folder of %1").arg(path));
    // Made private before SQLite first writes to it; SQLite gives its journal the same mode.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 || ::fchmod(fd, 0600) != 0) {
        if (fd >= 0)
            ::close(fd);
        return fail(QStringLiteral("cannot create %1").arg(path));
    }
    ::close(fd);
    sqlite3 *db = nullptr;
    // One thread uses a catalogue, so SQLite need not lock around every call.
    const int opened = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    m_db.reset(db);
    if (opened != SQLITE_OK)
        return fail(QStringLiteral("cannot open %1").arg(path));
    sqlite3_busy_timeout(db, kBusyWaitMs);
    // With the write-ahead log a commit appends to the log without waiting for the disk; after a crash
    // the file is still whole, at worst without the last listings, which are then read again.
    if (!execute("PRAGMA journal_mode = WAL") || !execute("PRAGMA synchronous = NORMAL")
        || !execute("PRAGMA cache_size = -512") || !createLayout()) {
        const bool failed = fail(QStringLiteral("%1 is no catalogue").arg(path));
        m_find.reset();
        m_db.reset();
        return failed;
    }
    return true;
}

bool CListingCatalogue::execute(const char *sql)
{
    return sqlite3_exec(m_db.get(), sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

CListingCatalogue::Statement CListingCatalogue::prepare(const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (!m_db || sqlite3_prepare_v2(m_db.get(), sql, -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    return Statement(statement);
}

bool CListingCatalogue::createLayout()
{
    int found = -1;
    {
        // Finished before the tables change: a statement still running would keep them locked.
        const Statement version = prepare("PRAGMA user_version");
        if (!version || sqlite3_step(version.get()) != SQLITE_ROW)
            return false;
        found = sqlite3_column_int(version.get(), 0);
    }
    if (found == kLayoutVersion)
        return true;
    if (found != 0 && !execute("DROP TABLE IF EXISTS archives;"))
        return false;
    const std::string layout = "BEGIN;"
                               // A table with row ids keeps a listing on the page of its row where an index
                               // keeps only a quarter page, and the rest of the listing takes pages of its own.
                               "CREATE TABLE archives(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE,"
                               " kind INTEGER NOT NULL, size INTEGER NOT NULL, modified INTEGER NOT NULL,"
                               " changed INTEGER NOT NULL, inode INTEGER NOT NULL, device INTEGER NOT NULL,"
                               " tar_inside INTEGER NOT NULL, entries INTEGER NOT NULL, listing BLOB NOT NULL);"
                               "PRAGMA user_version = "
                               + std::to_string(kLayoutVersion) + "; COMMIT;";
    return execute(layout.c_str());
}

CListingCatalogue::Statement &CListingCatalogue::cached(Statement &statement, const char *sql)
{
    if (statement)
        sqlite3_reset(statement.get());
    else
        statement = prepare(sql);
    return statement;
}

// The stored value as it is, not yet checked to be a whole listing.
std::optional<PackedListing> CListingCatalogue::storedListing(const QString &archivePath, ArchiveKindCode kind,
                                                              const ArchiveStamp &stamp)
{
    sqlite3_stmt *const row = cached(m_find, "SELECT kind, size, modified, changed, inode, device, tar_inside,"
                                             " entries, listing, id FROM archives WHERE path = ?")
                                  .get();
    if (!row)
        return std::nullopt;
    bindText(row, 1, archivePath);
    if (sqlite3_step(row) != SQLITE_ROW)
        return std::nullopt;
    m_seen.push_back(sqlite3_column_int64(row, 9));
    ArchiveStamp stored;
    stored.size = sqlite3_column_int64(row, 1);
    stored.modifiedNs = sqlite3_column_int64(row, 2);
    stored.changedNs = sqlite3_column_int64(row, 3);
    stored.inode = std::uint64_t(sqlite3_column_int64(row, 4));
    stored.device = std::uint64_t(sqlite3_column_int64(row, 5));
    if (sqlite3_column_int(row, 0) != int(kind) || !(stored == stamp))
        return std::nullopt;
    const auto *data = static_cast<const char *>(sqlite3_column_blob(row, 8));
    PackedListing listing;
    listing.bytes = QByteArray(data, data ? sqlite3_column_bytes(row, 8) : 0);
    listing.count = sqlite3_column_int64(row, 7);
    listing.tarInside = sqlite3_column_int(row, 6) != 0;
    return listing;
}

std::optional<PackedListing> CListingCatalogue::findPacked(const QString &archivePath, ArchiveKindCode kind,
                                                         const ArchiveStamp &stamp)
{
    std::optional<PackedListing> listing = storedListing(archivePath, kind, stamp);
    if (listing && !CPackedListingReader(listing->bytes, listing->count).isWhole())
        return std::nullopt;
    return listing;
}

std::optional<CataloguedListing> CListingCatalogue::find(const QString &archivePath, ArchiveKindCode kind,
                                                         const ArchiveStamp &stamp)
{
    // Decoding checks that the listing is whole.
    const std::optional<PackedListing> packed = storedListing(archivePath, kind, stamp);
    if (!packed)
        return std::nullopt;
    std::optional<std::vector<ArchiveEntry>> entries = decodeListing(packed->bytes, packed->count);
    if (!entries)
        return std::nullopt;
    CataloguedListing listing;
    listing.tarInside = packed->tarInside;
    listing.entries = std::move(*entries);
    return listing;
}

void CListingCatalogue::beginReading()
{
    m_seen.clear();
    if (m_db && !m_inTransaction)
        m_inTransaction = execute("BEGIN");
}

bool CListingCatalogue::beginWriting()
{
    if (m_inTransaction && m_writing)
        return true;
    // A transaction that has only read may not become a writing one once another process has written;
    // it is ended and a writing one begun.
    commit();
    m_inTransaction = m_writing = execute("BEGIN IMMEDIATE");
    return m_inTransaction;
}

void CListingCatalogue::store(const QString &archivePath, ArchiveKindCode kind, const ArchiveStamp &stamp,
                              const CataloguedListing &listing)
{
    store(archivePath, kind, stamp,
          PackedListing{listing.tarInside, encodeListing(listing.entries), std::int64_t(listing.entries.size())});
}

void CListingCatalogue::store(const QString &archivePath, ArchiveKindCode kind, const ArchiveStamp &stamp,
                              const PackedListing &listing)
{
    if (!m_db || !beginWriting())
        return;
    sqlite3_stmt *const row = cached(m_store, "INSERT OR REPLACE INTO archives(path, kind, size, modified, changed,"
                                              " inode, device, tar_inside, entries, listing)"
                                              " VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                  .get();
    if (!row)
        return;
    bindText(row, 1, archivePath);
    sqlite3_bind_int(row, 2, int(kind));
    sqlite3_bind_int64(row, 3, stamp.size);
    sqlite3_bind_int64(row, 4, stamp.modifiedNs);
    sqlite3_bind_int64(row, 5, stamp.changedNs);
    sqlite3_bind_int64(row, 6, std::int64_t(stamp.inode));
    sqlite3_bind_int64(row, 7, std::int64_t(stamp.device));
    sqlite3_bind_int(row, 8, listing.tarInside ? 1 : 0);
    sqlite3_bind_int64(row, 9, listing.count);
    sqlite3_bind_blob(row, 10, listing.bytes.constData(), int(listing.bytes.size()), SQLITE_STATIC);
    if (sqlite3_step(row) == SQLITE_DONE)
        m_seen.push_back(sqlite3_last_insert_rowid(m_db.get()));
    sqlite3_reset(row);
    if (++m_storedSinceCommit >= kStoresPerCommit)
        commit();
}

bool CListingCatalogue::commit()
{
    m_storedSinceCommit = 0;
    if (!m_inTransaction)
        return true;
    m_inTransaction = m_writing = false;
    if (execute("COMMIT"))
        return true;
    execute("ROLLBACK");
    return false;
}

void CListingCatalogue::dropGone(const QString &place)
{
    // The paths below the folder are the keys from its path and "/" up to its path and the unit after
    // "/": in UTF-16LE the last byte of "/" is 0, and the keys that begin with it sort below that byte as 1.
    const QString below = place.endsWith(QLatin1Char('/')) ? place : place + QLatin1Char('/');
    QByteArray end(reinterpret_cast<const char *>(below.utf16()), below.size() * 2);
    end.back() = 1;
    const Statement rows = prepare("SELECT id, path FROM archives WHERE path = ?1 OR (path >= ?2 AND path < ?3)");
    if (!rows)
        return;
    bindText(rows.get(), 1, place);
    bindText(rows.get(), 2, below);
    sqlite3_bind_blob(rows.get(), 3, end.constData(), int(end.size()), SQLITE_STATIC);
    std::sort(m_seen.begin(), m_seen.end());
    QStringList gone;
    while (sqlite3_step(rows.get()) == SQLITE_ROW) {
        if (std::binary_search(m_seen.cbegin(), m_seen.cend(), sqlite3_column_int64(rows.get(), 0)))
            continue;
        const std::optional<QString> path = columnText(rows.get(), 1);
        if (path && !ArchiveStamp::of(*path))
            gone << *path;
    }
    if (gone.isEmpty() || !beginWriting())
        return;
    const Statement drop = prepare("DELETE FROM archives WHERE path = ?");
    for (const QString &path : std::as_const(gone)) {
        if (!drop)
            return;
        sqlite3_reset(drop.get());
        bindText(drop.get(), 1, path);
        sqlite3_step(drop.get());
    }
}

CListingCatalogue::Info CListingCatalogue::info()
{
    Info result;
    const auto count = [this](const char *sql) -> std::int64_t {
        const Statement statement = prepare(sql);
        return statement && sqlite3_step(statement.get()) == SQLITE_ROW ? sqlite3_column_int64(statement.get(), 0)
                                                                          : 0;
    };
    result.archives = count("SELECT count(*) FROM archives");
    result.entries = count("SELECT total(entries) FROM archives");
    result.bytes = QFileInfo(m_path).size();
    return result;
}

bool CListingCatalogue::clear()
{
    commit();
    return m_db && execute("DELETE FROM archives") && execute("VACUUM");
}

}  // namespace orv
