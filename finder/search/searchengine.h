#pragma once

#include "finder/archive/archivekind.h"
#include "finder/search/foundfiles.h"
#include "finder/search/listingcatalogue.h"
#include "finder/search/searchcriteria.h"
#include "platform/events.h"
#include "platform/stopeventfilter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <utility>

class QObject;

namespace orv {

class CArchiveAccess;
class CListingPool;
class COpenedArchive;
struct ArchiveEntry;
struct FolderItem;

// Walks the places to search, recognises archives by their extension and, by the mode, reports the
// archives themselves or the entries inside them that pass the criteria. Runs on the one thread (only the
// listing of archives may be handed to workers, see SetJobs): it sends the path it is at to the progress
// window, pumps events between units of work, and a stop event arriving at the progress window leads to the
// question whether to interrupt.
class CSearchEngine
{
    Q_DECLARE_TR_FUNCTIONS(CSearchEngine)

public:
    // The hits go to the sink; when it has no memory left for one, the search ends with a message and the
    // hits taken so far stay.
    CSearchEngine(CArchiveAccess &access, IFoundFileSink &sink);
    ~CSearchEngine();
    CSearchEngine(const CSearchEngine &) = delete;
    CSearchEngine &operator=(const CSearchEngine &) = delete;

    void SetCriteria(const SearchCriteria &criteria);
    const SearchCriteria &criteria() const { return m_criteria; }
    // Gets a progress event with every path examined; a stop event posted to it asks to interrupt.
    void SetProgressWindow(QObject *window);
    // Off only to measure what pumping costs; a search without pumping cannot be stopped.
    void SetPumping(bool on) { m_pumping = on; }
    // The least time between two pumps. Emptying the queue costs as much as listing a dozen entries, so
    // the pump after every entry empties it at most this often; 0 empties it every time.
    void SetPumpInterval(int milliseconds) { m_pumpIntervalMs = milliseconds; }
    // The SugarSync link folder stands for the folders of the SugarSync client.
    void SetSugarSync(const QString &linkFolder, const QStringList &folders);
    // Above 1, archives are listed by that many workers, each with a layer of its own made from this
    // one's config; the hits, the questions and the messages still come on this thread, in the order one
    // thread gives them.
    void SetJobs(int jobs) { m_jobs = jobs; }
    // Asked first for each archive: one whose listing it holds for the file as it is now is not opened,
    // and the listing of one that is opened is stored there. Not owned; null for none.
    void SetCatalogue(CListingCatalogue *catalogue) { m_catalogue = catalogue; }
    // Asked between entries: true ends the listing at once, as if the user had interrupted it.
    void SetAbandonCheck(std::function<bool()> abandoned) { m_abandoned = std::move(abandoned); }

    // The whole search: empties the store, searches every place in order (a folder, a file, or a folder
    // inside an archive), then shows the count. Returns the number of records found.
    std::uint32_t Run(const QStringList &places);
    // The same without the count message, for callers that show the hits first.
    std::uint32_t Search(const QStringList &places);

    void SearchPlace(const QString &path);
    void SearchFolder(const QString &folder);
    void ExamineFile(const CFileInfo &record);
    void ListArchive(ArchiveKindCode code, const QString &archivePath, const CFileInfo &archiveRecord);
    // One archive as a search of its own, held to a folder inside it when one is given: what a worker of
    // the listing pool does with each archive it is handed. With capture, returns the whole listing when
    // it may be catalogued: read to its end, nothing asked or shown, no password entered.
    std::optional<PackedListing> ListArchiveAlone(ArchiveKindCode code, const QString &archivePath,
                                                  const QString &restriction, bool capture);
    ArchiveKindCode GetArchiveType(const QString &path);
    bool IsArchiveName(const QString &path) const;
    void PumpMessages();

    bool IsRunning() const { return m_running; }
    bool IsStopAsked() const { return m_stopAsked; }
    bool IsCancelled() const { return m_cancelled; }
    // The last search ended because the sink had no memory for another hit.
    bool IsOutOfMemory() const { return m_outOfMemory; }
    // What the stop event does when the pump meets it.
    void AskStop() { m_stopAsked = true; }

