#pragma once

#include "finder/archive/archiveaccess.h"
#include "finder/search/foundfiles.h"
#include "finder/search/listingcatalogue.h"
#include "finder/search/searchcriteria.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace orv {

// Lists the archives of a search on worker threads, each with an archive layer and readers of its own, and
// hands the listings back in the order they were asked for. At most a small window of archives is queued,
// listed or waiting ahead of the oldest one, so memory does not grow with the tree.
//
// Nobody may be asked anything from a worker: the first question a listing meets (a password, an error
// message) ends it, and the listing comes back marked for the main thread, which lists the archive again
// itself, in turn, where the question can be asked.
class CListingPool
{
public:
    // A hit as the listing gave it: its texts share the listing's strings instead of being copied.
    struct Hit
    {
        QString prefix;
        QString path;
        qsizetype nameAt = 0;
        std::uint64_t size = 0;
        std::int64_t modified = 0;

        FoundEntry entry() const { return {prefix, path, QStringView(path).sliced(nameAt), size, modified}; }
    };

    struct Listing
    {
        QString archivePath;
        ArchiveKindCode kind = ArchiveKind::None;
        QString restriction;  // the folder inside the archive the search is held to; empty for all
        std::optional<ArchiveStamp> stamp;  // given when the listing is to be catalogued
        std::vector<Hit> hits;
        std::optional<PackedListing> captured;
        bool needsMainThread = false;
    };

    // The layer's config with its observer and file tree dropped: both belong to the main thread.
    CListingPool(const ArchiveAccessConfig &config, const SearchCriteria &criteria, int jobs);
    // Abandons every listing not yet taken.
    ~CListingPool();
    CListingPool(const CListingPool &) = delete;
    CListingPool &operator=(const CListingPool &) = delete;

    bool isFull() const;
    bool isEmpty() const;
    void submit(const QString &archivePath, ArchiveKindCode kind, const QString &restriction,
                const std::optional<ArchiveStamp> &stamp);
    // Moves the oldest listing out when it is finished; false when it is not.
    bool takeOldest(Listing &listing);
    // Waits at most that long until that many of the oldest listings (or all there are) are finished;
    // false when they were not by then.
    bool waitOldestDone(std::size_t count, int waitMilliseconds);
    std::size_t window() const { return m_window; }

private:
    struct Slot
    {
        Listing listing;
        bool done = false;
    };

    void work();
    // The next queued archive, claimed for the calling worker; no value once the pool closes.
    std::optional<std::pair<std::uint64_t, Listing>> claim();
    void finish(std::uint64_t sequence, Listing listing);
    // The listings finished from the oldest on, under the lock.
    std::size_t doneInFront() const;

    ArchiveAccessConfig m_config;
    SearchCriteria m_criteria;
    std::size_t m_window;

    mutable std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_finished;
    std::deque<Slot> m_slots;
    std::uint64_t m_firstSequence = 0;  // that of m_slots.front()
    std::uint64_t m_nextToClaim = 0;
    int m_idleWorkers = 0;
    std::size_t m_wantedDone = 0;  // what the waiting taker waits for; 0 while none waits
    bool m_closing = false;
    std::atomic<bool> m_abandoned{false};
    std::vector<std::thread> m_workers;
};

}  // namespace orv
