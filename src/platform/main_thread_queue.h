// The one queue of events and calls that reach the main thread, first in,
// first out, shared by every window backend (the scripted one included):
// a worker's rows handed over before its closing event run before the event
// is taken. Each backend adds only how its own loop is woken and waits.
#pragma once
#include <chrono>
#include <functional>
#include <optional>

#include "platform/window.h"

namespace platform::queue {

// Any thread. `input` marks the user's own input, as opposed to an event a
// worker posts; the scripted window drops input for a disabled control.
void PushEvent(const Event& e, bool input = false);
void PushCall(std::function<void()> fn);
// Queues `fn`, calls `wake`, and blocks until `fn` has run or was dropped.
void CallAndWait(std::function<void()> fn, void (*wake)());

// What TakeNext took: an event, or a call it ran (reported as an Other event).
struct Taken {
    Event event;
    bool input = false;
};
// Main thread: the oldest item, a call being run at once; nullopt when empty.
std::optional<Taken> TakeNext();

// Main thread: runs, in order, the calls queued ahead of the first event, not
// those they queue in turn. Events keep their place for TakeNext, except that
// a worker blocked on a call behind one gets that call and the calls ahead of
// it run: else the main thread, waiting for that worker, would wait forever.
void RunWaitingCalls();
// True when RunWaitingCalls has something to run.
bool HasWaitingCalls();

// For a loop with nothing else to wait on; true when the wait was not in vain.
bool WaitForItem(std::chrono::steady_clock::time_point deadline);
bool WaitForWaitingCalls(std::chrono::steady_clock::time_point deadline);

// Drops every queued item; a worker waiting on a dropped call goes on.
void Clear();

}  // namespace platform::queue
