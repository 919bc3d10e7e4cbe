#include "app/blame_window.h"

#include <memory>
#include <vector>

#include "app/control_ids.h"
#include "app/own_window.h"
#include "i18n/catalogue.h"
#include "svnclient/history.h"

namespace app {

namespace {

using i18n::Translate;
using platform::ControlKind;

struct BlameState {
    OwnWindow window;
    svnclient::Blame blame;
} g;

// The lines are shown in batches the list takes without stalling the window.
constexpr size_t kBatch = 2000;

void ShowMessageOfSelected() {
    const int row = platform::ListSelectedRow(BlameList);
    std::string text;
    if (row >= 0 && row < static_cast<int>(g.blame.lines.size())) {
        const auto found = g.blame.revisions.find(g.blame.lines[row].revision);
        if (found != g.blame.revisions.end()) {
            const svnclient::LogEntry& e = found->second;
            text = "r" + std::to_string(e.revision) + "  " +
                   (e.hasAuthor ? e.author : Translate("(no author)")) + "  " + e.date + "\n\n" +
                   (e.message.empty() ? Translate("(no message)") : e.message);
        }
    }
    platform::SetText(BlameMessage, text);
}

// Main thread, in slices queued behind each other, so the loop can paint
// and take input between them.
void AppendFrom(size_t first) {
    std::vector<std::vector<std::string>> rows;
    const size_t end = std::min(g.blame.lines.size(), first + kBatch);
    for (size_t i = first; i < end; ++i) {
        const svnclient::BlameLine& l = g.blame.lines[i];
        rows.push_back({std::to_string(l.number), l.revision > 0 ? std::to_string(l.revision) : "",
                        l.revision == 0 ? ""
                        : l.hasAuthor   ? l.author
                                        : Translate("(no author)"),
                        l.text});
    }
    platform::ListAppend(BlameList, rows);
    if (end < g.blame.lines.size())
        platform::RunOnMainThread(g.window.worker.WhileCurrent([end] { AppendFrom(end); }));
}

void Finish(svnclient::Blame blame, const svnclient::ClientResult& result) {
    g.blame = std::move(blame);
    if (result.errors.empty()) {
        platform::SetText(BlameStatus, "");
    } else {
        platform::SetText(BlameStatus, Translate("The Subversion client reported an error:"));
        platform::SetText(BlameMessage, result.errors);
    }
    AppendFrom(0);
}

void Build(int window) {
    const unsigned across = platform::AnchorLeft | platform::AnchorRight;
    platform::CreateControl(window, BlameList, ControlKind::List, 10, 10, 620, 300,
                            Translate("Blame"));
    platform::SetAnchors(BlameList, across | platform::AnchorTop | platform::AnchorBottom);
    platform::ListSetColumns(BlameList, {{Translate("Line"), 50},
                                         {Translate("Revision"), 70},
                                         {Translate("Author"), 100},
                                         {Translate("Text"), 400}});
    platform::CreateControl(window, BlameMessage, ControlKind::Text, 10, 315, 620, 95,
                            Translate("Message"));
    platform::SetAnchors(BlameMessage, across | platform::AnchorBottom);
    platform::CreateControl(window, BlameStatus, ControlKind::Label, 10, 415, 620, 20, "");
    platform::SetAnchors(BlameStatus, across | platform::AnchorBottom);
    platform::SetFocus(BlameList);
}

}  // namespace

void ShowBlame(const std::string& target) {
    if (!OpenOrRaise(g.window, Translate("Blame of") + " " + TargetName(target), 640, 440, Build))
        return;
    g.blame = {};
    platform::ListClear(BlameList);
    platform::SetText(BlameMessage, "");
    platform::SetText(BlameStatus, Translate("Please wait"));
    WindowWorker& worker = g.window.worker;
    worker.Start([&worker, target](const std::atomic<bool>& stop) {
        auto blame = std::make_shared<svnclient::Blame>();
        const svnclient::ClientResult result = svnclient::SvnBlame(target, "", blame.get(), &stop);
        worker.HandOver([blame, result] { Finish(std::move(*blame), result); });
    });
}

bool HandleBlameEvent(const platform::Event& e) {
    if (!g.window.Open() || e.window != g.window.handle) return false;
    if (e.kind == platform::Event::Close)
        CloseBlame();
    else if (e.kind == platform::Event::Control && e.id == BlameList &&
             e.type == platform::EventType::Change)
        ShowMessageOfSelected();
    return true;
}

void CloseBlame() {
    CloseOwnWindow(g.window);
    g.blame = {};
}

}  // namespace app
