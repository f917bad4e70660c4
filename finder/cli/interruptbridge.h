#pragma once

#include <QObject>
#include <QPointer>

#include <csignal>
#include <memory>

class QSocketNotifier;

namespace orv {

// Turns Ctrl-C into the Stop button of a progress window: the signal handler only writes a byte into a
// pipe, and the event loop, the next time the running operation pumps it, posts the stop event to the
// receiver. Installed for its lifetime; the previous handler comes back afterwards.
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
    struct sigaction m_previous{};
    bool m_installed = false;
};

}  // namespace orv
