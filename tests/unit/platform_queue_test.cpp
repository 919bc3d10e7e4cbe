// The one queue between the workers and the main thread: arrival order, and
// no deadlock when a worker waits on a call queued behind an event.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/main_thread_queue.h"

using platform::Event;
namespace queue = platform::queue;
using Clock = std::chrono::steady_clock;

namespace {

Event Click(int id) { return Event{Event::Control, 0, id}; }

TEST(MainThreadQueue, EventsAndCallsLeaveInArrivalOrder) {
    queue::Clear();
    std::vector<std::string> ran;
    queue::PushCall([&] { ran.push_back("row"); });
    queue::PushEvent(Click(21));  // a worker's end, posted after its rows
    queue::PushCall([&] { ran.push_back("late"); });
    queue::RunWaitingCalls();  // stops at the event
    EXPECT_EQ(ran, std::vector<std::string>{"row"});
    EXPECT_EQ(queue::TakeNext()->event.id, 21);
    EXPECT_EQ(queue::TakeNext()->event.kind, Event::Other);
    EXPECT_EQ(ran, (std::vector<std::string>{"row", "late"}));
    EXPECT_FALSE(queue::TakeNext());
}

TEST(MainThreadQueue, AWorkerWaitingBehindAnEventIsServed) {
    queue::Clear();
    queue::PushEvent(Click(21));
    std::atomic<bool> done{false};
    std::vector<int> ran;
    std::thread worker([&] {
        queue::PushCall([&] { ran.push_back(1); });
        queue::CallAndWait([&] { ran.push_back(2); }, [] {});
        done = true;
    });
    // What the stop handling does while it waits for the worker.
    const auto giveUp = Clock::now() + std::chrono::seconds(10);
    while (!done && Clock::now() < giveUp) {
        queue::WaitForWaitingCalls(Clock::now() + std::chrono::milliseconds(10));
        queue::RunWaitingCalls();
    }
    EXPECT_TRUE(done);
    EXPECT_EQ(queue::TakeNext()->event.id, 21);  // the event keeps its place
    queue::Clear();                              // releases the worker should the wait have failed
    worker.join();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

}  // namespace
