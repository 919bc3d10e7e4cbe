// The "Changes to NAME" window: a unified diff, coloured, read on a worker.
#pragma once
#include <string>

#include "platform/window.h"

namespace app {

// What was changed in the working copy of `target` (revision 0), or what
// revision `revision` changed in it. Shown in the one Changes window.
void ShowChanges(const std::string& target, long revision);
// True when `e` was the Changes window's, and handled.
bool HandleChangesEvent(const platform::Event& e);
void CloseChanges();

}  // namespace app
