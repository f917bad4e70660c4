#include "interruptbridge.h"

#include "platform/events.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace orv {

namespace {

// The write end for the handler; only one bridge is installed at a time.
volatile std::sig_atomic_t g_writeFd = -1;

extern "C" void onInterruptSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    if (g_writeFd >= 0)
        static_cast<void>(::write(g_writeFd, &byte, 1));
    errno = savedErrno;
}

}  // namespace

CInterruptBridge::CInterruptBridge(QObject *stopReceiver, QObject *parent)
    : QObject(parent), m_receiver(stopReceiver)
{
    if (g_writeFd >= 0 || ::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fds[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &CInterruptBridge::onReadable);
    g_writeFd = m_fds[1];
    struct sigaction action{};
    action.sa_handler = onInterruptSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_installed = true;
    for (std::size_t i = 0; i < std::size(Signals); ++i) {
        if (::sigaction(Signals[i], nullptr, &m_previous[i]) != 0) {
            m_installed = false;
            continue;
        }
        if (m_previous[i].sa_handler != SIG_IGN)
            m_handled[i] = ::sigaction(Signals[i], &action, nullptr) == 0;
    }
}

CInterruptBridge::~CInterruptBridge()
{
    for (std::size_t i = 0; i < std::size(Signals); ++i)
        if (m_handled[i])
            ::sigaction(Signals[i], &m_previous[i], nullptr);
    if (g_writeFd == m_fds[1])
        g_writeFd = -1;
    m_notifier.reset();
    for (int fd : m_fds)
        if (fd >= 0)
            ::close(fd);
}

void CInterruptBridge::onReadable()
{
    char buffer[64];
    while (::read(m_fds[0], buffer, sizeof buffer) > 0) {
    }
    emit interrupted();
    postOrvEvent(m_receiver, Ev::UnpackStop);
}

}  // namespace orv
