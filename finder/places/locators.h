#pragma once

#include "finder/places/places.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orv {

// Each locator answers where a client or the desktop keeps the folder, or an empty string when its file,
// database or folder is missing or cannot be read. None of them reports anything itself.
QString LocateOneDrive();
QString LocateDropbox();
QString LocateGoogleDrive();
QString LocateBox();
QString LocateiCloudDrive();
QString LocateSpecialFolder(Place place);
// The folder of any place but SugarSync, which has a list of folders instead.
QString LocatePlace(Place place);

// The SugarSync folders as the client's databases name them. The program keeps them in lower case for
// comparing (sugarSyncComparableFolders), but links point at the folders as they are, since the disk here
// tells "Docs" from "docs".
QStringList LocateSugarSyncFolders();
QStringList sugarSyncComparableFolders(const QStringList &folders);

// Standard Base64 as the Dropbox client writes it: decoding ends at the first character outside the
// alphabet ("=", a blank, the end of the line); CR and LF between groups of four are passed over.
QByteArray decodeBase64Line(QByteArrayView line);

}  // namespace orv
