#pragma once

#include "finder/places/clouddriveitem.h"
#include "finder/settings/settings.h"

#include <QStringList>

#include <vector>

namespace orv {

// The roots made at start-up from the link folders of the enabled cloud and special folders.
struct PlaceRoots
{
    std::vector<CCloudDriveItem> roots;           // cloud roots, then special roots, each by link name
    std::vector<CCloudDriveItem> sugarSyncItems;  // one per link inside the SugarSync link folder
    QStringList sugarSyncFolders;                 // their folders in lower case, for comparing
    QStringList sugarSyncLinkPaths;
    QString sugarSyncLinkFolder;                  // empty when SugarSync is not set up
    bool anyCloudEnabled = false;
    bool anySpecialEnabled = false;
};

// A place gets a root only when it is enabled, its link is there and its folder still exists; anything
// else is passed over without a word.
PlaceRoots ResolvePlaceRoots(const SettingsValues &values, const QString &programFolder);

}  // namespace orv
