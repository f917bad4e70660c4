#pragma once

#include "finder/common/elapsedtext.h"

#include <QDialog>
#include <QElapsedTimer>

#include <memory>

namespace Ui {
class CFindProgress;
}

namespace orv {

// The modeless "Find" window of a running search: the path being examined, the elapsed time rewritten at
// most once a second, and "&Stop", which posts the stop event to the window itself so that the search sees
// it at its next pump. Closing the window asks the same.
class CFindProgress : public QDialog
{
    Q_OBJECT

public:
    explicit CFindProgress(QWidget *parent = nullptr);
    ~CFindProgress() override;

    QString itemText() const;
    QString elapsedText() const;
    void OnStop();
    void reject() override;

protected:
    bool event(QEvent *event) override;

private:
    void showProgress(const QString &path);

    std::unique_ptr<Ui::CFindProgress> m_ui;
    QElapsedTimer m_started;
    CElapsedText m_elapsed;
};

}  // namespace orv
