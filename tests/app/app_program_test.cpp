// The program as a whole: the window it builds from the settings, the
// credential rule of the loop, and what survives the end of a run.
#include <chrono>

#include "app_fixture.h"
#include "browse/status_codes.h"

namespace apptest {
namespace {

using namespace app;

class ProgramTest : public AppTest {};

TEST_F(ProgramTest, WindowIsBuiltFromTheSettingsInTabOrder) {
    prefs["SVNRemoteRepositery"] = "file:///srv/repo/";
    prefs["SVNLocalRepositery"] = "/home/ann/wc/";
    prefs["SVNUsername"] = "ann";
    prefs["SVNPassword"] = "s3cret";
    prefs["SVNAuthCache"] = "2";
    Start();

    const auto window = scripted::MainWindow();
    EXPECT_EQ(window.title, "Vellum SubVersion Tiny FrontEnd");
    EXPECT_EQ(window.w, 450);
    EXPECT_EQ(window.h, 430);

    // Tab follows creation, which follows the layout, not the ids.
    std::vector<int> ids;
    for (const auto& c : scripted::Controls()) ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{0, 1, 20, 2, 3, 4, 22, 5, 6, 7, 8, 9, 18, 14, 15, 16, 17,
                                     10, 12, 11, 13}));

    EXPECT_EQ(platform::GetText(UrlField), "file:///srv/repo/");
    EXPECT_EQ(platform::GetText(FolderField), "/home/ann/wc/");
    EXPECT_EQ(platform::GetText(UserNameField), "ann");
    EXPECT_EQ(platform::GetText(PasswordField), "s3cret");
    EXPECT_EQ(platform::GetText(SearchField), "");
    EXPECT_EQ(platform::GetCheck(AuthSystemCheck), 1);
    EXPECT_EQ(platform::GetText(WorkCopyButton), "Receive a repositery work copy ");
    EXPECT_EQ(scripted::Find(FolderField)->tooltip,
              "Local repositery folder. It'll be created if necessary");
    EXPECT_EQ(scripted::Find(GoLink)->kind, platform::ControlKind::Link);
    EXPECT_EQ(scripted::Find(EntryTree)->kind, platform::ControlKind::Tree);
    EXPECT_EQ(scripted::Find(UrlField)->labelFor, UrlLabel);
    EXPECT_EQ(scripted::Find(FolderField)->labelFor, FolderLabel);
    EXPECT_EQ(scripted::Find(UserNameField)->labelFor, UserNameLabel);
    EXPECT_EQ(scripted::Find(PasswordField)->labelFor, PasswordLabel);
    EXPECT_FALSE(platform::ControlExists(StopSearchButton));
}

TEST_F(ProgramTest, CredentialRuleFollowsTheFieldsAfterEveryEvent) {
    Start();
    auto enabled = [] {
        return std::vector<bool>{platform::IsEnabled(PasswordField),
                                 platform::IsEnabled(WorkCopyButton),
                                 platform::IsEnabled(SendUpdateButton),
                                 platform::IsEnabled(ReceiveUpdateButton)};
    };
    const std::vector<bool> none{false, false, false, false};
    const std::vector<bool> all{true, true, true, true};

    scripted::PushEvent(platform::Event{});  // any event at all, e.g. the mouse moving
    Settle();
    EXPECT_EQ(enabled(), none);
    EXPECT_TRUE(platform::IsEnabled(ReadOnlyCopyButton));
    EXPECT_TRUE(platform::IsEnabled(CleanupButton));

    Enter(UserNameField, "ann");
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false, false, false}));
    Enter(PasswordField, "pw");
    EXPECT_EQ(enabled(), all);
    EXPECT_EQ(settings::g_settings.SVNPassword, "pw");

    // The box lets the client's own cache answer: no fields needed.
    Enter(UserNameField, "");
    EXPECT_EQ(enabled(), none);
    platform::SetCheck(AuthSystemCheck, 1);
    Click(AuthSystemCheck);
    EXPECT_EQ(enabled(), (std::vector<bool>{false, true, true, true}));
    EXPECT_FALSE(platform::IsEnabled(UserNameField));
    EXPECT_EQ(settings::g_settings.SVNAuthCache, 1);

    platform::SetCheck(AuthSystemCheck, 0);
    Click(AuthSystemCheck);
    EXPECT_TRUE(platform::IsEnabled(UserNameField));
    EXPECT_EQ(enabled(), none);
    EXPECT_EQ(settings::g_settings.SVNAuthCache, 0);
}

TEST_F(ProgramTest, BlankInACredentialIsRefusedAndEmptiesFieldAndSetting) {
    prefs["SVNUsername"] = "ann";
    Start();
    Enter(PasswordField, "two words");
    Enter(UserNameField, "ann smith");
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Alert: Your Password can't contain space",
                                                    "Alert: Your UserName can't contain space"}));
    EXPECT_EQ(platform::GetText(UserNameField), "");
    EXPECT_EQ(settings::g_settings.SVNUsername, "");
    EXPECT_EQ(settings::g_settings.SVNPassword, "");
}

TEST_F(ProgramTest, ClosingSavesTheSettingsWithTheCheckBoxLastState) {
    prefs["SVNAuthCache"] = "0";
    prefs["useProxy"] = "1";
    WritePrefs();
    // The user's part, run inside the loop once the window exists.
    platform::RunOnMainThread([] {
        scripted::Type(UrlField, "file:///elsewhere/");
        platform::SetCheck(AuthSystemCheck, 1);
        scripted::PushClick(AuthSystemCheck);
        scripted::PushClose();
    });
    EXPECT_EQ(RunProgram(), 0);

    const std::string saved = ReadFile(PrefsPath());
    EXPECT_NE(saved.find("SVNRemoteRepositery = file:///elsewhere/"), std::string::npos) << saved;
    EXPECT_NE(saved.find("SVNAuthCache = 1"), std::string::npos) << saved;
    EXPECT_NE(saved.find("useProxy = 1"), std::string::npos) << saved;
}

TEST_F(ProgramTest, WindowThatCannotOpenStillSavesAndEndsWithZero) {
    // Only the start-up location has settings: the save shows they were loaded.
    WriteFile(box / "Vellum.prefs", "SVNRemoteRepositery = file:///from/startup/\n");
    scripted::FailWindowOpen(true);
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_FALSE(scripted::MainWindow().open);
    EXPECT_NE(ReadFile(PrefsPath()).find("SVNRemoteRepositery = file:///from/startup/"),
              std::string::npos);
}

TEST_F(ProgramTest, ClosingWhileACopyRunsEndsAtOnce) {
    const std::string url = testsupport::MakeRepository(box / "repo", {{"a.txt", "a\n"}});
    std::string realSvn;
    testsupport::Run("command -v svn", &realSvn);
    realSvn.erase(realSvn.find_last_not_of("\n") + 1);
    FakeClient("sleep 2\ntouch " + ShellQuote(box / "client-ended") + "\nexec " + realSvn +
               " \"$@\"\n");
    prefs["SVNRemoteRepositery"] = url;
    WritePrefs();
    platform::RunOnMainThread([] {
        scripted::PushClick(ReadOnlyCopyButton);
        scripted::PushClose();
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1500));
    EXPECT_TRUE(platform::IsRegularFile(PrefsPath()));

    // Let the abandoned copy finish before the sandbox goes away.
    EXPECT_TRUE(WaitForFile(box / "client-ended"));
    platform::Sleep(500);
}

}  // namespace
}  // namespace apptest
