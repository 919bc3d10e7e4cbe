// The client run of a window of its own: one thread beside the event loop,
// its stop flag, and a token that turns stale whatever a run handed to the
// main thread once the window no longer shows that run.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace app {

class WindowWorker {
public:
    using Body = std::function<void(const std::atomic<bool>& stop)>;
    ~WindowWorker() { Stop(); }

    // Stops the last run, then starts `body` on a thread of its own.
    void Start(Body body);
    // Main thread: ends the run's client at once and collects its thread.
    // What the run queued and the main thread has not run yet is dropped.
    void Stop();

    // On the run's thread: runs `fn` on the main thread unless the run was
    // stopped meanwhile.
    void HandOver(std::function<void()> fn) const;
    // Wraps `fn` the same way, for a callable that reaches the main thread
    // by another road (the row batches).
    template <class F>
    auto WhileCurrent(F fn) const {
        return [live = live_, fn = std::move(fn)](auto&&... args) {
            if (*live) fn(std::forward<decltype(args)>(args)...);
        };
    }

private:
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::shared_ptr<bool> live_ = std::make_shared<bool>(false);  // main thread only
};

}  // namespace app
