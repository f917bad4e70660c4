#pragma once

#include "unpack/common/replaceconfirmer.h"

#include <QString>

namespace orv {
class UnpackContext;
}

namespace orv::zip {

// Whether a symbolic link placed at linkPath (relative to the target folder) and pointing at target can
// only ever lead to something inside the target folder. Only relative targets whose ".." components all
// come first, and climb no higher than the target folder, pass: a ".." after a name could climb out
// through another link that the name turns out to be, which no look at the text alone can rule out.
bool linkStaysInside(const QString &linkPath, const QString &target);

enum class LinkResult { Created, Skipped, Refused, Failed, Cancelled };

// Creates a symbolic link below the target folder without following any link on the way; an existing
// item of that name goes through the replace question first.
LinkResult createSymbolicLink(UnpackContext &context, const QString &targetFolder, const QString &linkPath,
                              const QString &target, const ArchivedFile &item);

}  // namespace orv::zip
