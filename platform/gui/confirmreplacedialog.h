#pragma once

#include "platform/prompts.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CConfirmReplace;
}

namespace orv {

// Asks whether an existing file may be replaced by one from an archive. The dialog's result codes are the
// numbers of ReplaceAnswer; closing the window counts as Cancel.
class CConfirmReplace : public QDialog
{
    Q_OBJECT

public:
    explicit CConfirmReplace(QWidget *parent = nullptr);
    ~CConfirmReplace() override;

    void setQuestion(const ReplaceQuestion &question);
    ReplaceAnswer ask();

    void reject() override;

private:
    std::unique_ptr<Ui::CConfirmReplace> m_ui;
};

}  // namespace orv
