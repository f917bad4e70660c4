#pragma once

#include "unpack/common/outputfile.h"
#include "unpack/common/replaceconfirmer.h"

#include <QString>

namespace orv {

class UnpackContext;

// Whether a symbolic link placed at linkPath (relative to the target folder) and pointing at target can
// only ever lead to something inside the target folder. Only relative targets whose ".." components all
// come first, and climb no higher than the target folder, pass: a ".." after a name could climb out
// through another link that the name turns out to be, which no look at the text alone can rule out.
bool linkStaysInside(const QString &linkPath, const QString &target);

enum class EntryLinkResult { Created, Skipped, Refused, Failed, Cancelled };

// Creates a symbolic link below the target folder without following any link on the way; an existing
// item of that name goes through the replace question first and is replaced only once the link stands.
EntryLinkResult createSymbolicLink(UnpackContext &context, const QString &targetFolder, const QString &linkPath,
                                   const QString &target, const ArchivedFile &item);

// Creates a hard link below the target folder to a file the same extraction wrote, under the same rules
// as a symbolic link. When that file is no longer there as it was written, nothing is linked.
EntryLinkResult createHardLink(UnpackContext &context, const QString &targetFolder, const QString &linkPath,
                               const WrittenFile &source, const ArchivedFile &item);

}  // namespace orv
