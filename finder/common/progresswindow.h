#pragma once

#include "finder/common/elapsedtext.h"

#include <QDialog>
#include <QElapsedTimer>

class QAbstractButton;
class QLabel;

namespace orv {

// The modeless window of a running operation: "&Stop" posts the operation's stop event to the window itself,
// where the operation's next pump finds it, and closing the window asks the same. The elapsed time since the
// window was made is rewritten at most once a second, whenever the operation reports progress.
class CProgressWindow : public QDialog
{
    Q_OBJECT

public:
    CProgressWindow(int stopEvent, QWidget *parent);

    void OnStop();
    void reject() override;

protected:
    // The label that shows the elapsed time, and the "&Stop" button's click, once the form is set up.
    void connectForm(QLabel *elapsed, QAbstractButton *stop);
    void updateElapsed();

private:
    int m_stopEvent;
    QLabel *m_elapsedLabel = nullptr;
    QElapsedTimer m_started;
    CElapsedText m_elapsed;
};

}  // namespace orv
