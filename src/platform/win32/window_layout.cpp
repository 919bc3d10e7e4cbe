// Anchored controls: a window's resize moves each control's anchored edges
// by as much as the window grew since the anchors were set.
#include <windows.h>

#include "platform/win32/window_backend.h"

namespace platform::win32 {
namespace {

// One axis: the edges [from, to) for a window `grown` pixels larger. Both
// anchors stretch; the far one alone moves; neither keeps the centre's share.
void Shift(LONG& from, LONG& to, int grown, bool nearAnchor, bool farAnchor) {
    if (farAnchor) {
        to += grown;
        if (!nearAnchor) from += grown;
    } else if (!nearAnchor) {
        from += grown / 2;
        to += grown / 2;
    }
}

bool Anchored(const ControlRecord& c) { return c.anchors != (AnchorLeft | AnchorTop); }

}  // namespace

void LayOut(int handle, int width, int height) {
    if (handle < 0) return;
    int moved = 0;
    for (const auto& [id, c] : Controls()) moved += c.window == handle && Anchored(c);
    if (moved > 0) {
        // One pass for all: no control repaints at an in-between place.
        HDWP batch = BeginDeferWindowPos(moved);
        for (const auto& [id, c] : Controls()) {
            if (c.window != handle || !Anchored(c) || !batch) continue;
            RECT r = c.home;
            Shift(r.left, r.right, width - c.homeClient.cx, c.anchors & AnchorLeft,
                  c.anchors & AnchorRight);
            Shift(r.top, r.bottom, height - c.homeClient.cy, c.anchors & AnchorTop,
                  c.anchors & AnchorBottom);
            // A drop-down keeps the room its list drops into.
            const int room = c.kind == ControlKind::Choice ? ChoiceListRoom() : 0;
            batch = DeferWindowPos(batch, c.hwnd, nullptr, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top + room, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (batch) EndDeferWindowPos(batch);
    }
    for (const auto& [id, c] : Controls())
        if (c.window == handle && c.kind == ControlKind::List) FitLastColumn(c);
}

}  // namespace platform::win32

namespace platform {
using namespace platform::win32;

void SetAnchors(int id, unsigned anchors) {
    ControlRecord* c = FindControl(id);
    if (!c) return;
    HWND parent = GetParent(c->hwnd);
    RECT client{};
    GetClientRect(parent, &client);
    GetWindowRect(c->hwnd, &c->home);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&c->home), 2);
    c->homeClient = SIZE{client.right, client.bottom};
    c->anchors = anchors;
}

}  // namespace platform
