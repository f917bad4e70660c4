#pragma once

#include "finder/archive/archivekind.h"

#include <QString>

#include <functional>

namespace orv {

class CArchiveAccess;

// Where dropped files can go: into a ZIP, JAR or XAP archive (its top level or one of its folders), which
// they are added to, or into a folder on disk, where a new ZIP archive is made of them.
struct DropTarget
{
    enum Kind { None, Archive, Folder };

    Kind kind = None;
    QString path;          // the node's own path
    QString archivePath;   // the archive an Archive target lies in
    QString archiveFolder; // the folder inside it; empty at the archive's top level

    explicit operator bool() const { return kind != None; }
};

// Answers whether a path inside an archive is a folder there.
using ArchiveFolderTest = std::function<bool(const QString &archivePath, ArchiveKindCode kind, const QString &inner)>;

// The drop target a node's path stands for. Archives of other kinds are never written, nor is a file inside
// an archive. refusedFolder is a folder that stands for several others and is the program's own (the folder
// of SugarSync's links): nothing is made there.
DropTarget dropTargetOf(const QString &nodePath, CArchiveAccess &access, const QString &refusedFolder,
                        const ArchiveFolderTest &isFolder);

// The test through the archive's reader: opens it and asks.
ArchiveFolderTest folderTestThrough(CArchiveAccess &access);

}  // namespace orv
