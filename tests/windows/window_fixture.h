// The fixture of the Win32 window suites: a fresh main window per test, the
// events that the messages and calls queued so far give, and how controls
// look.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <richedit.h>

#include <string>

#include "platform/window.h"

namespace windowtest {

using namespace platform;

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

class Win32Window : public ::testing::Test {
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

    // Handles every message posted and every call queued so far; returns the
    // control, menu and close events among them as "id:type", "menu id" and
    // "close", each with "@window" when not the main window's.
    std::string Pending() {
        static const char* const kTypes[] = {"click", "right", "double",  "change",
                                             "in",    "out",   "activate"};
        std::string seen;
        auto take = [&seen] {
            const Event e = WaitEvent();
            if (e.kind == Event::Other) return;
            if (!seen.empty()) seen += ' ';
            if (e.kind == Event::Menu) seen += "menu ";
            if (e.kind == Event::Close)
                seen += "close";
            else
                seen += std::to_string(e.id);
            if (e.kind == Event::Control) (seen += ':') += kTypes[static_cast<int>(e.type)];
            if (e.window != 0) (seen += '@') += std::to_string(e.window);
        };
        bool posted = false;
        PostMessageW(marker_, WM_USER, 0, reinterpret_cast<LPARAM>(&posted));
        while (!posted) take();
        bool ran = false;
        RunOnMainThread([&ran] { ran = true; });
        while (!ran) take();
        return seen;
    }

    HWND Item(int id) const { return GetDlgItem(main_, id); }

    HWND main_ = nullptr;
    HWND marker_ = nullptr;
};

// A control's place in its window's client area, as "x,y wxh".
inline std::string Place(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
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

}  // namespace windowtest
