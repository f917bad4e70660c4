#pragma once

#include <QIcon>
#include <QString>

namespace orv {

// The picture of a bookmark by its "Icon" value: the target's own icon for a target on disk (none when
// it is gone), the folder icon for a folder inside an archive, the icon of the extension alone for a file
// inside an archive.
QIcon bookmarkIcon(int iconValue, const QString &targetPath);
QIcon bookmarkFolderIcon();

}  // namespace orv
