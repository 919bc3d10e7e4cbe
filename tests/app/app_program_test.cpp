// The program as a whole: the window it builds from the settings, the
// credential rule of the loop, and what survives the end of a run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/entry_tree.h"
#include "app_fixture.h"
#include "browse/icon_set.h"

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

    // Tab follows creation, which follows the layout, not the ids.
    std::vector<int> ids;
    for (const auto& c : scripted::Controls()) ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{0, 1,  20, 2,  3,  4,  22, 5,  6,  7, 8,
                                     9, 18, 14, 15, 16, 17, 10, 12, 11, 13}));

    const std::pair<int, const char*> shown[] = {{UrlField, "file:///srv/repo/"},
                                                 {FolderField, "/home/ann/wc/"},
                                                 {UserNameField, "ann"},
                                                 {PasswordField, "s3cret"}};
    for (const auto& [id, text] : shown) EXPECT_EQ(platform::GetText(id), text) << id;
    EXPECT_EQ(platform::GetCheck(AuthSystemCheck), 1);
    EXPECT_EQ(scripted::Find(FolderField)->tooltip,
              "Local repositery folder. It'll be created if necessary");
    for (auto [field, label] :
         {std::pair(UrlField, UrlLabel), std::pair(FolderField, FolderLabel),
          std::pair(UserNameField, UserNameLabel), std::pair(PasswordField, PasswordLabel)})
        EXPECT_EQ(scripted::Find(field)->labelFor, label) << field;
    EXPECT_FALSE(platform::ControlExists(StopSearchButton));

    // The tree's pictures are the ones composed from gfx/: one per code and
    // kind, the plain icon for any other text.
    const browse::IconSet icons = browse::LoadIconSet("gfx");
    auto shows = [&](const std::string& code, int folder, const browse::Pixels& expected) {
        const uint32_t* shown = scripted::ImagePixels(StatusIcon(code, folder));
        return shown && std::equal(expected.begin(), expected.end(), shown);
    };
    for (int i = 0; i < browse::kStatusCodeCount; ++i) {
        const std::string code = browse::StatusCodeAt(i);
        for (int folder : {0, 1})
            EXPECT_TRUE(shows(code, folder, *icons.For(&code, folder))) << code;
    }
    for (int folder : {0, 1}) EXPECT_TRUE(shows("MM", folder, *icons.plain[folder]));
}

TEST_F(ProgramTest, StartedElsewhereItTakesTheDataBesideItsExecutable) {
    // As from the menu: the working folder (the user's home) has no gfx/ or
    // locale/; the build keeps both beside the test programs.
    for (const char* data : {"gfx", "locale"}) ASSERT_EQ(std::remove((box / data).c_str()), 0);
    prefs["language"] = "fr";
    Start();
    EXPECT_EQ(platform::GetText(SearchButton), "Rechercher");
    const std::string code = "M";
    const browse::IconSet icons = browse::LoadIconSet(std::string(VELLUM_DIST_DIR) + "/gfx");
    const auto& expected = *icons.For(&code, 1);
    const uint32_t* shown = scripted::ImagePixels(StatusIcon(code, 1));
    EXPECT_TRUE(shown && std::equal(expected.begin(), expected.end(), shown));
}

TEST_F(ProgramTest, CredentialRuleFollowsTheFieldsAfterEveryEvent) {
    Start();
    // Password field, work copy, send update, receive update.
    auto enabled = [] {
        std::string out;
        for (int id : {PasswordField, WorkCopyButton, SendUpdateButton, ReceiveUpdateButton})
            out += platform::IsEnabled(id) ? '1' : '0';
        return out;
    };
    scripted::PushEvent(platform::Event{});  // any event at all, e.g. the mouse moving
    Settle();
    EXPECT_EQ(enabled(), "0000");
    EXPECT_TRUE(platform::IsEnabled(ReadOnlyCopyButton));
    EXPECT_TRUE(platform::IsEnabled(CleanupButton));

    Enter(UserNameField, "ann");
    EXPECT_EQ(enabled(), "1000");
    Enter(PasswordField, "pw");
    EXPECT_EQ(enabled(), "1111");
    EXPECT_EQ(settings::g_settings.SVNPassword, "pw");

    // The box lets the client's own cache answer: no fields needed.
    Enter(UserNameField, "");
    EXPECT_EQ(enabled(), "0000");
    platform::SetCheck(AuthSystemCheck, 1);
    Click(AuthSystemCheck);
    EXPECT_EQ(enabled(), "0111");
    EXPECT_FALSE(platform::IsEnabled(UserNameField));
    EXPECT_EQ(settings::g_settings.SVNAuthCache, 1);

    platform::SetCheck(AuthSystemCheck, 0);
    Click(AuthSystemCheck);
    EXPECT_TRUE(platform::IsEnabled(UserNameField));
    EXPECT_EQ(enabled(), "0000");
    EXPECT_EQ(settings::g_settings.SVNAuthCache, 0);

    // A blank in a credential is kept as typed.
    Enter(UserNameField, "ann smith");
    Enter(PasswordField, "two words");
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(platform::GetText(UserNameField), "ann smith");
    EXPECT_EQ(settings::g_settings.SVNUsername, "ann smith");
    EXPECT_EQ(settings::g_settings.SVNPassword, "two words");
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
    for (const char* line :
         {"SVNRemoteRepositery = file:///elsewhere/", "SVNAuthCache = 1", "useProxy = 1"})
        EXPECT_NE(saved.find(line), std::string::npos) << saved;
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
    prefs["SVNRemoteRepositery"] = testsupport::MakeRepository(box / "repo", {{"a.txt", "a\n"}});
    SlowClient("sleep 2\ntouch " + ShellQuote(box / "client-ended"));
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

TEST_F(ProgramTest, ClosingDuringAMainThreadCommandEndsItsClientAtOnce) {
    // A client that never answers, as against a server that accepts and is
    // silent: the close ends it, saves the settings and ends with 0.
    const std::string pid = box / "client.pid";
    MakeScript("svn/bin/svn", "echo $$ > " + ShellQuote(pid) + ".t && mv " + ShellQuote(pid) +
                                  ".t " + ShellQuote(pid) + "\nexec sleep 30\n");
    WritePrefs();
    std::thread user([&] {
        if (WaitForFile(pid)) scripted::AskCloseDuringCommand();
    });
    platform::RunOnMainThread([] { scripted::PushClick(ExploreRemoteButton); });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(RunProgram(), 0);
    user.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_TRUE(platform::IsRegularFile(PrefsPath()));
    EXPECT_NE(testsupport::Run("kill -0 $(cat " + ShellQuote(pid) + ") 2>/dev/null"), 0)
        << "the client outlived the program";
}

}  // namespace
}  // namespace apptest
