#include "toolrun.h"

#include "platform/events.h"
#include "platform/product.h"
#include "platform/prompts.h"
#include "platform/pump.h"

#include <QDir>

#include <algorithm>

namespace orv {

namespace {

// Truncated, and never past 100 when a file grew while it was read.
int percentOf(qint64 done, qint64 total)
{
    if (total <= 0)
        return 0;
    return int(std::clamp<qint64>(done / total * 100 + done % total * 100 / total, 0, 100));
}

}  // namespace

// Turns the stop event arriving at the progress window into the run's stop request.
class CToolRun::StopWatcher : public QObject
{
public:
    explicit StopWatcher(CToolRun &run) : m_run(run) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == Ev::type(Ev::SplitMergeStop)) {
            m_run.RequestStop();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CToolRun &m_run;
};

CToolRun::CToolRun() : m_watcher(std::make_unique<StopWatcher>(*this)) {}

CToolRun::~CToolRun()
{
    closeProgress();
}

void CToolRun::openProgress()
{
    m_stopRequested = false;
    m_stopConfirmed = false;
    m_window = m_factory ? m_factory() : std::make_unique<QObject>();
    m_window->installEventFilter(m_watcher.get());
    if (m_busy)
        m_busyScope.emplace(*m_busy, CBusyFlags::SplitMerge, m_window.get());
}

void CToolRun::closeProgress()
{
    m_busyScope.reset();
    if (m_window)
        m_window->removeEventFilter(m_watcher.get());
    m_window.reset();
}

void CToolRun::report(qint64 done, qint64 total, const QString &text)
{
    sendOrvEvent(m_window.get(), Ev::SplitMergeProgress, percentOf(done, total), text);
}

bool CToolRun::interruptConfirmed(const QString &question)
{
    pumpEvents();
    if (!m_stopRequested || m_stopConfirmed)
        return m_stopConfirmed;
    if (askYesNo(question, productName()))
        m_stopConfirmed = true;
    else
        m_stopRequested = false;
    return m_stopConfirmed;
}

void CToolRun::showOpenError(const QString &path)
{
    showError(tr("Cannot open file '%1'.").arg(QDir::toNativeSeparators(path)), tr("Error Opening File"));
}

void CToolRun::showCreateError(const QString &path)
{
    showError(tr("Cannot create file '%1'.").arg(QDir::toNativeSeparators(path)), tr("Error Creating File"));
}

void CToolRun::showExistsError(const QString &path)
{
    showError(tr("A file '%1' already exists.").arg(QDir::toNativeSeparators(path)), tr("Error Creating File"));
}

void CToolRun::showReadError(const QString &path, const QString &reason)
{
    showError(tr("Cannot read file '%1'.\n%2").arg(QDir::toNativeSeparators(path), reason),
              tr("Error Reading File"));
}

void CToolRun::showWriteError(const QString &path, const QString &reason)
{
    showError(tr("Cannot write file '%1'.\n%2").arg(QDir::toNativeSeparators(path), reason),
              tr("Error Writing File"));
}

}  // namespace orv
