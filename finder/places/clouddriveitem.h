#pragma once

#include <QString>

namespace orv {

// A root of the Archive Browser and the search for a cloud or special folder: the link inside the
// program's link folders and the folder it stands for.
struct CCloudDriveItem
{
    QString m_strLinkPath;
    QString m_strTargetFolder;
    bool m_bHasOwnIcon = false;
    QString m_strIconFile;

    friend bool operator==(const CCloudDriveItem &, const CCloudDriveItem &) = default;
};

}  // namespace orv
