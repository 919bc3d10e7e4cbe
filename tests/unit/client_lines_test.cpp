// Reading the client's output as UTF-8 lines, with a stand-in client that
// prints exact bytes, found as "svn/bin/svn" under the current folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <optional>
#include <thread>

#include "platform/text.h"
#include "settings/settings.h"
#include "support/sandbox.h"
#include "svnclient/client.h"

namespace {

using namespace std::chrono;
using namespace svnclient;
using platform::SystemToUtf8;
using testsupport::Sandbox;

const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

// Switches the process to a locale for one test and back to "C" after.
class ScopedLocale {
public:
    ~ScopedLocale() { setlocale(LC_ALL, "C"); }

    bool Use(const char* name) { return setlocale(LC_ALL, name) != nullptr; }

    // Latin-1: the system's when scripts/setup made it, else one made in the
    // sandbox (localedef needs no privileges for that).
    bool UseLatin1(const Sandbox& box) {
        const char* name = "fr_FR.ISO-8859-1";
        if (Use(name)) return true;
        if (testsupport::Run("localedef -i fr_FR -f ISO-8859-1 " +
                             testsupport::ShellQuote(box / name)) != 0)
            return false;
        locpath_.emplace("LOCPATH", box.Path());
        return Use(name);
    }

private:
    std::optional<testsupport::ScopedEnv> locpath_;
};

class ClientLines : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::MakeDirs(box_ / "svn/bin");
        ASSERT_EQ(symlink(testsupport::StandinClient().c_str(), (box_ / "svn/bin/svn").c_str()), 0);
        cwd_.emplace(box_.Path());
        settings::g_settings = settings::Settings{};
        settings::g_settings.SVNAuthCache = 1;
    }

    struct Seen {
        std::vector<std::string> lines;
        ClientResult result;
    };

    Seen Run(ArgumentList args) {
        Seen seen;
        seen.result = RunClient(args, "", 1, [&](const std::string& l) { seen.lines.push_back(l); });
        return seen;
    }

    // Lines without the "" a loop sees while a line is still incomplete.
    static std::vector<std::string> NonEmpty(const std::vector<std::string>& lines) {
        std::vector<std::string> out;
        for (const auto& l : lines)
            if (!l.empty()) out.push_back(l);
        return out;
    }

    Sandbox box_;
    std::optional<testsupport::ScopedCwd> cwd_;
};

TEST_F(ClientLines, LinesAreTrimmedCutAndHandedOutWhole) {
    Seen seen = Run({Plain("blanks")});
    EXPECT_TRUE(seen.result.started);
    // CR LF, a CR inside, CR LF alone, blanks at both ends, tabs kept, a NUL.
    EXPECT_EQ(seen.lines, (std::vector<std::string>{"A    x", "B", "ab", "", "x", "\tt\t", "ab"}));
    EXPECT_EQ(seen.result.errors, "");
    // A 100 KB line, and a last line without a line feed.
    EXPECT_EQ(NonEmpty(Run({Plain("longline")}).lines),
              (std::vector<std::string>{std::string(100000, 'x'), "after"}));
    EXPECT_EQ(NonEmpty(Run({Plain("nolf")}).lines), (std::vector<std::string>{"one", "xyz"}));
}

TEST_F(ClientLines, ALineInTwoPiecesComesOutWhole) {
    ClientProcess* c = RunSvn({Plain("split"), Plain("400")}, "", 1);
    ASSERT_NE(c, nullptr);
    std::this_thread::sleep_for(milliseconds(150));  // the first half has surely arrived
    EXPECT_EQ(ClientRunning(c), 1);
    EXPECT_EQ(ClientOutputAvailable(c), 0) << "half a line must not look readable";
    EXPECT_EQ(ReadSvnLine(c), "");
    std::vector<std::string> lines;
    auto deadline = steady_clock::now() + seconds(20);
    while (ClientRunning(c) && steady_clock::now() < deadline) {
        while (ClientOutputAvailable(c) > 0) lines.push_back(ReadSvnLine(c));
        Delay(c, 10);
    }
    CloseClient(c);
    EXPECT_EQ(NonEmpty(lines), (std::vector<std::string>{"alpha beta", "end"}));
}

