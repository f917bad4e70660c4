#include "findprogress.h"

#include "platform/events.h"
#include "ui_findprogress.h"

namespace orv {

CFindProgress::CFindProgress(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CFindProgress>())
{
    m_ui->setupUi(this);
    setModal(false);
    connect(m_ui->stopButton, &QPushButton::clicked, this, &CFindProgress::OnStop);
    m_started.start();
}

CFindProgress::~CFindProgress() = default;

QString CFindProgress::itemText() const
{
    return m_ui->itemEdit->text();
}

QString CFindProgress::elapsedText() const
{
    return m_ui->elapsedLabel->text();
}

void CFindProgress::OnStop()
{
    postOrvEvent(this, Ev::FindStop);
}

// Escape and the title bar's close button would hide the window while the search goes on: they ask to stop
// instead, as "&Stop" does.
void CFindProgress::reject()
{
    OnStop();
}

bool CFindProgress::event(QEvent *event)
{
    if (event->type() == Ev::type(Ev::FindProgress)) {
        if (const auto *progress = dynamic_cast<const OrvEvent *>(event))
            showProgress(progress->text());
        return true;
    }
    return QDialog::event(event);
}

void CFindProgress::showProgress(const QString &path)
{
    if (const std::optional<QString> text = m_elapsed.update(m_started.elapsed()))
        m_ui->elapsedLabel->setText(*text);
    m_ui->itemEdit->setText(path);
}

}  // namespace orv
