#pragma once

#include <QString>

namespace orv {

// The desktop's program set for a MIME type, or for the nearest type it derives from: its desktop file,
// empty when none (xdg-mime query default).
QString defaultProgramFor(const QString &mimeType);

// Hands a file to the desktop's program for its type. False, and nothing started, when no program is set
// for it: xdg-open runs detached and would be taken for a success whether or not a program follows.
bool openWithDesktopProgram(const QString &path);

}  // namespace orv
