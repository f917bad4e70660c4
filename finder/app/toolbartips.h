#pragma once

class QToolBar;

namespace orv {

// Keeps the buttons of a toolbar from showing tooltips, the buttons there now and those added later
// ("EnableShowTooltipForToolbars" off), or lets them show them again. The prompts in the status bar stay.
void setToolbarTooltipsShown(QToolBar *bar, bool shown);

}  // namespace orv
