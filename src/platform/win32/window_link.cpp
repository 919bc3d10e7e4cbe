// The link label: black text on the window's background, pure green while
// the mouse is over it, greyed when disabled, the hand cursor, and a click
// reported (as BN_CLICKED) when the left button is released over it.
#include <windows.h>

#include "platform/win32/utf16.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {

const wchar_t kLinkClass[] = L"VellumLink";

namespace {

// Window extra bytes: the font, then whether the mouse is over the link.
constexpr int kFontSlot = 0;
constexpr int kHoverSlot = sizeof(LONG_PTR);

bool Hovered(HWND hwnd) { return GetWindowLongPtrW(hwnd, kHoverSlot) != 0; }

void SetHovered(HWND hwnd, bool hovered) {
    if (Hovered(hwnd) == hovered) return;
    SetWindowLongPtrW(hwnd, kHoverSlot, hovered);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    auto font = reinterpret_cast<HFONT>(GetWindowLongPtrW(hwnd, kFontSlot));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    COLORREF color = RGB(0, 0, 0);
    if (!IsWindowEnabled(hwnd))
        color = GetSysColor(COLOR_GRAYTEXT);
    else if (Hovered(hwnd))
        color = RGB(0, 255, 0);
    SetTextColor(dc, color);
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), n + 1)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    if (old) SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK LinkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills every pixel
    case WM_SETFONT:
        SetWindowLongPtrW(hwnd, kFontSlot, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return GetWindowLongPtrW(hwnd, kFontSlot);
    case WM_SETTEXT:
    case WM_ENABLE: {
        LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_MOUSEMOVE:
        if (!Hovered(hwnd)) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&track);
            SetHovered(hwnd, true);
        }
        return 0;
    case WM_MOUSELEAVE: SetHovered(hwnd, false); return 0;
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_HAND)); return TRUE;
    case WM_LBUTTONUP:
        SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd));
        return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterLinkClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = LinkProc;
    wc.cbWndExtra = 2 * sizeof(LONG_PTR);
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.lpszClassName = kLinkClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateLink(HWND parent, int id, const std::string& caption, int x, int y, int w, int h) {
    return CreateWindowExW(0, kLinkClass, Widen(caption).c_str(),
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
}

}  // namespace platform::win32
