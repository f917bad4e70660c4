#pragma once

#include <QString>

namespace orv {

// The program's own folder in the user's temporary folder, where files opened or dragged out of archives
// are extracted. Creates it when missing, otherwise empties it (the folder itself stays). Returns its path,
// or an empty string when there is no folder of the program's own to use: it cannot be made, or the name
// is taken by a file, a symbolic link or another user's folder, none of which is touched. Items that cannot
// be removed stay behind; the folder is still usable.
QString prepareTemporaryFolder();

}  // namespace orv
