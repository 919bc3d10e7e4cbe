// The program's windows on the real Win32 window, fed by the stand-in client
// as svn\bin\svn.exe: the History window's rows from a log, Return on a row
// and the Changes window's diff in its colours; the commit window's tick
// boxes, recent messages and editor, and the commit it sends.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/dispatch.h"
#include "app/history_window.h"
#include "app/program.h"
#include "platform/paths.h"
#include "platform/win32/utf16.h"
#include "sandbox.h"
#include "settings/message_history.h"
#include "settings/settings.h"
#include "window_fixture.h"

namespace {

using namespace platform;
using platform::win32::Widen;
using testsupport::WriteFile;

// One program run per test, with the stand-in as its client and the test's
// answers in the current folder, which is also the local folder. The
// profile's preferences and messages are the test's and go with it.
class AppWindows : public ::testing::Test {
protected:
    const std::string messages = WithSeparator(HomeFolder()) + "Vellum.messages";

    void SetUp() override {
        WriteFile(settings::HomePreferencesPath(), "SVNLocalRepositery = " + box_.Path() + "\\\n");
        DeleteFileW(Widen(messages).c_str());
        ASSERT_TRUE(MakeDirectories(box_ / "svn\\bin"));
        ASSERT_TRUE(CopyFileW(Widen(testsupport::StandinClient()).c_str(),
                              Widen(box_ / "svn\\bin\\svn.exe").c_str(), FALSE));
        cwd_.emplace(box_.Path());
        ASSERT_TRUE(app::StartProgram());
    }
    void TearDown() override {
        app::EndProgram();
        cwd_.reset();
        for (const std::string& f : {settings::HomePreferencesPath(), messages})
            DeleteFileW(Widen(f).c_str());
    }

    // Handles the program's events until `done`, for 20 seconds at most.
    static bool RunUntil(const std::function<bool()>& done) {
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);  // wakes the wait
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            app::HandleEvent(WaitEvent());
        KillTimer(nullptr, timer);
        return done();
    }

    testsupport::Sandbox box_;
    std::optional<testsupport::ScopedCwd> cwd_;
};

TEST_F(AppWindows, TheHistoryShowsTheLogAndReturnOnARowShowsItsChangesInColour) {
    WriteFile(
        box_ / "standin-log.out",
        "<?xml version=\"1.0\"?>\n<log><logentry revision=\"3\"><author>Zo\xC3\xAB</author>"
        "<date>2026-01-02T03:04:05.000000Z</date><msg>Fix &lt;b&gt;\nmore</msg></logentry>"
        "<logentry revision=\"2\"><date>2026-01-01T00:00:00Z</date><msg/></logentry></log>\n");
    const std::string diff =
        "Index: file.txt\n===================\n--- file.txt\t(revision 2)\n"
        "+++ file.txt\t(revision 3)\n@@ -1,2 +1,2 @@\n-old\n+new\n same\n";
    WriteFile(box_ / "standin-diff.out", diff);
    app::ShowHistory("C:\\wc\\file.txt");
    HWND history = FindWindowW(L"VellumWindow", L"History of file.txt");
    ASSERT_TRUE(RunUntil([] { return GetText(app::HistoryStatus) != "Please wait"; }));
    EXPECT_EQ(GetText(app::HistoryStatus), "2 revisions");
    std::string rows;
    for (int row = 0; row < ListCount(app::HistoryList); ++row)
        for (int column : {0, 1, 3}) rows += ListText(app::HistoryList, row, column) + "|";
    EXPECT_EQ(rows, "3|Zo\xC3\xAB|Fix <b>|2|(no author)|(no message)|");

    ListSelect(app::HistoryList, 0);
    platform::SetFocus(app::HistoryList);
    PostMessageW(GetDlgItem(history, app::HistoryList), WM_KEYDOWN, VK_RETURN, 0);
    HWND changes = nullptr;
    ASSERT_TRUE(RunUntil([&changes] {
        changes = FindWindowW(L"VellumWindow", L"Changes to file.txt, r3");
        return changes && GetText(app::ChangesStatus) != "Please wait";
    }));
    EXPECT_EQ(GetText(app::ChangesText), diff);
    const struct {
        const char* line;
        const char* look;
    } lines[] = {{"Index", "blue bold"},
                 {"@@", "blue bold"},
                 {"-old", "red"},
                 {"+new", "green"},
                 {" same", "plain"}};
    for (const auto& l : lines) {
        const LONG at = static_cast<LONG>(diff.find(l.line));
        EXPECT_EQ(windowtest::Look(GetDlgItem(changes, app::ChangesText), at), l.look) << l.line;
    }
}

