// The program's event queue, the calls other threads hand to the main
// thread, and repainting while a command runs, its input dropped.
#include <windows.h>

#include "platform/main_thread_queue.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {
namespace {

// Set with every queued item, so RunQueuedCalls can sleep on it.
const HANDLE queued = CreateEventW(nullptr, FALSE, FALSE, nullptr);

int commandDepth = 0;     // > 0 while a command keeps the window painted
bool closeAsked = false;  // the main window's close request came meanwhile

// The user's keys and clicks in a window's client area. The caption and
// the close box (non-client messages) and Alt+F4 still work: they ask to close.
bool IsDroppedInput(const MSG& msg) {
    if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4) return false;
    return (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
           (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
}

bool IsOurs(HWND root) { return root && WindowHandleOf(root) >= 0; }

// Return or Escape that the focused control takes for itself: a line break
// in the editor, the pick or the closing of a dropped list.
bool TakenByControl(const MSG& msg) {
    int id = -1;
    const ControlRecord* c = ControlOf(msg.hwnd, &id);
    if (c && c->kind == ControlKind::Editor)
        return msg.wParam == VK_RETURN && GetKeyState(VK_CONTROL) >= 0;
    return c && c->kind == ControlKind::Choice && SendMessageW(c->hwnd, CB_GETDROPPEDSTATE, 0, 0);
}

// Return presses the window's default button, whatever has the focus: the
// system would press a focused push button instead (Cancel, say). In a window
// without one, a field reports it and a tree or list takes it as a double click.
// Ctrl+Return in the editor is its Activate.
void PressReturn(HWND root, HWND focus) {
    int id = -1;
    const ControlRecord* c = ControlOf(focus, &id);
    if (c && c->kind == ControlKind::Editor) {
        Controls().Report(id, EventType::Activate);
        return;
    }
    const WindowRecord* w = FindWindow(WindowHandleOf(root));
    if (w && w->defaultButton >= 0) {
        const ControlRecord* button = FindControl(w->defaultButton);
        if (button && IsWindowEnabled(button->hwnd))
            Controls().Report(w->defaultButton, EventType::LeftClick);
        return;
    }
    if (c && c->kind == ControlKind::Field)
        Controls().Report(id, EventType::Activate);
    else if (c && (c->kind == ControlKind::Tree || c->kind == ControlKind::List))
        Controls().Report(id, EventType::DoubleClick);
}

// Escape asks a dialog or a window of its own to close, as its close box does.
void PressEscape(HWND root) {
    const int handle = WindowHandleOf(root);
    if (handle > 0) QueueEvent(Event{Event::Close, handle});
}

void Dispatch(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    const bool key = msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR;
    if (key && IsOurs(root) && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        if (TakenByControl(msg)) {
            // Past the dialog manager, which would press the default button.
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            return;
        }
        // A held key acts once.
        const bool firstPress = msg.message == WM_KEYDOWN && !(msg.lParam & 0x40000000);
        if (msg.wParam == VK_RETURN && firstPress) PressReturn(root, msg.hwnd);
        if (msg.wParam == VK_ESCAPE && firstPress) PressEscape(root);
        return;
    }
    // Tab and Shift+Tab move the focus, in creation order.
    if (IsOurs(root) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace

void ReportClose(int window) {
    if (commandDepth == 0) {
        QueueEvent(Event{Event::Close, window});
        return;
    }
    if (window == 0) closeAsked = true;  // a dialog's waits for the command's end
}

bool CloseAsked() { return closeAsked; }

void DropQueued() {
    queue::Clear();
    closeAsked = false;
}

}  // namespace platform::win32

namespace platform {
using namespace platform::win32;

// A blocked GetMessage returns once the message window gets kWakeMessage.
// Calls are run by the program's own waits only, never inside a message
// box's loop.
void WakeMainLoop() {
    SetEvent(queued);
    if (HWND target = MessageWindow(); target && !OnMainThread())
        PostMessageW(target, kWakeMessage, 0, 0);
}

Event WaitEvent() {
    // A close asked during a command is answered before anything queued.
    if (closeAsked) return Event{Event::Close, 0};
    EnsureMainShown();
    MSG msg;
    // The window's own messages go between queued calls, so a worker handing
    // over rows without pause can't starve painting and input.
    bool handled = false;
    for (int i = 0; i < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the wait below
            break;
        }
        Dispatch(msg);
        handled = true;
    }
    if (std::optional<queue::Taken> t = queue::TakeNext()) return t->event;
    if (handled) return Event{};  // whatever the window handled still counts as an event
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {  // WM_QUIT: the session is ending
        Event e;
        e.kind = Event::Close;
        return e;
    }
    if (got > 0) Dispatch(msg);
    if (std::optional<queue::Taken> t = queue::TakeNext()) return t->event;
    return Event{};  // whatever the window handled still counts as an event
}

void RunQueuedCalls(int ms) {
    EnsureMainShown();
    if (!queue::HasWaitingCalls() && ms > 0) {
        // Sleep on the call queue, still painting and dropping input.
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
        while (!queue::HasWaitingCalls() && !closeAsked) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) break;
            MsgWaitForMultipleObjectsEx(1, &queued, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                        0);
            KeepPainted();
        }
    }
    queue::RunWaitingCalls();
    KeepPainted();
}

bool ReturnKeyDown() { return (GetKeyState(VK_RETURN) & 0x8000) != 0; }

bool KeepPainted() {
    EnsureMainShown();
    // Bounded, so a window that keeps invalidating can't stall the command.
    ++commandDepth;
    MSG msg;
    for (int i = 0; i < 200 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT)
            closeAsked = true;  // the session is ending
        else if (!IsDroppedInput(msg))
            DispatchMessageW(&msg);
    }
    --commandDepth;
    return !closeAsked;
}

}  // namespace platform
