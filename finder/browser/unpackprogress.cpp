#include "unpackprogress.h"

#include "platform/events.h"
#include "ui_unpackprogress.h"

namespace orv {

CUnpackProgress::CUnpackProgress(QWidget *parent)
    : CProgressWindow(Ev::UnpackStop, parent), m_ui(std::make_unique<Ui::CUnpackProgress>())
{
    m_ui->setupUi(this);
    connectForm(m_ui->elapsedLabel, m_ui->stopButton);
    showProgress(0, QString());
}

CUnpackProgress::~CUnpackProgress() = default;

QString CUnpackProgress::nameText() const
{
    return m_ui->nameLabel->text();
}

int CUnpackProgress::percent() const
{
    return m_ui->progressBar->value();
}

QString CUnpackProgress::elapsedText() const
{
    return m_ui->elapsedLabel->text();
}

bool CUnpackProgress::event(QEvent *event)
{
    if (event->type() == Ev::type(Ev::UnpackProgress)) {
        if (const auto *progress = dynamic_cast<const OrvEvent *>(event))
            showProgress(progress->value(), progress->text());
        return true;
    }
    if (event->type() == Ev::type(Ev::UnpackStop))
        return true;
    return CProgressWindow::event(event);
}

void CUnpackProgress::showProgress(int percent, const QString &name)
{
    m_ui->progressBar->setValue(qBound(0, percent, 100));
    if (!name.isEmpty())
        m_ui->nameLabel->setText(name);
    updateElapsed();
}

}  // namespace orv
