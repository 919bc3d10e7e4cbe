#include "platform/main_thread_queue.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::queue {
namespace {

struct Item {
    std::optional<Event> event;  // none: a call
    bool input = false;
    std::function<void()> fn;
    std::shared_ptr<bool> done;  // a worker blocks until it is set
};

std::mutex queueMutex;             // guards everything below and every Item::done
std::condition_variable changed;   // an item was queued
std::condition_variable finished;  // a waited-for call ran or was dropped
std::deque<Item> items;
size_t waitedFor = 0;  // queued calls a worker blocks on

void Push(Item item) {
    std::lock_guard<std::mutex> lock(queueMutex);
    if (item.done) ++waitedFor;
    items.push_back(std::move(item));
    changed.notify_all();
}

void Run(Item& item) {
    item.fn();
    if (!item.done) return;
    std::lock_guard<std::mutex> lock(queueMutex);
    *item.done = true;
    finished.notify_all();
}

// How many leading items RunWaitingCalls covers: those ahead of the first
// event, or up to the last call a worker blocks on when that is further.
size_t WaitingEndLocked() {
    size_t end = 0;
    while (end < items.size() && !items[end].event) ++end;
    for (size_t i = items.size(); waitedFor > 0 && i > end; --i)
        if (items[i - 1].done) return i;
    return end;
}

}  // namespace

void PushEvent(const Event& e, bool input) { Push(Item{e, input, nullptr, nullptr}); }

void PushCall(std::function<void()> fn) { Push(Item{std::nullopt, false, std::move(fn), nullptr}); }

void CallAndWait(std::function<void()> fn, void (*wake)()) {
    auto done = std::make_shared<bool>(false);
    Push(Item{std::nullopt, false, std::move(fn), done});
    wake();
    std::unique_lock<std::mutex> lock(queueMutex);
    finished.wait(lock, [&] { return *done; });
}

std::optional<Taken> TakeNext() {
    Item item;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (items.empty()) return std::nullopt;
        item = std::move(items.front());
        items.pop_front();
        if (item.done) --waitedFor;
    }
    if (item.event) return Taken{*item.event, item.input};
    Run(item);
    return Taken{};
}

void RunWaitingCalls() {
    std::vector<Item> calls;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        const size_t end = WaitingEndLocked();
        std::deque<Item> kept;
        for (size_t i = 0; i < items.size(); ++i) {
            if (i < end && !items[i].event) {
                if (items[i].done) --waitedFor;
                calls.push_back(std::move(items[i]));
            } else {
                kept.push_back(std::move(items[i]));
            }
        }
        items.swap(kept);
    }
    for (Item& call : calls) Run(call);
}

bool HasWaitingCalls() {
    std::lock_guard<std::mutex> lock(queueMutex);
    return WaitingEndLocked() > 0;
}

bool WaitForItem(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(queueMutex);
    return changed.wait_until(lock, deadline, [] { return !items.empty(); });
}

bool WaitForWaitingCalls(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(queueMutex);
    return changed.wait_until(lock, deadline, [] { return WaitingEndLocked() > 0; });
}

void Clear() {
    // Destroyed outside the lock: a dropped call may own what a worker waits on.
    std::deque<Item> dropped;
    std::lock_guard<std::mutex> lock(queueMutex);
    dropped.swap(items);
    waitedFor = 0;
    for (Item& item : dropped)
        if (item.done) *item.done = true;
    finished.notify_all();
}

}  // namespace platform::queue
