#pragma once

#include "finder/common/busyflags.h"

#include <QCoreApplication>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace orv {

enum class ToolResult { Done, Failed, Interrupted };

// What split and merge share: the progress window, made when the copying starts and closed when it ends;
// the busy flag set while it is open; the percentage and the current part sent to it; the stop event
// arriving at it; and the question whether to interrupt, asked after every pump.
class CToolRun
{
    Q_DECLARE_TR_FUNCTIONS(CToolRun)

public:
    // Makes the window that gets the progress events (Ev::SplitMergeProgress) and whose stop event
    // (Ev::SplitMergeStop) asks to interrupt. Without one, progress goes nowhere.
    using ProgressFactory = std::function<std::unique_ptr<QObject>()>;

    CToolRun();
    virtual ~CToolRun();
    CToolRun(const CToolRun &) = delete;
    CToolRun &operator=(const CToolRun &) = delete;

    void SetProgressFactory(ProgressFactory factory) { m_factory = std::move(factory); }
    void SetBusyFlags(CBusyFlags *flags) { m_busy = flags; }
    // What the progress window's stop event does; the command line's Ctrl-C does the same.
    void RequestStop() { m_stopRequested = true; }

protected:
    void openProgress();
    void closeProgress();
    void report(qint64 done, qint64 total, const QString &text = {});
    // Pumps events, then asks the question when a stop was asked for; true once the user said Yes.
    bool interruptConfirmed(const QString &question);

    // The messages both share, each naming the file.
    static void showOpenError(const QString &path);
    static void showCreateError(const QString &path);
    static void showExistsError(const QString &path);
    static void showReadError(const QString &path, const QString &reason);
    static void showWriteError(const QString &path, const QString &reason);

private:
    class StopWatcher;

    ProgressFactory m_factory;
    CBusyFlags *m_busy = nullptr;
    std::unique_ptr<StopWatcher> m_watcher;
    std::unique_ptr<QObject> m_window;
    std::optional<BusyScope> m_busyScope;
    bool m_stopRequested = false;
    bool m_stopConfirmed = false;
};

}  // namespace orv
