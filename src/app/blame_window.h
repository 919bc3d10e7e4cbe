// The "Blame of NAME" window: each line of a file with the revision and
// author that last changed it, and that revision's message.
#pragma once
#include <string>

#include "platform/window.h"

namespace app {

void ShowBlame(const std::string& target);
// True when `e` was the Blame window's, and handled.
bool HandleBlameEvent(const platform::Event& e);
void CloseBlame();

}  // namespace app
