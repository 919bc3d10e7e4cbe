// What the user types and picks in the Win32 window service: the editor's
// keys, the drop-down, the list's tick boxes, and a window of its own that
// takes input beside a modal dialog.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "platform/window.h"
#include "window_fixture.h"

namespace {

using namespace platform;
using namespace windowtest;

TEST_F(Win32Window, TheEditorTakesLinesAndLeavesTabAndEscapeToTheDialog) {
    const int dialog = OpenDialog("Comment", 300, 200);
    ASSERT_TRUE(CreateControl(dialog, 50, ControlKind::Editor, 10, 10, 280, 100, "Comment"));
    ASSERT_TRUE(CreateControl(dialog, 51, ControlKind::DefaultButton, 10, 120, 80, 25, "OK"));
    HWND editor = GetDlgItem(FindWindowW(L"VellumWindow", L"Comment"), 50);
    SetText(50, "caf\xC3\xA9\n2\n");
    wchar_t inside[16] = {};
    GetWindowTextW(editor, inside, 16);
    EXPECT_STREQ(inside, L"caf\u00E9\r\n2\r\n");
    platform::SetFocus(50);
    SendMessageW(editor, EM_SETSEL, 0, 0);
    const std::string d = "@" + std::to_string(dialog);
    EXPECT_EQ(Pending(), "50:in" + d);  // the program's text said nothing
    // Keys at the start of the text: the events they give and the text after.
    const struct { WPARAM key; bool ctrl; const char* events; const char* text; } keys[] = {
        {'x', false, "50:change", "xcaf\xC3\xA9\n2\n"},
        {VK_RETURN, false, "50:change", "x\ncaf\xC3\xA9\n2\n"},
        {VK_RETURN, true, "50:activate", "x\ncaf\xC3\xA9\n2\n"},
        {VK_ESCAPE, false, "close", "x\ncaf\xC3\xA9\n2\n"},
        {VK_TAB, false, "50:out", "x\ncaf\xC3\xA9\n2\n"}};
    BYTE state[256];
    for (const auto& k : keys) {
        GetKeyboardState(state);
        state[VK_CONTROL] = k.ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        PostMessageW(editor, k.key == 'x' ? WM_CHAR : WM_KEYDOWN, k.key, 0);
        EXPECT_EQ(Pending(), k.events + d) << k.key;
        EXPECT_EQ(GetText(50), k.text) << k.key;
    }
}

TEST_F(Win32Window, TheDropDownsListKeepsItsKeysAndItsRoom) {
    const int own = OpenWindow("Pick", 300, 100);
    ASSERT_TRUE(CreateControl(own, 60, ControlKind::Choice, 10, 10, 200, 22, "Recent"));
    HWND w = FindWindowW(L"VellumWindow", L"Pick"), choice = GetDlgItem(w, 60);
    ChoiceSetItems(60, {"first", "second"});
    platform::SetFocus(60);
    Pending();
    PostMessageW(choice, WM_KEYDOWN, VK_DOWN, 0);
    const std::string o = "@" + std::to_string(own);
    EXPECT_EQ(Pending(), "60:change" + o);
    ChoiceSetItems(60, {"only"});
    // Escape closes a dropped list, then the window.
    SendMessageW(choice, CB_SHOWDROPDOWN, TRUE, 0);
    PostMessageW(choice, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(choice, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Pending(), "close" + o);
    EXPECT_EQ(ChoiceSelected(60), -1);
    // Stretched with the window, it keeps the room its list drops into.
    SetAnchors(60, AnchorLeft | AnchorRight | AnchorTop);
    RECT before, after;
    SendMessageW(choice, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&before));
    SetWindowPos(w, nullptr, 0, 0, 600, 300, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(choice, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&after));
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(Win32Window, TickBoxesTickByClickAndSpaceAndNeverOpenTheRow) {
    ASSERT_TRUE(CreateControl(0, 30, ControlKind::List, 10, 10, 430, 200, "Changes"));
    ListSetColumns(30, {{"", 24, true}, {"Path", 200}});
    ListAppend(30, {{"1", "a"}, {"0", "b"}, {"", "c"}});
    HWND list = Item(30);
    ShowWindow(main_, SW_SHOW);
    Pending();
    // Row `row`'s first cell, and its pixels not in the list's background.
    auto cell = [list](int row) {
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        r.right = r.left + ListView_GetColumnWidth(list, 0);
        return r;
    };
    auto inked = [&](int row) {
        const RECT r = cell(row);
        HDC dc = GetDC(list);
        int n = 0;
        for (int x = r.left; x < r.right; ++x)
            for (int y = r.top; y < r.bottom; ++y) n += GetPixel(dc, x, y) != ListView_GetBkColor(list);
        ReleaseDC(list, dc);
        return n;
    };
    // A box with its tick, an empty box, no box; never the "1".
    UpdateWindow(list);
    EXPECT_GT(inked(0), inked(1));
    EXPECT_GT(inked(1), 0);
    EXPECT_EQ(inked(2), 0);
    auto click = [&](int row, UINT code, int dx = 0) {
        const RECT r = cell(row);
        NMITEMACTIVATE n{NMHDR{list, 30, code}};
        n.ptAction = POINT{(r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2};
        SendMessageW(main_, WM_NOTIFY, 30, reinterpret_cast<LPARAM>(&n));
    };
    auto ticks = [] { return ListText(30, 0, 0) + ListText(30, 1, 0) + ListText(30, 2, 0); };
    click(1, NM_CLICK);
    click(2, NM_CLICK);
    click(0, NM_CLICK, 100);  // on the path
    EXPECT_EQ(ticks(), "11");
    click(0, NM_DBLCLK);
    click(0, NM_DBLCLK, 100);
    EXPECT_EQ(Pending(), "30:double");
    for (int row : {1, 2}) {  // Space on the selected row
        ListSelect(30, row);
        platform::SetFocus(30);
        Pending();
        PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(Pending(), "");
    }
    ListSetText(30, 2, 0, "1");
    ListSetText(30, 2, 1, "d");
    EXPECT_EQ(ticks(), "001");
    wchar_t drawn[8] = {};
    ListView_GetItemText(list, 2, 1, drawn, 8);
    EXPECT_STREQ(drawn, L"d");
    EXPECT_EQ(Pending(), "");
}

TEST_F(Win32Window, AWindowOfItsOwnTakesInputBesideAModalDialog) {
    const int dialog = OpenDialog("Ask", 300, 95);
    const int own = OpenWindow("Log", 300, 100);
    ASSERT_TRUE(CreateControl(own, 70, ControlKind::Field, 10, 10, 200, 20, ""));
    ASSERT_TRUE(CreateControl(own, 71, ControlKind::Button, 10, 40, 80, 25, "More"));
    HWND w = FindWindowW(L"VellumWindow", L"Log");
    EXPECT_TRUE(IsWindowEnabled(w));
    platform::SetFocus(70);
    Pending();
    PostMessageW(GetDlgItem(w, 70), WM_CHAR, 'x', 0);
    PostMessageW(GetDlgItem(w, 70), WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(GetDlgItem(w, 71), BM_CLICK, 0, 0);
    const std::string o = "@" + std::to_string(own);
    EXPECT_EQ(Pending(), "70:change" + o + " 70:out" + o + " 71:click" + o);
    EXPECT_EQ(GetFocus(), GetDlgItem(w, 71));
    CloseDialog(own);
    EXPECT_FALSE(IsWindowEnabled(main_));  // still under the dialog
    CloseDialog(dialog);
}

}  // namespace
