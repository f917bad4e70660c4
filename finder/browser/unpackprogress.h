#pragma once

#include "finder/common/elapsedtext.h"

#include <QDialog>
#include <QElapsedTimer>

#include <memory>

namespace Ui {
class CUnpackProgress;
}

namespace orv {

// The modeless "Unpack Progress" window of a running extraction: the readers send it the percentage and the
// current name; "&Stop" posts the stop event to the window itself, where the reader's next pump finds it.
// Closing the window asks the same.
class CUnpackProgress : public QDialog
{
    Q_OBJECT

public:
    explicit CUnpackProgress(QWidget *parent = nullptr);
    ~CUnpackProgress() override;

    QString nameText() const;
    int percent() const;
    QString elapsedText() const;
    void OnStop();
    void reject() override;

protected:
    bool event(QEvent *event) override;

private:
    void showProgress(int percent, const QString &name);

    std::unique_ptr<Ui::CUnpackProgress> m_ui;
    QElapsedTimer m_started;
    CElapsedText m_elapsed;
};

}  // namespace orv
