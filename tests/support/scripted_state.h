// The scripted window's state, shared by its parts: the window service
// (scripted_window.cpp), its event queue (scripted_events.cpp) and the test
// API (scripted_user.cpp). One mutex guards everything; callbacks (queued
// calls, the dialog-opened hook) always run with it released, since they call
// back into the window service.
#pragma once
#include <array>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "support/scripted_window.h"

namespace scripted::detail {

using platform::Event;
using Lock = std::unique_lock<std::mutex>;

constexpr int kDefaultIdleTimeoutMs = 20000;

// One FIFO for the user's events, posted events and queued calls alike, so
// they reach the loop in arrival order.
struct Item {
    bool isCall = false;
    Event event;
    bool fromUser = false;  // pushed by the test, not posted by a worker
    std::function<void()> fn;
    std::shared_ptr<bool> done;  // set when an AndWait call ran or was dropped
};

struct State {
    std::mutex m;
    std::condition_variable arrived;   // an item was queued
    std::condition_variable finished;  // a waited-for call ran or was dropped
    std::thread::id mainThread;

    scripted::WindowInfo mainWindow;
    std::vector<scripted::WindowInfo> dialogs;  // handle = index + 1
    std::deque<int> dialogsToAnnounce;
    std::function<void(int)> onDialogOpened;
    bool failOpen = false;
    bool shutDown = false;

    std::map<int, scripted::Control> controls;
    std::map<int, uint64_t> creation;  // id -> creation sequence
    uint64_t nextCreation = 0;
    std::map<int, std::vector<scripted::TreeItem>> trees;
    std::map<int, int> selection;

    // unique_ptr keeps ImagePixels' pointers valid as images are added.
    std::vector<std::unique_ptr<std::array<uint32_t, 256>>> images;

    std::vector<scripted::Box> boxes;
    std::vector<scripted::ChooserCall> choosers;
    std::vector<platform::MenuItem> lastMenu;
    int menusShown = 0;
    std::deque<bool> yesNoAnswers;
    std::deque<std::string> folderAnswers;
    std::deque<std::string> saveAnswers;
    bool returnDown = false;

    std::deque<Item> queue;
    int idleTimeoutMs = kDefaultIdleTimeoutMs;
};

inline State& S() {
    static State s;
    return s;
}

// The first thread to ask becomes the main thread until the next Reset.
inline bool IsMainLocked(State& s) {
    if (s.mainThread == std::thread::id()) s.mainThread = std::this_thread::get_id();
    return s.mainThread == std::this_thread::get_id();
}

// Releases every worker waiting on a dropped call, so no test hangs on it.
inline void DropCallsLocked(State& s) {
    std::deque<Item> kept;
    for (auto& item : s.queue) {
        if (!item.isCall) {
            kept.push_back(std::move(item));
        } else if (item.done) {
            *item.done = true;
        }
    }
    s.queue.swap(kept);
    s.finished.notify_all();
}

inline scripted::Control* FindLocked(State& s, int id) {
    auto it = s.controls.find(id);
    return it == s.controls.end() ? nullptr : &it->second;
}

inline void DestroyLocked(State& s, int id) {
    s.controls.erase(id);
    s.creation.erase(id);
    s.trees.erase(id);
    s.selection.erase(id);
}

inline bool DialogOpenLocked(State& s, int handle) {
    return handle > 0 && handle <= static_cast<int>(s.dialogs.size()) && s.dialogs[handle - 1].open;
}

inline void PushLocked(State& s, const Event& e, bool fromUser) {
    Item item;
    item.event = e;
    item.fromUser = fromUser;
    s.queue.push_back(std::move(item));
    s.arrived.notify_all();
}

inline int WindowOf(State& s, int id) {
    const auto* c = FindLocked(s, id);
    return c ? c->window : 0;
}

}  // namespace scripted::detail
