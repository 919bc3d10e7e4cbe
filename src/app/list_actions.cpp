#include "app/list_actions.h"

#include <vector>

#include "app/blame_window.h"
#include "app/changes_window.h"
#include "app/entry_tree.h"
#include "app/history_window.h"
#include "app/repository_files.h"
#include "app/shell_state.h"
#include "app/text_dialog.h"
#include "browse/local_browser.h"
#include "browse/status_codes.h"
#include "i18n/catalogue.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "svnclient/arguments.h"
#include "svnclient/repository.h"
#include "svnclient/status.h"
#include "svnclient/working_copy.h"

namespace app {

namespace {

using browse::ListEntry;
using i18n::Translate;

// Fills the clicked-item fields from the selected row. A click on empty
// space selects nothing, and then there is nothing to act on.
bool GatherClickedItem() {
    const int row = platform::TreeSelectedRow(EntryTree);
    g_shell.clickedRow = row;
    if (row < 0) return false;
    g_shell.clickedDepth = platform::TreeDepth(EntryTree, row);
    g_shell.clickedName = platform::TreeText(EntryTree, row);
    // A search match names a folder by its trailing "/" alone.
    g_shell.clickedIsFolder = platform::TreeValue(EntryTree, row) != 0 ||
                              platform::EndsWithSeparator(g_shell.clickedName);
    g_shell.clickedPath = ItemPath(row, g_shell.clickedDepth);
    return true;
}

// Lists a collapsed folder below its row, with "Please wait" on `button`.
void ExpandFolder(int button, const char* caption, void (*list)(int, int, const std::string&)) {
    if (!g_shell.clickedIsFolder || platform::TreeExpanded(EntryTree, g_shell.clickedRow)) return;
    platform::SetText(button, Translate("Please wait"));
    list(g_shell.clickedRow + 1, g_shell.clickedDepth + 1, g_shell.clickedPath);
    ShowEntries();
    platform::TreeSelect(EntryTree, g_shell.clickedRow);
    platform::SetText(button, Translate(caption));
}

std::string CurrentStatusDescription() {
    const ListEntry* e = g_entries.Current();
    return e ? browse::StatusDescription(e->status) : std::string();
}

// Runs a working-copy command on the selected entry, then shows its new status.
void ApplyToSelectedEntry(svnclient::ClientResult (*command)(const std::string&), bool confirm) {
    const int row = platform::TreeSelectedRow(EntryTree);
    if (!g_entries.MakeCurrent(row)) return;
    if (confirm && !platform::AskYesNo(Translate("Deletion"),
                                       Translate("Are you sure to want to delete this item ?")))
        return;
    const std::string path = g_entries.Current()->path;
    ReportClientError(command(path).errors);
    if (!g_entries.MakeCurrent(row)) return;
    g_entries.Current()->status = browse::EntryStatus(path);
    ShowEntries();
    platform::TreeSelect(EntryTree, row);
}

// The folder entry that holds the current entry: the nearest entry above it
// with a smaller depth. Null at the top level.
const ListEntry* EnclosingFolder() {
    const int depth = g_entries.Current()->depth;
    while (g_entries.Previous()) {
        if (g_entries.Current()->depth < depth) return g_entries.Current();
    }
    return nullptr;
}

// Lists `folder` again below its row (the whole top level when null),
// redraws the tree and selects the clicked row, or the folder's row.
void RelistRemote(const ListEntry* folder) {
    platform::SetText(ExploreRemoteButton, Translate("Please wait"));
    if (folder) {
        g_shell.clickedRow = folder->row;
        const int depth = folder->depth;
        const std::string path = folder->path;
        ListRemoteEntries(g_shell.clickedRow + 1, depth + 1, path);
    } else {
        ListRemoteEntries(0, 0, "");
    }
    ShowEntries();
    // A deleted last entry leaves no row to select.
    if (g_shell.clickedRow < platform::TreeCount(EntryTree))
        platform::TreeSelect(EntryTree, g_shell.clickedRow);
    platform::SetText(ExploreRemoteButton, Translate("Explore remote repositery"));
    g_shell.listContent = ListContent::RemoteTree;
}

// Reads the selected row into the clicked-item fields for a download.
bool TakeSelectedFile() {
    g_shell.clickedRow = platform::TreeSelectedRow(EntryTree);
    if (g_shell.clickedRow < 0) return false;
    g_shell.clickedName = platform::TreeText(EntryTree, g_shell.clickedRow);
    g_shell.clickedPath = ItemPath(g_shell.clickedRow, g_shell.clickedDepth);
    return true;
}

std::string WithoutNameBreakers(std::string name) {
    for (const char bad : {'?', ':', '/', '\\'}) std::erase(name, bad);
    return name;
}

std::string FolderPart(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// What an undo throws away: edited text or properties. An add, a delete or a
// missing file undone loses nothing; the file stays or comes back.
bool LosesWork(const std::string& code) { return code == "M" || code == "R" || code == "C"; }

// "Tree conflict: local edit, incoming delete upon update", as the client
// itself words it; the client's own words for what happened.
std::string TreeConflictText(const svnclient::TreeConflict& c) {
    return Translate("Tree conflict:") + " " + Translate("local") + " " + c.reason + ", " +
           Translate("incoming") + " " + c.action + " " + Translate("upon") + " " + c.operation;
}

// The changes below `folder` an undo would throw away, one line each: the
// status word and the path. At most kBoxLines, then how many more.
std::string ChangesBelow(const std::string& folder) {
    constexpr size_t kBoxLines = 30;
    std::vector<std::string> lines;
    svnclient::SvnStatusXml(folder, [&lines, &folder](svnclient::StatusEntry e) {
        if (!LosesWork(e.code)) return;
        const bool below =
            e.path.size() > folder.size() && e.path.compare(0, folder.size(), folder) == 0;
        lines.push_back(browse::StatusDescription(e.code) + "  " +
                        (below ? e.path.substr(folder.size() + 1) : e.path));
    });
    std::string text;
    for (size_t i = 0; i < lines.size() && i < kBoxLines; ++i) text += lines[i] + "\n";
    if (lines.size() > kBoxLines)
        text += Translate("and") + " " + std::to_string(lines.size() - kBoxLines) + " " +
                Translate("more");
    return text;
}

// An entry that has a history: anything the working copy holds.
bool IsVersioned(const std::string& status) {
    return status != "?" && status != "I" && status != "X";
}

// Local changes a diff can show.
bool HasTextChanges(const std::string& status) {
    return status == "M" || status == "R" || status == "C";
}

// The menu's items for the windows of their own, after the list's own.
void AddWindowItems(std::vector<platform::MenuItem>& items, bool isFile) {
    if (g_shell.listContent == ListContent::LocalTree) {
        const ListEntry* e = g_entries.Current();
        if (!e || !IsVersioned(e->status)) return;
        const std::string& status = e->status;
        items.push_back({HistoryItem, Translate("History…")});
        if (isFile && HasTextChanges(status)) items.push_back({ChangesItem, Translate("Changes…")});
        if (isFile) items.push_back({BlameItem, Translate("Blame…")});
    } else {
        items.push_back({HistoryItem, Translate("History…")});
        if (isFile) items.push_back({BlameItem, Translate("Blame…")});
    }
}

// What the selected row names for the client: the entry's working-copy path,
// or its URL in the repository.
std::string SelectedTarget() {
    if (!GatherClickedItem()) return "";
    if (g_shell.listContent == ListContent::LocalTree)
        return g_entries.MakeCurrent(g_shell.clickedRow) ? g_entries.Current()->path : "";
    if (g_shell.listContent == ListContent::RemoteTree ||
        g_shell.listContent == ListContent::SearchResults)
        return svnclient::RepositoryUrl(g_shell.clickedPath);
    return "";
}

}  // namespace

std::string ItemPath(int row, int depth) {
    std::string path = platform::TreeText(EntryTree, row);
    for (int r = row - 1; r >= 0 && depth > 0; --r) {
        const int d = platform::TreeDepth(EntryTree, r);
        if (d >= depth) continue;
        const std::string ancestor = platform::TreeText(EntryTree, r);
        const bool addSeparator =
            platform::TreeValue(EntryTree, r) != 0 && !platform::EndsWithSeparator(ancestor);
        path = addSeparator ? ancestor + platform::kSeparator + path : ancestor + path;
        depth = d;
    }
    return path;
}

void OpenEntry() {
    if (!GatherClickedItem()) return;
    switch (g_shell.listContent) {
    case ListContent::LocalTree:
        ExpandFolder(ExploreLocalButton, "Explore local repositery", ListLocalEntries);
        break;
    case ListContent::RemoteTree:
        if (g_shell.clickedIsFolder)
            ExpandFolder(ExploreRemoteButton, "Explore remote repositery", ListRemoteEntries);
        else
            SaveRepositoryFile();
        break;
    case ListContent::SearchResults:
        if (!g_shell.clickedIsFolder) SaveRepositoryFile();
        break;
    case ListContent::None:
    case ListContent::CopyOutput: break;
    }
}

void ShowEntryMenu() {
    if (g_shell.listContent == ListContent::None || !GatherClickedItem()) return;
    g_entries.MakeCurrent(g_shell.clickedRow);
    std::vector<platform::MenuItem> items;
    const bool isFile = g_shell.clickedIsFolder == 0;
    switch (g_shell.listContent) {
    case ListContent::LocalTree:
    case ListContent::CopyOutput: {
        std::string description = CurrentStatusDescription();
        if (!description.empty()) {
            const bool local = g_shell.listContent == ListContent::LocalTree;
            const bool conflict = local && g_entries.Current()->status == "C";
            // A tree conflict is settled by hand: only "Resolved" fits it.
            const svnclient::TreeConflict tree =
                conflict ? svnclient::SvnTreeConflict(g_entries.Current()->path)
                         : svnclient::TreeConflict{};
            if (tree.Found()) description = TreeConflictText(tree);
            items.push_back({StatusItem, description, false});
            if (local) {
                items.push_back({AddItem, Translate("Add")});
                items.push_back({UndoItem, Translate("Undo")});
                if (conflict && !tree.Found()) {
                    items.push_back({KeepMineItem, Translate("Keep mine")});
                    items.push_back({TakeTheirsItem, Translate("Take theirs")});
                }
                if (conflict) items.push_back({ResolvedItem, Translate("Resolved")});
            }
        }
        items.push_back({DeleteLocalItem, Translate("Delete")});
        if (g_shell.listContent == ListContent::LocalTree) AddWindowItems(items, isFile);
        break;
    }
    case ListContent::RemoteTree:
    case ListContent::SearchResults:
        if (isFile) {
            items.push_back({DownloadItem, Translate("Download")});
            items.push_back({OpenItem, Translate("Open")});
        }
        // Changing the repository is offered only with both credential
        // fields filled, whatever the cache box says.
        if (g_shell.listContent == ListContent::RemoteTree &&
            !platform::GetText(UserNameField).empty() &&
            !platform::GetText(PasswordField).empty()) {
            items.push_back({CreateDirectoryItem, Translate("Create directory")});
            items.push_back({DeleteRemoteItem, Translate("Delete")});
        }
        AddWindowItems(items, isFile);
        break;
    case ListContent::None: break;
    }
    if (!items.empty()) platform::ShowPopupMenu(items);
}

void ShowEntryHistory() {
    const std::string target = SelectedTarget();
    if (!target.empty()) ShowHistory(target);
}

void ShowEntryChanges() {
    const std::string target = SelectedTarget();
    if (!target.empty()) ShowChanges(target, 0);
}

void ShowEntryBlame() {
    const std::string target = SelectedTarget();
    if (!target.empty()) ShowBlame(target);
}

void AddEntry() { ApplyToSelectedEntry(svnclient::SvnAdd, false); }

void UndoEntry() {
    const int row = platform::TreeSelectedRow(EntryTree);
    if (!g_entries.MakeCurrent(row)) return;
    const ListEntry& e = *g_entries.Current();
    // Undo throws edits away: it asks first, with No the default, whenever
    // there are some to lose.
    std::string changed = e.isFolder ? ChangesBelow(e.path) : LosesWork(e.status) ? e.name : "";
    if (!changed.empty()) {
        std::string question = Translate("Undo your changes to %s? They will be lost.");
        if (const size_t at = question.find("%s"); at != std::string::npos)
            question.replace(at, 2, e.name);
        if (e.isFolder) question += platform::kParagraphBreak + changed;
        if (!platform::AskYesNo(Translate("Undo"), question, true)) return;
    }
    ApplyToSelectedEntry(svnclient::SvnRevert, false);
}

void ResolveEntry() {
    ApplyToSelectedEntry([](const std::string& path) { return svnclient::SvnResolve(path); },
                         false);
}

void KeepMine() {
    ApplyToSelectedEntry(
        [](const std::string& path) { return svnclient::SvnResolve(path, "mine-full"); }, false);
}

void TakeTheirs() {
    ApplyToSelectedEntry(
        [](const std::string& path) { return svnclient::SvnResolve(path, "theirs-full"); }, false);
}

void DeleteLocalEntry() { ApplyToSelectedEntry(svnclient::SvnDelete, true); }

void DownloadEntry() {
    if (TakeSelectedFile()) SaveRepositoryFile();
}

void OpenEntryFile() {
    if (TakeSelectedFile()) OpenRepositoryFile();
}

void DeleteRemoteEntry() {
    if (!GatherClickedItem() || !g_entries.MakeCurrent(g_shell.clickedRow)) return;
    if (!platform::AskYesNo(Translate("Deletion"),
                            Translate("Are you sure to want to delete this item ?")))
        return;
    ReportClientError(svnclient::SvnRemoteDelete(g_entries.Current()->path).errors);
    g_entries.MakeCurrent(g_shell.clickedRow);
    RelistRemote(g_entries.Current()->depth == 0 ? nullptr : EnclosingFolder());
}

void CreateRemoteDirectory() {
    g_shell.clickedRow = platform::TreeSelectedRow(EntryTree);
    if (g_shell.clickedRow < 0) return;
    g_shell.clickedDepth = platform::TreeDepth(EntryTree, g_shell.clickedRow);
    const std::string name = WithoutNameBreakers(
        AskText(Translate("Create directory"), Translate("Give the future directory a name"), ""));
    if (name.empty() || !g_entries.MakeCurrent(g_shell.clickedRow)) return;
    ReportClientError(
        svnclient::SvnRemoteMkdir(FolderPart(g_entries.Current()->path), name).errors);
    g_entries.MakeCurrent(g_shell.clickedRow);
    // The folder that got the new one is listed open, so the new one shows.
    const ListEntry* clicked = g_entries.Current();
    if (clicked->isFolder)
        RelistRemote(clicked);
    else
        RelistRemote(clicked->depth == 0 ? nullptr : EnclosingFolder());
}

}  // namespace app
