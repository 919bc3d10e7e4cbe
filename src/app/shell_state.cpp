#include "app/shell_state.h"

#include "platform/window.h"

namespace app {

ShellState g_shell;

namespace {

// Only 0..18: the link, the stop button and the tree stay usable while a
// worker runs, so the user can still stop a search or look at the list.
constexpr int kLastBusyControl = AuthSystemCheck;

void EnableBusyRange(bool enabled) {
    for (int id = 0; id <= kLastBusyControl; ++id) {
        if (platform::ControlExists(id)) platform::SetEnabled(id, enabled);
    }
}

}  // namespace

void EnterBusy() {
    EnableBusyRange(false);
    g_shell.busy = true;
}

void LeaveBusy() {
    EnableBusyRange(true);
    g_shell.busy = false;
}

}  // namespace app
