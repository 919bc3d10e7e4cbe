// The events and calls that reach the main thread, shared by the window
// backends: each adds only how its own loop is woken and waits.
#pragma once
#include <functional>
#include <optional>

#include "platform/window.h"

namespace platform::queue {

void PushEvent(const Event& e);
std::optional<Event> PopEvent();
void PushCall(std::function<void()> fn);
bool HasCalls();
// Runs the oldest queued call; false when there was none.
bool RunOneCall();
// Runs the calls queued so far, not those they queue in turn, so a busy
// worker can't keep the caller here.
void RunWaitingCalls();
// Drops every queued event and call (at shutdown).
void Clear();
// From a worker: hands `fn` over with `post` and blocks until it has run.
void CallAndWait(std::function<void()> fn, void (*post)(std::function<void()>));

}  // namespace platform::queue
