#include "settings/settings.h"

#include "platform/paths.h"
#include "settings/preferences_file.h"

namespace settings {

Settings g_settings;

const char kPreferencesFileName[] = "Vellum.prefs";
const char kDefaultRepositoryUrl[] = "https://localhost/svn/trunk/";

std::string HomePreferencesPath() {
    std::string home = platform::HomeFolder();
    // An unknown home leaves the bare name, resolved against the current directory.
    return home.empty() ? kPreferencesFileName
                        : platform::WithSeparator(home) + kPreferencesFileName;
}

std::string StartupPreferencesPath() {
    return platform::WithSeparator(platform::CurrentDirectory()) + kPreferencesFileName;
}

std::string DefaultLocalFolder() {
    return platform::WithSeparator(platform::CurrentDirectory()) + "repositeries" +
           platform::kSeparator + "marrowdepot" + platform::kSeparator;
}

void LoadSettings() {
    PreferencesFile file;
    // With neither file every read below yields its default.
    if (!file.Open(HomePreferencesPath())) file.Open(StartupPreferencesPath());

    Settings& s = g_settings;
    s.language = file.ReadText("language", "");
    s.SVNRemoteRepositery = file.ReadText("SVNRemoteRepositery", kDefaultRepositoryUrl);
    s.SVNLocalRepositery = file.ReadText("SVNLocalRepositery", DefaultLocalFolder());
    s.SVNUsername = file.ReadText("SVNUsername", "");
    s.SVNPassword = file.ReadText("SVNPassword", "");
    s.SVNAuthCache = file.ReadInteger("SVNAuthCache", 0);
    s.useProxy = file.ReadInteger("useProxy", 0);
    s.proxyHost = file.ReadText("proxyHost", "");
    // Only ever pasted into a command line, so held as text.
    s.proxyPort = std::to_string(file.ReadInteger("proxyPort", 80));
    s.proxyLogin = file.ReadText("proxyLogin", "");
    s.proxyPassword = file.ReadText("proxyPassword", "");
    file.Close();
}

void SaveSettings() {
    PreferencesFile file;
    std::string path = HomePreferencesPath();
    if (!file.Open(path)) {
        // A fresh account may not have its configuration folder yet.
        std::string home = platform::HomeFolder();
        if (!home.empty() && !platform::IsDirectory(home)) platform::MakeDirectories(home);
        if (!file.Create(path)) return;  // the run's changes are lost, silently
    }
    const Settings& s = g_settings;
    file.WriteText("SVNRemoteRepositery", s.SVNRemoteRepositery);
    file.WriteText("SVNLocalRepositery", s.SVNLocalRepositery);
    file.WriteInteger("SVNAuthCache", s.SVNAuthCache);
    file.WriteText("SVNUsername", s.SVNUsername);
    file.WriteText("SVNPassword", s.SVNPassword);
    file.Close();
}

}  // namespace settings
