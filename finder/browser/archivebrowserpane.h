#pragma once

#include <QWidget>

class QAction;
class QToolBar;

namespace orv {

class CDrivesButton;
class CMainFrame;
class CMountWatcher;
class COrvelArchiveTree;

// The body of the Archive Browser pane: its toolbar, with the places drop-down, above the tree. Built
// from the frame's settings, places and temporary folder; the tree's status texts go to the frame's
// status bar.
class CArchiveBrowserPane : public QWidget
{
    Q_OBJECT

public:
    explicit CArchiveBrowserPane(CMainFrame &frame, QWidget *parent = nullptr);

    COrvelArchiveTree *tree() const { return m_tree; }
    CDrivesButton *drivesButton() const { return m_drives; }
    QToolBar *toolBar() const { return m_toolBar; }
    // The drop-down's place on the toolbar: the history and bookmark buttons go before it, "Start" after.
    QAction *drivesAction() const { return m_drivesAction; }

private:
    CMountWatcher *m_watcher;
    QToolBar *m_toolBar;
    CDrivesButton *m_drives;
    QAction *m_drivesAction;
    COrvelArchiveTree *m_tree;
};

}  // namespace orv
