#include "listingcatalogue.h"

#include "platform/knownfolders.h"
#include "platform/product.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

// Raised whenever the tables change; a file of another layout is emptied, as it is only a cache.
constexpr int kLayoutVersion = 1;
// Listings stored between two commits: few enough that a crash loses little, many enough that the
// journal's syncs do not dominate a first search.
constexpr int kStoresPerCommit = 256;
constexpr int kBusyWaitMs = 5000;

std::int64_t nanoseconds(const timespec &time)
{
    return std::int64_t(time.tv_sec) * 1000000000 + time.tv_nsec;
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
    struct stat st{};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    ArchiveStamp stamp;
    stamp.size = std::int64_t(st.st_size);
    stamp.modifiedNs = nanoseconds(st.st_mtim);
    stamp.changedNs = nanoseconds(st.st_ctim);
    stamp.inode = std::uint64_t(st.st_ino);
    stamp.device = std::uint64_t(st.st_dev);
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
    const int opened = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    m_db.reset(db);
    if (opened != SQLITE_OK)
        return fail(QStringLiteral("cannot open %1").arg(path));
    sqlite3_busy_timeout(db, kBusyWaitMs);
    if (!createLayout()) {
        const bool failed = fail(QStringLiteral("%1 is no catalogue").arg(path));
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
    const Statement version = prepare("PRAGMA user_version");
    if (!version || sqlite3_step(version.get()) != SQLITE_ROW)
        return false;
    const int found = sqlite3_column_int(version.get(), 0);
    if (found == kLayoutVersion)
        return true;
    if (found != 0 && !execute("DROP TABLE IF EXISTS entries; DROP TABLE IF EXISTS archives;"))
        return false;
    return execute("BEGIN;"
                   "CREATE TABLE archives(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE, kind INTEGER NOT NULL,"
                   " size INTEGER NOT NULL, modified INTEGER NOT NULL, changed INTEGER NOT NULL,"
                   " inode INTEGER NOT NULL, device INTEGER NOT NULL, tar_inside INTEGER NOT NULL);"
                   "CREATE TABLE entries(archive INTEGER NOT NULL, seq INTEGER NOT NULL, path BLOB NOT NULL,"
                   " folder INTEGER NOT NULL, size INTEGER NOT NULL, modified INTEGER,"
                   " PRIMARY KEY(archive, seq)) WITHOUT ROWID;"
                   "PRAGMA user_version = 1;"
                   "COMMIT;");
}

std::optional<CataloguedListing> CListingCatalogue::find(const QString &archivePath, ArchiveKindCode kind,
                                                         const ArchiveStamp &stamp)
{
    const Statement archive = prepare("SELECT id, kind, size, modified, changed, inode, device, tar_inside"
                                      " FROM archives WHERE path = ?");
    if (!archive)
        return std::nullopt;
    bindText(archive.get(), 1, archivePath);
    if (sqlite3_step(archive.get()) != SQLITE_ROW)
        return std::nullopt;
    ArchiveStamp stored;
    stored.size = sqlite3_column_int64(archive.get(), 2);
    stored.modifiedNs = sqlite3_column_int64(archive.get(), 3);
    stored.changedNs = sqlite3_column_int64(archive.get(), 4);
    stored.inode = std::uint64_t(sqlite3_column_int64(archive.get(), 5));
    stored.device = std::uint64_t(sqlite3_column_int64(archive.get(), 6));
    if (sqlite3_column_int(archive.get(), 1) != int(kind) || !(stored == stamp))
        return std::nullopt;
    CataloguedListing listing;
    listing.tarInside = sqlite3_column_int(archive.get(), 7) != 0;
    const Statement entries =
        prepare("SELECT path, folder, size, modified FROM entries WHERE archive = ? ORDER BY seq");
    if (!entries)
        return std::nullopt;
    sqlite3_bind_int64(entries.get(), 1, sqlite3_column_int64(archive.get(), 0));
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(entries.get())) == SQLITE_ROW) {
        ArchiveEntry entry;
        const std::optional<QString> path = columnText(entries.get(), 0);
        const std::int64_t size = sqlite3_column_int64(entries.get(), 2);
        if (!path || size < 0)
            return std::nullopt;
        entry.path = *path;
        entry.folder = sqlite3_column_int(entries.get(), 1) != 0;
        entry.size = std::uint64_t(size);
        if (sqlite3_column_type(entries.get(), 3) != SQLITE_NULL)
            entry.modified = sqlite3_column_int64(entries.get(), 3);
        listing.entries.push_back(std::move(entry));
    }
    if (step != SQLITE_DONE)
        return std::nullopt;
    return listing;
}

