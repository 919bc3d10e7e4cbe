// The handlers of the fields and of the synchronous buttons, with the real
// client behind them.
#include <ctime>

#include "app/text_dialog.h"
#include "app/user_actions.h"
#include "app_fixture.h"

namespace apptest {
namespace {

using namespace app;

class ActionsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        prefs["SVNAuthCache"] = "1";  // every button usable without typed credentials
    }
};

TEST_F(ActionsTest, FolderFieldAndChooserKeepWhatTheUserMeant) {
    Start();
    Enter(FolderField, "/srv/wc");
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "/srv/wc/");
    EXPECT_EQ(platform::GetText(FolderField), "/srv/wc");
    Enter(FolderField, "/srv/wc\\");
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "/srv/wc\\");
    Enter(FolderField, "");
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "");

    // A missing folder starts the chooser in the current directory; a
    // cancel changes nothing.
    g_shell.listContent = ListContent::RemoteTree;
    Click(ChooseButton);
    EXPECT_EQ(scripted::Choosers().back().title, "Local repositery folder");
    EXPECT_EQ(scripted::Choosers().back().start, box.Path() + "/");
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "");
    EXPECT_EQ(g_shell.listContent, ListContent::RemoteTree);

    testsupport::MakeDirs(box / "chosen");
    scripted::AnswerFolder(box / "chosen");
    Click(ChooseButton);
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, box / "chosen/");
    EXPECT_EQ(platform::GetText(FolderField), box / "chosen/");
    EXPECT_EQ(g_shell.listContent, ListContent::None);
    Click(ChooseButton);
    EXPECT_EQ(scripted::Choosers().back().start, box / "chosen/");
}

TEST_F(ActionsTest, EmptyLocalFolderIsRefusedByEveryActionOnIt) {
    prefs["SVNLocalRepositery"] = "";
    Start();
    const std::vector<int> buttons{ReadOnlyCopyButton, WorkCopyButton, ReceiveUpdateButton,
                                   CleanupButton, SendUpdateButton, ExploreLocalButton};
    std::vector<std::string> captions;
    for (int id : buttons) captions.push_back(platform::GetText(id));
    for (int id : buttons) Click(id);

    EXPECT_EQ(BoxTexts(), std::vector<std::string>(
                              buttons.size(), "Alert: Choose a local repositery folder first"));
    EXPECT_TRUE(scripted::Dialogs().empty());
    EXPECT_FALSE(g_shell.busy);
    for (size_t i = 0; i < buttons.size(); ++i)
        EXPECT_EQ(platform::GetText(buttons[i]), captions[i]);
}

TEST_F(ActionsTest, ExploreLocalNeedsAnExistingFolder) {
    WriteFile(box / "plain-file", "x");
    const std::string message =
        "Alert: Folder doesn't exist.\n\nMaybe should you try first \" to receive a repositery "
        "copy ? \"";
    for (const std::string& folder : {box / "missing/", box / "plain-file"}) {
        prefs["SVNLocalRepositery"] = folder;
        scripted::Reset();
        Start();
        g_shell.listContent = ListContent::RemoteTree;
        Click(ExploreLocalButton);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{message}) << folder;
        EXPECT_EQ(g_shell.listContent, ListContent::RemoteTree);
        Stop();
    }
}

TEST_F(ActionsTest, SendUpdateCommitsTheCommentOrReportsTheCancel) {
    const std::string url = testsupport::MakeRepository(box / "repo", {{"a.txt", "one\n"}});
    testsupport::Checkout(url, box / "wc");
    WriteFile(box / "wc/a.txt", "two\n");
    Start();

    // The proposed comment counts local time as if it were UTC.
    testsupport::ScopedEnv zone("TZ", "XYZ-3");  // three hours east of UTC
    tzset();
    std::string proposed;
    scripted::OnDialogOpened([&](int) {
        proposed = platform::GetText(DialogAnswer);
        scripted::Type(DialogAnswer, "");
        scripted::PushClick(DialogOk);
    });
    Click(SendUpdateButton);
    const long long expected = static_cast<long long>(std::time(nullptr)) + 3 * 3600;
    ASSERT_EQ(proposed.rfind("Update ", 0), 0u) << proposed;
    EXPECT_NEAR(std::stoll(proposed.substr(7)), expected, 5);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Alert: Canceled"});
    EXPECT_TRUE(TreeTexts().empty());

    scripted::OnDialogOpened([](int) {
        scripted::Type(DialogAnswer, "fix the greeting");
        scripted::PushClick(DialogOk);
    });
    Click(SendUpdateButton);
    ASSERT_FALSE(TreeTexts().empty());
    EXPECT_EQ(TreeTexts().back(), "Committed revision 2.");
    EXPECT_EQ(platform::GetText(SendUpdateButton), "Send update");
    EXPECT_EQ(g_shell.listContent, ListContent::None);
    std::string log;
    testsupport::Run("svn log -r 2 " + ShellQuote(url), &log);
    EXPECT_NE(log.find("fix the greeting"), std::string::npos) << log;
}

TEST_F(ActionsTest, ReceiveUpdateListsChangesAsWorkingCopyEntries) {
    const std::string url = testsupport::MakeRepository(box / "repo", {{"a.txt", "one\n"}});
    testsupport::Checkout(url, box / "wc");
    testsupport::Checkout(url, box / "other");
    WriteFile(box / "other/a.txt", "two\n");
    testsupport::Run("svn commit -q -m change " + ShellQuote(box / "other"));
    Start();

    Click(ReceiveUpdateButton);
    // The client names the file as it sees it from the current directory.
    EXPECT_EQ(TreeTexts(), std::vector<std::string>{"wc/a.txt"});
    EXPECT_EQ(platform::GetText(ReceiveUpdateButton), "Receive update");
    EXPECT_EQ(g_shell.listContent, ListContent::LocalTree);

    Click(CleanupButton);
    EXPECT_EQ(platform::GetText(CleanupButton), "Cleanup");
    EXPECT_EQ(g_shell.listContent, ListContent::None);
}

}  // namespace
}  // namespace apptest
