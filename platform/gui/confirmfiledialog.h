#pragma once

#include "platform/prompts.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CConfirmFile;
}

namespace orv {

// Asks whether a file or folder of the user's own may be renamed or deleted, showing what it is: its icon,
// its size and time, or a folder's object count and creation time. Closing the window answers No.
class CConfirmFile : public QDialog
{
    Q_OBJECT

public:
    explicit CConfirmFile(QWidget *parent = nullptr);
    ~CConfirmFile() override;

    void setQuestion(const FileConfirmation &question);

private:
    std::unique_ptr<Ui::CConfirmFile> m_ui;
};

}  // namespace orv
