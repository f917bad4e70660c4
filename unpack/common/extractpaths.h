#pragma once

#include <QString>

#include <optional>

namespace orv {

// Where an item goes below the target folder, by the three path flags of the unpack settings. Each
// answers a path relative to the target folder, still to be checked with safeRelativePath.
namespace ExtractPaths {

// UnpackFile: the whole item path, or only its name when files go without paths.
QString forFile(const QString &itemPath, bool withoutPaths);
// UnpackFolder: the whole item path, or the path from the selected folder's own name down when folders go
// without paths (the part above the folder is dropped). The folder is spelt as the archive spells it.
QString forFolderItem(const QString &itemPath, const QString &folderPath, bool withoutPaths);
// UnpackArchive: the whole item path, or only its name when the archive goes without paths.
QString forArchiveItem(const QString &itemPath, bool withoutPaths);

}  // namespace ExtractPaths

// The one check every write below a target folder passes: the entry path, with "\" taken as a separator
// too, must name something strictly inside the target. Absolute paths, ".." components, NUL characters
// and paths that name the target itself are refused (no value); empty and "." components are dropped.
std::optional<QString> safeRelativePath(const QString &entryPath);

// target + "/" + the checked relative path; no value when the check refuses it.
std::optional<QString> safeOutputPath(const QString &targetFolder, const QString &entryPath);

// The message for an entry the check refused; shown once per entry.
QString outsideTargetMessage(const QString &entryPath);

}  // namespace orv
