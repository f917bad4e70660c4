#include "progresswindow.h"

#include "platform/events.h"

#include <QAbstractButton>
#include <QLabel>

namespace orv {

CProgressWindow::CProgressWindow(int stopEvent, QWidget *parent) : QDialog(parent), m_stopEvent(stopEvent)
{
    setModal(false);
    m_started.start();
}

void CProgressWindow::connectForm(QLabel *elapsed, QAbstractButton *stop)
{
    m_elapsedLabel = elapsed;
    connect(stop, &QAbstractButton::clicked, this, &CProgressWindow::OnStop);
}

void CProgressWindow::OnStop()
{
    postOrvEvent(this, m_stopEvent);
}

// Escape and the title bar's close button would hide the window while the operation goes on: they ask to stop
// instead, as "&Stop" does.
void CProgressWindow::reject()
{
    OnStop();
}

void CProgressWindow::updateElapsed()
{
    if (const std::optional<QString> text = m_elapsed.update(m_started.elapsed()); text && m_elapsedLabel)
        m_elapsedLabel->setText(*text);
}

}  // namespace orv
