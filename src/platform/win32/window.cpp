// The main window, the dialog windows and the windows of their own, built
// from code with one window class, and the window procedure that turns
// notifications into events.
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <objbase.h>

#include <atomic>
#include <map>

#include "platform/win32/utf16.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {

const wchar_t kWindowClass[] = L"VellumWindow";

namespace {

std::map<int, WindowRecord> windows;  // 0 = the main window
int nextDialog = 1;
bool mainShown = false;
bool comReady = false;
int quietDepth = 0;
int dpi = 96;
HFONT font = nullptr;
// Receives the wake-ups of queued calls; read by any thread.
std::atomic<HWND> messageWindow{nullptr};
// The control that had the focus when each window was last deactivated.
std::map<HWND, HWND> lastFocus;

// Caption, system menu and close box; no minimise or maximise box, no
// sizing border.
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A window of its own: a sizing border and the minimise and maximise boxes too.
constexpr DWORD kOwnStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// A control's notification, as the event it stands for.
void OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const int code = HIWORD(wParam);
    if (lParam == 0) {
        // The pop-up menu's choice (an accelerator would have code 1).
        if (code == 0 && hwnd == MainHwnd()) {
            Event e;
            e.kind = Event::Menu;
            e.id = LOWORD(wParam);
            QueueEvent(e);
        }
        return;
    }
    int id = -1;
    ControlRecord* c = ControlOf(reinterpret_cast<HWND>(lParam), &id);
    // The dialog manager's IDOK / IDCANCEL name a control under another id:
    // they are not that control's doing.
    if (!c || LOWORD(wParam) != static_cast<WORD>(id)) return;
    switch (c->kind) {
    case ControlKind::Button:
    case ControlKind::DefaultButton:
    case ControlKind::CheckBox:
    case ControlKind::Link:
        if (code == BN_CLICKED) Controls().Report(id, EventType::LeftClick);
        break;
    case ControlKind::Field:
    case ControlKind::Editor:
        if (code == EN_CHANGE && !Quiet::Active())
            Controls().Report(id, EventType::Change);
        else if (code == EN_SETFOCUS)
            Controls().Report(id, EventType::FocusGained);
        else if (code == EN_KILLFOCUS)
            Controls().Report(id, EventType::FocusLost);
        break;
    case ControlKind::Choice:
        if (code == CBN_SELCHANGE && !Quiet::Active()) Controls().Report(id, EventType::Change);
        break;
    default: break;
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: OnCommand(hwnd, wParam, lParam); return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        int id = -1;
        ControlRecord* c = ControlOf(header->hwndFrom, &id);
        if (c && c->kind == ControlKind::Tree) return TreeNotify(id, *c, header);
        if (c && c->kind == ControlKind::List) return ListNotify(id, *c, header);
        break;
    }
    case WM_CONTEXTMENU: {
        // The Menu key or Shift+F10 on the tree: a right click on its
        // selected row. A mouse's right click has its own notification.
        int id = -1;
        ControlRecord* c = ControlOf(reinterpret_cast<HWND>(wParam), &id);
        const bool keyboard =
            static_cast<short>(LOWORD(lParam)) == -1 && static_cast<short>(HIWORD(lParam)) == -1;
        if (c && c->kind == ControlKind::Tree && keyboard) {
            KeyboardMenuAsked(id);
            return 0;
        }
        break;
    }
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) LayOut(WindowHandleOf(hwnd), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO: {
        // A window of its own shrinks no smaller than it opened.
        const WindowRecord* w = FindWindow(WindowHandleOf(hwnd));
        if (!w || !w->own) break;
        RECT r{0, 0, w->smallest.cx, w->smallest.cy};
        AdjustWindowRectEx(&r, kOwnStyle, FALSE, 0);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = POINT{r.right - r.left, r.bottom - r.top};
        return 0;
    }
    case WM_CLOSE: {
        // The close box asks; the program decides, so the window stays.
        ReportClose(WindowHandleOf(hwnd));
        return 0;
    }
    case DM_GETDEFID: {
        // Return in a dialog presses its default button.
        const WindowRecord* w = FindWindow(WindowHandleOf(hwnd));
        if (w && w->defaultButton >= 0) return MAKELRESULT(w->defaultButton, DC_HASDEFID);
        return 0;
    }
    case WM_ACTIVATE: {
        // A plain window forgets its focused control when another window
        // takes over (a message box); give it back on return.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus)) lastFocus[hwnd] = focus;
            return 0;
        }
        auto it = lastFocus.find(hwnd);
        if (it != lastFocus.end() && IsWindow(it->second) && IsWindowEnabled(it->second)) {
            SetFocus(it->second);
            return 0;
        }
        break;
    }
    case WM_DESTROY:
        lastFocus.erase(hwnd);
        if (hwnd == messageWindow) messageWindow = nullptr;
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterWindowClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = Instance();
    wc.hIcon =
        static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    wc.hIconSm = static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// A window of client size w x h (layout pixels), centred on the work area,
