// The text input dialog: how each answer comes back; and the box that shows
// what the client said.
#include <sstream>

#include "app_fixture.h"

namespace apptest {
namespace {

using platform::Event;

TEST(TextDialog, AnswersFollowTheButtonsReturnAndCloseBox) {
    scripted::Reset();
    scripted::SetIdleTimeout(5000);
    bool openAfterEscape = false;
    const struct {
        const char* what;
        std::function<void(int window)> user;
        const char* answer;
    } cases[] = {
        {"OK", TypeThenClick(nullptr), "initial text"},
        {"emptied", TypeThenClick(""), ""},
        {"Cancel", TypeThenClick("typed", DialogCancel), ""},
        {"close box", [](int window) { scripted::PushClose(window); }, ""},
        // Return accepts whatever has the focus, the Cancel button included.
        {"Return",
         [](int window) {
             scripted::Type(DialogAnswer, "by return");
             scripted::PushClick(DialogCancel, platform::EventType::FocusGained);
             platform::RunOnMainThread([] { scripted::SetReturnKeyDown(true); });
             scripted::PushEvent(Event{Event::Other, window});
         },
         "by return"},
        // A Return held from before the dialog opened answers only once
        // let go and pressed again.
        {"held Return",
         [](int window) {
             scripted::PushEvent(Event{Event::Other, window});
             platform::RunOnMainThread([] {
                 scripted::Type(DialogAnswer, "after release");
                 scripted::SetReturnKeyDown(false);
             });
             scripted::PushEvent(Event{Event::Other, window});
             platform::RunOnMainThread([] { scripted::SetReturnKeyDown(true); });
             scripted::PushEvent(Event{Event::Other, window});
         },
         "after release"},
        // An event without Return and a stray click leave it open.
        {"stray",
         [&](int window) {
             scripted::PushEvent(Event{Event::Other, window});
             scripted::PushClick(DialogPrompt);
             platform::RunOnMainThread([&] { openAfterEscape = scripted::Dialogs().back().open; });
             scripted::PushClick(DialogOk);
         },
         "initial text"},
    };
    for (const auto& c : cases) {
        scripted::SetReturnKeyDown(std::string(c.what) == "held Return");
        scripted::OnDialogOpened(c.user);
        EXPECT_EQ(AskText("Title", "Prompt", "initial text"), c.answer) << c.what;
        EXPECT_FALSE(scripted::Dialogs().back().open) << c.what;
    }
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(scripted::Dialogs().back().title, "Title");
}

// However much the client says, its box shows a screenful at once.
TEST_F(AppTest, AFloodOfClientTextMakesAScreenfulBox) {
    Start();
    std::string line;
    for (int i = 0; i < 300; ++i) line += "\xC3\xA9";  // é: a cut must not split it
    std::string flood;
    for (int i = 0; i < 40; ++i) flood += line + "\n";
    ReportClientError(flood);
    ASSERT_EQ(BoxTexts().size(), 1u);
    std::vector<std::string> shown;
    std::istringstream in(BoxTexts()[0]);
    for (std::string l; std::getline(in, l);) shown.push_back(l);
    ASSERT_EQ(shown.size(), 33u);
    std::string cut;
    for (int i = 0; i < 100; ++i) cut += "\xC3\xA9";
    for (size_t i = 2; i < 32; ++i) EXPECT_EQ(shown[i], cut + "\u2026") << i;
    EXPECT_EQ(shown.back(), "\u2026 lines not shown: 10");
    // A screenful exactly is shown whole, with no count.
    scripted::ClearBoxes();
    ReportClientError(std::string(29, '\n') + "last");
    EXPECT_EQ(BoxTexts()[0].substr(BoxTexts()[0].size() - 5), "\nlast");
}

}  // namespace
}  // namespace apptest