    static QString CountMessage(std::uint32_t count);
    static QString OutOfMemoryMessage(std::uint32_t count);

private:
    void searchCheckedPlace(const QString &path);
    bool isTarLevel(const COpenedArchive &archive, const QString &inner);
    void searchFolderOnce(const QString &folder, quint64 device, quint64 inode);
    // Fills the scratch record from what the walk saw and examines it; false for what is no file.
    bool examineWalked(const FolderItem &item);
    void reportProgress(const QString &path);
    // Whether the next pump empties the queue.
    bool pumpDue();
    void pumpNow();
    // After a pump: asks whether to interrupt when a stop was asked for; true when the walk must end.
    bool interruptConfirmed();
    // The question alone, when a stop was asked for.
    bool stopConfirmed();
    bool visitEntry(const ArchiveEntry &entry, const QString &archivePath, const QString &restriction);
    void addHit(const CFileInfo &record);
    void addHit(const FoundEntry &entry);
    void outOfMemory();
    std::optional<PackedListing> listArchiveWithin(ArchiveKindCode code, const QString &archivePath,
                                                   QString restriction, bool capture);
    // Lists on this thread and stores the listing when it may be catalogued.
    void listAndCatalogue(ArchiveKindCode code, const QString &archivePath, const QString &restriction,
                          const std::optional<ArchiveStamp> &stamp);
    void replayListing(ArchiveKindCode code, const QString &archivePath, const PackedListing &listing,
                       const QString &restriction);
    // Readies the state of a listing; returns the restriction as the entries' paths spell it.
    QString prepareListing(ArchiveKindCode code, bool tarInside, QString restriction);
    QString restriction() const;
    // Lists now, or hands the archive to the pool once the pool has room.
    void listInTurn(ArchiveKindCode code, const QString &archivePath);
    // Takes the oldest listing of the pool when it is finished; false when it is not.
    bool takeOldestListing();
    void takeDoneListings(std::size_t run);
    void waitForRoom();
    void drainListings();
    // Cancelled by the user or ended for want of memory: nothing more is searched.
    bool ended() const { return m_cancelled || m_outOfMemory || (m_abandoned && m_abandoned()); }

    CArchiveAccess &m_access;
    IFoundFileSink &m_sink;
    SearchCriteria m_criteria;
    CMask m_archiveMask;
    CMask m_fileMask;
    StopEventFilter m_stopFilter{Ev::FindStop, [this] { AskStop(); }, StopEventFilter::Delivery::Take};
    bool m_pumping = true;
    int m_pumpIntervalMs = 2;
    QElapsedTimer m_sincePump;
    QString m_sugarSyncLinkFolder;
    QStringList m_sugarSyncFolders;
    int m_jobs = 1;
    std::function<bool()> m_abandoned;
    std::unique_ptr<CListingPool> m_pool;
    // Started at the first archive the catalogue does not know: a search the catalogue answers whole
    // starts no thread.
    bool m_poolWanted = false;
    CListingCatalogue *m_catalogue = nullptr;

    bool m_running = false;
    bool m_stopAsked = false;
    bool m_cancelled = false;
    bool m_outOfMemory = false;
    CFileInfo m_scratch;
    // The stamp of the file the walk hands to ExamineFile, while it does.
    std::optional<ArchiveStamp> m_walkStamp;
    // Folders searched within the current place, by device and inode: a link back up the tree or a second
    // link to the same folder is not walked again.
    std::set<std::pair<quint64, quint64>> m_visited;

    // State of the archive being listed.
    struct Listing
    {
        bool tarInside = false;
        bool skipAfterTest = false;
        QString tarName;
        qint64 index = 0;
        // What the full paths of the hits start with, made once per listing: the archive's path, and below
        // a compressed tar the tar's name.
        QString archivePrefix;
        QString hitPrefix;
        bool kept = false;  // read from the catalogue
        int looksSinceClock = 0;
    } m_listing;
};

}  // namespace orv
