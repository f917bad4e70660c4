#pragma once

class QToolBar;

namespace orv {

// Keeps the buttons of a toolbar from showing tooltips, the buttons there now and those added later
// ("EnableShowTooltipForToolbars" off). The prompts in the status bar stay.
void hideToolbarTooltips(QToolBar *bar);

}  // namespace orv
