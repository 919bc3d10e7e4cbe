#include "settings/preferences_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sandbox.h"

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

TEST(PreferencesFile, ReadsLooseLinesAndRewritesThemNormalised) {
    Sandbox box;
    std::string path = box / "p";
    WriteFile(path, "\xEF\xBB\xBF  url =  a=b  \t\r\n\r\n;note\n;  two\n\tbare\n#x=1\n"
                    "Port=12\r[grp] tail\r\nlate=1\n[open\n");
    PreferencesFile f;
    ASSERT_TRUE(f.Open(path));
    EXPECT_EQ(f.ReadText("URL", "-"), "a=b");
    EXPECT_EQ(f.ReadText("bare", "-"), "");
    EXPECT_EQ(f.ReadText("#x", "-"), "1");
    EXPECT_EQ(f.ReadText("late", "-"), "-");  // after a group: not in the leading section
    EXPECT_EQ(f.ReadInteger("port", 0), 12);
    f.WriteText("late", "2");
    f.Close();
    EXPECT_EQ(ReadFile(path), kHead + "url = a=b  \t\r\n; note\r\n;  two\r\nbare = \r\n#x = 1\r\n"
                                      "Port = 12\r\nlate = 2\r\n[grp]\r\nlate = 1\r\n[open]\r\n");
}

TEST(PreferencesFile, AnyLineBreakStyleGivesTheSameEntries) {
    Sandbox box;
    std::vector<std::pair<std::string, std::string>> seen;
    for (const char* brk : {"\r\n", "\n", "\r", "\n\r\r\n"}) {
        WriteFile(box / "p", std::string("a=1") + brk + "b" + brk + "[g]" + brk + "c=3" + brk);
        PreferencesFile f;
        ASSERT_TRUE(f.Open(box / "p"));
        ASSERT_EQ(f.Entries().size(), 4u) << "break " << testing::PrintToString(brk);
        EXPECT_EQ(f.Entries()[1].name, "b");
        EXPECT_EQ(f.Entries()[1].value, "");
        EXPECT_EQ(f.Entries()[2].kind, PreferencesFile::Entry::Group);
    }
}

TEST(PreferencesFile, EmptyFilesReadDefaultsAndGetTheMarkOnRewrite) {
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
}

TEST(PreferencesFile, Latin1FileIsConvertedOnlyWhenRewritten) {
    Sandbox box;
    std::string path = box / "p";
    WriteFile(path, "name=Ren\xE9\r\n");
    {
        PreferencesFile f;
        ASSERT_TRUE(f.Open(path));
        EXPECT_EQ(f.ReadText("name", ""), "Ren\xC3\xA9");
    }
    EXPECT_EQ(ReadFile(path), "name=Ren\xE9\r\n");
    EXPECT_EQ(RewriteWith(path, "other", "1"), kHead + "name = Ren\xC3\xA9\r\nother = 1\r\n");
}

TEST(PreferencesFile, WritesFindTheFirstMatchOrGoBeforeTheFirstGroup) {
    Sandbox box;
    WriteFile(box / "dup", "Key=1\nkey=2\n");
    PreferencesFile f;
    ASSERT_TRUE(f.Open(box / "dup"));
    EXPECT_EQ(f.ReadInteger("KEY", 0), 1);
    f.Close();
    EXPECT_EQ(RewriteWith(box / "dup", "kEy", "3"), kHead + "kEy = 3\r\nkey = 2\r\n");

    WriteFile(box / "grouped", "[g]\nb=1\n");
    f.Open(box / "grouped");
    f.WriteText("b", "new");
    f.WriteInteger("a", -42);
    f.Close();
    EXPECT_EQ(ReadFile(box / "grouped"), kHead + "b = new\r\na = -42\r\n[g]\r\nb = 1\r\n");
}

TEST(PreferencesFile, IntegersReadLikeScanfDecimal) {
    Sandbox box;
    WriteFile(box / "p", "a= \t+42z\nb=-7 8\nc=x1\nd=-\ne=\nf=99999999999\ng=0012\n");
    PreferencesFile f;
    ASSERT_TRUE(f.Open(box / "p"));
    EXPECT_EQ(f.ReadInteger("a", 5), 42);
    EXPECT_EQ(f.ReadInteger("b", 5), -7);
    EXPECT_EQ(f.ReadInteger("c", 5), 0);
    EXPECT_EQ(f.ReadInteger("d", 5), 0);
    EXPECT_EQ(f.ReadInteger("e", 5), 0);
    EXPECT_EQ(f.ReadInteger("f", 5), 2147483647);
    EXPECT_EQ(f.ReadInteger("g", 5), 12);
    EXPECT_EQ(f.ReadInteger("missing", 5), 5);
}

TEST(PreferencesFile, MissingFileIsCreatedOnlyWhenWritten) {
    Sandbox box;
    PreferencesFile f;
    EXPECT_FALSE(f.Open(box / "quiet"));
    EXPECT_EQ(f.ReadText("k", "d"), "d");
    f.Close();
    EXPECT_NE(access((box / "quiet").c_str(), F_OK), 0);

    EXPECT_FALSE(f.Open(box / "made"));
    f.WriteText("k", "v");
    f.Close();
    EXPECT_EQ(ReadFile(box / "made"), kHead + "k = v\r\n");

    EXPECT_FALSE(f.Create(box / "no/such/folder/p"));
    f.WriteText("k", "v");
    f.Close();
    EXPECT_NE(access((box / "no").c_str(), F_OK), 0);
}

TEST(PreferencesFile, ReadOnlyFileKeepsItsContent) {
    Sandbox box;
    // Root ignores permission bits, so the writer then runs as "nobody" in a
    // child; the folder is open to it so that only the file's mode stops it.
    chmod(box.Path().c_str(), 0777);
    WriteFile(box / "ro", "k=old\n");
    WriteFile(box / "rw", "k=old\n");
    chmod((box / "ro").c_str(), 0444);
    chmod((box / "rw").c_str(), 0666);
    auto writeBoth = [&] {
        RewriteWith(box / "ro", "k", "new");
        RewriteWith(box / "rw", "k", "new");
    };
    if (geteuid() != 0) {
        writeBoth();
    } else {
        pid_t pid = fork();
        if (pid == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
            writeBoth();
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
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
