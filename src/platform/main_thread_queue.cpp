#include "platform/main_thread_queue.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace platform::queue {
namespace {

std::mutex queueMutex;  // guards events and calls
std::deque<Event> events;
std::deque<std::function<void()>> calls;

}  // namespace

void PushEvent(const Event& e) {
    std::lock_guard<std::mutex> lock(queueMutex);
    events.push_back(e);
}

std::optional<Event> PopEvent() {
    std::lock_guard<std::mutex> lock(queueMutex);
    if (events.empty()) return std::nullopt;
    Event e = events.front();
    events.pop_front();
    return e;
}

void PushCall(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(queueMutex);
    calls.push_back(std::move(fn));
}

bool HasCalls() {
    std::lock_guard<std::mutex> lock(queueMutex);
    return !calls.empty();
}

bool RunOneCall() {
    std::function<void()> fn;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (calls.empty()) return false;
        fn = std::move(calls.front());
        calls.pop_front();
    }
    fn();
    return true;
}

void RunWaitingCalls() {
    std::deque<std::function<void()>> waiting;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        waiting.swap(calls);
    }
    for (auto& fn : waiting) fn();
}

void Clear() {
    // Destroyed outside the lock: a dropped call may own what a worker waits on.
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        events.clear();
        dropped.swap(calls);
    }
}

void CallAndWait(std::function<void()> fn, void (*post)(std::function<void()>)) {
    struct Done {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    post([fn = std::move(fn), done] {
        fn();
        std::lock_guard<std::mutex> lock(done->mutex);
        done->done = true;
        done->cv.notify_all();
    });
    std::unique_lock<std::mutex> lock(done->mutex);
    done->cv.wait(lock, [&] { return done->done; });
}

}  // namespace platform::queue
