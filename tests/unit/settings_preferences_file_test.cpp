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
    WriteFile(path,
              "\xEF\xBB\xBF  url =  a=b  \t\r\n\r\n;note\n;  two\n\tbare\n#x=1\n#X=2\n"
              "Port=12\r[grp] tail\r\nlate=1\n[open\n");
    PreferencesFile f;
    ASSERT_TRUE(f.Open(path));
    EXPECT_EQ(f.ReadText("URL", "-") + "|" + f.ReadText("bare", "-") + "|" + f.ReadText("#X", "-") +
                  "|" + f.ReadText("late", "-"),  // after a group: not in the leading section
              "a=b||1|-");
    f.WriteText("#X", "3");  // the first match, spelt as written
    f.WriteText("late", "2");
    f.WriteInteger("new", -42);
    f.Close();
    EXPECT_EQ(ReadFile(path), kHead +
                                  "url = a=b  \t\r\n; note\r\n;  two\r\nbare = \r\n#X = 3\r\n"
                                  "#X = 2\r\nPort = 12\r\nlate = 2\r\nnew = -42\r\n[grp]\r\n"
                                  "late = 1\r\n[open]\r\n");
    WriteFile(box / "grouped", "[g]\nb=1\n");
    EXPECT_EQ(RewriteWith(box / "grouped", "b", "new"), kHead + "b = new\r\n[g]\r\nb = 1\r\n");
}

// Without a byte-order mark every byte is Latin-1; reading alone never rewrites.
TEST(PreferencesFile, Latin1FileWithIntegersReadLikeScanfDecimal) {
    Sandbox box;
    const std::string text =
        "a= \t+42z\nb=-7 8\nc=x1\nd=-\ne=\nf=99999999999\ng=0012\nname=Ren\xE9\n";
    WriteFile(box / "p", text);
    {
        PreferencesFile f;
        ASSERT_TRUE(f.Open(box / "p"));
        const std::pair<const char*, int> cases[] = {{"a", 42}, {"b", -7},     {"c", 0},
                                                     {"d", 0},  {"e", 0},      {"f", 2147483647},
                                                     {"g", 12}, {"missing", 5}};
        for (auto [key, value] : cases) EXPECT_EQ(f.ReadInteger(key, 5), value) << key;
        EXPECT_EQ(f.ReadText("name", ""), "Ren\xC3\xA9");
    }
    EXPECT_EQ(ReadFile(box / "p"), text);
}

TEST(PreferencesFile, EmptyOrMissingFilesAreMadeOnlyWhenWritten) {
    Sandbox box;
    WriteFile(box / "bom", "\xEF\xBB\xBF");
    WriteFile(box / "empty", "");
    for (std::string name : {"bom", "empty", "absent"}) {
        const bool exists = name != "absent";
        EXPECT_EQ(PreferencesFile().Open(box / name), exists);  // closed with nothing written
        EXPECT_EQ(access((box / name).c_str(), F_OK) == 0, exists) << name;
        EXPECT_EQ(RewriteWith(box / name, "k", "v"), kHead + "k = v\r\n") << name;
    }
    EXPECT_FALSE(PreferencesFile().Create(box / "no/such/folder/p"));
}

// What may not be written, or fails part-way (a file-size limit, as a full
// disk would), keeps its old content whole with no stray file beside it.
TEST(PreferencesFile, UnwritableOrFailedRewriteLeavesTheOldFileWhole) {
    Sandbox box;
    chmod(box.Path().c_str(), 0777);  // only the file's own mode may stop the writer
    for (auto [name, mode] : {std::pair{"ro", 0444}, {"rw", 0666}, {"big", 0666}}) {
        WriteFile(box / name, "k=old\n");
        chmod((box / name).c_str(), mode);
    }
    pid_t pid = fork();
    if (pid == 0) {  // root ignores permission bits: the writer runs as "nobody"
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        RewriteWith(box / "ro", "k", "new");
        RewriteWith(box / "rw", "k", "new");
        struct rlimit small = {16, 16};
        signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        RewriteWith(box / "big", "c", std::string(4096, 'x'));
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFile(box / "rw"), kHead + "k = new\r\n") << "the writer could not write at all";
    EXPECT_EQ(ReadFile(box / "ro") + ReadFile(box / "big"), "k=old\nk=old\n");
    std::string listing;
    testsupport::Run("ls -A " + box.Path(), &listing);
    EXPECT_EQ(listing, "big\nro\nrw\n");
}

namespace {

// A profile folder that does not exist yet and a separate start-up folder.
class SettingsFiles : public testing::Test {
protected:
    void SetUp() override { g_settings = settings::Settings{}; }

