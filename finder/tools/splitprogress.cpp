#include "splitprogress.h"

#include "platform/events.h"
#include "ui_splitprogress.h"

namespace orv {

CSplitProgress::CSplitProgress(Kind kind, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CSplitProgress>())
{
    m_ui->setupUi(this);
    if (kind == Kind::Merge)
        setWindowTitle(tr("Merging..."));
    setModal(false);
    connect(m_ui->stopButton, &QPushButton::clicked, this, &CSplitProgress::OnStop);
    m_started.start();
    showProgress(0, QString());
}

CSplitProgress::~CSplitProgress() = default;

QString CSplitProgress::text() const
{
    return m_ui->textLabel->text();
}

int CSplitProgress::percent() const
{
    return m_ui->progressBar->value();
}

QString CSplitProgress::elapsedText() const
{
    return m_ui->elapsedLabel->text();
}

void CSplitProgress::OnStop()
{
    postOrvEvent(this, Ev::SplitMergeStop);
}

// Escape and the title bar's close button would hide the window while the copy goes on: they ask to stop
// instead, as "&Stop" does.
void CSplitProgress::reject()
{
    OnStop();
}

bool CSplitProgress::event(QEvent *event)
{
    if (event->type() == Ev::type(Ev::SplitMergeProgress)) {
        if (const auto *progress = dynamic_cast<const OrvEvent *>(event))
            showProgress(progress->value(), progress->text());
        return true;
    }
    if (event->type() == Ev::type(Ev::SplitMergeStop))
        return true;
    return QDialog::event(event);
}

void CSplitProgress::showProgress(int percent, const QString &text)
{
    m_ui->progressBar->setValue(qBound(0, percent, 100));
    if (!text.isEmpty())
        m_ui->textLabel->setText(text);
    if (const std::optional<QString> elapsed = m_elapsed.update(m_started.elapsed()))
        m_ui->elapsedLabel->setText(*elapsed);
}

}  // namespace orv
