#include "searchinresults.h"

#include "finder/search/searchengine.h"
#include "platform/events.h"
#include "platform/product.h"
#include "platform/prompts.h"
#include "platform/pump.h"

#include <QElapsedTimer>

namespace orv {

namespace {
constexpr qint64 kPumpIntervalMs = 2;
}

CSearchInResults::CSearchInResults(CResultStore &store)
    : m_store(store)
{
}

CSearchInResults::~CSearchInResults() = default;

void CSearchInResults::SetProgressWindow(QObject *window)
{
    m_stopFilter.watch(window);
}

// The dialog has no "Filter for": its pages are meant for every record it narrows, so each record is
// asked about as what it is, an entry inside an archive or a file on disk. Asking about every record as a
// file on disk would make the pages do nothing after a search of files in archives.
bool CSearchInResults::Passes(const ResultsQuery &query, const CFileInfo &record)
{
    const FilterKind kind = record.m_bInArchive != 0 ? FilterKind::EntryInArchive : FilterKind::ArchiveOnDisk;
    FilterPage include = query.include;
    FilterPage exclude = query.exclude;
    include.nFilterFor = FilterFor::Both;
    exclude.nFilterFor = FilterFor::Both;
    return PassesInclude(include, kind, record.m_tModified, record.m_nSize)
           && !IsExcluded(exclude, kind, record.m_tModified, record.m_nSize)
           && MatchMask(query.mask.trimmed(), record.m_strName);
}

std::uint32_t CSearchInResults::Run(const ResultsQuery &query)
{
    m_running = true;
    m_stopAsked = false;
    m_cancelled = false;
    const CResultStore previous = m_store.TakeAll();
    QElapsedTimer sincePump;
    for (std::size_t row = 0; row < previous.size(); ++row) {
        const CFileInfo record = previous.at(row);
        sendOrvEvent(m_stopFilter.window(), Ev::FindProgress, 0, record.m_strFullPath);
        if (Passes(query, record) && !m_store.AddFoundFile(record)) {
            showError(CSearchEngine::OutOfMemoryMessage(m_store.foundCount()), productName());
            break;
        }
        // Emptying the queue costs more than testing a record, so it is emptied at most every few
        // milliseconds; the window stays alive and a stop still arrives at once to the eye.
        if (!sincePump.isValid() || sincePump.elapsed() >= kPumpIntervalMs) {
            pumpEvents();
            sincePump.restart();
        }
        if (interruptConfirmed())
            break;
    }
    m_running = false;
    return m_store.foundCount();
}

bool CSearchInResults::interruptConfirmed()
{
    if (!m_stopAsked)
        return false;
    m_stopAsked = false;
    if (!askYesNo(tr("Interrupt the search?"), productName()))
        return false;
    m_cancelled = true;
    return true;
}

}  // namespace orv
