#pragma once

#include <QString>

#include <cstdint>

namespace orv {

// The unpack settings handed over by the finder; one byte per flag, in this order.
struct INIUNPACK
{
    std::uint8_t bUnpackFilesWithoutPaths = 0;
    std::uint8_t bUnpackFoldersWithoutPaths = 0;
    std::uint8_t bUnpackArchivesWithoutPaths = 0;
    std::uint8_t bAskBeforeOverwriting = 1;
};
static_assert(sizeof(INIUNPACK) == 4);

// The Yes To All answers of the replace question, one per class of existing file. They live for one
// archive; a caller carries them to the next one explicitly.
struct INIYESTOALL
{
    std::uint8_t bYesToAllFiles = 0;
    std::uint8_t bYesToAllSystem = 0;
    std::uint8_t bYesToAllReadOnly = 0;
    std::uint8_t bYesToAllHidden = 0;
};
static_assert(sizeof(INIYESTOALL) == 4);

// One listed item. Paths inside archives use "/" and have no leading separator. What the two folder flags
// mean differs by format; each unpacker documents its own reading.
struct FILESHORTINFO
{
    QString strExtension;
    QString strTitle;
    QString strName;
    QString strPath;
    std::uint8_t bSubFolder = 0;
    std::uint8_t bFolder = 0;
};

using SEVENZIPFILESHORTINFO = FILESHORTINFO;
using CABFILESHORTINFO = FILESHORTINFO;
using ISOFILESHORTINFO = FILESHORTINFO;

struct RARFILESHORTINFO : FILESHORTINFO
{
    std::uint8_t bSplitAfter = 0;  // the file continues in the next volume
};

struct ItemNameParts
{
    QString extension;  // after the last "." of the name, without the dot
    QString title;      // the name up to its last "."
    QString name;       // the last component of the path
};

ItemNameParts splitItemPath(const QString &path);
// Sets strPath and the three name fields from the path.
void fillNames(FILESHORTINFO &record, const QString &path);

// An entry name as an archive stores it, in the form every listing uses: "\" becomes "/", runs of
// separators and "." components go, no leading or trailing separator. ".." components stay so that the
// extraction check still sees them.
QString normaliseEntryPath(const QString &raw);

// The parts of a "/"-separated entry path: everything before the last "/" (empty at top level) and the
// last component.
QString entryParent(const QString &path);
QString entryName(const QString &path);

}  // namespace orv
