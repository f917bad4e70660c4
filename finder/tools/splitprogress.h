#pragma once

#include "finder/common/progresswindow.h"

#include <memory>

namespace Ui {
class CSplitProgress;
}

namespace orv {

// The modeless "Splitting..." (or "Merging...") window: the part being written or read and the bar; the
// elapsed time and "&Stop" as every progress window has them.
class CSplitProgress : public CProgressWindow
{
    Q_OBJECT

public:
    enum class Kind { Split, Merge };

    explicit CSplitProgress(Kind kind, QWidget *parent = nullptr);
    ~CSplitProgress() override;

    QString text() const;
    int percent() const;
    QString elapsedText() const;

protected:
    bool event(QEvent *event) override;

private:
    void showProgress(int percent, const QString &text);

    std::unique_ptr<Ui::CSplitProgress> m_ui;
};

}  // namespace orv
