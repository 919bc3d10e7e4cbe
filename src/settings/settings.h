// The program's configuration record, loaded at start-up and partly saved at
// shutdown.
#pragma once
#include <string>

namespace settings {

struct Settings {
    std::string language;
    std::string SVNRemoteRepositery;
    std::string SVNLocalRepositery;
    int useProxy = 0;
    std::string proxyHost;
    std::string proxyPort;
    std::string proxyLogin;
    std::string proxyPassword;
    int SVNAuthCache = 0;
    std::string SVNUsername;
    std::string SVNPassword;
};

extern Settings g_settings;

extern const char kPreferencesFileName[];   // "Vellum.prefs"
extern const char kDefaultRepositoryUrl[];  // "https://localhost/svn/trunk/"

// Home location: HomeFolder() + "Vellum.prefs" (the bare name when unknown).
std::string HomePreferencesPath();
// Start-up location: the current directory + "Vellum.prefs".
std::string StartupPreferencesPath();
// Current directory + "repositeries" + sep + "marrowdepot" + sep.
std::string DefaultLocalFolder();

void LoadSettings();
void SaveSettings();

}  // namespace settings
