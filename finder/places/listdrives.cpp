#include "listdrives.h"

#include <QFileInfo>

#include <algorithm>

namespace orv {

int firstFixedDriveIndex(const QList<CDriveInfo> &drives)
{
    const auto fixed = std::find_if(drives.begin(), drives.end(),
                                    [](const CDriveInfo &drive) { return drive.m_type == DriveType::Fixed; });
    return int(fixed - drives.begin());
}

QString rootDisplayName(const CCloudDriveItem &root)
{
    const QString name = QFileInfo(root.m_strTargetFolder).fileName();
    return name.isEmpty() ? root.m_strTargetFolder : name;
}

int CListDrives::Fill(const QList<CDriveInfo> &drives, const std::vector<CCloudDriveItem> &roots)
{
    m_items.clear();
    for (const CDriveInfo &drive : drives)
        m_items.append({drive.displayName(), drive.m_strDrive, true, drive.m_type, {}});
    for (const CCloudDriveItem &root : roots) {
        m_items.append({rootDisplayName(root), root.m_strTargetFolder, false, DriveType::Fixed,
                        root.m_bHasOwnIcon ? root.m_strIconFile : QString()});
    }
    m_firstFixed = firstFixedDriveIndex(drives);
    return int(m_items.size());
}

int CListDrives::selectionIndex() const
{
    if (m_items.isEmpty())
        return -1;
    // A machine without a fixed volume and without roots still has its drives to show.
    return m_firstFixed < m_items.size() ? m_firstFixed : 0;
}

}  // namespace orv
