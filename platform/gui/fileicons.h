#pragma once

#include <QIcon>
#include <QString>

namespace orv {

// The icon of a file's type as its name alone suggests: the icon theme's picture of the MIME type guessed
// from the extension, or the generic file icon when the theme has none. Looked up once per extension.
QIcon fileTypeIcon(const QString &name);
// An archive's icon: its type's picture when the theme has one, else the theme's generic archive, so that
// an archive never looks like a blank page.
QIcon archiveIcon(const QString &name);

// The icon theme Qt falls back on when the desktop's theme lacks a picture, or when there is no desktop
// theme at all (a bare X server): the one the program's packages install.
constexpr const char *kFallbackIconTheme = "Adwaita";
void useFallbackIconTheme();

}  // namespace orv
