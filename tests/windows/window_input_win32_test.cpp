// What the user types and picks in the Win32 window service: the editor's
// keys, the drop-down, the list's tick boxes.
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
    ASSERT_TRUE(CreateControl(dialog, 52, ControlKind::Choice, 100, 120, 80, 25, "Recent"));
    HWND box = FindWindowW(L"VellumWindow", L"Comment"), editor = GetDlgItem(box, 50);
    SetText(50, "caf\xC3\xA9\n2\n");
    ChoiceSetItems(52, {"first", "second"});
    wchar_t inside[16] = {};
    GetWindowTextW(editor, inside, 16);
    EXPECT_STREQ(inside, L"caf\u00E9\r\n2\r\n");
    platform::SetFocus(50);
    SendMessageW(editor, EM_SETSEL, 0, 0);
    const std::string d = "@" + std::to_string(dialog);
    EXPECT_EQ(Pending(), "50:in" + d);  // the program's text and items said nothing
    // Keys and the events they give; the editor's text after them.
    const struct {
        HWND to;
        WPARAM key;
        bool ctrl;
        const char *events, *text;
    } keys[] = {{editor, 'x', false, "50:change", "xcaf\xC3\xA9\n2\n"},
                {editor, VK_RETURN, false, "50:change", "x\ncaf\xC3\xA9\n2\n"},
                {editor, VK_RETURN, true, "50:activate", "x\ncaf\xC3\xA9\n2\n"},
                {editor, VK_ESCAPE, false, "close", "x\ncaf\xC3\xA9\n2\n"},
                {editor, VK_TAB, false, "50:out", "x\ncaf\xC3\xA9\n2\n"},
                {GetDlgItem(box, 52), VK_DOWN, false, "52:change", "x\ncaf\xC3\xA9\n2\n"}};
    BYTE state[256];
    for (const auto& k : keys) {
        GetKeyboardState(state);
        state[VK_CONTROL] = k.ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        PostMessageW(k.to, k.key == 'x' ? WM_CHAR : WM_KEYDOWN, k.key, 0);
        EXPECT_EQ(Pending(), k.events + d) << k.key;
        EXPECT_EQ(GetText(50), k.text) << k.key;
    }
    EXPECT_EQ(ChoiceSelected(52), 0);
    // A dropped list takes Escape for itself; the next one closes the dialog.
    SendMessageW(GetDlgItem(box, 52), CB_SHOWDROPDOWN, TRUE, 0);
    PostMessageW(GetDlgItem(box, 52), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(GetDlgItem(box, 52), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Pending(), "close" + d);
}

TEST_F(Win32Window, TickBoxesTickByClickAndSpaceAndNeverOpenTheRow) {
    ASSERT_TRUE(CreateControl(0, 30, ControlKind::List, 10, 10, 430, 200, "Changes"));
    ListSetColumns(30, {{"", 24, true}, {"Path", 200}});
    ListAppend(30, {{"1", "a"}, {"0", "b"}, {"", "c"}});
    HWND list = Item(30);
    ShowWindow(main_, SW_SHOW);
    Pending();
    UpdateWindow(list);
    // Row `row`'s box cell, and its pixels not in the list's background:
    // a box with its tick, an empty box, no box; never the "1".
    auto cell = [list](int row) {
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        r.right = r.left + ListView_GetColumnWidth(list, 0);
        return r;
    };
    int inked[3] = {};
    HDC dc = GetDC(list);
    for (int row = 0; row < 3; ++row)
        for (RECT r = cell(row); r.left < r.right; ++r.left)
            for (int y = r.top; y < r.bottom; ++y)
                inked[row] += GetPixel(dc, r.left, y) != ListView_GetBkColor(list);
    ReleaseDC(list, dc);
    EXPECT_TRUE(inked[0] > inked[1] && inked[1] > 0 && inked[2] == 0);
    wchar_t drawn[4] = L"?";
    ListView_GetItemText(list, 0, 0, drawn, 4);
    EXPECT_STREQ(drawn, L"");
    // Clicks on the box cells (one on the path), then Space on rows 1 and 2.
    auto click = [&](int row, UINT code, int dx = 0) {
        const RECT r = cell(row);
        NMITEMACTIVATE n{NMHDR{list, 30, code}};
        n.ptAction = POINT{(r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2};
        SendMessageW(main_, WM_NOTIFY, 30, reinterpret_cast<LPARAM>(&n));
    };
    auto ticks = [] { return ListText(30, 0, 0) + ListText(30, 1, 0) + ListText(30, 2, 0); };
    for (int row : {1, 2, 0}) click(row, NM_CLICK, row == 0 ? 100 : 0);
    EXPECT_EQ(ticks(), "11");
    click(0, NM_DBLCLK);
    click(0, NM_DBLCLK, 100);
    EXPECT_EQ(Pending(), "30:double");
    for (int row : {1, 2}) {
        ListSelect(30, row);
        platform::SetFocus(30);
        Pending();
        PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(Pending(), "");
    }
    ListSetText(30, 2, 0, "1");
    EXPECT_EQ(ticks(), "001");
}

}  // namespace