// The user's part while the commit window's own loop runs: steps taken in
// turn from a timer, each once it says it could. A loop that never ends ends
// the test program.
std::vector<std::function<bool()>> steps;
void CALLBACK NextStep(HWND, UINT, UINT_PTR, DWORD) {
    static int ticks = 0;
    if (++ticks > 400) {
        std::fprintf(stderr, "the commit window is still open after 20 s\n");
        ExitProcess(1);
    }
    if (!steps.empty() && FindWindowW(L"VellumWindow", L"Comment") && steps.front()())
        steps.erase(steps.begin());
}

TEST_F(AppWindows, TheCommitWindowSendsTheTickedPathsWithARecentMessage) {
    const std::string wc = box_.Path() + "\\";
    std::string status = "<?xml version=\"1.0\"?>\n<status><target path=\"" + wc + "\">";
    for (const char* e :
         {"new.txt\"><wc-status item=\"unversioned", "a.txt\"><wc-status item=\"modified",
          "c.txt\"><wc-status item=\"conflicted"})
        status += "<entry path=\"" + wc + e + "\" props=\"none\"/></entry>";
    WriteFile(box_ / "standin-status.out", status + "</target></status>\n");
    WriteFile(box_ / "standin-add.out", "");
    WriteFile(box_ / "standin-commit.out",
              "Sending a.txt\nAdding new.txt\nCommitted revision 4.\n");
    WriteFile(messages, "Older one\\nwith two lines\n");

    std::string seen;
    auto post = [](int id, WPARAM key) {
        PostMessageW(GetDlgItem(FindWindowW(L"VellumWindow", L"Comment"), id), WM_KEYDOWN, key, 0);
    };
    BYTE keys[256];
    auto holdControl = [&keys](bool down) {
        GetKeyboardState(keys);
        keys[VK_CONTROL] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    };
    steps = {[&] {  // Space ticks the unversioned file, listed last; a pick brings a message
                 if (ListCount(app::CommitList) < 3) return false;
                 for (int row = 0; row < 3; ++row)
                     seen += ListText(app::CommitList, row, 0) + ListText(app::CommitList, row, 2) +
                             "|";
                 ListSelect(app::CommitList, 2);
                 platform::SetFocus(app::CommitList);
                 post(app::CommitList, VK_SPACE);
                 post(app::CommitRecent, VK_DOWN);
                 return true;
             },
             [&] {  // Ctrl+Return in the editor sends
                 if (GetText(app::CommitMessage).rfind("Update", 0) == 0) return false;
                 seen += ListText(app::CommitList, 2, 0) + "|" + GetText(app::CommitMessage);
                 platform::SetFocus(app::CommitMessage);
                 holdControl(true);
                 post(app::CommitMessage, VK_RETURN);
                 return true;
             }};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, NextStep);
    app::HandleEvent(Event{Event::Control, 0, app::SendUpdateButton});
    KillTimer(nullptr, timer);
    holdControl(false);
    EXPECT_EQ(seen, "1a.txt|c.txt|0new.txt|1|Older one\nwith two lines");
    std::string rows;
    for (int row = 0; row < TreeCount(app::EntryTree); ++row)
        rows += TreeText(app::EntryTree, row) + "|";
    EXPECT_EQ(rows, "Sending a.txt|Adding new.txt|Committed revision 4.|");
    EXPECT_EQ(settings::LoadMessages().front(), "Older one\nwith two lines");
}

}  // namespace
