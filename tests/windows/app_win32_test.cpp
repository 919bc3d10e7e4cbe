// The whole program on the scripted window, built for Windows: settings from the
// profile or current folder, credentials and busy state, menu, dialog, close.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>

#include "app/dispatch.h"
#include "app/program.h"
#include "app/shell_state.h"
#include "app/text_dialog.h"
#include "browse/entry_list.h"
#include "platform/paths.h"
#include "platform/win32/utf16.h"
#include "platform/window.h"
#include "sandbox.h"
#include "scripted_window.h"

namespace {

using namespace app;
using platform::EventType;

class WindowsApp : public ::testing::Test {
protected:
    void SetUp() override {
        scripted::Reset();
        scripted::SetIdleTimeout(10000);
        // The profile folder can't be redirected: keep what the user had.
        profilePrefs_ = platform::WithSeparator(platform::HomeFolder()) + "Vellum.prefs";
        hadPrefs_ = platform::ReadWholeFile(profilePrefs_, userPrefs_);
        Forget(profilePrefs_);
        cwd_.emplace(box_.Path());
    }

    void TearDown() override {
        if (running_) EndProgram();
        cwd_.reset();
        if (hadPrefs_) platform::ReplaceFileContent(profilePrefs_, userPrefs_);
        else Forget(profilePrefs_);
    }
    static void Forget(const std::string& path) { DeleteFileW(platform::win32::Widen(path).c_str()); }

    void Start() {
        ASSERT_TRUE(StartProgram());
        running_ = true;
    }
    void Stop() {
        running_ = false;
        EXPECT_EQ(EndProgram(), 0);
    }
    std::string Saved() {
        std::string saved;
        EXPECT_TRUE(platform::ReadWholeFile(profilePrefs_, saved)) << "no " << profilePrefs_;
        return saved;
    }

    // Handles every event queued so far, and what they queue in turn.
    void Settle() {
        auto reached = std::make_shared<bool>(false);
        platform::RunOnMainThread([reached] { *reached = true; });
        while (!*reached) ASSERT_FALSE(HandleEvent(platform::WaitEvent()));
    }
    void Enter(int id, const std::string& text) {
        scripted::Type(id, text);
        scripted::PushClick(id, EventType::FocusLost);
        Settle();
    }

    testsupport::Sandbox box_;
    std::string profilePrefs_;

private:
    std::optional<testsupport::ScopedCwd> cwd_;
    std::string userPrefs_;
    bool hadPrefs_ = false;
    bool running_ = false;
};

TEST_F(WindowsApp, SettingsComeFromTheProfileFolderElseTheCurrentFolder) {
    // Without a profile file, the current folder's serves, and the first
    // close carries its values into the profile folder, which wins from then on.
    for (const char* user : {"ann", "zed"}) {
        testsupport::WriteFile(box_ / "Vellum.prefs", std::string("SVNUsername = ") + user + "\n");
        Start();
        EXPECT_EQ(platform::GetText(UserNameField), "ann");
        Stop();
    }
}

TEST_F(WindowsApp, CredentialRuleAndBusyState) {
    Start();
    // Password, work copy, send and receive update: "1" for enabled.
    auto enabled = [] {
        std::string on;
        for (int id : {PasswordField, WorkCopyButton, SendUpdateButton, ReceiveUpdateButton})
            on += platform::IsEnabled(id) ? '1' : '0';
        return on;
    };
    scripted::PushEvent(platform::Event{});  // any event at all
    Settle();
    EXPECT_EQ(enabled(), "0000");
    Enter(UserNameField, "ann");
    Enter(PasswordField, "pw");
    EXPECT_EQ(enabled(), "1111");

    // Busy turns them off, and the rule waits for the next event after it.
    Enter(PasswordField, "");
    EnterBusy();
    Settle();
    EXPECT_EQ(enabled(), "0000");
    EXPECT_TRUE(platform::IsEnabled(GoLink));
    LeaveBusy();
    EXPECT_EQ(enabled(), "1111");
    scripted::PushEvent(platform::Event{});
    Settle();
    EXPECT_EQ(enabled(), "1000");
}

TEST_F(WindowsApp, TheMenuOffersWhatTheListAndCredentialsAllow) {
    testsupport::WriteFile(box_ / "Vellum.prefs", "SVNUsername = ann\nSVNPassword = pw\n");
    Start();
    browse::g_entries.Clear();
    browse::g_entries.Append({0, "docs", 0, 1, "", "docs/"});
    browse::g_entries.Append({1, "a.txt", 0, 0, "", "a.txt"});
    browse::ShowEntries();
    auto menuFor = [this](int row) {
        platform::TreeSelect(EntryTree, row);
        const int before = scripted::MenusShown();
        scripted::PushClick(EntryTree, EventType::RightClick);
        Settle();
        std::vector<int> ids;
        if (scripted::MenusShown() != before)
            for (const auto& item : scripted::LastMenu()) ids.push_back(item.id);
        return ids;
    };
    g_shell.listContent = ListContent::RemoteTree;
    EXPECT_EQ(menuFor(1), (std::vector<int>{DownloadItem, OpenItem, CreateDirectoryItem, DeleteRemoteItem}));
    EXPECT_EQ(menuFor(0), (std::vector<int>{CreateDirectoryItem, DeleteRemoteItem}));
    Enter(PasswordField, "");
    EXPECT_EQ(menuFor(1), (std::vector<int>{DownloadItem, OpenItem}));
    g_shell.listContent = ListContent::SearchResults;
    EXPECT_EQ(menuFor(0), std::vector<int>{});
    g_shell.listContent = ListContent::CopyOutput;
    EXPECT_EQ(menuFor(1), std::vector<int>{DeleteLocalItem});
}

TEST_F(WindowsApp, TheDialogAnswersAndTheCloseSavesTheLastState) {
    // Nothing anywhere: the default folder is below the current one, with
    // Windows separators.
    Start();
    const std::string folder = box_.Path() + "\\repositeries\\marrowdepot\\";
    EXPECT_EQ(platform::GetText(FolderField), folder);
    scripted::OnDialogOpened([](int) {
        scripted::Type(DialogAnswer, "caf\xC3\xA9");
        scripted::PushClick(DialogOk);
    });
    EXPECT_EQ(AskText("Comment", "Give a comment for your commit", "Update 1"), "caf\xC3\xA9");
    scripted::OnDialogOpened([](int window) { scripted::PushClose(window); });
    EXPECT_EQ(AskText("Comment", "Give a comment for your commit", "Update 2"), "");

    // The user ticks the box and edits the URL, then closes the window.
    platform::RunOnMainThread([] {
        scripted::Type(UrlField, "http://example.org/svn/");
        platform::SetCheck(AuthSystemCheck, 1);
        scripted::PushClick(AuthSystemCheck);
        scripted::PushClose();
    });
    RunEventLoop();
    Stop();
    const std::string saved = Saved();
    EXPECT_NE(saved.find("SVNLocalRepositery = " + folder), std::string::npos) << saved;
    EXPECT_NE(saved.find("SVNRemoteRepositery = http://example.org/svn/"), std::string::npos) << saved;
    EXPECT_NE(saved.find("SVNAuthCache = 1"), std::string::npos) << saved;
}

}  // namespace
