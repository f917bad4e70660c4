#include "splitprogress.h"

#include "platform/events.h"
#include "ui_splitprogress.h"

namespace orv {

CSplitProgress::CSplitProgress(Kind kind, QWidget *parent)
    : CProgressWindow(Ev::SplitMergeStop, parent), m_ui(std::make_unique<Ui::CSplitProgress>())
{
    m_ui->setupUi(this);
    if (kind == Kind::Merge)
        setWindowTitle(tr("Merging..."));
    connectForm(m_ui->elapsedLabel, m_ui->stopButton);
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

bool CSplitProgress::event(QEvent *event)
{
    if (event->type() == Ev::type(Ev::SplitMergeProgress)) {
        if (const auto *progress = dynamic_cast<const OrvEvent *>(event))
            showProgress(progress->value(), progress->text());
        return true;
    }
    if (event->type() == Ev::type(Ev::SplitMergeStop))
        return true;
    return CProgressWindow::event(event);
}

void CSplitProgress::showProgress(int percent, const QString &text)
{
    m_ui->progressBar->setValue(qBound(0, percent, 100));
    if (!text.isEmpty())
        m_ui->textLabel->setText(text);
    updateElapsed();
}

}  // namespace orv
