#pragma once

#include "finder/tools/splitrequest.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CMergeFiles;
}

namespace orv {

// The "Merge Files" dialog: the files to join, in the order the list shows them (the user orders them; no
// part is found or sorted for him), and the file they are joined into. A destination that is one of the
// files is refused with its message and the dialog stays.
class CMergeFiles : public QDialog
{
    Q_OBJECT

public:
    explicit CMergeFiles(QWidget *parent = nullptr);
    ~CMergeFiles() override;

    MergeRequest request() const;
    // Appends the files at the end of the list, in the order given.
    void addFiles(const QStringList &paths);
    void accept() override;

    void OnBrowseSources();
    void OnBrowseDestination();
    void OnMoveUp();
    void OnMoveDown();
    void OnRemove();
    void OnClear();

private:
    void moveSelection(bool up);
    void updateControls();

    std::unique_ptr<Ui::CMergeFiles> m_ui;
};

}  // namespace orv
