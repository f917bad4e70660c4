#include "archivebrowserpane.h"

#include "finder/app/mainframe.h"
#include "finder/browser/archivedock.h"
#include "finder/browser/orvelarchivetree.h"
#include "finder/places/drivesbutton.h"
#include "finder/places/mountwatcher.h"

#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

namespace orv {

CArchiveBrowserPane::CArchiveBrowserPane(CMainFrame &frame, QWidget *parent)
    : QWidget(parent),
      m_watcher(new CMountWatcher(this)),
      m_toolBar(new QToolBar(this)),
      m_drives(new CDrivesButton(m_watcher, [&frame] { return frame.places().roots; }, this)),
      m_tree(new COrvelArchiveTree(this))
{
    setObjectName(QStringLiteral("ArchiveBrowserPane"));
    m_toolBar->setObjectName(QStringLiteral("ArchiveDockToolbar"));
    m_drivesAction = m_toolBar->addWidget(m_drives);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_tree, 1);
    setFocusProxy(m_tree);

    const SettingsValues &values = frame.settings().values();
    m_tree->access().ApplySettings(values);
    m_tree->setOpenOnDoubleClick(values.bEnableDoubleClickToOpen);
    m_tree->setTemporaryFolder(frame.temporaryFolder());
    m_tree->setBusyFlags(&frame.busyFlags());
    m_tree->setDrives(m_watcher->drives());
    m_tree->setCloudRoots(frame.places().roots);

    QLabel *status = frame.statusText();
    connect(m_tree, &COrvelArchiveTree::statusTextChanged, status, &QLabel::setText);
    connect(m_drives, &CDrivesButton::placeChosen, m_tree, &COrvelArchiveTree::SelectRoot);
    connect(m_drives, &CDrivesButton::drivesArrived, m_tree,
            [this](const QList<CDriveInfo> &) { m_tree->RefreshDrives(m_watcher->drives()); });
    connect(m_drives, &CDrivesButton::driveRemoved, m_tree, &COrvelArchiveTree::RemoveDrive);

    // The first selection is the program's, not the user's: it is no step of the history.
    auto *dock = new CArchiveDockController(frame, *this);
    dock->history().setRecording(false);
    m_tree->Fill();
    m_drives->Fill();
    dock->history().setRecording(true);
}

}  // namespace orv
