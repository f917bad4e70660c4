#pragma once

#include <QString>
#include <QStringList>

namespace orv {

// Where the program's own folder for files opened or dragged out of archives may go, in the order tried:
// "Orvel-ZIP Finder.Temp" in the user's runtime folder ($XDG_RUNTIME_DIR) when that is the user's own and
// closed to everybody else, then "Orvel-ZIP Finder.Temp-<user id>" in the temporary folder, which every
// user of the machine shares.
QStringList temporaryFolderPlaces();

// Takes the first of those places that holds a folder of the user's own or can take one: creates it when
// missing, otherwise empties it (the folder itself stays), and leaves it open to the user alone. Returns
// its path, or an empty string when every name is taken by a file, a symbolic link or another user's
// folder, none of which is touched, or cannot be made. Items that cannot be removed stay behind; the
// folder is still usable.
QString prepareTemporaryFolder();

}  // namespace orv
