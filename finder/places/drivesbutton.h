#pragma once

#include "finder/places/clouddriveitem.h"
#include "finder/places/listdrives.h"

#include <QComboBox>

#include <functional>
#include <vector>

namespace orv {

class CMountWatcher;

// The places drop-down of the Archive Browser pane's toolbar: the drives, then the cloud and special
// roots. It is rebuilt when a volume arrives and drops a volume that goes.
class CDrivesButton : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int CommandId = 32780;
    static constexpr int DefaultWidth = 180;
    static constexpr int DefaultHeight = 25;
    using RootsProvider = std::function<std::vector<CCloudDriveItem>()>;

    // The watcher is not owned; it must outlive the button or be destroyed with it.
    CDrivesButton(CMountWatcher *watcher, RootsProvider roots, QWidget *parent = nullptr);

    // Rebuilds the items and selects the first fixed drive, also after a volume arrived; answers the item
    // count.
    int Fill();
    // Empties the list before a rebuild.
    void Reset();
    QString GetSelectedText() const;
    QString selectedPath() const;
    const CListDrives &places() const { return m_list; }

signals:
    // The user chose a place.
    void placeChosen(const QString &path);
    // Volumes were mounted; sent before the list is rebuilt, so the tree can refresh its drive roots first.
    void drivesArrived(const QList<orv::CDriveInfo> &drives);
    // A volume was unmounted: its path.
    void driveRemoved(const QString &path);

private:
    void onDrivesArrived(const QList<CDriveInfo> &drives);
    void onDrivesRemoved(const QList<CDriveInfo> &drives);
    QIcon iconFor(const PlaceListItem &item) const;

    CMountWatcher *m_watcher;
    RootsProvider m_roots;
    CListDrives m_list;
};

// The icon of a drive of that type, from the icon theme when it has one.
QIcon driveIcon(DriveType type);

}  // namespace orv
