#pragma once

#include <QObject>

class QWidget;

namespace orv {

class CBusyFlags;

// "Split File..." and "Merge Files..." of the Tools menu: the dialog, then the copy with its progress
// window, the split-or-merge busy flag set while that window is open.
class CSplitMergeCommands : public QObject
{
    Q_OBJECT

public:
    // Dialogs and progress windows are owned by the dialog parent's window.
    CSplitMergeCommands(CBusyFlags &busy, QWidget *dialogParent);

    void OnSplitFile();
    void OnMergeFiles();

private:
    CBusyFlags &m_busy;
    QWidget *m_parent;
};

}  // namespace orv
