// The text input dialog: how each answer comes back, and how it lives inside
// the running program.
#include "app/text_dialog.h"
#include "app_fixture.h"

namespace apptest {
namespace {

using namespace app;
using platform::Event;

// Asks with `user` acting once the dialog is on screen.
std::string AskWith(const std::function<void(int window)>& user,
                    const std::string& initial = "initial text") {
    scripted::OnDialogOpened(user);
    return AskText("Title", "Prompt", initial);
}

Event OtherEvent(int window) {
    Event e;
    e.window = window;
    return e;
}

TEST(TextDialog, AnswersFollowTheButtonsReturnAndCloseBox) {
    scripted::Reset();
    scripted::SetIdleTimeout(5000);

    EXPECT_EQ(AskWith([](int) { scripted::PushClick(DialogOk); }), "initial text");
    const auto dialog = scripted::Dialogs().back();
    EXPECT_EQ(dialog.title, "Title");
    EXPECT_EQ(dialog.w, 300);
    EXPECT_EQ(dialog.h, 95);
    EXPECT_FALSE(dialog.open);

    EXPECT_EQ(AskWith([](int) {
                  scripted::Type(DialogAnswer, "");
                  scripted::PushClick(DialogOk);
              }),
              "");
    EXPECT_EQ(AskWith([](int) {
                  scripted::Type(DialogAnswer, "typed");
                  scripted::PushClick(DialogCancel);
              }),
              "");
    EXPECT_EQ(AskWith([](int window) { scripted::PushClose(window); }), "");

    // Return accepts whatever has the focus, the Cancel button included.
    EXPECT_EQ(AskWith([](int window) {
                  scripted::Type(DialogAnswer, "by return");
                  scripted::PushClick(DialogCancel, platform::EventType::FocusGained);
                  platform::RunOnMainThread([] { scripted::SetReturnKeyDown(true); });
                  scripted::PushEvent(OtherEvent(window));
              }),
              "by return");
    scripted::SetReturnKeyDown(false);
}

TEST(TextDialog, EscapeAndStrayEventsLeaveItOpen) {
    scripted::Reset();
    scripted::SetIdleTimeout(5000);
    bool openAfterEscape = false;
    const std::string answer = AskWith([&](int window) {
        scripted::PushEvent(OtherEvent(window));  // Escape pressed: an event, no Return
        scripted::PushClick(DialogPrompt);
        platform::RunOnMainThread(
            [&openAfterEscape] { openAfterEscape = scripted::Dialogs().back().open; });
        scripted::PushClick(DialogOk);
    });
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(answer, "initial text");
}

class DialogInProgramTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        prefs["SVNAuthCache"] = "1";  // Send update needs no typed credentials
    }
};

TEST_F(DialogInProgramTest, MainWindowCloseCancelsTheDialogAndTheProgramGoesOn) {
    Start();
    scripted::OnDialogOpened([](int) {
        scripted::Type(DialogAnswer, "typed");
        scripted::PushClick(ExploreRemoteButton);  // swallowed while the dialog waits
        scripted::PushClose(0);
        scripted::PushClick(DialogOk);  // too late: the dialog is gone
    });
    Click(SendUpdateButton);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Alert: Canceled"});
    EXPECT_TRUE(scripted::MainWindow().open);
    scripted::OnDialogOpened(nullptr);
    Click(ExploreRemoteButton);  // the loop still runs and takes clicks
    EXPECT_GT(scripted::Boxes().size(), 1u);
}

TEST_F(DialogInProgramTest, ButtonsStayEnglishInATranslatedProgram) {
    prefs["language"] = "fr";
    Start();
    std::vector<std::string> captions;
    scripted::OnDialogOpened([&](int window) {
        for (const auto& c : scripted::Controls(window)) captions.push_back(c.text);
        scripted::PushClick(DialogCancel);
    });
    Click(SendUpdateButton);
    ASSERT_EQ(captions.size(), 4u);
    EXPECT_EQ(scripted::Dialogs().back().title, "Commentaire");
    EXPECT_EQ(captions[0], "Donnez un commentaire pour votre envoi");
    EXPECT_EQ(captions[2], "OK");
    EXPECT_EQ(captions[3], "Cancel");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Alerte: Annulé"});
}

TEST_F(DialogInProgramTest, ADialogThatCannotOpenCountsAsCancel) {
    Start();
    scripted::FailWindowOpen(true);
    Click(SendUpdateButton);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Alert: Canceled"});
}

}  // namespace
}  // namespace apptest
