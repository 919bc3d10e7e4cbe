#include "app/history_window.h"

#include <algorithm>
#include <cwctype>
#include <vector>

#include "app/changes_window.h"
#include "app/control_ids.h"
#include "app/own_window.h"
#include "app/row_batches.h"
#include "i18n/catalogue.h"
#include "platform/utf8.h"
#include "svnclient/history.h"

namespace app {

namespace {

using i18n::Translate;
using platform::ControlKind;
using svnclient::LogEntry;

struct History {
    OwnWindow window;
    std::string target;
    std::vector<LogEntry> entries;  // as loaded: newest first
    std::vector<int> shown;         // the entry behind each list row
    std::string filter;             // folded
    bool loading = false;
    bool more = false;  // older entries may follow
} g;

// Lower case, code point by code point, for a filter that ignores case in
// every script the C library knows.
std::string Folded(const std::string& text) {
    std::string out;
    for (size_t at = 0; at < text.size();)
        platform::utf8::Append(out, static_cast<char32_t>(std::towlower(
                                        static_cast<wint_t>(platform::utf8::Next(text, at)))));
    return out;
}

bool Matches(const LogEntry& e) {
    if (g.filter.empty()) return true;
    auto has = [](const std::string& text) {
        return Folded(text).find(g.filter) != std::string::npos;
    };
    if (has(e.author) || has(e.message)) return true;
    return std::any_of(e.paths.begin(), e.paths.end(), [&](const svnclient::ChangedPath& p) {
        return has(p.path) || has(p.copyFromPath);
    });
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

std::vector<std::string> Row(const LogEntry& e) {
    return {std::to_string(e.revision), e.hasAuthor ? e.author : Translate("(no author)"), e.date,
            e.message.empty() ? Translate("(no message)") : FirstLine(e.message)};
}

const LogEntry* SelectedEntry() {
    const int row = platform::ListSelectedRow(HistoryList);
    return row >= 0 && row < static_cast<int>(g.shown.size()) ? &g.entries[g.shown[row]] : nullptr;
}

void UpdateButtons() {
    platform::SetEnabled(HistoryMoreButton, g.more && !g.loading);
    platform::SetEnabled(HistoryChangesButton, SelectedEntry() != nullptr);
}

void ShowDetails() {
    const LogEntry* e = SelectedEntry();
    std::string text;
    if (e) {
        text = e->message.empty() ? Translate("(no message)") : e->message;
        text += "\n";
        if (!e->paths.empty()) text += "\n";
        for (const svnclient::ChangedPath& p : e->paths) {
            text += std::string(1, p.action) + " " + p.path;
            if (!p.copyFromPath.empty())
                text += " " + Translate("from") + " " + p.copyFromPath + "@" +
                        std::to_string(p.copyFromRevision);
            text += "\n";
        }
    }
    platform::SetText(HistoryDetails, text);
    UpdateButtons();
}

// Appends the entries from `first` on, those the filter lets through.
void ShowFrom(size_t first) {
    std::vector<std::vector<std::string>> rows;
    for (size_t i = first; i < g.entries.size(); ++i) {
        if (!Matches(g.entries[i])) continue;
        g.shown.push_back(static_cast<int>(i));
        rows.push_back(Row(g.entries[i]));
    }
    platform::ListAppend(HistoryList, rows);
}

void Refilter() {
    const LogEntry* selected = SelectedEntry();
    const long revision = selected ? selected->revision : -1;
    g.filter = Folded(platform::GetText(HistoryFilterField));
    g.shown.clear();
    platform::ListClear(HistoryList);
    ShowFrom(0);
    for (size_t row = 0; row < g.shown.size(); ++row)
        if (g.entries[g.shown[row]].revision == revision)
            platform::ListSelect(HistoryList, static_cast<int>(row));
    ShowDetails();
}

void Finish(const svnclient::LogResult& result) {
    g.loading = false;
    g.more = result.errors.empty() && result.more;
    if (!result.errors.empty()) {
        // The client's own words, never an empty list that reads as "no history".
        platform::SetText(HistoryStatus, Translate("The Subversion client reported an error:"));
        platform::ListSelect(HistoryList, -1);
        platform::SetText(HistoryDetails, result.errors);
    } else {
        platform::SetText(HistoryStatus,
                          std::to_string(g.entries.size()) + " " + Translate("revisions"));
    }
    UpdateButtons();
}

// Reads the page of entries older than `below` (0: the newest).
void Load(long below) {
    g.loading = true;
    platform::SetText(HistoryStatus, Translate("Please wait"));
    UpdateButtons();
    WindowWorker& worker = g.window.worker;
    worker.Start([&worker, target = g.target, below](const std::atomic<bool>& stop) {
        RowBatches<LogEntry> batches(
            worker.WhileCurrent([](int, const std::vector<LogEntry>& page) {
                const size_t first = g.entries.size();
                g.entries.insert(g.entries.end(), page.begin(), page.end());
                ShowFrom(first);
            }),
            &stop);
        svnclient::LogQuery q;
        q.target = target;
        q.below = below;
        const svnclient::LogResult result = svnclient::SvnLog(
            q, [&batches](LogEntry e) { batches.Add(std::move(e)); }, &stop,
            [&batches] { batches.HandOver(); });
        batches.HandOver();
        worker.HandOver([result] { Finish(result); });
    });
}

void Build(int window) {
    using platform::Anchor;
    const unsigned across = platform::AnchorLeft | platform::AnchorRight;
    platform::CreateControl(window, HistoryFilterLabel, ControlKind::Label, 10, 12, 60, 20,
                            Translate("Filter"));
    platform::CreateControl(window, HistoryFilterField, ControlKind::Field, 75, 10, 555, 20, "");
    platform::SetLabelFor(HistoryFilterLabel, HistoryFilterField);
    platform::SetAnchors(HistoryFilterField, across | platform::AnchorTop);
    platform::CreateControl(window, HistoryList, ControlKind::List, 10, 38, 620, 220,
                            Translate("History"));
    platform::SetAnchors(HistoryList, across | platform::AnchorTop);
    platform::ListSetColumns(HistoryList, {{Translate("Revision"), 70},
                                           {Translate("Author"), 110},
                                           {Translate("Date"), 120},
                                           {Translate("Message"), 300}});
    platform::CreateControl(window, HistoryDetails, ControlKind::Text, 10, 265, 620, 170,
                            Translate("Details"));
    platform::SetAnchors(HistoryDetails, across | platform::AnchorTop | platform::AnchorBottom);
    platform::CreateControl(window, HistoryMoreButton, ControlKind::Button, 10, 443, 90, 25,
                            Translate("More"));
    platform::CreateControl(window, HistoryChangesButton, ControlKind::Button, 105, 443, 90, 25,
                            Translate("Changes"));
    platform::CreateControl(window, HistoryStatus, ControlKind::Label, 205, 446, 425, 20, "");
    for (int id : {HistoryMoreButton, HistoryChangesButton})
        platform::SetAnchors(id, platform::AnchorLeft | platform::AnchorBottom);
    platform::SetAnchors(HistoryStatus, across | platform::AnchorBottom);
    platform::SetFocus(HistoryList);
}

void ShowSelectedChanges() {
    if (const LogEntry* e = SelectedEntry()) ShowChanges(g.target, e->revision);
}

}  // namespace

void ShowHistory(const std::string& target) {
    if (!OpenOrRaise(g.window, Translate("History of") + " " + TargetName(target), 640, 475, Build))
        return;
    g.target = target;
    g.entries.clear();
    g.shown.clear();
    g.more = false;
    platform::ListClear(HistoryList);
    platform::SetText(HistoryDetails, "");
    // A filter typed for another path would hide this one's history.
    platform::SetText(HistoryFilterField, "");
    g.filter.clear();
    Load(0);
}

bool HandleHistoryEvent(const platform::Event& e) {
    if (!g.window.Open() || e.window != g.window.handle) return false;
    using platform::EventType;
    if (e.kind == platform::Event::Close) {
        CloseHistory();
    } else if (e.kind == platform::Event::Control) {
        if (e.id == HistoryFilterField && e.type == EventType::Change)
            Refilter();
        else if (e.id == HistoryList && e.type == EventType::Change)
            ShowDetails();
        else if (e.id == HistoryList && e.type == EventType::DoubleClick)
            ShowSelectedChanges();
        else if (e.id == HistoryChangesButton && e.type == EventType::LeftClick)
            ShowSelectedChanges();
        else if (e.id == HistoryMoreButton && e.type == EventType::LeftClick && g.more &&
                 !g.loading)
            Load(g.entries.empty() ? 0 : g.entries.back().revision);
    }
    return true;
}

void CloseHistory() {
    CloseOwnWindow(g.window);
    g.entries.clear();
    g.shown.clear();
}

}  // namespace app
