#include "drivesbutton.h"

#include "finder/places/mountwatcher.h"

#include <QFileIconProvider>
#include <QSignalBlocker>

namespace orv {

CDrivesButton::CDrivesButton(CMountWatcher *watcher, RootsProvider roots, QWidget *parent)
    : QComboBox(parent), m_watcher(watcher), m_roots(std::move(roots))
{
    setObjectName(QStringLiteral("DrivesButton"));
    setProperty("commandId", CommandId);
    setMinimumSize(DefaultWidth, DefaultHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(this, &QComboBox::activated, this, [this](int index) { emit placeChosen(itemData(index).toString()); });
    if (m_watcher) {
        connect(m_watcher, &CMountWatcher::drivesArrived, this, &CDrivesButton::onDrivesArrived);
        connect(m_watcher, &CMountWatcher::drivesRemoved, this, &CDrivesButton::onDrivesRemoved);
    }
}

int CDrivesButton::Fill()
{
    const QSignalBlocker blocker(this);
    clear();
    const QList<CDriveInfo> drives = m_watcher ? m_watcher->drives() : QList<CDriveInfo>();
    m_list.Fill(drives, m_roots ? m_roots() : std::vector<CCloudDriveItem>());
    for (const PlaceListItem &item : m_list.items())
        addItem(iconFor(item), item.text, item.path);

    setCurrentIndex(m_list.selectionIndex());
    return count();
}

void CDrivesButton::Reset()
{
    const QSignalBlocker blocker(this);
    clear();
}

QString CDrivesButton::GetSelectedText() const
{
    return currentText();
}

QString CDrivesButton::selectedPath() const
{
    return currentData().toString();
}

void CDrivesButton::onDrivesArrived(const QList<CDriveInfo> &drives)
{
    emit drivesArrived(drives);
    Reset();
    Fill();
}

void CDrivesButton::onDrivesRemoved(const QList<CDriveInfo> &drives)
{
    // A volume that is gone cannot be opened: its item goes too, without rebuilding the rest.
    bool selectionGone = false;
    {
        const QSignalBlocker blocker(this);
        for (const CDriveInfo &drive : drives) {
            const int index = findData(drive.m_strDrive);
            selectionGone = selectionGone || (index >= 0 && index == currentIndex());
            if (index >= 0)
                removeItem(index);
        }
        m_list.Fill(m_watcher->drives(), m_roots ? m_roots() : std::vector<CCloudDriveItem>());
        if (selectionGone)
            setCurrentIndex(m_list.selectionIndex());
    }
    for (const CDriveInfo &drive : drives)
        emit driveRemoved(drive.m_strDrive);
}

QIcon CDrivesButton::iconFor(const PlaceListItem &item) const
{
    const QFileIconProvider provider;
    if (!item.isDrive)
        return provider.icon(QFileInfo(item.iconFile.isEmpty() ? item.path : item.iconFile));
    return driveIcon(item.type);
}

QIcon driveIcon(DriveType type)
{
    const QIcon drive = QFileIconProvider().icon(QAbstractFileIconProvider::Drive);
    switch (type) {
    case DriveType::Removable:
        return QIcon::fromTheme(QStringLiteral("drive-removable-media"), drive);
    case DriveType::CdRom:
        return QIcon::fromTheme(QStringLiteral("media-optical"), drive);
    case DriveType::Fixed:
        break;
    }
    return QIcon::fromTheme(QStringLiteral("drive-harddisk"), drive);
}

}  // namespace orv
