#pragma once

#include "finder/search/foundfiles.h"
#include "finder/search/searchcriteria.h"
#include "platform/events.h"
#include "platform/stopeventfilter.h"

#include <QCoreApplication>


namespace orv {

// What the Search in Results dialog asks for: a mask for names and the two filter pages.
struct ResultsQuery
{
    QString mask;
    FilterPage include;
    FilterPage exclude;
};

// Narrows the current result to the records that pass a mask and the filter pages. The records are taken
// out, the store emptied, and the passing ones added back one by one with a pump between them, so a
// stop event arriving at the progress window can interrupt; the records not yet looked at are then lost,
// as with an interrupted search. Running out of memory ends it the same way, with a message.
class CSearchInResults
{
    Q_DECLARE_TR_FUNCTIONS(CSearchInResults)

public:
    explicit CSearchInResults(CResultStore &store);
    ~CSearchInResults();
    CSearchInResults(const CSearchInResults &) = delete;
    CSearchInResults &operator=(const CSearchInResults &) = delete;

    // Gets a progress event (1129) with every full path; a stop event (1130) posted to it asks to interrupt.
    void SetProgressWindow(QObject *window);
    // Runs the whole narrowing and returns the new count; the count message is the caller's.
    std::uint32_t Run(const ResultsQuery &query);

    static bool Passes(const ResultsQuery &query, const CFileInfo &record);
    bool IsRunning() const { return m_running; }
    bool IsCancelled() const { return m_cancelled; }
    void AskStop() { m_stopAsked = true; }

private:
    bool interruptConfirmed();

    CResultStore &m_store;
    StopEventFilter m_stopFilter{Ev::FindStop, [this] { AskStop(); }, StopEventFilter::Delivery::Take};
    bool m_running = false;
    bool m_stopAsked = false;
    bool m_cancelled = false;
};

}  // namespace orv
