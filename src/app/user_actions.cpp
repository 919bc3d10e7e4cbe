#include "app/user_actions.h"

#include <chrono>
#include <ctime>
#include <vector>

#include "app/entry_tree.h"
#include "app/shell_state.h"
#include "app/text_dialog.h"
#include "i18n/catalogue.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "svnclient/change_lines.h"
#include "svnclient/working_copy.h"

namespace app {

namespace {

using i18n::Translate;
using settings::g_settings;

// Empties the list and the tree and shows "Please wait" on `button`.
void StartListing(int button) {
    ClearEntries();
    platform::SetText(button, Translate("Please wait"));
}

// Update and cleanup list the change notices as entries and every other line
// in one "Informations" box once the client has ended.
void RunChangeCommand(svnclient::ClientResult (*command)(const svnclient::LineSink&)) {
    std::vector<std::string> information;
    auto onLine = [&information](const std::string& line) {
        const svnclient::ChangeLine c = svnclient::ParseUpdateLine(line);
        if (c.kind == svnclient::ChangeLine::Entry)
            AppendChangeRow(c.code, c.path);
        else if (c.kind == svnclient::ChangeLine::Information)
            information.push_back(line);
    };
    const std::string errors = command(onLine).errors;
    ShowInformation(Translate("Update"), information);
    ReportClientError(errors);
}

}  // namespace

bool RefuseEmptyLocalFolder() {
    if (!g_settings.SVNLocalRepositery.empty()) return false;
    platform::ShowMessage(Translate("Alert"), Translate("Choose a local repositery folder first"));
    return true;
}

int64_t LocalTimeAsUtcSeconds() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    using namespace std::chrono;
    const sys_days day{year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday};
    return duration_cast<seconds>(day.time_since_epoch()).count() + local.tm_hour * 3600 +
           local.tm_min * 60 + local.tm_sec;
}

std::string MissingFolderMessage() {
    return Translate("Folder doesn't exist.") + platform::kParagraphBreak +
           Translate("Maybe should you try first ") + "\"" +
           Translate(" to receive a repositery copy ? ") + "\"";
}

void OnUrlChanged() { g_settings.SVNRemoteRepositery = platform::GetText(UrlField); }

void OnGoLink() { platform::OpenUrl(g_settings.SVNRemoteRepositery); }

void OnFolderFocusLost() {
    // An emptied field means "no folder yet", not the root folder.
    const std::string text = platform::GetText(FolderField);
    g_settings.SVNLocalRepositery = text.empty() ? text : platform::WithSeparator(text);
}

void OnAuthSystemClicked() {
    const bool ticked = platform::GetCheck(AuthSystemCheck) != 0;
    g_settings.SVNAuthCache = ticked ? 1 : 0;
    platform::SetEnabled(UserNameField, !ticked);
    platform::SetEnabled(PasswordField, !ticked);
}

// The client gets each credential as one whole argument, blanks included.
void OnUserNameFocusLost() { g_settings.SVNUsername = platform::GetText(UserNameField); }

void OnPasswordFocusLost() { g_settings.SVNPassword = platform::GetText(PasswordField); }

void OnChooseClicked() {
    const std::string& folder = g_settings.SVNLocalRepositery;
    const std::string start = platform::IsDirectory(folder)
                                  ? folder
                                  : platform::WithSeparator(platform::CurrentDirectory());
    const std::string chosen = platform::ChooseFolder(Translate("Local repositery folder"), start);
    if (chosen.empty()) return;  // a cancel keeps the folder the user had
    g_settings.SVNLocalRepositery = platform::WithSeparator(chosen);
    platform::SetText(FolderField, g_settings.SVNLocalRepositery);
    g_shell.listContent = ListContent::None;
}

void OnReceiveUpdateClicked() {
    if (RefuseEmptyLocalFolder()) return;
    StartListing(ReceiveUpdateButton);
    RunChangeCommand(svnclient::SvnUpdate);
    platform::SetText(ReceiveUpdateButton, Translate("Receive update"));
    g_shell.listContent = ListContent::LocalTree;
}

void OnCleanupClicked() {
    if (RefuseEmptyLocalFolder()) return;
    StartListing(CleanupButton);
    RunChangeCommand(svnclient::SvnCleanup);
    platform::SetText(CleanupButton, Translate("Cleanup"));
    g_shell.listContent = ListContent::None;
}

void OnExploreRemoteClicked() {
    StartListing(ExploreRemoteButton);
    ListRemoteEntries(0, 0, "");
    ShowEntries();
    platform::SetText(ExploreRemoteButton, Translate("Explore remote repositery"));
    g_shell.listContent = ListContent::RemoteTree;
}

void OnExploreLocalClicked() {
    if (RefuseEmptyLocalFolder()) return;
    if (!platform::IsDirectory(g_settings.SVNLocalRepositery)) {
        platform::ShowMessage(Translate("Alert"), MissingFolderMessage());
        return;
    }
    // The tree keeps its old rows until ShowEntries redraws it.
    g_entries.Clear();
    platform::SetText(ExploreLocalButton, Translate("Please wait"));
    ListLocalEntries(0, 0, "");
    ShowEntries();
    platform::SetText(ExploreLocalButton, Translate("Explore local repositery"));
    g_shell.listContent = ListContent::LocalTree;
}

}  // namespace app
