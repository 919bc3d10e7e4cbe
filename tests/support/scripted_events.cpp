// The scripted window's one event queue: the user's events, events posted by
// workers and queued main-thread calls, in arrival order.
#include <chrono>

#include "support/scripted_state.h"

using namespace scripted::detail;

namespace {

// Runs a call with the lock released and reports it as an Other event.
void RunCall(State& s, Lock& lk, Item& item) {
    lk.unlock();
    if (item.fn) item.fn();
    lk.lock();
    if (item.done) {
        *item.done = true;
        s.finished.notify_all();
    }
}

// A real window reports no input on a control that is disabled or gone.
bool Deliverable(State& s, const Item& item) {
    if (!item.fromUser || item.event.kind != Event::Control) return true;
    const auto* c = FindLocked(s, item.event.id);
    return c && c->enabled;
}

Event CloseEventLocked(State& s) {
    Event e;
    e.kind = Event::Close;
    // Close the innermost open dialog first, so a dialog's own loop ends too.
    for (auto it = s.dialogs.rbegin(); it != s.dialogs.rend(); ++it) {
        if (it->open) {
            e.window = it->handle;
            return e;
        }
    }
    return e;
}

}  // namespace

namespace platform {

bool ReturnKeyDown() {
    auto& s = S();
    Lock lk(s.m);
    return s.returnDown;
}

Event WaitEvent() {
    auto& s = S();
    Lock lk(s.m);
    IsMainLocked(s);
    while (!s.dialogsToAnnounce.empty()) {
        int handle = s.dialogsToAnnounce.front();
        s.dialogsToAnnounce.pop_front();
        if (!s.onDialogOpened || !DialogOpenLocked(s, handle)) continue;
        auto fn = s.onDialogOpened;
        lk.unlock();
        fn(handle);
        lk.lock();
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(s.idleTimeoutMs);
    for (;;) {
        if (!s.queue.empty()) {
            Item item = std::move(s.queue.front());
            s.queue.pop_front();
            if (item.isCall) {
                RunCall(s, lk, item);
                return Event{};
            }
            if (!Deliverable(s, item)) return Event{Event::Other, item.event.window};
            return item.event;
        }
        if (s.arrived.wait_until(lk, deadline) == std::cv_status::timeout && s.queue.empty()) {
            return CloseEventLocked(s);
        }
    }
}

void PostControlEvent(int id, EventType type) {
    auto& s = S();
    Lock lk(s.m);
    PushLocked(s, Event{Event::Control, 0, id, type}, false);
}

void RunOnMainThread(std::function<void()> fn) {
    auto& s = S();
    Lock lk(s.m);
    if (s.shutDown) return;  // the program has ended: nothing runs it any more
    Item item;
    item.isCall = true;
    item.fn = std::move(fn);
    s.queue.push_back(std::move(item));
    s.arrived.notify_all();
}

void RunOnMainThreadAndWait(std::function<void()> fn) {
    auto& s = S();
    Lock lk(s.m);
    if (IsMainLocked(s)) {
        lk.unlock();
        fn();
        return;
    }
    if (s.shutDown) return;
    auto done = std::make_shared<bool>(false);
    Item item;
    item.isCall = true;
    item.fn = std::move(fn);
    item.done = done;
    s.queue.push_back(std::move(item));
    s.arrived.notify_all();
    s.finished.wait(lk, [&] { return *done; });
}

void RunQueuedCalls(int ms) {
    auto& s = S();
    Lock lk(s.m);
    IsMainLocked(s);
    auto hasCall = [&] {
        for (const auto& item : s.queue) {
            if (item.isCall) return true;
        }
        return false;
    };
    if (!hasCall()) s.arrived.wait_for(lk, std::chrono::milliseconds(ms), hasCall);
    // Only the calls waiting now: events stay queued for the loop, in order.
    std::deque<Item> calls, events;
    for (auto& item : s.queue) (item.isCall ? calls : events).push_back(std::move(item));
    s.queue.swap(events);
    for (auto& call : calls) RunCall(s, lk, call);
}

bool OnMainThread() {
    auto& s = S();
    Lock lk(s.m);
    return IsMainLocked(s);
}

void KeepPainted() {}

}  // namespace platform
