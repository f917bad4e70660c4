#pragma once

#include <QWidget>

class QAction;
class QToolBar;

namespace orv {

class CArchiveDockController;
class CDrivesButton;
class CMountWatcher;
class COrvelArchiveTree;
struct BrowserContext;

// The body of the Archive Browser pane: its toolbar, with the places drop-down, above the tree, and the
// controller of its commands.
class CArchiveBrowserPane : public QWidget
{
    Q_OBJECT

public:
    explicit CArchiveBrowserPane(const BrowserContext &context, QWidget *parent = nullptr);

    COrvelArchiveTree *tree() const { return m_tree; }
    CArchiveDockController *controller() const { return m_controller; }
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
    CArchiveDockController *m_controller;
};

}  // namespace orv
