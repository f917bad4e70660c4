#pragma once

#include <QString>

namespace orv {

// The sentence with which a reader says that it could read an archive only in part. It is the readers'
// damage text: shown after what could be read, never instead of it.
QString damagedArchiveText(const QString &reason);

}  // namespace orv
