#pragma once

namespace orv {

// Long operations run on the one GUI thread and call this between units of work so that the window stays
// alive and a progress window's stop request gets delivered.
void pumpEvents();

}  // namespace orv
