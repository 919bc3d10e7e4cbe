// The program's windows of their own on the real Win32 window, fed by the
// stand-in client as svn\bin\svn.exe: the History window's rows from a log,
// then Return on a row and the Changes window's diff in its colours.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "app/control_ids.h"
#include "app/dispatch.h"
#include "app/history_window.h"
#include "app/program.h"
#include "platform/paths.h"
#include "platform/win32/utf16.h"
#include "sandbox.h"
#include "settings/settings.h"
#include "window_fixture.h"

namespace {

using namespace platform;
using platform::win32::Widen;
using testsupport::WriteFile;

// Handles the program's events until `done`, for 20 seconds at most.
bool RunUntil(const std::function<bool()>& done) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);  // wakes the wait
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < deadline) app::HandleEvent(WaitEvent());
    KillTimer(nullptr, timer);
    return done();
}

TEST(AppWindows, TheHistoryShowsTheLogAndReturnOnARowShowsItsChangesInColour) {
    // The stand-in as the client, the test's answers in the current folder.
    testsupport::Sandbox box;
    ASSERT_TRUE(MakeDirectories(box / "svn\\bin"));
    ASSERT_TRUE(CopyFileW(Widen(testsupport::StandinClient()).c_str(),
                          Widen(box / "svn\\bin\\svn.exe").c_str(), FALSE));
    testsupport::ScopedCwd cwd(box.Path());
    WriteFile(box / "standin-log.out",
              "<?xml version=\"1.0\"?>\n<log><logentry revision=\"3\"><author>Zo\xC3\xAB</author>"
              "<date>2026-01-02T03:04:05.000000Z</date><msg>Fix &lt;b&gt;\nmore</msg></logentry>"
              "<logentry revision=\"2\"><date>2026-01-01T00:00:00Z</date><msg/></logentry>"
              "</log>\n");
    const std::string diff = "Index: file.txt\n===================\n--- file.txt\t(revision 2)\n"
                             "+++ file.txt\t(revision 3)\n@@ -1,2 +1,2 @@\n-old\n+new\n same\n";
    WriteFile(box / "standin-diff.out", diff);
    ASSERT_TRUE(app::StartProgram());
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
    const struct { const char* line; const char* look; } lines[] = {
        {"Index", "blue bold"}, {"@@", "blue bold"}, {"-old", "red"},
        {"+new", "green"},      {" same", "plain"}};
    for (const auto& l : lines) {
        const LONG at = static_cast<LONG>(diff.find(l.line));
        EXPECT_EQ(windowtest::Look(GetDlgItem(changes, app::ChangesText), at), l.look) << l.line;
    }
    app::EndProgram();  // which saves the profile's preferences: the test's to remove
    DeleteFileW(Widen(settings::HomePreferencesPath()).c_str());
}

}  // namespace
