// The headless window's own guarantees that the app suites lean on: calls
// handed over by workers never deadlock, and events arrive in order.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/scripted_window.h"

using platform::Event;
using platform::EventType;

namespace {

class ScriptedWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        scripted::Reset();
        ASSERT_TRUE(platform::OpenMainWindow("main", 450, 430));
    }
};

TEST_F(ScriptedWindowTest, WorkerHandOverRunsOnMainThreadWhileItWaits) {
    std::atomic<bool> workerDone{false};
    std::vector<int> ranOnMain;
    std::thread worker([&] {
        EXPECT_FALSE(platform::OnMainThread());
        for (int i = 0; i < 3; ++i)
            platform::RunOnMainThreadAndWait([&, i] {
                if (platform::OnMainThread()) ranOnMain.push_back(i);
            });
        workerDone = true;
    });
    // The stop handling's wait: pump hand-overs until the worker has ended.
    for (int spins = 0; !workerDone && spins < 2000; ++spins) platform::RunQueuedCalls(10);
    worker.join();
    EXPECT_TRUE(workerDone);
    EXPECT_EQ(ranOnMain, (std::vector<int>{0, 1, 2}));
}

TEST_F(ScriptedWindowTest, EventsAndCallsArriveInOrder) {
    platform::CreateControl(0, 3, platform::ControlKind::Button, 0, 0, 10, 10, "Search");
    std::vector<std::string> ran;
    scripted::PushClick(3);
    platform::RunOnMainThread([&] { ran.push_back("first"); });
    std::thread([] { platform::PostControlEvent(21, EventType::LeftClick); }).join();
    platform::RunOnMainThread([&] { ran.push_back("second"); });

    Event e = platform::WaitEvent();
    EXPECT_EQ(std::pair(e.kind, e.id), std::pair(Event::Control, 3));
    EXPECT_EQ(platform::WaitEvent().kind, Event::Other);
    EXPECT_EQ(ran, std::vector<std::string>{"first"});
    // RunQueuedCalls takes the calls only; the posted event keeps its place.
    platform::RunQueuedCalls(0);
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second"}));
    e = platform::WaitEvent();
    EXPECT_EQ(std::pair(e.kind, e.id), std::pair(Event::Control, 21)) << "posted for no control";
}

TEST_F(ScriptedWindowTest, UserInputOnDisabledControlIsNotReported) {
    platform::CreateControl(0, 10, platform::ControlKind::Button, 0, 0, 10, 10, "Copy");
    platform::SetEnabled(10, false);
    scripted::PushClick(10);
    scripted::Type(10, "typed");
    scripted::PushClick(99);
    EXPECT_EQ(platform::WaitEvent().kind, Event::Other);
    EXPECT_EQ(platform::WaitEvent().kind, Event::Other);
    EXPECT_EQ(platform::GetText(10), "Copy");
}

TEST_F(ScriptedWindowTest, DialogHookSeesControlsAndTimeoutClosesInnermostWindow) {
    scripted::SetIdleTimeout(50);
    std::string seen;
    scripted::OnDialogOpened([&](int) {
        seen = platform::GetText(2);
        scripted::Type(2, "answer");
        scripted::PushClick(1);
    });
    int dialog = platform::OpenDialog("Ask", 200, 100);
    platform::CreateControl(dialog, 2, platform::ControlKind::Field, 0, 0, 10, 10, "initial");
    platform::CreateControl(dialog, 1, platform::ControlKind::DefaultButton, 0, 0, 10, 10, "OK");

    Event e = platform::WaitEvent();
    EXPECT_EQ(seen, "initial");
    EXPECT_EQ(std::pair(e.window, e.type), std::pair(dialog, EventType::Change));
    e = platform::WaitEvent();
    EXPECT_EQ(std::pair(e.window, e.id), std::pair(dialog, 1));
    e = platform::WaitEvent();  // nothing more: the broken test's way out
    EXPECT_EQ(std::pair(e.window, e.kind), std::pair(dialog, Event::Close));
    platform::CloseDialog(dialog);
    EXPECT_FALSE(platform::ControlExists(2));
    e = platform::WaitEvent();
    EXPECT_EQ(std::pair(e.window, e.kind), std::pair(0, Event::Close));
}

}  // namespace
