// What the user types and picks in the Win32 window service: the editor's
// keys, the drop-down's pick, the list's tick boxes, and a window of its own
// that takes input beside a modal dialog.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <string>

#include "platform/window.h"
#include "window_fixture.h"

namespace {

using namespace platform;
using namespace windowtest;

// Holds Ctrl or Shift down for the keys this thread reads meanwhile.
void Hold(int key, bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[key] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

TEST_F(Win32Window, TheEditorTakesLinesAndLeavesTabAndEscapeToTheDialog) {
    const int dialog = OpenDialog("Comment", 300, 200);
    ASSERT_TRUE(CreateControl(dialog, 50, ControlKind::Editor, 10, 10, 280, 100, "Comment"));
    ASSERT_TRUE(CreateControl(dialog, 51, ControlKind::DefaultButton, 10, 120, 80, 25, "OK"));
    HWND box = FindWindowW(L"VellumWindow", L"Comment");
    HWND editor = GetDlgItem(box, 50);
    SetText(50, "caf\xC3\xA9\nline 2\n");
    wchar_t inside[32] = {};
    GetWindowTextW(editor, inside, 32);
    EXPECT_STREQ(inside, L"caf\u00E9\r\nline 2\r\n");
    platform::SetFocus(50);
    EXPECT_EQ(Pending(), "50:in@1");
    SendMessageW(editor, EM_SETSEL, 0, 0);
    const std::string d = "@" + std::to_string(dialog);
    // Keys at the start of the text: the events they give and the text after.
    const struct { WPARAM key; int held; const char* events; const char* text; } keys[] = {
        {'x', 0, "50:change", "xcaf\xC3\xA9\nline 2\n"},
        {VK_RETURN, 0, "50:change", "x\ncaf\xC3\xA9\nline 2\n"},
        {VK_RETURN, VK_CONTROL, "50:activate", "x\ncaf\xC3\xA9\nline 2\n"},
        {VK_ESCAPE, 0, "close", "x\ncaf\xC3\xA9\nline 2\n"},
        {VK_TAB, 0, "50:out", "x\ncaf\xC3\xA9\nline 2\n"},
    };
    for (const auto& k : keys) {
        Hold(k.held, true);
        PostMessageW(editor, k.key == 'x' ? WM_CHAR : WM_KEYDOWN, k.key, 0);
        EXPECT_EQ(Pending(), k.events + d) << k.key;
        Hold(k.held, false);
        EXPECT_EQ(GetText(50), k.text) << k.key;
    }
    EXPECT_EQ(GetFocus(), GetDlgItem(box, 51));
    // Shift+Tab comes back; the program's text says nothing.
    Hold(VK_SHIFT, true);
    PostMessageW(GetDlgItem(box, 51), WM_KEYDOWN, VK_TAB, 0);
    Pending();
    Hold(VK_SHIFT, false);
    EXPECT_EQ(GetFocus(), editor);
    SetText(50, "");
    EXPECT_EQ(Pending(), "");
    CloseDialog(dialog);
}

TEST_F(Win32Window, TheDropDownReportsOnlyTheUsersPick) {
    const int own = OpenWindow("Pick", 300, 100);
    ASSERT_TRUE(CreateControl(own, 60, ControlKind::Choice, 10, 10, 200, 22, "Recent"));
    HWND w = FindWindowW(L"VellumWindow", L"Pick");
    HWND choice = GetDlgItem(w, 60);
    ChoiceSetItems(60, {"first", "second \xE2\x80\xA6"});
    platform::SetFocus(60);
    Pending();
    EXPECT_EQ(ChoiceSelected(60), -1);
    PostMessageW(choice, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(choice, WM_KEYDOWN, VK_DOWN, 0);
    const std::string o = "@" + std::to_string(own);
    EXPECT_EQ(Pending(), "60:change" + o + " 60:change" + o);
    EXPECT_EQ(ChoiceSelected(60), 1);
    EXPECT_EQ(GetText(60), "second \xE2\x80\xA6");
    ChoiceSetItems(60, {"only"});
    EXPECT_EQ(Pending(), "");
    EXPECT_EQ(ChoiceSelected(60), -1);
    // A dropped list takes Escape for itself; then Escape closes the window.
    SendMessageW(choice, CB_SHOWDROPDOWN, TRUE, 0);
    PostMessageW(choice, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Pending(), "");
    EXPECT_FALSE(SendMessageW(choice, CB_GETDROPPEDSTATE, 0, 0));
    PostMessageW(choice, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Pending(), "close" + o);
    // Stretched with the window, the list keeps the room it drops into.
    SetAnchors(60, AnchorLeft | AnchorRight | AnchorTop);
    RECT before, after;
    SendMessageW(choice, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&before));
    SetWindowPos(w, nullptr, 0, 0, 600, 300, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(choice, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&after));
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_GT(after.right - after.left, before.right - before.left);
}

TEST_F(Win32Window, TickBoxesTickByClickAndSpaceAndNeverOpenTheRow) {
    ASSERT_TRUE(CreateControl(0, 30, ControlKind::List, 10, 10, 430, 200, "Changes"));
    ListSetColumns(30, {{"", 24, true}, {"Path", 200}});
    ListAppend(30, {{"1", "a"}, {"0", "b"}, {"", "c"}});
    HWND list = Item(30);
    ShowWindow(main_, SW_SHOW);
    Pending();
    // Drawn: a box with its tick, an empty box, no box; never the "1".
    auto inked = [list](int row) {
        RECT cell{LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        UpdateWindow(list);
        HDC dc = GetDC(list);
        int n = 0;
        for (int x = cell.left; x < cell.left + ListView_GetColumnWidth(list, 0); ++x)
            for (int y = cell.top; y < cell.bottom; ++y)
                n += GetPixel(dc, x, y) != ListView_GetBkColor(list);
        ReleaseDC(list, dc);
        return n;
    };
    const int ticked = inked(0), unticked = inked(1);
    EXPECT_GT(ticked, unticked);
    EXPECT_GT(unticked, 0);
    EXPECT_EQ(inked(2), 0);
    wchar_t drawn[8] = L"?";
    ListView_GetItemText(list, 0, 0, drawn, 8);
    EXPECT_STREQ(drawn, L"");

    // A click (or double click) at the middle of a row's cell.
    auto click = [&](int row, int column, UINT code) {
        RECT cell{LVIR_BOUNDS, column, 0, 0};
        SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        if (column == 0) cell.right = cell.left + ListView_GetColumnWidth(list, 0);
        NMITEMACTIVATE n{};
        n.hdr = NMHDR{list, 30, code};
        n.ptAction = POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        SendMessageW(main_, WM_NOTIFY, 30, reinterpret_cast<LPARAM>(&n));
    };
    auto ticks = [] { return ListText(30, 0, 0) + ListText(30, 1, 0) + ListText(30, 2, 0); };
    click(1, 0, NM_CLICK);
    click(2, 0, NM_CLICK);
    click(0, 1, NM_CLICK);
    EXPECT_EQ(ticks(), "11");
    click(0, 0, NM_DBLCLK);
    EXPECT_EQ(Pending(), "");
    click(0, 1, NM_DBLCLK);
    EXPECT_EQ(Pending(), "30:double");
    EXPECT_EQ(ticks(), "01");
    // Space on the selected row; a row without a box stays without.
    for (int row : {1, 2}) {
        ListSelect(30, row);
        platform::SetFocus(30);
        Pending();
        PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(Pending(), "");
    }
    EXPECT_EQ(ticks(), "00");
    // The program sets any cell, and says nothing of it.
    ListSetText(30, 2, 0, "1");
    ListSetText(30, 2, 1, "d");
    EXPECT_EQ(Pending(), "");
    EXPECT_EQ(ticks(), "001");
    ListView_GetItemText(list, 2, 1, drawn, 8);
    EXPECT_STREQ(drawn, L"d");
}

TEST_F(Win32Window, AWindowOfItsOwnTakesInputBesideAModalDialog) {
    const int dialog = OpenDialog("Ask", 300, 95);
    const int own = OpenWindow("Log", 300, 100);
    ASSERT_GT(own, 0);
    ASSERT_TRUE(CreateControl(own, 70, ControlKind::Field, 10, 10, 200, 20, ""));
    ASSERT_TRUE(CreateControl(own, 71, ControlKind::Button, 10, 40, 80, 25, "More"));
    HWND w = FindWindowW(L"VellumWindow", L"Log");
    EXPECT_TRUE(IsWindowEnabled(w));
    EXPECT_FALSE(IsWindowEnabled(main_));
    platform::SetFocus(70);
    Pending();
    PostMessageW(GetDlgItem(w, 70), WM_CHAR, 'x', 0);
    PostMessageW(GetDlgItem(w, 70), WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(GetDlgItem(w, 71), BM_CLICK, 0, 0);
    const std::string o = "@" + std::to_string(own);
    EXPECT_EQ(Pending(), "70:change" + o + " 70:out" + o + " 71:click" + o);
    EXPECT_EQ(GetFocus(), GetDlgItem(w, 71));
    // Closed, it leaves the main window under the dialog disabled.
    CloseDialog(own);
    EXPECT_FALSE(IsWindowEnabled(main_));
    EXPECT_TRUE(IsWindowEnabled(FindWindowW(L"VellumWindow", L"Ask")));
    CloseDialog(dialog);
    EXPECT_TRUE(IsWindowEnabled(main_));
}

}  // namespace
