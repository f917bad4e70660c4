#include "findprogress.h"

#include "platform/events.h"
#include "ui_findprogress.h"

namespace orv {

CFindProgress::CFindProgress(QWidget *parent)
    : CProgressWindow(Ev::FindStop, parent), m_ui(std::make_unique<Ui::CFindProgress>())
{
    m_ui->setupUi(this);
    connectForm(m_ui->elapsedLabel, m_ui->stopButton);
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

bool CFindProgress::event(QEvent *event)
{
    if (event->type() == Ev::type(Ev::FindProgress)) {
        if (const auto *progress = dynamic_cast<const OrvEvent *>(event))
            showProgress(progress->text());
        return true;
    }
    return CProgressWindow::event(event);
}

void CFindProgress::showProgress(const QString &path)
{
    updateElapsed();
    m_ui->itemEdit->setText(path);
}

}  // namespace orv
