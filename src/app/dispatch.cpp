#include "app/dispatch.h"

#include "app/blame_window.h"
#include "app/changes_window.h"
#include "app/commit_window.h"
#include "app/history_window.h"
#include "app/list_actions.h"
#include "app/main_window.h"
#include "app/shell_state.h"
#include "app/user_actions.h"
#include "app/workers.h"
#include "platform/window.h"

namespace app {

namespace {

using platform::Event;
using platform::EventType;

void DispatchControl(int id, EventType type) {
    switch (id) {
    case UrlField:
        if (type == EventType::Change)
            OnUrlChanged();
        else if (type == EventType::Activate)
            OnGoLink();
        break;
    case SearchField:
        // Return searches as the button would; it is gone while a search runs.
        if (type == EventType::Activate && platform::ControlExists(SearchButton) &&
            platform::IsEnabled(SearchButton))
            OnSearchClicked();
        break;
    case FolderField:
        if (type == EventType::FocusLost) OnFolderFocusLost();
        break;
    case UserNameField:
        if (type == EventType::FocusLost) OnUserNameFocusLost();
        break;
    case PasswordField:
        if (type == EventType::FocusLost) OnPasswordFocusLost();
        break;
    case EntryTree:
        if (type == EventType::DoubleClick)
            OpenEntry();
        else if (type == EventType::RightClick)
            ShowEntryMenu();
        break;
    case GoLink: OnGoLink(); break;
    case AuthSystemCheck: OnAuthSystemClicked(); break;
    case SearchButton: OnSearchClicked(); break;
    case StopSearchButton: OnStopSearchClicked(); break;
    case ReadOnlyCopyButton: OnReadOnlyCopyClicked(); break;
    case ChooseButton: OnChooseClicked(); break;
    case WorkCopyButton: OnWorkCopyClicked(); break;
    case ReceiveUpdateButton: OnReceiveUpdateClicked(); break;
    case CleanupButton: OnCleanupClicked(); break;
    case SendUpdateButton: OnSendUpdateClicked(); break;
    case ExploreRemoteButton: OnExploreRemoteClicked(); break;
    case ExploreLocalButton: OnExploreLocalClicked(); break;
    default: break;  // labels do nothing
    }
}

void DispatchMenu(int item) {
    switch (item) {
    case AddItem: AddEntry(); break;
    case UndoItem: UndoEntry(); break;
    case ResolvedItem: ResolveEntry(); break;
    case KeepMineItem: KeepMine(); break;
    case TakeTheirsItem: TakeTheirs(); break;
    case DeleteLocalItem: DeleteLocalEntry(); break;
    case DownloadItem: DownloadEntry(); break;
    case OpenItem: OpenEntryFile(); break;
    case DeleteRemoteItem: DeleteRemoteEntry(); break;
    case CreateDirectoryItem: CreateRemoteDirectory(); break;
    case HistoryItem: ShowEntryHistory(); break;
    case ChangesItem: ShowEntryChanges(); break;
    case BlameItem: ShowEntryBlame(); break;
    default: break;  // the status line is only information
    }
}

}  // namespace

bool HandleOwnWindowEvent(const Event& e) {
    return e.window != 0 && (HandleHistoryEvent(e) || HandleChangesEvent(e) || HandleBlameEvent(e));
}

bool HandleEvent(const Event& e) {
    // The windows of their own live beside the main one; theirs is theirs.
    if (HandleOwnWindowEvent(e)) return false;
    if (e.kind == Event::Control && e.window == 0)
        DispatchControl(e.id, e.type);
    else if (e.kind == Event::Menu)
        DispatchMenu(e.id);
    if (!g_shell.busy) UpdateCredentialControls();
    return e.kind == Event::Close && e.window == 0;
}

}  // namespace app
