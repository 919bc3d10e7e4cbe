// The program's event queue, the calls other threads hand to the main
// thread, and repainting without taking input while a command runs.
#include <windows.h>

#include "platform/main_thread_queue.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {
namespace {

// Set with every queued item, so RunQueuedCalls can sleep on it.
const HANDLE queued = CreateEventW(nullptr, FALSE, FALSE, nullptr);

bool IsOurs(HWND root) { return root && WindowHandleOf(root) >= 0; }

// Return presses the window's default button, whatever has the focus: the
// system would press a focused push button instead (Cancel, say). In a window
// without one, a field reports it and the tree takes it as a double click.
void PressReturn(HWND root, HWND focus) {
    const WindowRecord* w = FindWindow(WindowHandleOf(root));
    if (w && w->defaultButton >= 0) {
        const ControlRecord* c = FindControl(w->defaultButton);
        if (c && IsWindowEnabled(c->hwnd)) Controls().Report(w->defaultButton, EventType::LeftClick);
        return;
    }
    int id = -1;
    const ControlRecord* c = ControlOf(focus, &id);
    if (c && c->kind == ControlKind::Field) Controls().Report(id, EventType::Activate);
    else if (c && c->kind == ControlKind::Tree) Controls().Report(id, EventType::DoubleClick);
}

// Escape asks a dialog to close, as its close box does.
void PressEscape(HWND root) {
    const int handle = WindowHandleOf(root);
    if (handle > 0) QueueEvent(Event{Event::Close, handle});
}

void Dispatch(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    const bool key = msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR;
    if (key && IsOurs(root) && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
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

void DropQueued() { queue::Clear(); }

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
    EnsureMainShown();
    if (std::optional<queue::Taken> t = queue::TakeNext()) return t->event;
    MSG msg;
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
        // Sleep on the call queue, still painting; input stays queued.
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
        while (!queue::HasWaitingCalls()) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) break;
            MsgWaitForMultipleObjectsEx(1, &queued, static_cast<DWORD>(deadline - now),
                                        QS_PAINT | QS_SENDMESSAGE, 0);
            KeepPainted();
        }
    }
    queue::RunWaitingCalls();
    KeepPainted();
}

bool ReturnKeyDown() { return (GetKeyState(VK_RETURN) & 0x8000) != 0; }

void KeepPainted() {
    EnsureMainShown();
    // Paint messages only: clicks and keys wait in the queue for the loop.
    // Bounded, so a window that keeps invalidating can't stall the command.
    MSG msg;
    for (int i = 0; i < 200 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT); ++i)
        DispatchMessageW(&msg);
}

}  // namespace platform
