#pragma once

#include <QString>

namespace orv {

enum class SpecialFolder { Desktop, Downloads, Documents, Music, Pictures, Videos };

// Roaming application data ($XDG_CONFIG_HOME, default ~/.config).
QString applicationDataFolder();
// Local application data ($XDG_DATA_HOME, default ~/.local/share).
QString localApplicationDataFolder();
QString profileFolder();
QString specialFolder(SpecialFolder which);
QString temporaryFolder();

}  // namespace orv
