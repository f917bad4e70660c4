#pragma once

#include "finder/common/progresswindow.h"

#include <memory>

namespace Ui {
class CUnpackProgress;
}

namespace orv {

// The modeless "Unpack Progress" window of a running extraction: the readers send it the percentage and the
// current name; the elapsed time and "&Stop" as every progress window has them.
class CUnpackProgress : public CProgressWindow
{
    Q_OBJECT

public:
    explicit CUnpackProgress(QWidget *parent = nullptr);
    ~CUnpackProgress() override;

    QString nameText() const;
    int percent() const;
    QString elapsedText() const;

protected:
    bool event(QEvent *event) override;

private:
    void showProgress(int percent, const QString &name);

    std::unique_ptr<Ui::CUnpackProgress> m_ui;
};

}  // namespace orv
