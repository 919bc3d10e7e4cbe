// The ids of the windows' controls and of the pop-up menu's items. The main
// window's control ids are also the Tab order's table rows.
#pragma once

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

    // The windows of their own; ids are unique across every window.
    HistoryFilterLabel = 100,
    HistoryFilterField = 101,
    HistoryList = 102,
    HistoryDetails = 103,
    HistoryMoreButton = 104,
    HistoryChangesButton = 105,
    HistoryStatus = 106,
    ChangesText = 110,
    ChangesStatus = 111,
    BlameList = 120,
    BlameMessage = 121,
    BlameStatus = 122,
    CommitSummary = 130,
    CommitList = 131,
    CommitHint = 132,
    CommitPrompt = 133,
    CommitMessage = 134,
    CommitRecent = 135,
    CommitOk = 136,
    CommitCancel = 137,
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
    ResolvedItem = 9,
    HistoryItem = 10,
    ChangesItem = 11,
    BlameItem = 12,
    KeepMineItem = 13,
    TakeTheirsItem = 14,
};

}  // namespace app
