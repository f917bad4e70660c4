#include "bookmarkicons.h"

#include "finder/bookmarks/bookmarkfile.h"
#include "platform/gui/fileicons.h"

#include <QFileIconProvider>
#include <QFileInfo>

namespace orv {

QIcon bookmarkFolderIcon()
{
    return QFileIconProvider().icon(QAbstractFileIconProvider::Folder);
}

QIcon bookmarkIcon(int iconValue, const QString &targetPath)
{
    if (iconValue == BookmarkIcon::FolderInArchive)
        return bookmarkFolderIcon();
    if (iconValue >= BookmarkIcon::FileInArchive) {
        const qsizetype dot = targetPath.lastIndexOf(QLatin1Char('.'));
        const qsizetype slash = targetPath.lastIndexOf(QLatin1Char('/'));
        return dot > slash ? fileTypeIcon(targetPath.mid(dot)) : fileTypeIcon(QString());
    }
    const QFileInfo target(targetPath);
    if (!target.exists())
        return {};
    if (target.isDir())
        return bookmarkFolderIcon();
    return archiveIcon(target.fileName());
}

}  // namespace orv
