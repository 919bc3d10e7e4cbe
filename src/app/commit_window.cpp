#include "app/commit_window.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/changes_window.h"
#include "app/dispatch.h"
#include "app/entry_tree.h"
#include "app/own_window.h"
#include "app/row_batches.h"
#include "app/shell_state.h"
#include "app/user_actions.h"
#include "browse/status_codes.h"
#include "i18n/catalogue.h"
#include "platform/window.h"
#include "settings/message_history.h"
#include "settings/settings.h"
#include "svnclient/status.h"
#include "svnclient/working_copy.h"

namespace app {

namespace {

using i18n::Translate;
using platform::ControlKind;
using settings::g_settings;

enum Column { Tick, Status, Path };

struct Row {
    std::string path;  // relative to the local folder
    std::string code;
};

struct CommitState {
    WindowWorker status;           // reads what would be sent
    std::vector<Row> rows;         // in list order
    std::vector<Row> unversioned;  // listed once the changes are
    bool done = false;
    std::string errors;
    std::string failedMessage;  // kept for the next try
    std::vector<std::string> recent;
} g;

bool Changed(const std::string& code) {
    return code == "M" || code == "A" || code == "D" || code == "R";
}
// What a commit can't take: the user must settle it first.
bool Blocking(const std::string& code) { return code == "C" || code == "!" || code == "~"; }

std::string Relative(const std::string& path) {
    const std::string& folder = g_settings.SVNLocalRepositery;
    std::string base = folder;
    while (!base.empty() && (base.back() == '/' || base.back() == '\\')) base.pop_back();
    if (path.size() > base.size() && path.compare(0, base.size(), base) == 0 &&
        (path[base.size()] == '/' || path[base.size()] == '\\'))
        return path.substr(base.size() + 1);
    return path;
}

void AppendRows(const std::vector<Row>& rows, bool listed) {
    std::vector<std::vector<std::string>> cells;
    for (const Row& r : rows) {
        const char* tick = r.code == "?" ? "0" : Blocking(r.code) ? "" : "1";
        cells.push_back({tick, browse::StatusDescription(r.code), r.path});
        g.rows.push_back(r);
    }
    if (listed) platform::ListAppend(CommitList, cells);
}

void UpdateSummary() {
    if (!platform::ControlExists(CommitList)) return;
    size_t changes = 0, blocking = 0;
    for (const Row& r : g.rows) {
        changes += r.code != "?";
        blocking += Blocking(r.code);
    }
    platform::SetText(CommitSummary, std::to_string(changes) + " " + Translate("changes") + ", " +
                                         std::to_string(g.rows.size() - changes) + " " +
                                         Translate("unversioned"));
    platform::SetText(
        CommitHint, blocking == 0 ? ""
                                  : Translate("Missing and conflicted entries can't be committed: "
                                              "restore, delete or resolve them first."));
}

// Rows as the status reader finds them: changes at once, the unversioned
// ones after every change.
void TakeStatus(const std::vector<svnclient::StatusEntry>& entries) {
    std::vector<Row> changes;
    for (const auto& e : entries) {
        if (e.code.empty() || e.code == "I" || e.code == "X") continue;
        Row r{Relative(e.path), e.code};
        if (e.code == "?")
            g.unversioned.push_back(std::move(r));
        else
            changes.push_back(std::move(r));
    }
    AppendRows(changes, platform::ControlExists(CommitList));
    UpdateSummary();
}

void StatusDone(const svnclient::ClientResult& result) {
    g.done = true;
    g.errors = result.errors;
    AppendRows(g.unversioned, platform::ControlExists(CommitList));
    g.unversioned.clear();
    UpdateSummary();
}

void ReadStatus() {
    g.rows.clear();
    g.unversioned.clear();
    g.done = false;
    g.errors.clear();
    WindowWorker& worker = g.status;
    worker.Start([&worker, folder = g_settings.SVNLocalRepositery](const std::atomic<bool>& stop) {
        RowBatches<svnclient::StatusEntry> batches(
            worker.WhileCurrent(
                [](int, const std::vector<svnclient::StatusEntry>& e) { TakeStatus(e); }),
            &stop);
        const svnclient::ClientResult result = svnclient::SvnStatusXml(
            folder, [&batches](svnclient::StatusEntry e) { batches.Add(std::move(e)); }, &stop,
            [&batches] { batches.HandOver(); });
        batches.HandOver();
        worker.HandOver([result] { StatusDone(result); });
    });
}

int OpenCommitWindow(const std::string& message) {
    const int dialog = platform::OpenDialog(Translate("Comment"), 560, 440);
    if (dialog < 0) return dialog;
    platform::CreateControl(dialog, CommitSummary, ControlKind::Label, 10, 10, 540, 20, "");
    platform::CreateControl(dialog, CommitList, ControlKind::List, 10, 32, 540, 200,
                            Translate("Changes"));
    platform::ListSetColumns(
        CommitList, {{"", 24, true}, {Translate("Status"), 120}, {Translate("Path"), 380}});
    platform::CreateControl(dialog, CommitHint, ControlKind::Label, 10, 235, 540, 20, "");
    platform::CreateControl(dialog, CommitPrompt, ControlKind::Label, 10, 260, 300, 20,
                            Translate("Give a comment for your commit"));
    platform::CreateControl(dialog, CommitRecent, ControlKind::Choice, 320, 258, 230, 22,
                            Translate("Recent messages"));
    // Each by its first line; a pick brings the whole message.
    std::vector<std::string> items;
    for (const std::string& m : g.recent) {
        const size_t cut = m.find_first_of("\r\n");
        items.push_back(cut == std::string::npos ? m : m.substr(0, cut) + " …");
    }
    platform::ChoiceSetItems(CommitRecent, items);
    platform::SetEnabled(CommitRecent, !items.empty());
    platform::CreateControl(dialog, CommitMessage, ControlKind::Editor, 10, 284, 540, 110,
                            Translate("Comment"));
    platform::SetText(CommitMessage, message);
    platform::SetLabelFor(CommitPrompt, CommitMessage);
    platform::CreateControl(dialog, CommitOk, ControlKind::Button, 370, 405, 85, 25, "OK");
    platform::CreateControl(dialog, CommitCancel, ControlKind::Button, 465, 405, 85, 25, "Cancel");
    std::vector<Row> shown = std::move(g.rows);
    g.rows.clear();
    AppendRows(shown, true);
    UpdateSummary();
    platform::SetFocus(CommitMessage);
    return dialog;
}

std::vector<std::string> Ticked(bool unversioned) {
    std::vector<std::string> paths;
    for (size_t i = 0; i < g.rows.size(); ++i)
        if ((g.rows[i].code == "?") == unversioned &&
            platform::ListText(CommitList, static_cast<int>(i), Tick) == "1")
            paths.push_back(g.rows[i].path);
    return paths;
}

// Today's one-line commit of the whole folder when that is exactly what the
// user chose; the chosen paths and a message file otherwise.
svnclient::ClientResult Commit(const std::vector<std::string>& changes,
                               const std::vector<std::string>& added, const std::string& message,
                               const svnclient::LineSink& onLine) {
    // A row that can't be ticked counts as left out: the whole folder's
    // commit would take it and fail.
    const size_t changed = std::count_if(g.rows.begin(), g.rows.end(), [](const Row& r) {
        return Changed(r.code) || Blocking(r.code);
    });
    if (added.empty() && changes.size() == changed &&
        message.find_first_of("\r\n") == std::string::npos)
        return svnclient::SvnCommit(message, onLine);
    if (!added.empty()) {
        std::vector<std::string> full;
        for (const std::string& p : added) full.push_back(g_settings.SVNLocalRepositery + p);
        svnclient::ClientResult r = svnclient::SvnAddAll(full);
        if (!r.errors.empty()) return r;
    }
    std::vector<std::string> paths = changes;
    paths.insert(paths.end(), added.begin(), added.end());
    return svnclient::SvnCommitPaths(paths, message, onLine);
}

void SendUpdate(const std::string& message, const std::vector<std::string>& changes,
                const std::vector<std::string>& added) {
    ClearEntries();
    platform::SetText(SendUpdateButton, Translate("Please wait"));
    int row = 0;
    const std::string errors = Commit(changes, added, message, [&row](const std::string& line) {
                                   if (!line.empty()) AppendTextRow(row++, line);
                               }).errors;
    ReportClientError(errors);
    platform::SetText(SendUpdateButton, Translate("Send update"));
    g_shell.listContent = ListContent::None;
    if (errors.empty()) {
        g.failedMessage.clear();
        settings::RememberMessage(message);
    } else {
        g.failedMessage = message;
    }
}

// The dialog's own loop: every event of the program comes here while it is
// open; the windows of their own still get theirs.
std::string RunCommitWindow(int dialog) {
    for (;;) {
        const platform::Event e = platform::WaitEvent();
        using platform::EventType;
        if (e.window != 0 && e.window != dialog) {
            HandleOwnWindowEvent(e);
            continue;
        }
        if (e.kind == platform::Event::Close) return "";
        if (e.kind != platform::Event::Control) continue;
        const bool send = (e.id == CommitOk && e.type == EventType::LeftClick) ||
                          (e.id == CommitMessage && e.type == EventType::Activate);
        if (send) {
            const std::string message = platform::GetText(CommitMessage);
            if (message.empty()) continue;
            // What is sent is decided on the whole list.
            while (!g.done) platform::RunQueuedCalls(10);
            return message;
        } else if (e.id == CommitCancel && e.type == EventType::LeftClick) {
            return "";
        } else if (e.id == CommitRecent && e.type == EventType::Change) {
            const int picked = platform::ChoiceSelected(CommitRecent);
            if (picked >= 0 && picked < static_cast<int>(g.recent.size()))
                platform::SetText(CommitMessage, g.recent[picked]);
        } else if (e.id == CommitList && e.type == EventType::DoubleClick) {
            const int row = platform::ListSelectedRow(CommitList);
            if (row >= 0 && row < static_cast<int>(g.rows.size()))
                ShowChanges(g_settings.SVNLocalRepositery + g.rows[row].path, 0);
        }
    }
}

}  // namespace

void OnSendUpdateClicked() {
    if (RefuseEmptyLocalFolder()) return;
    platform::SetText(SendUpdateButton, Translate("Please wait"));
    ReadStatus();
    // The window opens with its first row, never empty.
    while (!g.done && g.rows.empty()) platform::RunQueuedCalls(10);
    platform::SetText(SendUpdateButton, Translate("Send update"));
    if (g.rows.empty() && g.unversioned.empty()) {
        if (!g.errors.empty())
            ReportClientError(g.errors);
        else
            platform::ShowMessage(Translate("Informations"),
                                  Translate("There is nothing to commit."));
        return;
    }
    g.recent = settings::LoadMessages();
    const std::string first = !g.failedMessage.empty()
                                  ? g.failedMessage
                                  : Translate("Update ") + std::to_string(LocalTimeAsUtcSeconds());
    const int dialog = OpenCommitWindow(first);
    if (dialog < 0) {
        g.status.Stop();
        platform::ShowMessage(Translate("Alert"), Translate("Canceled"));
        return;
    }
    const std::string message = RunCommitWindow(dialog);
    g.status.Stop();
    if (message.empty()) {
        platform::CloseDialog(dialog);
        platform::ShowMessage(Translate("Alert"), Translate("Canceled"));
        return;
    }
    // Read before the list goes with its window.
    const std::vector<std::string> changes = Ticked(false), added = Ticked(true);
    platform::CloseDialog(dialog);
    SendUpdate(message, changes, added);
}

}  // namespace app
