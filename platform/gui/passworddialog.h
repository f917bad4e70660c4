#pragma once

#include <QDialog>

#include <memory>
#include <optional>

namespace Ui {
class CPassword;
}

namespace orv {

// Asks for the password of an encrypted archive. The edit starts empty every time the dialog opens, so a
// password typed for one archive is never offered for the next.
class CPassword : public QDialog
{
    Q_OBJECT

public:
    explicit CPassword(QWidget *parent = nullptr);
    ~CPassword() override;

    // The entered text on OK (possibly empty), nothing on Cancel or close.
    std::optional<QString> ask();

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::CPassword> m_ui;
};

}  // namespace orv
