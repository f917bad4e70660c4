#pragma once

// The file names of a multi-volume RAR set. Newer sets number the volumes inside the name
// (name.part1.rar, name.part2.rar, ...); older ones keep ".rar" for the first volume and count the
// following ones as .r00 ... .r99, then .s00 and on.

#include <QString>
#include <QStringList>

#include <optional>

namespace orv::rar {

// The name of the volume after this one; none when the name follows neither style.
std::optional<QString> nextVolumePath(const QString &path);

// The given volume and every following one that exists, in order, until the first gap, at most
// maxVolumes names (the count the archive itself gives, when known).
QStringList volumeSet(const QString &firstPath, int maxVolumes);

}  // namespace orv::rar
