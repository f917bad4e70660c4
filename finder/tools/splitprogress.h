#pragma once

#include "finder/common/elapsedtext.h"

#include <QDialog>
#include <QElapsedTimer>

#include <memory>

namespace Ui {
class CSplitProgress;
}

namespace orv {

// The modeless "Splitting..." (or "Merging...") window: the part being written or read, the bar, the elapsed
// time rewritten at most once a second, and "&Stop", which posts the stop event to the window itself so that
// the copy sees it at its next pump. Closing the window asks the same.
class CSplitProgress : public QDialog
{
    Q_OBJECT

public:
    enum class Kind { Split, Merge };

    explicit CSplitProgress(Kind kind, QWidget *parent = nullptr);
    ~CSplitProgress() override;

    QString text() const;
    int percent() const;
    QString elapsedText() const;
    void OnStop();
    void reject() override;

protected:
    bool event(QEvent *event) override;

private:
    void showProgress(int percent, const QString &text);

    std::unique_ptr<Ui::CSplitProgress> m_ui;
    QElapsedTimer m_started;
    CElapsedText m_elapsed;
};

}  // namespace orv
