#pragma once

#include <QString>

#include <vector>

namespace orv::zip {

// One thing to store: a file's data or a folder entry, and its path inside the archive.
struct PackItem
{
    QString source;
    QString archivePath;
    bool folder = false;
};

// Where a dropped file goes: its name alone, or its whole path without the leading separator, below
// archiveFolder ("" for the top level).
QString packedFilePath(const QString &file, bool withoutPaths, const QString &archiveFolder);

// A folder and what lies in it, folders before their contents, in name order. Without paths the
// entries start with the name of base's last component; with paths they carry the whole path. Only
// folders and regular files are taken: links to folders and special files (pipes, devices) are left
// out, since reading them could loop or never end. Without recurse only the folder's own files come.
std::vector<PackItem> packedFolderItems(const QString &folder, const QString &base, bool withoutPaths,
                                        const QString &archiveFolder, bool recurse);

}  // namespace orv::zip