// or where the system cascades new windows.
HWND NewWindow(const std::string& title, int w, int h, HWND owner, DWORD style = kFrameStyle) {
    RECT r{0, 0, Scale(w), Scale(h)};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    const int width = r.right - r.left, height = r.bottom - r.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + (work.right - work.left - width) / 2;
    int y = work.top + (work.bottom - work.top - height) / 2;
    if (style == kOwnStyle) x = y = CW_USEDEFAULT;
    return CreateWindowExW(0, kWindowClass, Widen(title).c_str(), style, x, y, width, height, owner,
                           nullptr, Instance(), nullptr);
}

}  // namespace

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }
HWND MessageWindow() { return messageWindow; }
HFONT ControlFont() { return font; }
int Scale(int pixels) { return MulDiv(pixels, dpi, 96); }

WindowRecord* FindWindow(int handle) {
    auto it = windows.find(handle);
    return it == windows.end() ? nullptr : &it->second;
}

HWND MainHwnd() {
    const WindowRecord* w = FindWindow(0);
    return w ? w->hwnd : nullptr;
}

int WindowHandleOf(HWND hwnd) {
    for (const auto& [handle, record] : windows)
        if (record.hwnd == hwnd) return handle;
    return -1;
}

void EnsureMainShown() {
    HWND main = MainHwnd();
    if (!main || mainShown) return;
    mainShown = true;
    ShowWindow(main, SW_SHOW);
    SetForegroundWindow(main);
    UpdateWindow(main);
}

Quiet::Quiet() { ++quietDepth; }
Quiet::~Quiet() { --quietDepth; }
bool Quiet::Active() { return quietDepth > 0; }

}  // namespace platform::win32

namespace platform {
using namespace platform::win32;

bool InitWindowing() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES |
                                             ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    // The folder chooser and the download need COM on this thread.
    if (!comReady)
        comReady =
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    if (!RegisterWindowClass() || !RegisterLinkClass()) return false;

    HDC screen = GetDC(nullptr);
    dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    if (!font) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            font = CreateFontIndirectW(&metrics.lfMessageFont);
        if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    if (!messageWindow)
        messageWindow = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        Instance(), nullptr);
    return messageWindow.load() != nullptr;
}

void ShutdownWindowing() {
    ReleaseTooltip();
    // Dialogs first: they are owned by the main window.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        ForgetControls(it->first);
        DestroyWindow(it->second.hwnd);
    }
    windows.clear();
    mainShown = false;
    ReleaseCaptionFonts();
    ReleaseMonospaceFont();
    ReleaseImages();
    DropQueued();
    if (HWND hidden = messageWindow.load()) DestroyWindow(hidden);
    if (font && font != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(font);
    font = nullptr;
    if (comReady) CoUninitialize();
    comReady = false;
}

bool OpenMainWindow(const std::string& title, int w, int h) {
    if (FindWindow(0) || !messageWindow) return false;
    HWND hwnd = NewWindow(title, w, h, nullptr);
    if (!hwnd) return false;
    windows[0] = WindowRecord{hwnd, -1};
    return true;
}

int OpenDialog(const std::string& title, int w, int h) {
    HWND main = MainHwnd();
    if (!main) return -1;
    EnsureMainShown();
    HWND hwnd = NewWindow(title, w, h, main);
    if (!hwnd) return -1;
    const int handle = nextDialog++;
    windows[handle] = WindowRecord{hwnd, -1};
    // Modal: the main window takes no input while the dialog is open.
    EnableWindow(main, FALSE);
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    UpdateWindow(hwnd);
    return handle;
}

int OpenWindow(const std::string& title, int w, int h) {
    if (!MainHwnd()) return -1;
    EnsureMainShown();
    // No owner: it stays beside the main window, not always above it.
    HWND hwnd = NewWindow(title, w, h, nullptr, kOwnStyle);
    if (!hwnd) return -1;
    const int handle = nextDialog++;
    windows[handle] = WindowRecord{hwnd, -1, true, SIZE{Scale(w), Scale(h)}};
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    UpdateWindow(hwnd);
    return handle;
}

void SetWindowTitle(int window, const std::string& title) {
    if (const WindowRecord* w = FindWindow(window)) SetWindowTextW(w->hwnd, Widen(title).c_str());
}

void RaiseWindow(int window) {
    const WindowRecord* w = FindWindow(window);
    if (!w) return;
    if (IsIconic(w->hwnd)) ShowWindow(w->hwnd, SW_RESTORE);
    SetForegroundWindow(w->hwnd);
    // The control that last had the focus gets it back (WM_ACTIVATE); a
    // window never focused gives it to its first control.
    HWND focus = GetFocus();
    if (!focus || !IsChild(w->hwnd, focus)) {
        HWND first = GetNextDlgTabItem(w->hwnd, nullptr, FALSE);
        ::SetFocus(first ? first : w->hwnd);
    }
}

void CloseDialog(int window) {
    WindowRecord* record = window > 0 ? FindWindow(window) : nullptr;
    if (!record) return;
    HWND hwnd = record->hwnd;
    ForgetControls(window);
    const bool own = record->own;
    windows.erase(window);
    if (own) {
        // The main window was never disabled for it (a dialog may be open).
        DestroyWindow(hwnd);
        return;
    }
    // Enabled before the dialog goes, so the activation returns to it.
    if (HWND main = MainHwnd()) EnableWindow(main, TRUE);
    DestroyWindow(hwnd);
    if (HWND main = MainHwnd()) SetForegroundWindow(main);
}

}  // namespace platform