    Sandbox home, start;
    std::string config = home / "fresh/config";
    std::string homeFile = config + "/Vellum.prefs";
    std::string startDir = std::filesystem::canonical(start.Path()).string();
    testsupport::ScopedEnv xdg{"XDG_CONFIG_HOME", config};
    testsupport::ScopedCwd cwd{start.Path()};
};

// Defaults with no file, the start-up file until a home file exists, even an
// empty one; numbers load as they begin, or as zero.
TEST_F(SettingsFiles, LoadsFromHomeElseStartupFileAndSaveMakesTheHomeFile) {
    const settings::Settings& s = g_settings;
    settings::LoadSettings();
    EXPECT_EQ(s.proxyPort, "80");  // the saved file below shows the other defaults

    WriteFile(startDir + "/Vellum.prefs",
              "language=fr\nproxyHost=gate\nSVNUsername=ann\nproxyPort=x\nuseProxy=1\n");
    settings::LoadSettings();
    EXPECT_EQ(s.language + s.proxyHost + s.SVNUsername + s.proxyPort + std::to_string(s.useProxy),
              "frgateann01");
    g_settings.SVNPassword = "p\xC3\xA4ss";
    g_settings.SVNAuthCache = 1;
    settings::SaveSettings();
    struct stat st {};
    ASSERT_EQ(stat(config.c_str(), &st), 0) << "the missing profile folder is made";
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(homeFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "it holds a password";
    EXPECT_EQ(ReadFile(homeFile),
              kHead + "SVNRemoteRepositery = https://localhost/svn/trunk/\r\n" +
                  "SVNLocalRepositery = " + startDir + "/repositeries/marrowdepot/\r\n" +
                  "SVNAuthCache = 1\r\nSVNUsername = ann\r\nSVNPassword = p\xC3\xA4ss\r\n");

    g_settings = settings::Settings{};
    settings::LoadSettings();
    EXPECT_EQ(s.language + s.proxyHost + "|" + s.SVNUsername + s.SVNPassword +
                  std::to_string(s.SVNAuthCache),
              "|annp\xC3\xA4ss1");
    WriteFile(homeFile, "proxyPort=8080x\nuseProxy=yes\n");
    settings::LoadSettings();
    EXPECT_EQ(s.SVNUsername + "|" + s.proxyPort + std::to_string(s.useProxy), "|80800");

    // With no home known, the bare name in the current directory.
    testsupport::ScopedEnv noXdg("XDG_CONFIG_HOME", ""), noHome("HOME", "");
    EXPECT_EQ(settings::HomePreferencesPath(), "Vellum.prefs");
}

TEST_F(SettingsFiles, SaveChangesOnlyItsFiveKeysInPlace) {
    WriteFile(homeFile, kHead +
                            "language = fr\r\nsvnusername = old\r\nuseProxy = 1\r\n; mine\r\n"
                            "[x]\r\nSVNPassword = grouped\r\n");
    settings::LoadSettings();
    g_settings.SVNUsername = "Zo\xC3\xAB \xE6\x97\xA5";
    settings::SaveSettings();
    EXPECT_EQ(ReadFile(homeFile),
              kHead +
                  "language = fr\r\nSVNUsername = Zo\xC3\xAB \xE6\x97\xA5\r\nuseProxy = 1\r\n"
                  "; mine\r\nSVNRemoteRepositery = https://localhost/svn/trunk/\r\n"
                  "SVNLocalRepositery = " +
                  startDir +
                  "/repositeries/marrowdepot/\r\n"
                  "SVNAuthCache = 0\r\nSVNPassword = \r\n[x]\r\nSVNPassword = grouped\r\n");
}

// Typed text never plants lines; only a regular file of sane size is read,
// and only such a file (or none) is replaced; an existing file keeps its mode.
TEST_F(SettingsFiles, NothingButARegularFileIsReadOrWrittenAndValuesStayOneLine) {
    g_settings.SVNLocalRepositery = "/home/u/evil\nSVNPassword = injected\r\n[x]";
    g_settings.SVNUsername = "ann";
    settings::SaveSettings();
    chmod(homeFile.c_str(), 0640);
    g_settings = settings::Settings{};
    settings::LoadSettings();
    EXPECT_EQ(g_settings.SVNLocalRepositery, "/home/u/evilSVNPassword = injected[x]");
    EXPECT_EQ(g_settings.SVNPassword, "");
    EXPECT_EQ(g_settings.SVNUsername, "ann") << "a planted group would hide it";
    settings::SaveSettings();
    struct stat st {};
    ASSERT_EQ(stat(homeFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A pipe would block the start for ever, a device exhaust the memory.
    for (const char* kind : {"fifo", "device", "giant"}) {
        std::filesystem::remove(homeFile);
        if (kind == std::string("fifo")) ASSERT_EQ(mkfifo(homeFile.c_str(), 0600), 0);
        if (kind == std::string("device")) std::filesystem::create_symlink("/dev/zero", homeFile);
        if (kind == std::string("giant"))
            WriteFile(homeFile, "SVNUsername = big\n" + std::string(2 << 20, ';'));
        g_settings = settings::Settings{};
        settings::LoadSettings();
        EXPECT_EQ(g_settings.SVNUsername, "") << kind;
        settings::SaveSettings();
        const bool regular = std::filesystem::is_regular_file(homeFile);
        EXPECT_EQ(regular, kind == std::string("giant"))
            << kind << ": replaced only when a regular file";
    }
}

}  // namespace
