#pragma once

#include "finder/common/progresswindow.h"

#include <memory>

namespace Ui {
class CUnpackProgress;
}

namespace orv {

// The modeless window of a running extraction or packing: the library sends it the percentage and the
// current name; the elapsed time and "&Stop" as every progress window has them.
class CItemProgress : public CProgressWindow
{
    Q_OBJECT

public:
    ~CItemProgress() override;

    QString nameText() const;
    int percent() const;
    QString elapsedText() const;

protected:
    CItemProgress(int progressEvent, int stopEvent, const QString &title, QWidget *parent);
    bool event(QEvent *event) override;

private:
    void showProgress(int percent, const QString &name);

    std::unique_ptr<Ui::CUnpackProgress> m_ui;
    int m_progressEvent;
    int m_stopEvent;
};

// "Unpack Progress".
class CUnpackProgress : public CItemProgress
{
    Q_OBJECT

public:
    explicit CUnpackProgress(QWidget *parent = nullptr);
};

// "Pack Progress", with the same controls; the packer asks whether to interrupt when "&Stop" is pressed.
class CPackProgress : public CItemProgress
{
    Q_OBJECT

public:
    explicit CPackProgress(QWidget *parent = nullptr);
};

}  // namespace orv
