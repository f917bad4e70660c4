#pragma once

#include <QString>

namespace orv {

// The program's visual styles by their stored numbers: 215-218 are the coloured looks, 219 the desktop's
// own style; older numbers that a profile may still hold fall back to the plain look.
class CVisualStyle
{
public:
    // Remembers the desktop's own style; call once after the application object exists.
    static void rememberPlatformStyle();
    static void apply(int look);
    static QString nameOf(int look);
};

}  // namespace orv
