#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CExtractTo;
}

namespace orv {

// The "Extract" dialog: the destination folder, "Browse..." for a folder chooser, and, where the caller
// allows it, "Extract each file to separate folder".
class CExtractTo : public QDialog
{
    Q_OBJECT

public:
    CExtractTo(const QString &folder, bool separateAllowed, QWidget *parent = nullptr);
    ~CExtractTo() override;

    QString folder() const;
    bool separateFolders() const;
    void OnBrowse();

private:
    std::unique_ptr<Ui::CExtractTo> m_ui;
};

}  // namespace orv
