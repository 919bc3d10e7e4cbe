// The preferences file format, and the settings loaded from and saved to it.
#include "settings/preferences_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "sandbox.h"
#include "settings/settings.h"

using settings::g_settings;
using settings::PreferencesFile;
using testsupport::ReadFile;
using testsupport::Sandbox;
using testsupport::WriteFile;

namespace {

const std::string kHead = "\xEF\xBB\xBF\r\n";

// Opens `path`, writes one key, closes: the rewritten bytes.
std::string RewriteWith(const std::string& path, const std::string& key, const std::string& value) {
    PreferencesFile f;
    f.Open(path);
    f.WriteText(key, value);
    f.Close();
    return ReadFile(path);
}

}  // namespace

// CR, LF and CR LF breaks, blank lines, comments, bare keys, duplicates and groups.
TEST(PreferencesFile, ReadsLooseLinesAndRewritesThemNormalised) {
    Sandbox box;
    std::string path = box / "p";
    WriteFile(path, "\xEF\xBB\xBF  url =  a=b  \t\r\n\r\n;note\n;  two\n\tbare\n#x=1\n#X=2\n"
                    "Port=12\r[grp] tail\r\nlate=1\n[open\n");
    PreferencesFile f;
    ASSERT_TRUE(f.Open(path));
    EXPECT_EQ(f.ReadText("URL", "-"), "a=b");
    EXPECT_EQ(f.ReadText("bare", "-"), "");
    EXPECT_EQ(f.ReadText("#X", "-"), "1");
    EXPECT_EQ(f.ReadText("late", "-"), "-");  // after a group: not in the leading section
    EXPECT_EQ(f.ReadInteger("port", 0), 12);
    f.WriteText("#X", "3");  // the first match, spelt as written
    f.WriteText("late", "2");
    f.WriteInteger("new", -42);
    f.Close();
    EXPECT_EQ(ReadFile(path), kHead + "url = a=b  \t\r\n; note\r\n;  two\r\nbare = \r\n#X = 3\r\n"
                                      "#X = 2\r\nPort = 12\r\nlate = 2\r\nnew = -42\r\n[grp]\r\n"
                                      "late = 1\r\n[open]\r\n");
    WriteFile(box / "grouped", "[g]\nb=1\n");
    EXPECT_EQ(RewriteWith(box / "grouped", "b", "new"), kHead + "b = new\r\n[g]\r\nb = 1\r\n");
}

TEST(PreferencesFile, EmptyOrMissingFilesReadDefaultsAndAreMadeOnlyWhenWritten) {
    Sandbox box;
    for (std::string content : {"\xEF\xBB\xBF", ""}) {
        WriteFile(box / "p", content);
        PreferencesFile f;
        ASSERT_TRUE(f.Open(box / "p"));
        EXPECT_EQ(f.ReadText("k", "dflt"), "dflt");
        EXPECT_EQ(f.ReadInteger("k", 7), 7);
        f.Close();
        EXPECT_EQ(RewriteWith(box / "p", "k", "v"), kHead + "k = v\r\n");
    }
    PreferencesFile f;
    EXPECT_FALSE(f.Open(box / "quiet"));
    EXPECT_EQ(f.ReadText("k", "d"), "d");
    f.Close();
    EXPECT_NE(access((box / "quiet").c_str(), F_OK), 0);
    EXPECT_EQ(RewriteWith(box / "made", "k", "v"), kHead + "k = v\r\n");
    EXPECT_FALSE(f.Create(box / "no/such/folder/p"));
    f.WriteText("k", "v");
    f.Close();
    EXPECT_NE(access((box / "no").c_str(), F_OK), 0);
}

TEST(PreferencesFile, Latin1FileIsConvertedOnlyWhenRewritten) {
    Sandbox box;
    WriteFile(box / "p", "name=Ren\xE9\r\n");
    {
        PreferencesFile f;
        ASSERT_TRUE(f.Open(box / "p"));
        EXPECT_EQ(f.ReadText("name", ""), "Ren\xC3\xA9");
    }
    EXPECT_EQ(ReadFile(box / "p"), "name=Ren\xE9\r\n");
    EXPECT_EQ(RewriteWith(box / "p", "other", "1"), kHead + "name = Ren\xC3\xA9\r\nother = 1\r\n");
}

TEST(PreferencesFile, IntegersReadLikeScanfDecimal) {
    Sandbox box;
    WriteFile(box / "p", "a= \t+42z\nb=-7 8\nc=x1\nd=-\ne=\nf=99999999999\ng=0012\n");
    PreferencesFile f;
    ASSERT_TRUE(f.Open(box / "p"));
    const std::pair<const char*, int> cases[] = {{"a", 42}, {"b", -7}, {"c", 0}, {"d", 0}, {"e", 0},
                                                 {"f", 2147483647}, {"g", 12}, {"missing", 5}};
    for (auto [key, value] : cases) EXPECT_EQ(f.ReadInteger(key, 5), value) << key;
}

TEST(PreferencesFile, ReadOnlyFileKeepsItsContent) {
    Sandbox box;
    chmod(box.Path().c_str(), 0777);  // only the file's own mode may stop the writer
    WriteFile(box / "ro", "k=old\n");
    WriteFile(box / "rw", "k=old\n");
    chmod((box / "ro").c_str(), 0444);
    chmod((box / "rw").c_str(), 0666);
    pid_t pid = fork();
    if (pid == 0) {  // root ignores permission bits: the writer runs as "nobody"
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        RewriteWith(box / "ro", "k", "new");
        RewriteWith(box / "rw", "k", "new");
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFile(box / "rw"), kHead + "k = new\r\n") << "the writer could not write at all";
    EXPECT_EQ(ReadFile(box / "ro"), "k=old\n");
}

TEST(PreferencesFile, FailedRewriteLeavesTheOldFileWhole) {
    Sandbox box;
    std::string old = "a=1\nb=2\n";
    WriteFile(box / "p", old);
    PreferencesFile f;
    ASSERT_TRUE(f.Open(box / "p"));
    f.WriteText("c", std::string(4096, 'x'));
    // A file-size limit makes the write fail part-way, as a full disk would.
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = 16;
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    f.Close();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadFile(box / "p"), old);
    std::string listing;
    testsupport::Run("ls -A " + box.Path(), &listing);
    EXPECT_EQ(listing, "p\n");  // no half-written file left beside it
}

namespace {

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

    // With no home known, the bare name in the current directory.
    testsupport::ScopedEnv noXdg("XDG_CONFIG_HOME", ""), noHome("HOME", "");
    EXPECT_EQ(settings::HomePreferencesPath(), "Vellum.prefs");
    settings::SaveSettings();
    EXPECT_EQ(KeysIn(startDir + "/Vellum.prefs"), kSavedKeys);
}

TEST_F(SettingsFiles, StartupFileServesUntilAHomeFileExistsEvenAnEmptyOne) {
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

    WriteFile(homeFile, "");
    settings::LoadSettings();
    EXPECT_EQ(g_settings.SVNUsername, "");
}

TEST_F(SettingsFiles, NumbersLoadAsTheyBeginOrAsZero) {
    for (auto [file, loaded] : {std::pair{"proxyPort=8080x\nuseProxy=yes\n", "8080 0"},
                                {"proxyPort=x\nuseProxy=1\n", "0 1"}, {"proxyPort=-3\n", "-3 0"}}) {
        WriteFile(homeFile, file);
        settings::LoadSettings();
        EXPECT_EQ(g_settings.proxyPort + " " + std::to_string(g_settings.useProxy), loaded) << file;
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
}

}  // namespace
