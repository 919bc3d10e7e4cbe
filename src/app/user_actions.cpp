#include "app/user_actions.h"

#include <chrono>
#include <ctime>

#include "app/shell_state.h"
#include "app/text_dialog.h"
#include "browse/entry_list.h"
#include "browse/local_browser.h"
#include "browse/remote_browser.h"
#include "i18n/catalogue.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "svnclient/working_copy.h"

namespace app {

namespace {

using i18n::Translate;
using settings::g_settings;

// A field whose text may not hold a blank: refuse it and empty the field.
std::string CheckedCredential(int field, const std::string& refusal) {
    if (platform::GetText(field).find(' ') != std::string::npos) {
        platform::ShowMessage(Translate("Alert"), refusal);
        platform::SetText(field, "");
    }
    return platform::GetText(field);
}

// Empties the list and the tree and shows "Please wait" on `button`.
void StartListing(int button) {
    browse::g_entries.Clear();
    platform::TreeClear(EntryTree);
    platform::SetText(button, Translate("Please wait"));
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
    // Carriage returns break the line in a Windows message box; the other
    // toolkits want line feeds.
#ifdef _WIN32
    const char* paragraph = "\r\r";
#else
    const char* paragraph = "\n\n";
#endif
    return Translate("Folder doesn't exist.") + paragraph +
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

void OnUserNameFocusLost() {
    g_settings.SVNUsername =
        CheckedCredential(UserNameField, Translate("Your UserName can't contain space"));
}

void OnPasswordFocusLost() {
    g_settings.SVNPassword =
        CheckedCredential(PasswordField, Translate("Your Password can't contain space"));
}

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
    svnclient::SvnUpdate();
    platform::SetText(ReceiveUpdateButton, Translate("Receive update"));
    g_shell.listContent = ListContent::LocalTree;
}

void OnCleanupClicked() {
    if (RefuseEmptyLocalFolder()) return;
    StartListing(CleanupButton);
    svnclient::SvnCleanup();
    platform::SetText(CleanupButton, Translate("Cleanup"));
    g_shell.listContent = ListContent::None;
}

void OnSendUpdateClicked() {
    if (RefuseEmptyLocalFolder()) return;
    const std::string comment =
        AskText(Translate("Comment"), Translate("Give a comment for your commit"),
                Translate("Update ") + std::to_string(LocalTimeAsUtcSeconds()));
    if (comment.empty()) {
        platform::ShowMessage(Translate("Alert"), Translate("Canceled"));
        return;
    }
    StartListing(SendUpdateButton);
    svnclient::SvnCommit(comment);
    platform::SetText(SendUpdateButton, Translate("Send update"));
    g_shell.listContent = ListContent::None;
}

void OnExploreRemoteClicked() {
    StartListing(ExploreRemoteButton);
    browse::ListRemoteFolder(0, 0, "");
    browse::ShowEntries();
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
    browse::g_entries.Clear();
    platform::SetText(ExploreLocalButton, Translate("Please wait"));
    browse::ListLocalFolder(0, 0, "");
    browse::ShowEntries();
    platform::SetText(ExploreLocalButton, Translate("Explore local repositery"));
    g_shell.listContent = ListContent::LocalTree;
}

}  // namespace app
