#include "places.h"

#include <algorithm>

namespace orv {

namespace {

using V = SettingsValues;

const PlaceDef kPlaces[] = {
    {Place::OneDrive, PlaceGroup::Cloud, "OneDrive", "OneDrive", &V::bEnableOneDrive, &V::strOneDriveUserFolder},
    {Place::Dropbox, PlaceGroup::Cloud, "Dropbox", "Dropbox", &V::bEnableDropbox, &V::strDropboxUserFolder},
    {Place::GoogleDrive, PlaceGroup::Cloud, "GoogleDrive", "Google Drive", &V::bEnableGoogleDrive,
     &V::strGoogleDriveUserFolder},
    {Place::Box, PlaceGroup::Cloud, "Box", "Box", &V::bEnableBox, &V::strBoxUserFolder},
    {Place::iCloudDrive, PlaceGroup::Cloud, "iCloudDrive", "iCloud Drive", &V::bEnableiCloudDrive,
     &V::striCloudDriveUserFolder},
    {Place::SugarSync, PlaceGroup::Cloud, "SugarSync", "SugarSync", &V::bEnableSugarSync, nullptr},
    {Place::Desktop, PlaceGroup::Special, "Desktop", "Desktop", &V::bEnableDesktop, &V::strDesktopUserFolder},
    {Place::Downloads, PlaceGroup::Special, "Downloads", "Downloads", &V::bEnableDownloads,
     &V::strDownloadsUserFolder},
    {Place::Documents, PlaceGroup::Special, "Documents", "Documents", &V::bEnableDocuments,
     &V::strDocumentsUserFolder},
    {Place::Music, PlaceGroup::Special, "Music", "Music", &V::bEnableMusic, &V::strMusicUserFolder},
    {Place::Pictures, PlaceGroup::Special, "Pictures", "Pictures", &V::bEnablePictures, &V::strPicturesUserFolder},
    {Place::Videos, PlaceGroup::Special, "Videos", "Videos", &V::bEnableVideos, &V::strVideosUserFolder},
};
static_assert(std::size(kPlaces) == kPlaceCount);

}  // namespace

std::span<const PlaceDef> placeTable()
{
    return kPlaces;
}

const PlaceDef &placeDef(Place place)
{
    return *std::find_if(std::begin(kPlaces), std::end(kPlaces),
                         [place](const PlaceDef &def) { return def.place == place; });
}

QString linkFolderPath(const QString &programFolder, PlaceGroup group)
{
    if (programFolder.isEmpty())
        return {};
    return programFolder + (group == PlaceGroup::Cloud ? QStringLiteral("/CloudDrives")
                                                       : QStringLiteral("/SpecialFolders"));
}

QString sugarSyncLinkFolderPath(const QString &programFolder)
{
    const QString cloud = linkFolderPath(programFolder, PlaceGroup::Cloud);
    return cloud.isEmpty() ? QString() : cloud + QStringLiteral("/SugarSync");
}

QString configuredFolder(const QString &value)
{
    const QString trimmed = value.trimmed();
    return trimmed == QLatin1String("Empty") ? QString() : trimmed;
}

bool anyEnabled(const SettingsValues &values, PlaceGroup group)
{
    return std::any_of(std::begin(kPlaces), std::end(kPlaces),
                       [&](const PlaceDef &def) { return def.group == group && values.*def.enabled; });
}

}  // namespace orv
