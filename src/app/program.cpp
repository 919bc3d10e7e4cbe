#include "app/program.h"

#include <string>

#include "app/blame_window.h"
#include "app/changes_window.h"
#include "app/dispatch.h"
#include "app/entry_tree.h"
#include "app/history_window.h"
#include "app/main_window.h"
#include "app/shell_state.h"
#include "app/workers.h"
#include "i18n/catalogue.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "svnclient/client.h"

namespace app {

bool StartProgram() {
    g_entries.Clear();
    g_shell.busy = false;
    settings::LoadSettings();
    i18n::LoadCatalogue(platform::DataFolder("locale"), settings::g_settings.language);
    if (!platform::InitWindowing() || !CreateMainWindow()) return false;
    // A command on this thread keeps the window painted, and a close request
    // ends it.
    svnclient::SetWaitHook(platform::KeepPainted);
    LoadIcons(platform::DataFolder("gfx"));
    g_shell.listContent = ListContent::None;
    return true;
}

void RunEventLoop() {
    while (!HandleEvent(platform::WaitEvent())) {
    }
}

int EndProgram() {
    // Their clients end with them.
    CloseHistory();
    CloseChanges();
    CloseBlame();
    settings::SaveSettings();
    i18n::ReleaseCatalogue();
    ReleaseWorkers();
    platform::ShutdownWindowing();
    return 0;
}

int RunProgram() {
    // A window that can't open ends the run quietly, settings still saved.
    if (StartProgram()) RunEventLoop();
    return EndProgram();
}

}  // namespace app
