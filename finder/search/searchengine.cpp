#include "searchengine.h"

#include "finder/archive/archiveaccess.h"
#include "finder/archive/archivelisting.h"
#include "finder/search/folderreader.h"
#include "finder/search/listingcodec.h"
#include "finder/search/listingpool.h"
#include "platform/events.h"
#include "platform/product.h"
#include "platform/promptwatch.h"
#include "platform/prompts.h"
#include "platform/pump.h"
#include "unpack/common/entrylookup.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <ctime>
#include <sys/stat.h>

namespace orv {

namespace {

// How long the main thread waits for the oldest listing of the pool before it looks at its events again.
constexpr int kListingWaitMs = 20;
constexpr int kKeptEntriesPerClockLook = 16;

const QString &productCaption()
{
    static const QString caption = productName();
    return caption;
}

// Seconds as stored in a record: a time that the local calendar cannot express, or that falls before
// 1900 there, is stored as unknown.
std::int64_t localRecordTime(std::int64_t seconds)
{
    const std::time_t t = std::time_t(seconds);
    std::tm parts{};
    if (!::localtime_r(&t, &parts) || parts.tm_year < 0)
        return 0;
    return seconds;
}

std::int64_t recordTime(std::int64_t seconds)
{
    // The entries of an archive mostly share a few times; the local time is costly to work out.
    thread_local std::optional<std::pair<std::int64_t, std::int64_t>> last;
    if (last && last->first == seconds)
        return last->second;
    last.emplace(seconds, localRecordTime(seconds));
    return last->second;
}

QStringView lastComponent(const QString &path)
{
    return QStringView(path).sliced(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString withoutTrailingSeparators(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

}  // namespace

CSearchEngine::CSearchEngine(CArchiveAccess &access, IFoundFileSink &sink) : m_access(access), m_sink(sink) {}

CSearchEngine::~CSearchEngine() = default;

void CSearchEngine::SetCriteria(const SearchCriteria &criteria)
{
    m_criteria = criteria;
    m_archiveMask = CMask(criteria.strArchiveMask);
    m_fileMask = CMask(criteria.strFileMask);
}

void CSearchEngine::SetProgressWindow(QObject *window)
{
    m_stopFilter.watch(window);
}

void CSearchEngine::SetSugarSync(const QString &linkFolder, const QStringList &folders)
{
    m_sugarSyncLinkFolder = withoutTrailingSeparators(linkFolder);
    m_sugarSyncFolders = folders;
}

QString CSearchEngine::CountMessage(std::uint32_t count)
{
    return tr("For the given search options %1 files are found.").arg(count);
}

QString CSearchEngine::OutOfMemoryMessage(std::uint32_t count)
{
    return tr("There is not enough memory for more files. The search stopped after %1 files, which are kept.")
        .arg(count);
}

std::uint32_t CSearchEngine::Run(const QStringList &places)
{
    const std::uint32_t count = Search(places);
    showInformation(CountMessage(count), productCaption());
    return count;
}

std::uint32_t CSearchEngine::Search(const QStringList &places)
{
    m_sink.FreeAll();
    m_scratch = CFileInfo{};
    m_running = true;
    m_stopAsked = false;
    m_cancelled = false;
    m_outOfMemory = false;
    const std::optional<SearchMode> mode = modeOfText(m_criteria.strMode);
    if (m_catalogue)
        m_catalogue->beginReading();
    m_poolWanted = m_jobs > 1 && mode && *mode != SearchMode::Archives;
    for (const QString &place : places) {
        // Once the user confirmed the interruption nothing more is searched, not even a single file.
        if (ended())
            break;
        searchCheckedPlace(withoutTrailingSeparators(place));
        // The next place may open an archive here, whose messages must not come before this place's.
        drainListings();
    }
    m_pool.reset();
    m_poolWanted = false;
    if (m_catalogue) {
        if (!m_cancelled) {
            for (const QString &place : places)
                m_catalogue->dropGone(withoutTrailingSeparators(place));
        }
        m_catalogue->commit();
    }
    m_criteria.bInnerFolder = false;
    m_criteria.strInnerFolder.clear();
    m_running = false;
    return m_sink.foundCount();
}

void CSearchEngine::searchCheckedPlace(const QString &path)
{
    m_visited.clear();
    m_criteria.bInnerFolder = false;
    m_criteria.strInnerFolder.clear();
    if (!m_sugarSyncLinkFolder.isEmpty() && path == m_sugarSyncLinkFolder) {
        for (const QString &folder : std::as_const(m_sugarSyncFolders)) {
            m_visited.clear();
            SearchPlace(folder);
        }
        return;
    }
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        SearchPlace(path);
        return;
    }
    // A place that does not exist on disk lies inside an archive: only a folder of that archive is
    // searched, as the archive restricted to that folder.
    const CArchiveAccess::Located located = m_access.locateArchive(path);
    if (located.path.isEmpty())
        return;
    const QString inner = innerPathOf(path, located.path);
    bool isFolder = false;
    if (const COpenedArchive archive = m_access.Open(located.path, located.kind))
        isFolder = !inner.isEmpty() && (archive->isFolder(inner) || isTarLevel(archive, inner));
    if (!isFolder)
        return;
    m_criteria.bInnerFolder = true;
    m_criteria.strInnerFolder = inner;
    SearchPlace(located.path);
    m_criteria.bInnerFolder = false;
    m_criteria.strInnerFolder.clear();
}

// The tar inside a compressed stream is a file entry to its reader but a folder level to the user, who
// may pick it as the place: that means the whole tar.
bool CSearchEngine::isTarLevel(const COpenedArchive &archive, const QString &inner)
{
    if (!isCompressedStreamKind(archive.kind()) || !archive->isTarInside())
        return false;
    QString tarName;
    forEachEntry(archive.reader(), TarNames::AsListed, [&tarName](const ArchiveEntry &entry) {
        tarName = entry.path;
        return false;
    });
    return !tarName.isEmpty() && tarName == inner;
}

void CSearchEngine::SearchPlace(const QString &path)
{
    const std::optional<FolderItem> item = folderItemAt(path);
    if (!item || item->folder) {
        SearchFolder(path);
        return;
    }
    examineWalked(*item);
}

void CSearchEngine::SearchFolder(const QString &folder)
{
    if (ended())
        return;
    struct stat st{};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    searchFolderOnce(folder, quint64(st.st_dev), quint64(st.st_ino));
}

void CSearchEngine::searchFolderOnce(const QString &folder, quint64 device, quint64 inode)
{
    if (!m_visited.emplace(device, inode).second)
        return;
    CFolderReader reader(folder);
    FolderItem item;
    while (reader.next(item)) {
        if (item.folder) {
            if (m_criteria.bIncludeSubfolders && !ended())
                searchFolderOnce(item.path, item.stamp.device, item.stamp.inode);
            if (ended())
                return;
            continue;
        }
        if (!examineWalked(item))
            continue;
        if (ended() || interruptConfirmed())
            return;
    }
}

// Devices, pipes, sockets and dangling links are no files: reading a pipe named like an archive would
// block the search for good. False for those.
bool CSearchEngine::examineWalked(const FolderItem &item)
{
    if (!item.file)
        return false;
    m_scratch = CFileInfo{};
    m_scratch.m_strName = item.name;
    m_scratch.m_strFullPath = item.path;
    m_scratch.m_nSize = m_scratch.m_nSize2 = item.size;
    m_scratch.m_tModified = recordTime(item.modifiedSeconds);
    m_scratch.m_tCreated = recordTime(item.createdSeconds);
    reportProgress(m_scratch.m_strFullPath);
    // The walk has just looked at the file: its stamp serves the catalogue.
    m_walkStamp = item.stamp;
    ExamineFile(m_scratch);
    m_walkStamp.reset();
    return true;
}

void CSearchEngine::reportProgress(const QString &path)
{
    sendOrvEvent(m_stopFilter.window(), Ev::FindProgress, 0, path);
}

bool CSearchEngine::interruptConfirmed()
{
    PumpMessages();
    return stopConfirmed();
}

bool CSearchEngine::stopConfirmed()
{
    if (!m_stopAsked || m_cancelled)
        return m_cancelled;
    if (askYesNo(tr("Interrupt the find?"), productCaption()))
        m_cancelled = true;
    else
        m_stopAsked = false;
    return m_cancelled;
}

bool CSearchEngine::pumpDue()
{
    if (!m_pumping || m_stopAsked)
        return false;
    if (m_pumpIntervalMs <= 0 || !m_sincePump.isValid())
        return true;
    // The entries of a kept listing pass in tens of nanoseconds, less than a look at the clock costs.
    if (m_listing.kept && ++m_listing.looksSinceClock < kKeptEntriesPerClockLook)
        return false;
    m_listing.looksSinceClock = 0;
    return m_sincePump.elapsed() >= m_pumpIntervalMs;
}

void CSearchEngine::PumpMessages()
{
    if (pumpDue())
        pumpNow();
}

void CSearchEngine::pumpNow()
{
    pumpEvents();
    m_sincePump.start();
}

bool CSearchEngine::IsArchiveName(const QString &path) const
{
    const QString extension = upperExtensionOf(path);
    if (extension.isEmpty())
        return false;
    return m_access.GetArchiveExtensions().contains(extension) || m_access.IsCustomArchive(extension);
}

ArchiveKindCode CSearchEngine::GetArchiveType(const QString &path)
{
    return m_access.GetArchiveKind(path);
}

void CSearchEngine::ExamineFile(const CFileInfo &record)
{
    const std::optional<SearchMode> mode = modeOfText(m_criteria.strMode);
    if (!mode)
        return;
    const auto passesFilters = [&] {
        return PassesInclude(m_criteria.include, FilterKind::ArchiveOnDisk, record.m_tModified, record.m_nSize)
               && !IsExcluded(m_criteria.exclude, FilterKind::ArchiveOnDisk, record.m_tModified, record.m_nSize);
    };
    switch (*mode) {
    case SearchMode::Archives:
        if (passesFilters() && m_archiveMask.matches(record.m_strName) && IsArchiveName(record.m_strName))
            addHit(record);
        break;
    case SearchMode::FilesInArchives:
        if (IsArchiveName(record.m_strName) && passesFilters())
            listInTurn(m_access.GetArchiveFileKind(record.m_strFullPath), record.m_strFullPath);
        break;
    case SearchMode::ArchivesAndFiles:
        if (passesFilters() && m_archiveMask.matches(record.m_strName) && IsArchiveName(record.m_strName))
            listInTurn(m_access.GetArchiveFileKind(record.m_strFullPath), record.m_strFullPath);
        break;
    }
}

void CSearchEngine::ListArchive(ArchiveKindCode code, const QString &archivePath, const CFileInfo &)
{
    listArchiveWithin(code, archivePath, restriction(), false);
}

std::optional<PackedListing> CSearchEngine::ListArchiveAlone(ArchiveKindCode code, const QString &archivePath,
                                                             const QString &restriction, bool capture)
{
    m_stopAsked = false;
    m_cancelled = false;
    m_outOfMemory = false;
    return listArchiveWithin(code, archivePath, restriction, capture);
}

QString CSearchEngine::restriction() const
{
    return m_criteria.bInnerFolder ? m_criteria.strInnerFolder : QString();
}

std::optional<PackedListing> CSearchEngine::listArchiveWithin(ArchiveKindCode code, const QString &archivePath,
                                                              QString restriction, bool capture)
{
    if (archivePath.isEmpty())
        return std::nullopt;
    const CPromptWatch questions;
    const COpenedArchive archive = m_access.Open(archivePath, code);
    if (!archive)
        return std::nullopt;
    restriction = prepareListing(code, isCompressedStreamKind(code) && archive->isTarInside(), restriction);
    std::optional<CListingEncoder> captured;
    if (capture)
        captured.emplace();
    bool stopped = false;
    forEachEntry(archive.reader(), TarNames::AsListed, [&](const ArchiveEntry &entry) {
        if (captured)
            captured->add(entry);
        stopped = !visitEntry(entry, archivePath, restriction);
        return !stopped;
    });
    // A listing cut short, or one that needed a password (whose names may be secret) or showed a message
    // that a replay would not show again, is read anew every time.
    if (stopped || questions.asked() || archive->enteredPassword() || !captured)
        return std::nullopt;
    return captured->take(m_listing.tarInside);
}

QString CSearchEngine::prepareListing(ArchiveKindCode code, bool tarInside, QString restriction)
{
    m_listing = Listing{};
    if (isCompressedStreamKind(code)) {
        // The tree shows the tar inside as a folder level of its own, which the entries' paths lack.
        if (!restriction.isEmpty()) {
            const qsizetype slash = restriction.indexOf(QLatin1Char('/'));
            restriction = slash < 0 ? QString() : restriction.mid(slash + 1);
        }
        m_listing.tarInside = tarInside;
        m_listing.skipAfterTest = m_listing.tarInside && m_criteria.bSkipCompressedTar;
    }
    return restriction;
}

void CSearchEngine::replayListing(ArchiveKindCode code, const QString &archivePath, const PackedListing &listing,
                                  const QString &restriction)
{
    const QString within = prepareListing(code, listing.tarInside, restriction);
    m_listing.kept = true;
    CPackedListingReader reader(listing.bytes, listing.count);
    ArchiveEntry entry;
    while (reader.next(entry)) {
        if (!visitEntry(entry, archivePath, within))
            return;
    }
}

void CSearchEngine::listAndCatalogue(ArchiveKindCode code, const QString &archivePath, const QString &restriction,
                                     const std::optional<ArchiveStamp> &stamp)
{
    const std::optional<PackedListing> captured =
        listArchiveWithin(code, archivePath, restriction, m_catalogue && stamp);
    if (captured && m_catalogue && stamp)
        m_catalogue->store(archivePath, code, *stamp, *captured);
}

// One entry of the archive being listed; false ends the listing.
bool CSearchEngine::visitEntry(const ArchiveEntry &entry, const QString &archivePath, const QString &restriction)
{
    const bool isTarItself = m_listing.tarInside && m_listing.index == 0;
    ++m_listing.index;
    if (m_listing.index == 1)
        m_listing.archivePrefix = m_listing.hitPrefix = archivePath + QLatin1Char('/');
    if (isTarItself) {
        m_listing.tarName = entry.path;
        m_listing.hitPrefix = m_listing.archivePrefix + m_listing.tarName + QLatin1Char('/');
    }
    // Referred to, not copied: a copy of a string is an atomic operation, as dear as the rest of an entry.
    const QString &hitPrefix = isTarItself ? m_listing.archivePrefix : m_listing.hitPrefix;
    if (entry.folder)
        return true;
    // Spelt exactly: a folder that differs in case alone is another folder.
    if (!restriction.isEmpty() && !isAtOrBelow(entry.path, restriction))
        return true;
    // Entries pass far faster than a window repaints: the path is sent when the pump that shows it is due.
    if (pumpDue()) {
        reportProgress(entry.path);
        pumpNow();
    }
    if (stopConfirmed())
        return false;
    const std::int64_t time = recordTime(entry.modified.value_or(0));
    if (PassesInclude(m_criteria.include, FilterKind::EntryInArchive, time, entry.size)
        && !IsExcluded(m_criteria.exclude, FilterKind::EntryInArchive, time, entry.size)) {
        const QStringView name = lastComponent(entry.path);
        if (m_fileMask.matches(name))
            addHit(FoundEntry{hitPrefix, entry.path, name, entry.size, time});
        if (m_listing.skipAfterTest)
            return false;
    }
    return !ended();
}

void CSearchEngine::listInTurn(ArchiveKindCode code, const QString &archivePath)
{
    std::optional<ArchiveStamp> stamp;
    if (m_catalogue && !archivePath.isEmpty())
        stamp = m_walkStamp ? m_walkStamp : ArchiveStamp::of(archivePath);
    if (stamp) {
        if (const std::optional<PackedListing> known = m_catalogue->findPacked(archivePath, code, *stamp)) {
            // Its hits come after those of the archives still being listed.
            drainListings();
            if (!ended())
                replayListing(code, archivePath, *known, restriction());
            return;
        }
    }
    if (!m_pool && m_poolWanted)
        m_pool = std::make_unique<CListingPool>(m_access.config(), m_criteria, m_jobs);
    if (!m_pool) {
        listAndCatalogue(code, archivePath, restriction(), stamp);
        return;
    }
    waitForRoom();
    if (ended())
        return;
    m_pool->submit(archivePath, code, restriction(), stamp);
    // A stop asked for meanwhile is seen between two listings.
    while (!ended() && !interruptConfirmed() && takeOldestListing()) {
    }
}

bool CSearchEngine::takeOldestListing()
{
    CListingPool::Listing listing;
    if (!m_pool->takeOldest(listing))
        return false;
    if (ended())
        return true;
    if (listing.needsMainThread) {
        listAndCatalogue(listing.kind, listing.archivePath, listing.restriction, listing.stamp);
        return true;
    }
    if (listing.captured && m_catalogue && listing.stamp)
        m_catalogue->store(listing.archivePath, listing.kind, *listing.stamp, *listing.captured);
    reportProgress(listing.archivePath);
    for (const CListingPool::Hit &hit : listing.hits) {
        addHit(hit.entry());
        if (ended())
            break;
    }
    return true;
}

void CSearchEngine::waitForRoom()
{
    while (!ended() && m_pool->isFull()) {
        takeDoneListings(m_pool->window() / 2);
        interruptConfirmed();
    }
}

void CSearchEngine::drainListings()
{
    while (m_pool && !ended() && !m_pool->isEmpty()) {
        takeDoneListings(m_pool->window() / 2);
        interruptConfirmed();
    }
}

// Takes the finished listings from the oldest on; when the oldest is not finished, waits a little for a
// run of that many.
void CSearchEngine::takeDoneListings(std::size_t run)
{
    if (!takeOldestListing()) {
        m_pool->waitOldestDone(run, kListingWaitMs);
        if (!takeOldestListing())
            return;
    }
    // A stop asked for meanwhile is seen between two listings.
    while (!ended() && !interruptConfirmed() && takeOldestListing()) {
    }
}

void CSearchEngine::addHit(const CFileInfo &record)
{
    if (!m_sink.AddFoundFile(record))
        outOfMemory();
}

void CSearchEngine::addHit(const FoundEntry &entry)
{
    if (!m_sink.AddFoundEntry(entry))
        outOfMemory();
}

void CSearchEngine::outOfMemory()
{
    m_outOfMemory = true;
    showError(OutOfMemoryMessage(m_sink.foundCount()), productCaption());
}

}  // namespace orv
