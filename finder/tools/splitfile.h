#pragma once

#include "finder/tools/splitrequest.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CSplitFile;
}

namespace orv {

// The "Split File" dialog: the source, the folder for the parts, and either a number of parts or the size
// of each. "&Split" is offered once the chosen way has a value; a request the split cannot run is refused
// with its message and the dialog stays.
class CSplitFile : public QDialog
{
    Q_OBJECT

public:
    explicit CSplitFile(QWidget *parent = nullptr);
    ~CSplitFile() override;

    SplitRequest request() const;
    void accept() override;
    void OnBrowseSource();
    void OnBrowseDestination();

private:
    void updateControls();

    std::unique_ptr<Ui::CSplitFile> m_ui;
};

}  // namespace orv
