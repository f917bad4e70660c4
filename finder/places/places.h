#pragma once

#include "finder/settings/settings.h"

#include <QString>

#include <span>

namespace orv {

// The cloud and special folders that can become roots, in the order the options apply them.
enum class Place {
    OneDrive,
    Dropbox,
    GoogleDrive,
    Box,
    iCloudDrive,
    SugarSync,
    Desktop,
    Downloads,
    Documents,
    Music,
    Pictures,
    Videos,
};
constexpr int kPlaceCount = 12;

enum class PlaceGroup { Cloud, Special };

struct PlaceDef
{
    Place place;
    PlaceGroup group;
    const char *linkName;     // the link's name inside the group's link folder
    const char *displayName;  // what the messages and pages call it
    bool SettingsValues::*enabled;
    QString SettingsValues::*folder;  // null for SugarSync, whose folders are always located
};

std::span<const PlaceDef> placeTable();
const PlaceDef &placeDef(Place place);

// "CloudDrives" or "SpecialFolders" beside the settings file; empty when the program folder is unknown.
QString linkFolderPath(const QString &programFolder, PlaceGroup group);
// The real folder inside "CloudDrives" that holds one link per SugarSync folder.
QString sugarSyncLinkFolderPath(const QString &programFolder);

// The folder a settings value names, or empty for the marker "Empty" and blank text.
QString configuredFolder(const QString &value);
bool anyEnabled(const SettingsValues &values, PlaceGroup group);

}  // namespace orv
