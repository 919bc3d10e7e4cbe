// The state the main window reflects: what the list shows, whether a command
// keeps the window busy, the item the user last clicked.
#pragma once
#include <atomic>
#include <string>

#include "app/control_ids.h"

namespace app {

enum class ListContent { None, LocalTree, RemoteTree, SearchResults, CopyOutput };

struct ShellState {
    ListContent listContent = ListContent::None;
    std::atomic<bool> busy{false};
    std::string searchText;
    int clickedRow = -1;
    int clickedDepth = 0;
    std::string clickedName;
    int clickedIsFolder = 0;
    std::string clickedPath;
};

extern ShellState g_shell;

// Disable / enable every existing control 0..18, then set / clear `busy`.
// Main thread.
void EnterBusy();
void LeaveBusy();

}  // namespace app
