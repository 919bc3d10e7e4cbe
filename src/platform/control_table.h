// What the real window backends share about their controls: the table by id
// and the events the controls report. Record is the backend's own; it has
// `window`, `kind` and, for trees, `rows` in pre-order.
#pragma once
#include <map>
#include <vector>

#include "platform/window.h"

namespace platform {

// Each real backend: makes its loop look at the queue (any thread).
void WakeMainLoop();
// Any thread: queues an event for the loop and wakes it.
void QueueEvent(const Event& e);

template <class Record>
class ControlTable {
public:
    Record* Find(int id) {
        auto it = byId_.find(id);
        return it == byId_.end() ? nullptr : &it->second;
    }
    Record* Tree(int id) {
        Record* r = Find(id);
        return r && r->kind == ControlKind::Tree ? r : nullptr;
    }
    // The tree, or nullptr when it or its row is missing.
    Record* TreeRow(int id, int row) {
        Record* r = Tree(id);
        return r && row >= 0 && row < static_cast<int>(r->rows.size()) ? r : nullptr;
    }
    Record& Add(int id, int window, ControlKind kind) {
        Record& r = byId_[id] = Record{};
        r.window = window;
        r.kind = kind;
        return r;
    }
    void Erase(int id) { byId_.erase(id); }
    // Forgets the controls of a window whose widgets are going with it,
    // after `release` has seen each.
    template <class Release>
    void ForgetWindow(int window, Release release) {
        for (auto it = byId_.begin(); it != byId_.end();) {
            if (it->second.window != window) {
                ++it;
                continue;
            }
            release(it->second);
            it = byId_.erase(it);
        }
    }
    // Queues a control event addressed to the window that holds the control.
    void Report(int id, EventType type) {
        const Record* r = Find(id);
        if (!r) return;  // a control being destroyed says goodbye
        QueueEvent(Event{Event::Control, r->window, id, type});
    }
    auto begin() { return byId_.begin(); }
    auto end() { return byId_.end(); }

private:
    std::map<int, Record> byId_;
};

}  // namespace platform
