// The fixture of the Win32 window suites: a fresh main window per test, the
// user's moves as Win32 messages for the window service's table, the events
// the messages and calls queued so far give, and how controls look.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <richedit.h>

#include <climits>
#include <string>

#include "platform/window.h"
#include "support/window_cases.h"

namespace windowtest {

using namespace platform;
using windowcases::Key;

// Marks the end of the messages posted so far: sets the flag WM_USER points to.
inline LRESULT CALLBACK MarkerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) *reinterpret_cast<bool*>(lParam) = true;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline std::string ClientSize(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return std::to_string(r.right) + "x" + std::to_string(r.bottom);
}

inline std::string Narrowed(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out.substr(0, out.size() - 1);
}

// The colour and weight of a rich edit's character at `at`.
inline std::string Look(HWND text, LONG at) {
    CHARRANGE one{at, at + 1};
    SendMessageW(text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
    CHARFORMAT2W f{};
    f.cbSize = sizeof f;
    SendMessageW(text, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    const COLORREF c = f.crTextColor;
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    const std::string s = (f.dwEffects & CFE_AUTOCOLOR) ? "plain"
                          : r > g && r > b              ? "red"
                          : g > r && g > b              ? "green"
                          : b > r && b > g              ? "blue"
                                                        : "other";
    return (f.dwEffects & CFE_BOLD) ? s + " bold" : s;
}

// A list's cell, the first column's as wide as the column.
inline RECT CellRect(HWND list, int row, int column) {
    RECT r{LVIR_BOUNDS, column, 0, 0};
    SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    if (column == 0) r.right = r.left + ListView_GetColumnWidth(list, 0);
    return r;
}

class Win32Window : public ::testing::Test, public windowcases::Hand {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(InitWindowing());
        WNDCLASSW wc{};
        wc.lpfnWndProc = MarkerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VellumTestMarker";
        RegisterClassW(&wc);
    }
    static void TearDownTestSuite() { ShutdownWindowing(); }

    void SetUp() override {
        ASSERT_TRUE(OpenMainWindow("Main", 450, 430));
        main_ = FindWindowW(L"VellumWindow", L"Main");
        marker_ = CreateWindowW(L"VellumTestMarker", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    }
    void TearDown() override {
        DestroyWindow(marker_);
        ShutdownWindowing();  // a fresh main window for the next test
        ASSERT_TRUE(InitWindowing());
    }

    // The user of the table: messages as the controls and the system send them.
    void Fresh() override {
        ShutdownWindowing();
        ASSERT_TRUE(InitWindowing() && OpenMainWindow("Main", 450, 430));
        main_ = FindWindowW(L"VellumWindow", L"Main");
    }
    HWND Window(int handle) {
        const std::wstring title = handle ? L"W" + std::to_wstring(handle) : L"Main";
        return FindWindowW(L"VellumWindow", title.c_str());
    }
    // The control, in whichever window holds it.
    HWND Control(int id) {
        HWND found = GetDlgItem(main_, id);
        for (HWND w = nullptr; !found && (w = FindWindowExW(nullptr, w, L"VellumWindow", nullptr));)
            found = GetDlgItem(w, id);
        return found;
    }
    // The focus on `id`, its caret at the end; false when its window takes no input.
    HWND Focus(int id) {
        HWND control = Control(id);
        platform::SetFocus(id);
        SendMessageW(control, EM_SETSEL, INT_MAX, INT_MAX);
        return IsWindowEnabled(GetAncestor(control, GA_ROOT)) ? control : nullptr;
    }
    bool Type(int id, const std::string& text) override {
        HWND control = Focus(id);
        for (char c : text)
            if (control) PostMessageW(control, WM_CHAR, static_cast<WPARAM>(c), 0);
        return true;
    }
    // The system sends a disabled window no clicks.
    bool Click(int id) override {
        HWND control = Control(id);
        if (!IsWindowEnabled(control) || !IsWindowEnabled(GetAncestor(control, GA_ROOT)))
            return true;
        wchar_t type[32] = {};
        GetClassNameW(control, type, 32);
        // Posted, in order with the other moves' messages.
        if (std::wstring(type) == L"Button")
            PostMessageW(control, BM_CLICK, 0, 0);
        else
            PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        return true;
    }
    bool Press(int id, Key key) override {
        static const WPARAM keys[] = {VK_RETURN, VK_RETURN, VK_ESCAPE, VK_TAB,
                                      VK_DOWN,   VK_SPACE,  VK_TAB};
        HWND control = Focus(id);
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = key == Key::CtrlReturn ? 0x80 : 0;
        state[VK_SHIFT] = key == Key::ShiftTab ? 0x80 : 0;
        SetKeyboardState(state);
        PostMessageW(control, WM_KEYDOWN, keys[int(key)], 0);
        PostMessageW(control, WM_KEYUP, keys[int(key)], 0xC0000001);
        if (key != Key::CtrlReturn && key != Key::ShiftTab) return true;
        held_ = Events();  // taken while the modifier is down
        state[VK_CONTROL] = state[VK_SHIFT] = 0;
        return SetKeyboardState(state);
    }
    // The list view selects the row, then says where the click was.
    bool ClickCell(int id, int row, int column, int times) override {
        HWND list = Focus(id);
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        const RECT r = CellRect(list, row, column);
        for (UINT code : {UINT(NM_CLICK), UINT(NM_DBLCLK)}) {
            if (code == UINT(NM_DBLCLK) && times < 2) break;
            NMITEMACTIVATE n{};
            n.hdr = NMHDR{list, static_cast<UINT_PTR>(id), code};
            n.ptAction = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            SendMessageW(GetParent(list), WM_NOTIFY, id, reinterpret_cast<LPARAM>(&n));
        }
        return true;
    }
    bool CloseBox(int window) override { return PostMessageW(Window(window), WM_CLOSE, 0, 0); }
    // The menu itself is modal: the choice is what it leaves in the queue.
    bool Menu(const std::vector<MenuItem>& items, int pick) override {
        return PostMessageW(main_, WM_COMMAND, MAKEWPARAM(items[pick].id, 0), 0);
    }
    bool Resize(int window, int w, int h) override {
        HWND hwnd = Window(window);
        RECT outer, client;
        GetWindowRect(hwnd, &outer);
        GetClientRect(hwnd, &client);
        w += outer.right - outer.left - client.right, h += outer.bottom - outer.top - client.bottom;
        return SetWindowPos(hwnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    }
    std::string Place(int id) override {
        RECT r;
        GetWindowRect(Control(id), &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(Control(id)), reinterpret_cast<POINT*>(&r), 2);
        return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
               std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
    }
    int StyleAt(int id, int offset) override {
        const std::string look = Look(Control(id), offset);
        for (int style = 0; const char* known : {"plain", "green", "red", "blue bold"})
            if (look == known)
                return style;
            else
                ++style;
        return -1;
    }
    int Focused() override { return GetDlgCtrlID(GetFocus()); }

    // Handles every message posted and every call queued so far.
    std::vector<Event> Events() override {
        std::vector<Event> events = std::move(held_);
        held_.clear();
        bool posted = false;
        PostMessageW(marker_, WM_USER, 0, reinterpret_cast<LPARAM>(&posted));
        while (!posted) events.push_back(WaitEvent());
        bool ran = false;
        RunOnMainThread([&ran] { ran = true; });
        while (!ran) events.push_back(WaitEvent());
        return events;
    }
    // The events so far, the focus's too, each window's by its handle.
    std::string Pending() { return windowcases::Said(Events(), {0}, true); }

    // The tree's notification with the pointer on list row `row` (or below
    // it); the events. The list view hears of new rows once the loop comes round.
    std::string ClickTreeAt(int row, int code, LONG below = 0) {
        HWND tree = Item(22);
        Pending();
        RECT r;
        ListView_EnsureVisible(tree, row, FALSE);
        ListView_GetItemRect(tree, row, &r, LVIR_LABEL);
        POINT at{below ? r.left + 5 : (r.left + r.right) / 2, (r.top + r.bottom) / 2 + below};
        ClientToScreen(tree, &at);
        SetCursorPos(at.x, at.y);
        NMHDR click{tree, 22, static_cast<UINT>(code)};
        SendMessageW(main_, WM_NOTIFY, 22, reinterpret_cast<LPARAM>(&click));
        return Pending();
    }

    HWND Item(int id) const { return GetDlgItem(main_, id); }

    HWND main_ = nullptr;
    HWND marker_ = nullptr;
    std::vector<Event> held_;
};

}  // namespace windowtest
