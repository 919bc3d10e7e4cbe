// The "History of NAME" window: the log of a path, 50 entries a page, with a
// filter over what is loaded and the changes of a revision one key away.
#pragma once
#include <string>

#include "platform/window.h"

namespace app {

// Shows the history of `target` (a repository URL or a working-copy path) in
// the one History window, opening it when it is closed.
void ShowHistory(const std::string& target);
// True when `e` was the History window's, and handled.
bool HandleHistoryEvent(const platform::Event& e);
void CloseHistory();

}  // namespace app
