#include "unpackprogress.h"

#include "platform/events.h"
#include "ui_unpackprogress.h"

namespace orv {

CItemProgress::CItemProgress(int progressEvent, int stopEvent, const QString &title, QWidget *parent)
    : CProgressWindow(stopEvent, parent),
      m_ui(std::make_unique<Ui::CUnpackProgress>()),
      m_progressEvent(progressEvent),
      m_stopEvent(stopEvent)
{
    m_ui->setupUi(this);
    setWindowTitle(title);
    connectForm(m_ui->elapsedLabel, m_ui->stopButton);
    showProgress(0, QString());
}

CItemProgress::~CItemProgress() = default;

QString CItemProgress::nameText() const
{
    return m_ui->nameLabel->text();
}

int CItemProgress::percent() const
{
    return m_ui->progressBar->value();
}

QString CItemProgress::elapsedText() const
{
    return m_ui->elapsedLabel->text();
}

bool CItemProgress::event(QEvent *event)
{
    if (event->type() == Ev::type(m_progressEvent)) {
        if (const auto *progress = dynamic_cast<const OrvEvent *>(event))
            showProgress(progress->value(), progress->text());
        return true;
    }
    if (event->type() == Ev::type(m_stopEvent))
        return true;
    return CProgressWindow::event(event);
}

void CItemProgress::showProgress(int percent, const QString &name)
{
    m_ui->progressBar->setValue(qBound(0, percent, 100));
    if (!name.isEmpty())
        m_ui->nameLabel->setText(name);
    updateElapsed();
}

CUnpackProgress::CUnpackProgress(QWidget *parent)
    : CItemProgress(Ev::UnpackProgress, Ev::UnpackStop, tr("Unpack Progress"), parent)
{
}

CPackProgress::CPackProgress(QWidget *parent)
    : CItemProgress(Ev::PackProgress, Ev::PackStop, tr("Pack Progress"), parent)
{
}

}  // namespace orv
