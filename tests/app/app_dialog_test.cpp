// The text input dialog: how each answer comes back, and how it lives inside
// the running program.
#include "app/text_dialog.h"
#include "app_fixture.h"

namespace apptest {
namespace {

using namespace app;
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
    const auto dialog = scripted::Dialogs().back();
    EXPECT_EQ(dialog.title, "Title");
    EXPECT_EQ(std::pair(dialog.w, dialog.h), std::pair(300, 95));
}

class DialogInProgramTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        prefs["SVNAuthCache"] = "1";  // Send update needs no typed credentials
        // Something to commit: the commit window opens.
        testsupport::Checkout(testsupport::MakeRepository(box / "repo", {{"a.txt", "one\n"}}),
                              box / "wc");
        WriteFile(box / "wc/a.txt", "two\n");
    }
};

TEST_F(DialogInProgramTest, MainWindowCloseOrNoWindowCancelsAndTheProgramGoesOn) {
    Start();
    scripted::OnDialogOpened([](int) {
        scripted::Type(CommitMessage, "typed");
        scripted::PushClick(ExploreRemoteButton);  // swallowed while the dialog waits
        scripted::PushClose(0);
        scripted::PushClick(CommitOk);  // too late: the dialog is gone
    });
    Click(SendUpdateButton);
    EXPECT_EQ(BoxTexts(), Texts{"Alert: Canceled"});
    EXPECT_TRUE(scripted::MainWindow().open);
    scripted::OnDialogOpened(nullptr);
    Click(ExploreRemoteButton);  // the loop still runs and takes clicks
    EXPECT_EQ(BoxTexts().size(), 2u);

    scripted::FailWindowOpen(true);
    Click(SendUpdateButton);
    EXPECT_EQ(BoxTexts().back(), "Alert: Canceled");
}

TEST_F(DialogInProgramTest, ButtonsStayEnglishInATranslatedProgram) {
    prefs["language"] = "fr";
    Start();
    Texts captions;
    scripted::OnDialogOpened([&](int) {
        for (int id : {CommitPrompt, CommitOk, CommitCancel})
            captions.push_back(platform::GetText(id));
        scripted::PushClick(CommitCancel);
    });
    Click(SendUpdateButton);
    EXPECT_EQ(scripted::Dialogs().back().title, "Commentaire");
    EXPECT_EQ(captions, (Texts{"Donnez un commentaire pour votre envoi", "OK", "Cancel"}));
    EXPECT_EQ(BoxTexts(), Texts{"Alerte: Annulé"});
}

}  // namespace
}  // namespace apptest
