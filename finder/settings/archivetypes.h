#pragma once

#include <QStringList>

namespace orv {

// The archive type names a user can enable, in table order (upper case, as stored in the settings file).
// "ZIP" is not among them: it is always enabled.
const QStringList &archiveTypeNames();
// The extensions of those types that are recognised by name alone (every type but "EXE").
const QStringList &archiveExtensions();

}  // namespace orv
