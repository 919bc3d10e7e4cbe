#include "app/window_worker.h"

#include "platform/window.h"

namespace app {

void WindowWorker::Start(Body body) {
    Stop();
    stop_ = false;
    live_ = std::make_shared<bool>(true);
    thread_ = std::thread([this, body = std::move(body)] { body(stop_); });
}

void WindowWorker::Stop() {
    // The client loop looks at the flag between its short waits, so the
    // client is ended and the thread gone within a few milliseconds; the
    // thread never waits on the main thread, so the join can't deadlock.
    *live_ = false;
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void WindowWorker::HandOver(std::function<void()> fn) const {
    platform::RunOnMainThread(WhileCurrent(std::move(fn)));
}

}  // namespace app
