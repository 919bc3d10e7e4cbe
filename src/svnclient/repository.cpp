#include "svnclient/repository.h"

#include "app/shell_state.h"
#include "browse/entry_list.h"
#include "i18n/catalogue.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "svnclient/change_lines.h"
#include "svnclient/client.h"
#include "svnclient/working_copy.h"

namespace svnclient {

namespace {

void IgnoreLine(const std::string&) {}

// The body of both copies. The worker touches neither a control nor the entry
// list: every row and box goes to the main thread, in the client's order.
void Copy(int credentials, int button, const char* caption) {
    const std::string url = settings::g_settings.SVNRemoteRepositery;
    const std::string local = settings::g_settings.SVNLocalRepositery;
    platform::RunOnMainThread([] { browse::g_entries.Clear(); });
    int row = 0;
    auto onLine = [&row](const std::string& line) {
        ChangeLine c = ParseCheckoutLine(line);
        if (c.kind == ChangeLine::Entry) {
            platform::RunOnMainThread(
                [r = row, c] { AppendChangeEntry(r, c.code, c.path); });
            ++row;
        } else if (c.kind == ChangeLine::Information) {
            platform::RunOnMainThreadAndWait([line] { ShowInformation(line); });
        }
    };
    ClientResult result = RunClient({Plain("checkout"), Plain(url), Plain(local)}, "",
                                    credentials, onLine);
    // After a failure the folder may not exist; the error box says why.
    if (result.errors.empty()) platform::OpenFileManager(local);
    platform::RunOnMainThread([errors = result.errors, button, caption] {
        ReportClientError(errors);
        platform::SetText(button, i18n::Translate(caption));
        app::LeaveBusy();
    });
}

}  // namespace

void SvnCheckout() { Copy(1, app::WorkCopyButton, "Receive a repositery work copy "); }

void SvnReadOnlyCopy() {
    Copy(0, app::ReadOnlyCopyButton, "Receive a read only repositery copy");
}

void SvnRemoteDelete(const std::string& path) {
    if (path.empty()) return;
    const std::string target = JoinUrl(settings::g_settings.SVNRemoteRepositery, path);
    const std::string message = path + " " + i18n::Translate("deletion");
    ArgumentList args{Plain("delete"), Quoted(target), Plain("-m"), Quoted(message),
                      Plain("--force-log")};
    ReportClientError(RunClient(args, "", 1, IgnoreLine).errors);
}

void SvnRemoteMkdir(const std::string& parent, const std::string& name) {
    if (name.empty()) return;
    const std::string target =
        JoinUrl(settings::g_settings.SVNRemoteRepositery, parent + name);
    const std::string message =
        i18n::Translate("Directory") + " " + name + " " + i18n::Translate("created");
    ArgumentList args{Plain("mkdir"), Quoted(target), Plain("-m"), Quoted(message),
                      Plain("--force-log")};
    ReportClientError(RunClient(args, "", 1, IgnoreLine).errors);
}

}  // namespace svnclient
