#include "svnclient/working_copy.h"

#include "app/shell_state.h"
#include "browse/entry_list.h"
#include "i18n/catalogue.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "svnclient/change_lines.h"
#include "svnclient/client.h"

namespace svnclient {

namespace {

void IgnoreLine(const std::string&) {}

// add, revert and delete: the caller's status refresh shows the effect, so
// only a failure needs telling.
void RunOnPath(const char* command, const std::string& path) {
    ReportClientError(RunClient({Plain(command), Quoted(path)}, "", 1, IgnoreLine).errors);
}

// Update and cleanup list the change notices as entries and every other line
// in an "Informations" box.
void RunChangeCommand(const char* command) {
    browse::g_entries.Clear();
    int row = 0;
    auto onLine = [&row](const std::string& line) {
        ChangeLine c = ParseUpdateLine(line);
        if (c.kind == ChangeLine::Entry) AppendChangeEntry(row++, c.code, c.path);
        else if (c.kind == ChangeLine::Information) ShowInformation(line);
    };
    ArgumentList args{Plain(command), Plain(settings::g_settings.SVNLocalRepositery)};
    ReportClientError(RunClient(args, "", 1, onLine).errors);
}

}  // namespace

void SvnAdd(const std::string& path) { RunOnPath("add", path); }

void SvnRevert(const std::string& path) { RunOnPath("revert", path); }

void SvnDelete(const std::string& path) { RunOnPath("delete", path); }

void SvnCommit(const std::string& comment) {
    auto onLine = [](const std::string& line) {
        if (line.empty()) return;
        int tree = app::EntryTree;
        int at = platform::TreeCount(tree);
        platform::TreeAddItem(tree, at, line, 0, 0);
        platform::TreeSetValue(tree, at, 0);
    };
    ArgumentList args{Plain("commit"), Plain("-m"), Quoted(comment), Plain("--force-log")};
    ReportClientError(
        RunClient(args, settings::g_settings.SVNLocalRepositery, 1, onLine).errors);
}

void SvnUpdate() { RunChangeCommand("update"); }

void SvnCleanup() { RunChangeCommand("cleanup"); }

void ReportClientError(const std::string& errors) {
    std::string text = errors;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text.empty()) return;
    platform::RunOnMainThreadAndWait([text] {
        platform::ShowMessage(i18n::Translate("Alert"),
                              i18n::Translate("The Subversion client reported an error:") +
                                  "\n\n" + text);
    });
}

}  // namespace svnclient
