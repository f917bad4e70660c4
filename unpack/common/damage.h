#pragma once

#include <QString>

namespace orv {

// The sentences with which a reader says that it could read an archive only in part. They are the
// readers' damage texts: shown after what could be read, never instead of it.
QString damagedArchiveText(const QString &reason);
QString missingVolumeText(const QString &volumePath);

}  // namespace orv
