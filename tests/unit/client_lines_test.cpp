// Reading the client's output as lines, with a stand-in client that prints
// exact bytes, started through RunSvn as "svn/bin/svn" under the current folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

#include "settings/settings.h"
#include "support/sandbox.h"
#include "svnclient/client.h"

namespace {

using namespace std::chrono;
using namespace svnclient;
using testsupport::Sandbox;

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

    Seen Run(ArgumentList args, const std::atomic<bool>* stop = nullptr) {
        Seen seen;
        seen.result = RunClient(args, "", 1, [&](const std::string& l) { seen.lines.push_back(l); }, stop);
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

TEST_F(ClientLines, LinesAreTrimmedAndCutAsTheClientPrintsThem) {
    Seen seen = Run({Plain("blanks")});
    EXPECT_TRUE(seen.result.started);
    // CR LF, a CR inside, CR LF alone, blanks at both ends, tabs kept, a NUL.
    EXPECT_EQ(seen.lines, (std::vector<std::string>{"A    x", "B", "ab", "", "x", "\tt\t", "ab"}));
    EXPECT_EQ(seen.result.errors, "");
}

TEST_F(ClientLines, ALineInTwoPiecesComesOutWhole) {
    ClientProcess* c = RunSvn({Plain("split"), Plain("400")}, "", 1);
    ASSERT_NE(c, nullptr);
    // Wait until the first half has surely arrived.
    std::this_thread::sleep_for(milliseconds(150));
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

TEST_F(ClientLines, LongLinesAndAnUnterminatedLastLineAreHandedOut) {
    Seen seen = Run({Plain("longline")});
    ASSERT_EQ(NonEmpty(seen.lines).size(), 2u);
    EXPECT_EQ(NonEmpty(seen.lines)[0], std::string(100000, 'x'));
    EXPECT_EQ(NonEmpty(seen.lines)[1], "after");

    EXPECT_EQ(NonEmpty(Run({Plain("nolf")}).lines), (std::vector<std::string>{"one", "xyz"}));
}

TEST_F(ClientLines, AFloodOfErrorsNeitherBlocksNorGetsLost) {
    Seen seen = Run({Plain("errflood")});
    EXPECT_EQ(seen.lines, (std::vector<std::string>{"done"}));
    EXPECT_EQ(seen.result.errors.size(), 1024u * 1024u);
    EXPECT_EQ(seen.result.errors.find_first_not_of("e\n"), std::string::npos);
}

TEST_F(ClientLines, TheSettingsShapeTheClientCommandLine) {
    settings::g_settings.SVNAuthCache = 0;
    settings::g_settings.SVNUsername = "bob";
    settings::g_settings.SVNPassword = "pw";
    EXPECT_EQ(Run({Plain("argv"), Quoted("a \"b\" c")}).lines,
              (std::vector<std::string>{"a \"b\" c", "--non-interactive", "--no-auth-cache",
                                        "--username", "bob", "--password", "pw"}));
    // A read-only copy sends no credentials.
    std::vector<std::string> lines;
    RunClient({Plain("argv")}, "", 0, [&](const std::string& l) { lines.push_back(l); });
    EXPECT_EQ(lines, (std::vector<std::string>{"--non-interactive", "--no-auth-cache"}));
}

TEST_F(ClientLines, TheClientRunsInTheGivenFolder) {
    Sandbox other;
    char real[PATH_MAX];
    ASSERT_NE(realpath(other.Path().c_str(), real), nullptr);
    std::vector<std::string> lines;
    RunClient({Plain("cwd")}, other.Path(), 1, [&](const std::string& l) { lines.push_back(l); });
    EXPECT_EQ(lines, std::vector<std::string>{real});
}

TEST_F(ClientLines, WithoutAClientNothingStartsAndNothingIsSeen) {
    unlink((box_ / "svn/bin/svn").c_str());
    testsupport::ScopedEnv path("PATH", box_.Path());
    EXPECT_EQ(RunSvn({Plain("argv")}, "", 1), nullptr);
    bool called = false;
    ClientResult r = RunClient({Plain("argv")}, "", 1, [&](const std::string&) { called = true; });
    EXPECT_FALSE(r.started);
    EXPECT_FALSE(called);
    EXPECT_EQ(r.errors, "");
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

}  // namespace
