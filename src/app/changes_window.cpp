#include "app/changes_window.h"

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/diff_style.h"
#include "app/own_window.h"
#include "app/row_batches.h"
#include "i18n/catalogue.h"
#include "svnclient/history.h"

namespace app {

namespace {

using i18n::Translate;
using platform::TextStyle;

OwnWindow g_changes;
DiffStyler g_styler;   // main thread: the lines come in order
bool g_shown = false;  // a line was shown: reading the whole text back would stall

void Build(int window) {
    using platform::ControlKind;
    platform::CreateControl(window, ChangesText, ControlKind::Text, 10, 10, 620, 400,
                            Translate("Changes"));
    platform::SetAnchors(ChangesText, platform::AnchorLeft | platform::AnchorTop |
                                          platform::AnchorRight | platform::AnchorBottom);
    platform::CreateControl(window, ChangesStatus, ControlKind::Label, 10, 415, 620, 20, "");
    platform::SetAnchors(ChangesStatus,
                         platform::AnchorLeft | platform::AnchorRight | platform::AnchorBottom);
}

// A batch of lines, each in its style; lines of one style go in one piece.
void AppendLines(const std::vector<std::string>& lines) {
    std::string run;
    TextStyle runStyle = TextStyle::Plain;
    g_shown = g_shown || !lines.empty();
    for (const std::string& line : lines) {
        const TextStyle style = g_styler.Style(line);
        if (style != runStyle && !run.empty()) {
            platform::TextAppend(ChangesText, run, runStyle);
            run.clear();
        }
        runStyle = style;
        run += line;
        run += '\n';
    }
    if (!run.empty()) platform::TextAppend(ChangesText, run, runStyle);
}

void Finish(const svnclient::ClientResult& result, bool cut) {
    if (!result.errors.empty()) {
        platform::SetText(ChangesStatus, Translate("The Subversion client reported an error:"));
        platform::TextAppend(ChangesText, result.errors, TextStyle::Plain);
    } else if (cut) {
        platform::SetText(ChangesStatus, Translate("The text was cut after 20 MB."));
    } else if (!g_shown) {
        platform::SetText(ChangesStatus, Translate("No changes."));
    } else {
        platform::SetText(ChangesStatus, "");
    }
}

}  // namespace

void ShowChanges(const std::string& target, long revision) {
    std::string title = Translate("Changes to") + " " + TargetName(target);
    if (revision > 0) title += ", r" + std::to_string(revision);
    if (!OpenOrRaise(g_changes, title, 640, 440, Build)) return;
    platform::SetText(ChangesText, "");
    platform::SetText(ChangesStatus, Translate("Please wait"));
    g_styler = DiffStyler();
    g_shown = false;
    WindowWorker& worker = g_changes.worker;
    worker.Start([&worker, target, revision](const std::atomic<bool>& stop) {
        RowBatches<std::string> batches(
            worker.WhileCurrent(
                [](int, const std::vector<std::string>& lines) { AppendLines(lines); }),
            &stop);
        bool cut = false;
        const svnclient::ClientResult result = svnclient::SvnDiff(
            target, revision, [&batches](const std::string& line) { batches.Add(line); }, &stop,
            &cut);
        batches.HandOver();
        worker.HandOver([result, cut] { Finish(result, cut); });
    });
}

bool HandleChangesEvent(const platform::Event& e) {
    if (!g_changes.Open() || e.window != g_changes.handle) return false;
    if (e.kind == platform::Event::Close) CloseChanges();
    return true;
}

void CloseChanges() { CloseOwnWindow(g_changes); }

}  // namespace app