bool CListingCatalogue::beginOnce()
{
    if (!m_inTransaction)
        m_inTransaction = execute("BEGIN IMMEDIATE");
    return m_inTransaction;
}

void CListingCatalogue::forget(std::int64_t archiveId)
{
    for (const char *sql : {"DELETE FROM entries WHERE archive = ?", "DELETE FROM archives WHERE id = ?"}) {
        if (const Statement statement = prepare(sql)) {
            sqlite3_bind_int64(statement.get(), 1, archiveId);
            sqlite3_step(statement.get());
        }
    }
}

void CListingCatalogue::store(const QString &archivePath, ArchiveKindCode kind, const ArchiveStamp &stamp,
                              const CataloguedListing &listing)
{
    if (!m_db || !beginOnce())
        return;
    const Statement old = prepare("SELECT id FROM archives WHERE path = ?");
    if (!old)
        return;
    bindText(old.get(), 1, archivePath);
    if (sqlite3_step(old.get()) == SQLITE_ROW)
        forget(sqlite3_column_int64(old.get(), 0));
    const Statement archive = prepare("INSERT INTO archives(path, kind, size, modified, changed, inode, device,"
                                      " tar_inside) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    if (!archive)
        return;
    bindText(archive.get(), 1, archivePath);
    sqlite3_bind_int(archive.get(), 2, int(kind));
    sqlite3_bind_int64(archive.get(), 3, stamp.size);
    sqlite3_bind_int64(archive.get(), 4, stamp.modifiedNs);
    sqlite3_bind_int64(archive.get(), 5, stamp.changedNs);
    sqlite3_bind_int64(archive.get(), 6, std::int64_t(stamp.inode));
    sqlite3_bind_int64(archive.get(), 7, std::int64_t(stamp.device));
    sqlite3_bind_int(archive.get(), 8, listing.tarInside ? 1 : 0);
    if (sqlite3_step(archive.get()) != SQLITE_DONE)
        return;
    const std::int64_t id = sqlite3_last_insert_rowid(m_db.get());
    const Statement entry =
        prepare("INSERT INTO entries(archive, seq, path, folder, size, modified) VALUES(?, ?, ?, ?, ?, ?)");
    if (!entry)
        return;
    std::int64_t seq = 0;
    for (const ArchiveEntry &item : listing.entries) {
        sqlite3_bind_int64(entry.get(), 1, id);
        sqlite3_bind_int64(entry.get(), 2, seq++);
        bindText(entry.get(), 3, item.path);
        sqlite3_bind_int(entry.get(), 4, item.folder ? 1 : 0);
        sqlite3_bind_int64(entry.get(), 5, std::int64_t(item.size));
        if (item.modified)
            sqlite3_bind_int64(entry.get(), 6, *item.modified);
        else
            sqlite3_bind_null(entry.get(), 6);
        if (sqlite3_step(entry.get()) != SQLITE_DONE) {
            // Half a listing is worse than none.
            forget(id);
            return;
        }
        sqlite3_reset(entry.get());
    }
    if (++m_storedSinceCommit >= kStoresPerCommit)
        commit();
}

bool CListingCatalogue::commit()
{
    m_storedSinceCommit = 0;
    if (!m_inTransaction)
        return true;
    m_inTransaction = false;
    if (execute("COMMIT"))
        return true;
    execute("ROLLBACK");
    return false;
}

void CListingCatalogue::dropGone(const QString &place)
{
    const Statement all = prepare("SELECT id, path FROM archives");
    if (!all)
        return;
    const QString below = place.endsWith(QLatin1Char('/')) ? place : place + QLatin1Char('/');
    std::vector<std::int64_t> gone;
    while (sqlite3_step(all.get()) == SQLITE_ROW) {
        const std::optional<QString> path = columnText(all.get(), 1);
        if (!path || (*path != place && !path->startsWith(below)))
            continue;
        if (!ArchiveStamp::of(*path))
            gone.push_back(sqlite3_column_int64(all.get(), 0));
    }
    if (gone.empty() || !beginOnce())
        return;
    for (std::int64_t id : gone)
        forget(id);
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
    result.entries = count("SELECT count(*) FROM entries");
    result.bytes = QFileInfo(m_path).size();
    return result;
}

bool CListingCatalogue::clear()
{
    commit();
    return m_db && execute("DELETE FROM entries; DELETE FROM archives;") && execute("VACUUM");
}

}  // namespace orv
