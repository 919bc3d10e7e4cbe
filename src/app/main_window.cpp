#include "app/main_window.h"

#include <string>

#include "app/shell_state.h"
#include "i18n/catalogue.h"
#include "platform/window.h"
#include "settings/settings.h"

namespace app {

namespace {

using i18n::Translate;
using platform::ControlKind;

// What a control shows when it is created: a caption to translate or the
// value of a setting.
enum class Content { Caption, Empty, RemoteUrl, LocalFolder, UserName, Password };

struct ControlLayout {
    int id;
    ControlKind kind;
    int x, y, w, h;
    Content content;
    const char* caption;
};

// Creation order is the Tab order, so the rows follow the window's layout
// rather than the ids.
constexpr ControlLayout kControls[] = {
    {UrlLabel, ControlKind::Label, 10, 11, 80, 20, Content::Caption, "Repositery URL"},
    {UrlField, ControlKind::Field, 80, 9, 330, 20, Content::RemoteUrl, nullptr},
    {GoLink, ControlKind::Link, 420, 11, 20, 20, Content::Caption, "Go"},
    {SearchField, ControlKind::Field, 10, 30, 300, 20, Content::Empty, nullptr},
    {SearchButton, ControlKind::Button, 310, 30, 130, 20, Content::Caption, "Search"},
    {ExploreRemoteButton, ControlKind::Button, 10, 50, 430, 20, Content::Caption,
     "Explore remote repositery"},
    {EntryTree, ControlKind::Tree, 10, 70, 430, 250, Content::Empty, nullptr},
    {FolderLabel, ControlKind::Label, 10, 323, 120, 20, Content::Caption, "Local repositery"},
    {FolderField, ControlKind::Field, 80, 321, 280, 20, Content::LocalFolder, nullptr},
    {ChooseButton, ControlKind::Button, 360, 321, 80, 20, Content::Caption, "Choose"},
    {ReadOnlyCopyButton, ControlKind::Button, 10, 341, 240, 20, Content::Caption,
     "Receive a read only repositery copy"},
    {ExploreLocalButton, ControlKind::Button, 250, 341, 190, 20, Content::Caption,
     "Explore local repositery"},
    {AuthSystemCheck, ControlKind::CheckBox, 10, 370, 250, 20, Content::Caption,
     "SVN authentification system"},
    {UserNameLabel, ControlKind::Label, 10, 392, 80, 20, Content::Caption, "User name"},
    {UserNameField, ControlKind::Field, 91, 390, 100, 20, Content::UserName, nullptr},
    {PasswordLabel, ControlKind::Label, 192, 392, 65, 20, Content::Caption, "Password"},
    {PasswordField, ControlKind::Field, 260, 390, 90, 20, Content::Password, nullptr},
    {WorkCopyButton, ControlKind::Button, 10, 410, 341, 20, Content::Caption,
     "Receive a repositery work copy "},
    {ReceiveUpdateButton, ControlKind::Button, 350, 390, 90, 20, Content::Caption,
     "Receive update"},
    {SendUpdateButton, ControlKind::Button, 350, 410, 90, 20, Content::Caption, "Send update"},
    {CleanupButton, ControlKind::Button, 350, 370, 90, 20, Content::Caption, "Cleanup"},
};

std::string InitialText(const ControlLayout& c) {
    const settings::Settings& s = settings::g_settings;
    switch (c.content) {
    case Content::Caption: return Translate(c.caption);
    case Content::RemoteUrl: return s.SVNRemoteRepositery;
    case Content::LocalFolder: return s.SVNLocalRepositery;
    case Content::UserName: return s.SVNUsername;
    case Content::Password: return s.SVNPassword;
    case Content::Empty: break;
    }
    return "";
}

// The search and stop buttons take turns in one place.
constexpr int kSearchX = 310, kSearchY = 30, kSearchW = 130, kSearchH = 20;

}  // namespace

bool CreateMainWindow() {
    if (!platform::OpenMainWindow(Translate("Vellum SubVersion Tiny FrontEnd"), 450, 430))
        return false;
    for (const ControlLayout& c : kControls)
        platform::CreateControl(0, c.id, c.kind, c.x, c.y, c.w, c.h, InitialText(c));
    platform::SetTooltip(FolderField,
                         Translate("Local repositery folder. It'll be created if necessary"));
    platform::SetCheck(AuthSystemCheck, settings::g_settings.SVNAuthCache != 0 ? 1 : 0);
    platform::SetLabelFor(UrlLabel, UrlField);
    platform::SetLabelFor(FolderLabel, FolderField);
    platform::SetLabelFor(UserNameLabel, UserNameField);
    platform::SetLabelFor(PasswordLabel, PasswordField);
    return true;
}

void CreateSearchButton() {
    platform::CreateControl(0, SearchButton, ControlKind::Button, kSearchX, kSearchY, kSearchW,
                            kSearchH, Translate("Search"));
}

void CreateStopSearchButton() {
    platform::CreateControl(0, StopSearchButton, ControlKind::Button, kSearchX, kSearchY, kSearchW,
                            kSearchH, Translate("Stop search"));
}

void UpdateCredentialControls() {
    const bool noUser = platform::GetText(UserNameField).empty();
    const bool noPassword = platform::GetText(PasswordField).empty();
    const bool cacheTicked = platform::GetCheck(AuthSystemCheck) != 0;
    platform::SetEnabled(PasswordField, !(noUser || cacheTicked));
    const bool credentialsReady = cacheTicked || (!noUser && !noPassword);
    platform::SetEnabled(WorkCopyButton, credentialsReady);
    platform::SetEnabled(SendUpdateButton, credentialsReady);
    platform::SetEnabled(ReceiveUpdateButton, credentialsReady);
}

}  // namespace app
