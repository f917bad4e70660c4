#include "droptarget.h"

#include "finder/archive/archiveaccess.h"

#include <QFileInfo>

namespace orv {

namespace {

bool isWritableKind(ArchiveKindCode kind)
{
    return kind == ArchiveKind::Zip || kind == ArchiveKind::Jar || kind == ArchiveKind::Xap;
}

}  // namespace

DropTarget dropTargetOf(const QString &nodePath, CArchiveAccess &access, const QString &refusedFolder,
                        const ArchiveFolderTest &isFolder)
{
    DropTarget target;
    target.path = nodePath;
    const CArchiveAccess::Located archive = access.locateArchive(nodePath);
    if (archive.kind == ArchiveKind::None) {
        const QFileInfo folder(nodePath);
        if (folder.isDir() && (refusedFolder.isEmpty() || nodePath != refusedFolder))
            target.kind = DropTarget::Folder;
        return target;
    }
    if (!isWritableKind(archive.kind))
        return target;
    const QString inner = innerPathOf(nodePath, archive.path);
    if (!inner.isEmpty() && !isFolder(archive.path, archive.kind, inner))
        return target;
    target.kind = DropTarget::Archive;
    target.archivePath = archive.path;
    target.archiveFolder = inner;
    return target;
}

ArchiveFolderTest folderTestThrough(CArchiveAccess &access)
{
    return [&access](const QString &archivePath, ArchiveKindCode kind, const QString &inner) {
        const COpenedArchive opened = access.Open(archivePath, kind);
        return opened && opened->isFolder(inner);
    };
}

}  // namespace orv
