#pragma once

#include "finder/archive/archiveaccess.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace orv {

class CListingCatalogue;

// What a disk folder shows in the tree: its sub-folders and its archive files, each sorted by name
// without regard to case. Other files are not shown.
struct FolderLevel
{
    QStringList folders;
    QStringList archives;
};

FolderLevel listFolderLevel(const QString &folder, CArchiveAccess &access);
// Whether the folder holds a sub-folder or an archive file: the test for giving it an expand button.
// Stops at the first one found.
bool folderHasContent(const QString &folder, CArchiveAccess &access);

// One level of an archive below an inner path.
struct ArchiveLevelItem
{
    QString name;
    bool expandable = false;  // a folder with entries below it, or the tar of a compressed tar
};

struct ArchiveLevel
{
    bool opened = false;
    QList<ArchiveLevelItem> folders;
    QList<ArchiveLevelItem> files;
};

// Lists the level of an archive below innerPath ("" for the archive itself) through the access layer's
// reader of the kind, which is opened and closed again. A compressed tar shows its tar alone at the top;
// below the tar's name come the tar's items. Archives inside the archive are plain files.
// With a catalogue, a listing kept for the file as it is now gives the level without opening the archive,
// and an archive read whole, with nothing asked or shown, has its listing kept.
ArchiveLevel listArchiveLevel(CArchiveAccess &access, const QString &archivePath, ArchiveKindCode kind,
                              const QString &innerPath, CListingCatalogue *catalogue = nullptr);

// The status line of a selected node: the reader's description of the archive, a folder or a file in
// it, after the reader's word that the archive is damaged when it could be read only in part; "Invalid
// archive" when the archive cannot be opened (openFailed); the object counts of a disk folder. The ZIP
// group says nothing while open errors are suppressed (an archive is being made).
struct SelectionStatus
{
    QString text;
    bool openFailed = false;
};
SelectionStatus selectionStatus(CArchiveAccess &access, const QString &path, bool openErrorsSuppressed);
QString objectsText(const FolderLevel &level);

// base + "/" + name, without doubling the separator after a root such as "/".
QString joinPath(const QString &base, const QString &name);
// Without regard to case; names equal but for case keep a fixed order among themselves.
void sortNames(QStringList &names);

}  // namespace orv
