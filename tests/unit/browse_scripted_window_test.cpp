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
    // An event queued first holds back the calls behind it, but not those a
    // blocked worker needs: else the wait below would never end.
    platform::PostControlEvent(21, EventType::LeftClick);
    std::atomic<bool> workerDone{false};
    std::vector<int> ranOnMain;
    std::thread worker([&] {
        EXPECT_FALSE(platform::OnMainThread());
        platform::RunOnMainThread([&] { ranOnMain.push_back(-1); });
        for (int i = 0; i < 3; ++i)
            platform::RunOnMainThreadAndWait([&, i] {
                if (platform::OnMainThread()) ranOnMain.push_back(i);
            });
        workerDone = true;
    });
    // The stop handling's wait: pump hand-overs until the worker has ended.
    for (int spins = 0; !workerDone && spins < 500; ++spins) platform::RunQueuedCalls(10);
    EXPECT_TRUE(workerDone);
    if (!workerDone) platform::ShutdownWindowing();  // drops the call, so the worker ends
    worker.join();
    EXPECT_EQ(ranOnMain, (std::vector<int>{-1, 0, 1, 2}));
    EXPECT_EQ(platform::WaitEvent().id, 21);
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
    // RunQueuedCalls stops at the posted event: a worker's closing event is
    // never overtaken by its own later calls, nor the other way round.
    platform::RunQueuedCalls(0);
    EXPECT_EQ(ran, std::vector<std::string>{"first"});
    e = platform::WaitEvent();
    EXPECT_EQ(std::pair(e.kind, e.id), std::pair(Event::Control, 21)) << "posted for no control";
    platform::RunQueuedCalls(0);
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second"}));
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
