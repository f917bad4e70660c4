#include "listingpool.h"

#include "finder/search/searchengine.h"
#include "platform/prompts.h"

#include <algorithm>
#include <chrono>
#include <new>

namespace orv {

namespace {

// Listings queued, under way or done ahead of the oldest, for each job: the taker waits for half of them
// at a time, so that it and the workers hand work over in runs rather than one archive at a time.
constexpr std::size_t kListingsAheadPerJob = 16;

// Takes the questions of a worker for its lifetime. Nobody may be asked from there, so a question only
// marks the listing as one for the main thread, and gets the answer that changes nothing.
class CDeferringPrompter : public IPrompter
{
public:
    CDeferringPrompter() : m_previous(setThreadPrompter(this)) {}
    ~CDeferringPrompter() override { setThreadPrompter(m_previous); }
    CDeferringPrompter(const CDeferringPrompter &) = delete;
    CDeferringPrompter &operator=(const CDeferringPrompter &) = delete;

    bool asked() const { return m_asked; }
    void reset() { m_asked = false; }

    MsgAnswer message(const QString &, const QString &, MsgIcon, MsgButtons buttons) override
    {
        m_asked = true;
        return dismissalOf(buttons);
    }
    ReplaceAnswer confirmReplace(const ReplaceQuestion &) override
    {
        m_asked = true;
        return ReplaceAnswer::Cancel;
    }
    std::optional<QString> password(const QString &) override
    {
        m_asked = true;
        return std::nullopt;
    }

private:
    IPrompter *m_previous;
    bool m_asked = false;
};

// Keeps the hits of one listing; refuses a hit only when there is no memory for it. A listing gives only
// hits inside its archive.
class CHitCollector : public IFoundFileSink
{
public:
    void FreeAll() override { m_hits.clear(); }
    // Never called: a listing gives only entries.
    bool AddFoundFile(const CFileInfo &) override { return false; }
    bool AddFoundEntry(const FoundEntry &entry) override
    {
        try {
            m_hits.push_back({entry.prefix, entry.path, entry.path.size() - entry.name.size(), entry.size,
                              entry.modified});
        } catch (const std::bad_alloc &) {
            return false;
        }
        return true;
    }
    std::uint32_t foundCount() const override { return std::uint32_t(m_hits.size()); }
    std::vector<CListingPool::Hit> take() { return std::exchange(m_hits, {}); }

private:
    std::vector<CListingPool::Hit> m_hits;
};

ArchiveAccessConfig forWorker(ArchiveAccessConfig config)
{
    config.observer = nullptr;
    config.fileTree = nullptr;
    return config;
}

}  // namespace

CListingPool::CListingPool(const ArchiveAccessConfig &config, const SearchCriteria &criteria, int jobs)
    : m_config(forWorker(config)), m_criteria(criteria), m_window(std::size_t(jobs) * kListingsAheadPerJob)
{
    m_workers.reserve(std::size_t(jobs));
    for (int i = 0; i < jobs; ++i)
        m_workers.emplace_back([this] { work(); });
}

CListingPool::~CListingPool()
{
    m_abandoned = true;
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_queued.notify_all();
    for (std::thread &worker : m_workers)
        worker.join();
}

bool CListingPool::isFull() const
{
    std::lock_guard lock(m_mutex);
    return m_slots.size() >= m_window;
}

bool CListingPool::isEmpty() const
{
    std::lock_guard lock(m_mutex);
    return m_slots.empty();
}

void CListingPool::submit(const QString &archivePath, ArchiveKindCode kind, const QString &restriction,
                          const std::optional<ArchiveStamp> &stamp)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        Slot slot;
        slot.listing.archivePath = archivePath;
        slot.listing.kind = kind;
        slot.listing.restriction = restriction;
        slot.listing.stamp = stamp;
        m_slots.push_back(std::move(slot));
        wake = m_idleWorkers > 0;
    }
    // A wake-up costs a switch of threads, which is as much as listing a small archive: a worker that is
    // busy takes the next one when it is done.
    if (wake)
        m_queued.notify_one();
}

bool CListingPool::takeOldest(Listing &listing)
{
    std::lock_guard lock(m_mutex);
    if (m_slots.empty() || !m_slots.front().done)
        return false;
    listing = std::move(m_slots.front().listing);
    m_slots.pop_front();
    ++m_firstSequence;
    return true;
}

std::size_t CListingPool::doneInFront() const
{
    std::size_t count = 0;
    while (count < m_slots.size() && m_slots[count].done)
        ++count;
    return count;
}

bool CListingPool::waitOldestDone(std::size_t count, int waitMilliseconds)
{
    std::unique_lock lock(m_mutex);
    m_wantedDone = std::max<std::size_t>(1, std::min(count, m_slots.size()));
    const bool done = m_finished.wait_for(lock, std::chrono::milliseconds(waitMilliseconds),
                                          [this] { return doneInFront() >= m_wantedDone; });
    m_wantedDone = 0;
    return done;
}

std::optional<std::pair<std::uint64_t, CListingPool::Listing>> CListingPool::claim()
{
    std::unique_lock lock(m_mutex);
    ++m_idleWorkers;
    m_queued.wait(lock, [this] { return m_closing || m_nextToClaim < m_firstSequence + m_slots.size(); });
    --m_idleWorkers;
    if (m_closing)
        return std::nullopt;
    const std::uint64_t sequence = m_nextToClaim++;
    return std::pair{sequence, m_slots[std::size_t(sequence - m_firstSequence)].listing};
}

void CListingPool::finish(std::uint64_t sequence, Listing listing)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        Slot &slot = m_slots[std::size_t(sequence - m_firstSequence)];
        slot.listing = std::move(listing);
        slot.done = true;
        // Every wake-up of the taker costs a switch of threads and its caches: it is woken once for the
        // run of listings it waits for, not for each.
        wake = m_wantedDone > 0 && doneInFront() >= m_wantedDone;
    }
    if (wake)
        m_finished.notify_one();
}

void CListingPool::work()
{
    CDeferringPrompter prompts;
    CArchiveAccess access(m_config);
    CHitCollector collector;
    CSearchEngine engine(access, collector);
    engine.SetCriteria(m_criteria);
    engine.SetPumping(false);
    engine.SetAbandonCheck([this, &prompts] { return prompts.asked() || m_abandoned.load(std::memory_order_relaxed); });
    while (std::optional<std::pair<std::uint64_t, Listing>> job = claim()) {
        Listing &listing = job->second;
        prompts.reset();
        listing.captured = engine.ListArchiveAlone(listing.kind, listing.archivePath, listing.restriction,
                                                   listing.stamp.has_value());
        listing.needsMainThread = prompts.asked();
        if (listing.needsMainThread)
            listing.captured.reset();
        listing.hits = listing.needsMainThread ? std::vector<Hit>{} : collector.take();
        collector.FreeAll();
        finish(job->first, std::move(listing));
    }
}

}  // namespace orv
