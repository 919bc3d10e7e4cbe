// The program's windows on the real Win32 window, fed by the stand-in client
// as svn\bin\svn.exe: the History window's rows from a log, then, from
// Return on a row, the Changes window's diff in its colours; the commit
// window's tick boxes, recent messages and editor, and the commit it sends.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "settings/message_history.h"
#include "app/dispatch.h"
#include "app/history_window.h"
#include "app/program.h"
#include "platform/paths.h"
#include "platform/win32/utf16.h"
#include "platform/window.h"
#include "sandbox.h"
#include "settings/settings.h"

namespace {

using platform::win32::Widen;

const char kLog[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<log>\n"
    "<logentry revision=\"3\"><author>Zo\xC3\xAB</author><date>2026-01-02T03:04:05.000000Z</date>"
    "<paths><path action=\"M\" kind=\"file\">/trunk/file.txt</path></paths>"
    "<msg>Fix &lt;b&gt; for caf\xC3\xA9\nsecond line</msg></logentry>\n"
    "<logentry revision=\"2\"><date>2026-01-01T00:00:00.000000Z</date><msg></msg></logentry>\n"
    "<logentry revision=\"1\"><author>ann</author><date>2025-12-31T23:00:00.000000Z</date>"
    "<msg>First</msg></logentry>\n</log>\n";

const char kDiff[] =
    "Index: file.txt\n"
    "===================================================================\n"
    "--- file.txt\t(revision 2)\n"
    "+++ file.txt\t(revision 3)\n"
    "@@ -1,2 +1,2 @@\n"
    "-old\n"
    "+new\n"
    " same\n";

// One program run per test, with the stand-in as its client and the test's
// answers in the current folder, which is also the local folder; the
// profile's preferences and messages are the test's and go with it.
class AppWindows : public ::testing::Test {
protected:
    static std::string Messages() {
        return platform::WithSeparator(platform::HomeFolder()) + "Vellum.messages";
    }

    void SetUp() override {
        testsupport::WriteFile(settings::HomePreferencesPath(),
                               "SVNLocalRepositery = " + box_.Path() + "\\\n");
        DeleteFileW(Widen(Messages()).c_str());
        ASSERT_TRUE(platform::MakeDirectories(box_ / "svn\\bin"));
        ASSERT_TRUE(CopyFileW(Widen(testsupport::StandinClient()).c_str(),
                              Widen(box_ / "svn\\bin\\svn.exe").c_str(), FALSE));
        cwd_.emplace(box_.Path());
        ASSERT_TRUE(app::StartProgram());
        running_ = true;
    }
    void TearDown() override {
        if (running_) app::EndProgram();
        cwd_.reset();
        DeleteFileW(Widen(settings::HomePreferencesPath()).c_str());
        DeleteFileW(Widen(Messages()).c_str());
    }

    // Handles the program's events until `done`, for 20 seconds at most.
    static bool RunUntil(const std::function<bool()>& done) {
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);  // wakes the wait
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            app::HandleEvent(platform::WaitEvent());
        KillTimer(nullptr, timer);
        return done();
    }

    testsupport::Sandbox box_;

private:
    std::optional<testsupport::ScopedCwd> cwd_;
    bool running_ = false;
};

// The colour and weight of the rich edit's character at `at`.
std::string Look(HWND text, LONG at) {
    CHARRANGE one{at, at + 1};
    SendMessageW(text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
    CHARFORMAT2W f{};
    f.cbSize = sizeof f;
    SendMessageW(text, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    const int r = GetRValue(f.crTextColor), g = GetGValue(f.crTextColor), b = GetBValue(f.crTextColor);
    const std::string colour = (f.dwEffects & CFE_AUTOCOLOR) ? "plain"
                               : r > g && r > b               ? "red"
                               : g > r && g > b               ? "green"
                               : b > r && b > g               ? "blue"
                                                              : "other";
    return (f.dwEffects & CFE_BOLD) ? colour + " bold" : colour;
}

TEST_F(AppWindows, TheHistoryShowsTheLogAndReturnOnARowShowsItsChangesInColour) {
    testsupport::WriteFile(box_ / "standin-log.out", kLog);
    testsupport::WriteFile(box_ / "standin-diff.out", kDiff);
    app::ShowHistory("C:\\wc\\file.txt");
    HWND history = FindWindowW(L"VellumWindow", L"History of file.txt");
    ASSERT_NE(history, nullptr);
    ASSERT_TRUE(RunUntil([] { return platform::GetText(app::HistoryStatus) != "Please wait"; }));
    EXPECT_EQ(platform::GetText(app::HistoryStatus), "3 revisions");
    ASSERT_EQ(platform::ListCount(app::HistoryList), 3);
    HWND list = GetDlgItem(history, app::HistoryList);
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    // As the program reads them and as the list view draws them.
    const struct { int row, column; const wchar_t* text; } cells[] = {
        {0, 0, L"3"}, {0, 1, L"Zo\u00EB"}, {0, 3, L"Fix <b> for caf\u00E9"},
        {1, 1, L"(no author)"}, {1, 3, L"(no message)"}, {2, 3, L"First"}};
    for (const auto& c : cells) {
        wchar_t drawn[64] = {};
        ListView_GetItemText(list, c.row, c.column, drawn, 64);
        EXPECT_STREQ(drawn, c.text) << c.row << "," << c.column;
        EXPECT_EQ(Widen(platform::ListText(app::HistoryList, c.row, c.column)), c.text);
    }

    platform::ListSelect(app::HistoryList, 0);
    platform::SetFocus(app::HistoryList);
    PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    HWND changes = nullptr;
    ASSERT_TRUE(RunUntil([&changes] {
        changes = FindWindowW(L"VellumWindow", L"Changes to file.txt, r3");
        return changes && platform::GetText(app::ChangesStatus) != "Please wait";
    }));
    EXPECT_EQ(platform::GetText(app::ChangesStatus), "");
    const std::string shown = platform::GetText(app::ChangesText);
    EXPECT_EQ(shown, kDiff);
    HWND text = GetDlgItem(changes, app::ChangesText);
    const struct { const char* line; const char* look; } lines[] = {
        {"+++", "blue bold"}, {"@@", "blue bold"}, {"-old", "red"},
        {"+new", "green"},    {" same", "plain"}};
    for (const auto& l : lines) {
        const size_t at = shown.find(std::string("\n") + l.line);
        ASSERT_NE(at, std::string::npos) << l.line;
        EXPECT_EQ(Look(text, static_cast<LONG>(at + 1)), l.look) << l.line;
    }
    EXPECT_EQ(Look(text, 0), "blue bold");  // "Index:"
}

// The user's part while the commit window's own loop runs: steps taken in
// turn from a timer, each until it says it is done. A loop that never ends
// ends the test program.
std::vector<std::function<bool()>> steps;
void CALLBACK NextStep(HWND, UINT, UINT_PTR, DWORD) {
    static int ticks = 0;
    if (++ticks > 400) {
        std::fprintf(stderr, "the commit window is still open after 20 s\n");
        ExitProcess(1);
    }
    if (!steps.empty() && steps.front()()) steps.erase(steps.begin());
}

void HoldControl(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

TEST_F(AppWindows, TheCommitWindowSendsTheTickedPathsWithARecentMessage) {
    const std::string wc = box_.Path() + "\\";
    auto entry = [&wc](const char* name, const char* item) {
        return std::string("<entry path=\"") + wc + name + "\"><wc-status item=\"" + item +
               "\" props=\"none\"></wc-status></entry>\n";
    };
    testsupport::WriteFile(box_ / "standin-status.out",
                           "<?xml version=\"1.0\"?>\n<status><target path=\"" + wc + "\">\n" +
                               entry("new.txt", "unversioned") + entry("a.txt", "modified") +
                               entry("c.txt", "conflicted") + "</target></status>\n");
    testsupport::WriteFile(box_ / "standin-add.out", "");
    testsupport::WriteFile(box_ / "standin-commit.out",
                           "Sending        a.txt\nAdding         new.txt\nCommitted revision 4.\n");
    testsupport::WriteFile(Messages(), "Older one\\nwith two lines\n");

    HWND dialog = nullptr;
    std::string seen;
    auto column = [](int c) {
        std::string cells;
        for (int row = 0; row < platform::ListCount(app::CommitList); ++row)
            cells += platform::ListText(app::CommitList, row, c) + "|";
        return cells;
    };
    steps = {
        [&] {  // the changes first, then what is not versioned yet
            dialog = FindWindowW(L"VellumWindow", L"Comment");
            if (!dialog || platform::ListCount(app::CommitList) < 3) return false;
            seen = column(0) + column(2);
            platform::ListSelect(app::CommitList, 2);
            platform::SetFocus(app::CommitList);
            PostMessageW(GetDlgItem(dialog, app::CommitList), WM_KEYDOWN, VK_SPACE, 0);
            return true;
        },
        [&] {
            PostMessageW(GetDlgItem(dialog, app::CommitRecent), WM_KEYDOWN, VK_DOWN, 0);
            return true;
        },
        [&] {  // Ctrl+Return in the editor sends
            seen += " " + column(0) + " " + platform::GetText(app::CommitMessage);
            platform::SetFocus(app::CommitMessage);
            HoldControl(true);
            PostMessageW(GetDlgItem(dialog, app::CommitMessage), WM_KEYDOWN, VK_RETURN, 0);
            return true;
        },
        [] {
            HoldControl(false);
            return true;
        },
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, NextStep);
    app::HandleEvent(platform::Event{platform::Event::Control, 0, app::SendUpdateButton});
    KillTimer(nullptr, timer);
    HoldControl(false);
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(seen, "1||0|a.txt|c.txt|new.txt| 1||1| Older one\nwith two lines");
    EXPECT_FALSE(IsWindow(dialog));
    std::vector<std::string> rows;
    for (int row = 0; row < platform::TreeCount(app::EntryTree); ++row)
        rows.push_back(platform::TreeText(app::EntryTree, row));
    EXPECT_EQ(rows, (std::vector<std::string>{"Sending        a.txt", "Adding         new.txt",
                                              "Committed revision 4."}));
    EXPECT_EQ(settings::LoadMessages().front(), "Older one\nwith two lines");
}

}  // namespace
