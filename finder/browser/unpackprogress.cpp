#include "unpackprogress.h"

#include "platform/events.h"
#include "ui_unpackprogress.h"

namespace orv {

CUnpackProgress::CUnpackProgress(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CUnpackProgress>())
{
    m_ui->setupUi(this);
    setModal(false);
    connect(m_ui->stopButton, &QPushButton::clicked, this, &CUnpackProgress::OnStop);
    m_started.start();
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

void CUnpackProgress::OnStop()
{
    postOrvEvent(this, Ev::UnpackStop);
}

// Escape and the title bar's close button would hide the window while the unpack goes on: they ask to stop
// instead, as "&Stop" does.
void CUnpackProgress::reject()
{
    OnStop();
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
    return QDialog::event(event);
}

void CUnpackProgress::showProgress(int percent, const QString &name)
{
    m_ui->progressBar->setValue(qBound(0, percent, 100));
    if (!name.isEmpty())
        m_ui->nameLabel->setText(name);
    if (const std::optional<QString> text = m_elapsed.update(m_started.elapsed()))
        m_ui->elapsedLabel->setText(*text);
}

}  // namespace orv
