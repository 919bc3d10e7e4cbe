// The shell's global state and the main window's control ids. Kept apart from
// the handlers because the workers (copies, search) and the entry list use it.
#pragma once
#include <atomic>
#include <string>
#include <thread>

namespace app {

enum ControlId {
    UrlLabel = 0,
    UrlField = 1,
    SearchField = 2,
    SearchButton = 3,
    ExploreRemoteButton = 4,
    FolderLabel = 5,
    FolderField = 6,
    ChooseButton = 7,
    ReadOnlyCopyButton = 8,
    ExploreLocalButton = 9,
    WorkCopyButton = 10,
    SendUpdateButton = 11,
    ReceiveUpdateButton = 12,
    CleanupButton = 13,
    UserNameLabel = 14,
    UserNameField = 15,
    PasswordLabel = 16,
    PasswordField = 17,
    AuthSystemCheck = 18,
    GoLink = 20,
    StopSearchButton = 21,
    EntryTree = 22,
};

enum MenuItemId {
    StatusItem = 1,
    AddItem = 2,
    UndoItem = 3,
    DeleteLocalItem = 4,
    CreateDirectoryItem = 5,
    DeleteRemoteItem = 6,
    DownloadItem = 7,
    OpenItem = 8,
};

enum class ListContent { None, LocalTree, RemoteTree, SearchResults, CopyOutput };

struct ShellState {
    ListContent listContent = ListContent::None;
    std::atomic<bool> busy{false};
    std::atomic<bool> stopSearchRequested{false};
    std::thread searchThread;
    std::thread copyThread;
    std::string searchText;
    int clickedRow = -1;
    int clickedDepth = 0;
    std::string clickedName;
    int clickedIsFolder = 0;
    std::string clickedPath;
};

extern ShellState g_shell;

// Disable / enable every existing control 0..18, then set / clear `busy`.
// Main thread (workers reach LeaveBusy through platform::RunOnMainThread).
void EnterBusy();
void LeaveBusy();

}  // namespace app
