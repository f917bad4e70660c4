#pragma once

#include "finder/common/progresswindow.h"

#include <memory>

namespace Ui {
class CFindProgress;
}

namespace orv {

// The modeless "Find" window of a running search: the path being examined, the elapsed time and "&Stop".
class CFindProgress : public CProgressWindow
{
    Q_OBJECT

public:
    explicit CFindProgress(QWidget *parent = nullptr);
    ~CFindProgress() override;

    QString itemText() const;
    QString elapsedText() const;

protected:
    bool event(QEvent *event) override;

private:
    void showProgress(const QString &path);

    std::unique_ptr<Ui::CFindProgress> m_ui;
};

}  // namespace orv
