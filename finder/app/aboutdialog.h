#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CAboutDialog;
}

namespace orv {

class CAboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDialog(QWidget *parent = nullptr);
    ~CAboutDialog() override;

private:
    std::unique_ptr<Ui::CAboutDialog> m_ui;
};

}  // namespace orv
