// Hands each event of the main loop to its handler.
#pragma once
#include "platform/window.h"

namespace app {

// Runs the handler the event calls for, then, unless a worker keeps the
// window busy, the credential rule. True when the event was the main
// window's close request, which ends the loop.
bool HandleEvent(const platform::Event& e);
// Hands an event of a window of its own (History, Changes, Blame) to it;
// false when `e` was none of theirs. A modal dialog's loop calls it too, so
// those windows stay usable beside it.
bool HandleOwnWindowEvent(const platform::Event& e);

}  // namespace app