TEST_F(ClientLines, AFloodOfErrorsNeitherBlocksNorGetsLost) {
    Seen seen = Run({Plain("errflood")});
    EXPECT_EQ(seen.lines, (std::vector<std::string>{"done"}));
    EXPECT_EQ(seen.result.errors.size(), 1024u * 1024u);
    EXPECT_EQ(seen.result.errors.find_first_not_of("e\n"), std::string::npos);
}

// A value with blanks and quotes stays one argument.
TEST_F(ClientLines, ArgumentsArriveAsAList) {
    EXPECT_EQ(Run({Plain("argv"), Quoted("a \"b\" c"), Plain("x")}).lines,
              (std::vector<std::string>{"a \"b\" c", "x", "--non-interactive"}));
}

TEST_F(ClientLines, StoppingEndsTheLoopWhileTheClientStillRuns) {
    std::atomic<bool> stop{false};
    int ticks = 0;
    auto start = steady_clock::now();
    ClientResult r = RunClient({Plain("ticker")}, "", 1, [&](const std::string& l) {
        if (l == "tick" && ++ticks == 3) stop = true;
    }, &stop);
    EXPECT_TRUE(r.started);
    EXPECT_EQ(ticks, 3);
    EXPECT_LT(steady_clock::now() - start, seconds(5));  // the ticker runs for 20 s
}

int g_hookCalls = 0;

TEST_F(ClientLines, TheWaitHookRunsOnlyOnTheThreadThatSetIt) {
    SetWaitHook([] { ++g_hookCalls; });
    Run({Plain("split"), Plain("100")});
    EXPECT_GT(g_hookCalls, 0);
    int before = g_hookCalls;
    std::thread worker([&] { Run({Plain("split"), Plain("100")}); });
    worker.join();
    EXPECT_EQ(g_hookCalls, before);
    SetWaitHook(nullptr);
}

TEST(SystemToUtf8, Utf8AndAsciiLocalesReplaceWhatTheyCannotRead) {
    ScopedLocale locale;
    ASSERT_TRUE(locale.Use("C.UTF-8"));
    const std::string good = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\x81 \xED\x9F\xBF \xF4\x8F\xBF\xBF";
    EXPECT_EQ(SystemToUtf8(good), good);
    EXPECT_EQ(SystemToUtf8("caf\xE9"), "caf" + kBad);                          // Latin-1 byte
    EXPECT_EQ(SystemToUtf8("\xC0\xAF"), kBad + kBad);                          // overlong "/"
    EXPECT_EQ(SystemToUtf8("\xED\xA0\x80"), kBad + kBad + kBad);               // surrogate
    EXPECT_EQ(SystemToUtf8("\xF4\x90\x80\x80"), kBad + kBad + kBad + kBad);    // past U+10FFFF
    EXPECT_EQ(SystemToUtf8("a\xE2\x82"), "a" + kBad + kBad);                   // cut short
    EXPECT_EQ(SystemToUtf8("\xE2\x82z"), kBad + kBad + "z");                   // broken off
    EXPECT_EQ(SystemToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    ASSERT_TRUE(locale.Use("C"));
    EXPECT_EQ(SystemToUtf8("ok\xE9\xC3\xA9!"), "ok" + kBad + kBad + kBad + "!");
}

TEST_F(ClientLines, OutputBytesAreReadInTheLocaleCharset) {
    ScopedLocale locale;
    ASSERT_TRUE(locale.Use("C.UTF-8"));
    EXPECT_EQ(Run({Plain("latin1")}).lines, std::vector<std::string>{"caf" + kBad});
    if (!locale.UseLatin1(box_)) GTEST_SKIP() << "no Latin-1 locale and localedef could not make one";
    EXPECT_EQ(Run({Plain("latin1")}).lines, std::vector<std::string>{"caf\xC3\xA9"});
    // Every byte is its own code point; large input goes through in one piece.
    EXPECT_EQ(SystemToUtf8("\x01\x7F\x80\xBF\xC0\xFF"), "\x01\x7F\xC2\x80\xC2\xBF\xC3\x80\xC3\xBF");
    EXPECT_EQ(SystemToUtf8(std::string(20000, '\xE9')).size(), 40000u);
}

}  // namespace
