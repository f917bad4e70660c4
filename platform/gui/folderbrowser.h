#pragma once

#include <QString>

class QWidget;

namespace orv {

// The stand-in for the shell's folder browser: folders only, starting in the given folder, the prompt above
// the folders and the title on the window. Without allowNewFolder the user can only pick a folder that is
// there. Empty when cancelled.
QString browseForFolder(QWidget *parent, const QString &title, const QString &prompt, const QString &start,
                        bool allowNewFolder);

}  // namespace orv
