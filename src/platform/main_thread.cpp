// The any-thread half of the window service, the same for both real
// backends: everything goes through the one queue, and the backend's
// WakeMainLoop makes its loop look.
#include <thread>

#include "platform/control_table.h"
#include "platform/main_thread_queue.h"

namespace platform {
namespace {

// Static initialisation runs on the thread that starts the program.
const std::thread::id mainThread = std::this_thread::get_id();

}  // namespace

void QueueEvent(const Event& e) {
    queue::PushEvent(e);
    WakeMainLoop();
}

void PostControlEvent(int id, EventType type) { QueueEvent(Event{Event::Control, 0, id, type}); }

void RunOnMainThread(std::function<void()> fn) {
    queue::PushCall(std::move(fn));
    WakeMainLoop();
}

void RunOnMainThreadAndWait(std::function<void()> fn) {
    if (OnMainThread())
        fn();
    else
        queue::CallAndWait(std::move(fn), WakeMainLoop);
}

bool OnMainThread() { return std::this_thread::get_id() == mainThread; }

}  // namespace platform
