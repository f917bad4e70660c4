#include "archivebrowserpane.h"

#include "finder/browser/archivedock.h"
#include "finder/browser/orvelarchivetree.h"
#include "finder/places/drivesbutton.h"
#include "finder/places/mountwatcher.h"
#include "finder/places/placeroots.h"
#include "finder/settings/settings.h"

#include <QToolBar>
#include <QVBoxLayout>

namespace orv {

CArchiveBrowserPane::CArchiveBrowserPane(const BrowserContext &context, QWidget *parent)
    : QWidget(parent),
      m_watcher(new CMountWatcher(this)),
      m_toolBar(new QToolBar(this)),
      m_drives(new CDrivesButton(m_watcher, [&places = context.places] { return places.roots; }, this)),
      m_tree(new COrvelArchiveTree(context.archives, this))
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

    m_tree->setOpenOnDoubleClick(context.settings.bEnableDoubleClickToOpen);
    m_tree->setDragAndDrop(&context.editing, &context.settings);
    m_tree->setDrives(m_watcher->drives());
    m_tree->setCloudRoots(context.places.roots);

    connect(m_drives, &CDrivesButton::placeChosen, m_tree, &COrvelArchiveTree::SelectRoot);
    connect(m_drives, &CDrivesButton::drivesArrived, m_tree,
            [this](const QList<CDriveInfo> &) { m_tree->RefreshDrives(m_watcher->drives()); });
    connect(m_drives, &CDrivesButton::driveRemoved, m_tree, &COrvelArchiveTree::RemoveDrive);

    // The first selection is the program's, not the user's: it is no step of the history.
    m_controller = new CArchiveDockController(context, *this);
    m_controller->history().setRecording(false);
    m_tree->Fill();
    m_drives->Fill();
    m_controller->history().setRecording(true);
}

}  // namespace orv
