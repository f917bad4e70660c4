#pragma once

#include <QObject>
#include <QPointer>

#include <csignal>
#include <iterator>
#include <memory>

class QSocketNotifier;

namespace orv {

// Turns Ctrl-C, and the requests to end that a session or a service manager sends (SIGTERM, SIGHUP),
// into the Stop button of a progress window, so that an operation they end still cleans up after itself:
// the signal handler only writes a byte into a pipe, and the event loop, the next time the running
// operation pumps it, posts the stop event to the receiver. Installed for its lifetime; the previous
// handlers come back afterwards. A signal the process was started to ignore (SIGHUP under nohup, SIGINT
// in a background job) stays ignored.
class CInterruptBridge : public QObject
{
    Q_OBJECT

public:
    explicit CInterruptBridge(QObject *stopReceiver, QObject *parent = nullptr);
    ~CInterruptBridge() override;

    bool isInstalled() const { return m_installed; }

signals:
    void interrupted();

private:
    void onReadable();

    QPointer<QObject> m_receiver;
    int m_fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    static constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};

    struct sigaction m_previous[std::size(Signals)]{};
    bool m_handled[std::size(Signals)]{};
    bool m_installed = false;
};

}  // namespace orv
