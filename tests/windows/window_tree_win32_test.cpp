// The Win32 tree's own hand: the glyph clicks and keys that open and close
// rows in its list view, and a right click on a far row.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "window_fixture.h"

namespace {

using namespace windowtest;

TEST_F(Win32Window, GlyphClicksAndKeysOpenAndCloseRowsAsInATreeView) {
    ASSERT_TRUE(CreateControl(0, 22, ControlKind::Tree, 10, 70, 430, 250, ""));
    for (auto [text, depth] : {std::pair{"d", 0}, {"x", 1}, {"y", 1}, {"z", 2}, {"e", 0}})
        TreeAddItem(22, TreeCount(22), text, 0, depth);
    HWND tree = Item(22);
    ShowWindow(main_, SW_SHOW);
    platform::SetFocus(22);
    TreeSelect(22, 0);
    Pending();
    // A glyph is clicked by list row, a key pressed, or a row selected by the
    // program; then the events, the selected row and the rows shown.
    struct {
        char move;  // 'g' glyph, 'k' key, 's' select
        int arg;
        const char* events;
        int selected, shown;
    } const steps[] = {
        {'k', VK_RIGHT, "", 0, 4},
        {'k', VK_RIGHT, "22:change", 1, 4},
        {'k', VK_LEFT, "22:change", 0, 4},
        {'k', VK_LEFT, "", 0, 2},
        {'k', VK_ADD, "", 0, 4},
        {'g', 2, "", 0, 5},
        {'g', 1, "22:change", 1, 5},  // no glyph: a click on the row
        {'s', 3, "", 3, 5},
        {'g', 0, "22:change", 0, 2},
        {'k', VK_SUBTRACT, "", 0, 2},
        {'g', 0, "", 0, 4},
    };
    for (const auto& s : steps) {
        if (s.move == 'k') PostMessageW(tree, WM_KEYDOWN, s.arg, 0);
        if (s.move == 's') TreeSelect(22, s.arg);
        if (s.move == 'g') {
            RECT icon{};
            ListView_GetItemRect(tree, s.arg, &icon, LVIR_ICON);
            const LPARAM at = MAKELPARAM(icon.left - 8, (icon.top + icon.bottom) / 2);
            PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageW(tree, WM_LBUTTONUP, 0, at);
        }
        SCOPED_TRACE(std::string(1, s.move) + " " + std::to_string(s.arg));
        EXPECT_EQ(Pending(), s.events);
        EXPECT_EQ(TreeSelectedRow(22), s.selected);
        EXPECT_EQ(ListView_GetItemCount(tree), s.shown);
    }
}

TEST_F(Win32Window, ARightClickOnAFarRowSelectsIt) {
    ASSERT_TRUE(CreateControl(0, 22, ControlKind::Tree, 10, 70, 430, 250, ""));
    for (int row = 0; row < 100000; ++row) TreeAddItem(22, row, "row " + std::to_string(row), 0, 0);
    HWND tree = Item(22);
    ShowWindow(main_, SW_SHOW);
    Pending();
    ListView_EnsureVisible(tree, 90000, FALSE);
    RECT r{};
    ListView_GetItemRect(tree, 90000, &r, LVIR_LABEL);
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(tree, &at);
    SetCursorPos(at.x, at.y);
    NMHDR click{tree, 22, static_cast<UINT>(NM_RCLICK)};
    SendMessageW(main_, WM_NOTIFY, 22, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(Pending(), "22:change 22:right");
    EXPECT_EQ(TreeSelectedRow(22), 90000);
}

}  // namespace
