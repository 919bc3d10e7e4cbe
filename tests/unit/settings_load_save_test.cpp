#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "sandbox.h"
#include "settings/preferences_file.h"
#include "settings/settings.h"

using settings::g_settings;
using testsupport::ReadFile;
using testsupport::Sandbox;
using testsupport::WriteFile;

namespace {

const std::string kHead = "\xEF\xBB\xBF\r\n";

// A profile folder that does not exist yet and a separate start-up folder.
class SettingsFiles : public testing::Test {
protected:
    void SetUp() override { g_settings = settings::Settings{}; }

    std::vector<std::string> KeysIn(const std::string& path) {
        settings::PreferencesFile f;
        EXPECT_TRUE(f.Open(path));
        std::vector<std::string> keys;
        for (const auto& e : f.Entries()) keys.push_back(e.name);
        return keys;
    }

    Sandbox home, start;
    std::string config = home / "fresh/config";
    std::string homeFile = config + "/Vellum.prefs";
    std::string startDir = std::filesystem::canonical(start.Path()).string();
    testsupport::ScopedEnv xdg{"XDG_CONFIG_HOME", config};
    testsupport::ScopedCwd cwd{start.Path()};
};

const std::vector<std::string> kSavedKeys = {"SVNRemoteRepositery", "SVNLocalRepositery",
                                             "SVNAuthCache", "SVNUsername", "SVNPassword"};

TEST_F(SettingsFiles, WithNoFileAnywhereDefaultsLoadAndSaveMakesAFreshFile) {
    settings::LoadSettings();
    EXPECT_EQ(g_settings.SVNRemoteRepositery, "https://localhost/svn/trunk/");
    EXPECT_EQ(g_settings.SVNLocalRepositery, startDir + "/repositeries/marrowdepot/");
    EXPECT_EQ(g_settings.proxyPort, "80");
    EXPECT_EQ(g_settings.language, "");
    EXPECT_EQ(g_settings.proxyHost, "");
    EXPECT_EQ(g_settings.useProxy, 0);
    EXPECT_EQ(g_settings.SVNAuthCache, 0);

    settings::SaveSettings();
    struct stat st {};
    ASSERT_EQ(stat(config.c_str(), &st), 0) << "the missing profile folder is made";
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(KeysIn(homeFile), kSavedKeys);
}

TEST_F(SettingsFiles, StartupFileServesUntilTheFirstSaveMakesTheHomeFile) {
    WriteFile(startDir + "/Vellum.prefs", "language=fr\nproxyHost=gate\nSVNUsername=ann\n");
    settings::LoadSettings();
    EXPECT_EQ(g_settings.language, "fr");
    EXPECT_EQ(g_settings.proxyHost, "gate");
    settings::SaveSettings();
    EXPECT_EQ(KeysIn(homeFile), kSavedKeys);

    g_settings = settings::Settings{};
    settings::LoadSettings();
    EXPECT_EQ(g_settings.language, "");
    EXPECT_EQ(g_settings.proxyHost, "");
    EXPECT_EQ(g_settings.SVNUsername, "ann");
}

TEST_F(SettingsFiles, EmptyHomeFileCountsAsFound) {
    WriteFile(homeFile, "");
    WriteFile(startDir + "/Vellum.prefs", "language=fr\nSVNRemoteRepositery=file:///r/\n");
    settings::LoadSettings();
    EXPECT_EQ(g_settings.language, "");
    EXPECT_EQ(g_settings.SVNRemoteRepositery, "https://localhost/svn/trunk/");
}

TEST_F(SettingsFiles, NumbersLoadAsTheyBeginOrAsZero) {
    struct Case {
        const char* file;
        const char* port;
        int useProxy;
    };
    for (const Case& c : {Case{"proxyPort=8080x\nuseProxy=yes\n", "8080", 0},
                          Case{"proxyPort=x\nuseProxy=1\n", "0", 1}, Case{"proxyPort=-3\n", "-3", 0}}) {
        WriteFile(homeFile, c.file);
        settings::LoadSettings();
        EXPECT_EQ(g_settings.proxyPort, c.port) << c.file;
        EXPECT_EQ(g_settings.useProxy, c.useProxy) << c.file;
    }
}

TEST_F(SettingsFiles, SaveChangesOnlyItsFiveKeysAndRoundTripsUnicode) {
    WriteFile(homeFile, kHead + "language = fr\r\nsvnusername = old\r\nuseProxy = 1\r\n; mine\r\n"
                                "[x]\r\nSVNPassword = grouped\r\n");
    settings::LoadSettings();
    EXPECT_EQ(g_settings.SVNUsername, "old");
    g_settings.SVNUsername = "Zo\xC3\xAB \xE6\x97\xA5";
    g_settings.SVNPassword = "p\xC3\xA4ss";
    g_settings.SVNAuthCache = 1;
    settings::SaveSettings();
    EXPECT_EQ(ReadFile(homeFile),
              kHead + "language = fr\r\nSVNUsername = Zo\xC3\xAB \xE6\x97\xA5\r\nuseProxy = 1\r\n"
                      "; mine\r\nSVNRemoteRepositery = https://localhost/svn/trunk/\r\n"
                      "SVNLocalRepositery = " + startDir + "/repositeries/marrowdepot/\r\n"
                      "SVNAuthCache = 1\r\nSVNPassword = p\xC3\xA4ss\r\n[x]\r\nSVNPassword = grouped\r\n");

    g_settings = settings::Settings{};
    settings::LoadSettings();
    EXPECT_EQ(g_settings.SVNUsername, "Zo\xC3\xAB \xE6\x97\xA5");
    EXPECT_EQ(g_settings.SVNPassword, "p\xC3\xA4ss");
    EXPECT_EQ(g_settings.SVNAuthCache, 1);
    EXPECT_EQ(g_settings.language, "fr");
    EXPECT_EQ(g_settings.useProxy, 1);
}

TEST_F(SettingsFiles, UnknownHomeMeansTheBareNameInTheCurrentDirectory) {
    testsupport::ScopedEnv noXdg("XDG_CONFIG_HOME", "");
    testsupport::ScopedEnv noHome("HOME", "");
    EXPECT_EQ(settings::HomePreferencesPath(), "Vellum.prefs");
    settings::LoadSettings();
    settings::SaveSettings();
    EXPECT_EQ(KeysIn(startDir + "/Vellum.prefs"), kSavedKeys);
}

}  // namespace
