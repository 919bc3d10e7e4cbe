// Starting programs: arguments, working folder, standard input, failures,
// waiting, and that released children never linger as zombies.
#include <gtest/gtest.h>
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/process.h"
#include "support/sandbox.h"

namespace {

using namespace std::chrono;
using platform::ArgumentList;
using platform::Process;
using testsupport::Sandbox;
using testsupport::StandinClient;

struct Outcome {
    std::string out;
    std::string err;
};

Outcome ReadToEnd(Process* p) {
    Outcome o;
    auto deadline = steady_clock::now() + seconds(20);
    while ((platform::ProcessAlive(p) || !platform::OutputEnded(p)) && steady_clock::now() < deadline) {
        platform::WaitForActivity(p, 200);
        o.out += platform::ReadOutput(p);
        o.err += platform::ReadErrors(p);
    }
    o.err += platform::ReadErrors(p);
    return o;
}

Outcome RunToEnd(const std::string& program, const ArgumentList& args, const std::string& folder = "") {
    Process* p = platform::StartProcess(program, args, folder);
    if (p == nullptr) return {"<not started>", ""};
    Outcome o = ReadToEnd(p);
    platform::ReleaseProcess(p);
    return o;
}

std::string RealPath(const std::string& path) {
    char buf[PATH_MAX];
    return realpath(path.c_str(), buf) ? buf : path;
}

// States of this process's children, read from /proc ('Z' for a zombie).
std::string ChildStates() {
    std::string states;
    DIR* proc = opendir("/proc");
    while (dirent* e = readdir(proc)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        std::ifstream f(std::string("/proc/") + e->d_name + "/stat");
        std::string stat((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        int ppid = 0;
        if (sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == getpid())
            states += state;
    }
    closedir(proc);
    return states;
}

// Waits until every child of this process has been reaped.
std::string ChildrenAfterWaiting(int ms) {
    auto deadline = steady_clock::now() + milliseconds(ms);
    std::string states = ChildStates();
    while (!states.empty() && steady_clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(50));
        states = ChildStates();
    }
    return states;
}

TEST(Process, ArgumentsArriveIntact) {
    const std::vector<std::string> values = {"a b", "", "say \"hi\"", "back\\", "\\\\server\\share",
                                             "tab\there", "caf\xC3\xA9", "--opt=x y", "'single'", "$HOME"};
    ArgumentList args = {{"argv", false}};
    std::string expected;
    for (const auto& v : values) {
        args.push_back({v, v.size() % 2 == 0});
        expected += v + "\n";
    }
    Outcome o = RunToEnd(StandinClient(), args);
    EXPECT_EQ(o.out, expected);
    EXPECT_EQ(o.err, "");
}

TEST(Process, RunsInTheWorkingFolderAndFindsRelativeProgramsFromHere) {
    Sandbox home, elsewhere;
    testsupport::MakeDirs(home / "bin");
    ASSERT_EQ(symlink(StandinClient().c_str(), (home / "bin/tool").c_str()), 0);
    testsupport::ScopedCwd cwd(home.Path());
    EXPECT_EQ(RunToEnd(StandinClient(), {{"cwd", false}}, elsewhere.Path()).out,
              RealPath(elsewhere.Path()) + "\n");
    EXPECT_EQ(RunToEnd(StandinClient(), {{"cwd", false}}).out, RealPath(home.Path()) + "\n");
    // "bin/tool" names a file under the caller's folder, not the child's.
    EXPECT_EQ(RunToEnd("bin/tool", {{"cwd", false}}, elsewhere.Path()).out,
              RealPath(elsewhere.Path()) + "\n");
    EXPECT_EQ(RunToEnd("bin/tool", {{"cwd", false}}).out, RealPath(home.Path()) + "\n");
}

TEST(Process, StandardInputAnswersNothing) {
    EXPECT_EQ(RunToEnd(StandinClient(), {{"stdin", false}}).out, "eof\n");
}

TEST(Process, WhatCannotStartGivesNullAndLeavesNothingBehind) {
    Sandbox box;
    testsupport::WriteFile(box / "file", "x");
    EXPECT_EQ(platform::StartProcess(box / "missing", {}, ""), nullptr);
    EXPECT_EQ(platform::StartProcess("vellum-no-such-program", {}, ""), nullptr);
    EXPECT_EQ(platform::StartProcess(box / "file", {}, ""), nullptr);  // not executable
    EXPECT_EQ(platform::StartProcess(StandinClient(), {{"cwd", false}}, box / "missing"), nullptr);
    EXPECT_EQ(platform::StartProcess(StandinClient(), {{"cwd", false}}, box / "file"), nullptr);
    EXPECT_EQ(ChildrenAfterWaiting(2000), "");
}

TEST(Process, WaitingWakesForOutputAndForTheEnd) {
    Process* p = platform::StartProcess(StandinClient(), {{"split", false}, {"1500", false}}, "");
    ASSERT_NE(p, nullptr);
    auto start = steady_clock::now();
    platform::WaitForActivity(p, 10000);
    EXPECT_LT(steady_clock::now() - start, milliseconds(1200)) << "did not wake for the first half";
    while (platform::OutputAvailable(p) < 10) platform::WaitForActivity(p, 50);
    EXPECT_EQ(platform::OutputAvailable(p), 10);
    EXPECT_EQ(platform::ReadOutput(p), "  alpha be");
    EXPECT_EQ(platform::ReadOutput(p), "");  // nothing waiting: no blocking
    EXPECT_FALSE(platform::OutputEnded(p));
    EXPECT_EQ(ReadToEnd(p).out, "ta  \nend\n");
    EXPECT_TRUE(platform::OutputEnded(p));
    platform::ReleaseProcess(p);

    // A client that prints nothing: the wait ends with the client, not the time-out.
    p = platform::StartProcess(StandinClient(), {{"sleep", false}, {"100", false}}, "");
    ASSERT_NE(p, nullptr);
    start = steady_clock::now();
    while (platform::ProcessAlive(p) && steady_clock::now() - start < seconds(20))
        platform::WaitForActivity(p, 10000);
    EXPECT_LT(steady_clock::now() - start, seconds(5));
    platform::ReleaseProcess(p);
}

TEST(Process, ReleasingARunningChildLeavesNoZombie) {
    Process* p = platform::StartProcess(StandinClient(), {{"sleep", false}, {"300", false}}, "");
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(platform::ProcessAlive(p));
    platform::ReleaseProcess(p);
    EXPECT_EQ(ChildrenAfterWaiting(10000), "");
}

TEST(Process, StartingAndReleasingOnTwoThreadsAtOnce) {
    // One thread leaves long sleepers running while the other reads short
    // clients to their end: a sleeper that inherited a reader's pipe would
    // hold that pipe open and stall the reader until it ends.
    std::thread sleepers([] {
        for (int i = 0; i < 30; ++i) {
            Process* p = platform::StartProcess(StandinClient(), {{"sleep", false}, {"1500", false}}, "");
            ASSERT_NE(p, nullptr);
            platform::ReleaseProcess(p);
        }
    });
    for (int i = 0; i < 30; ++i) {
        auto start = steady_clock::now();
        std::string word = "run" + std::to_string(i);
        EXPECT_EQ(RunToEnd(StandinClient(), {{"argv", false}, {word, false}}).out, word + "\n");
        EXPECT_LT(steady_clock::now() - start, milliseconds(1000)) << "run " << i << " stalled";
    }
    sleepers.join();
    EXPECT_EQ(ChildrenAfterWaiting(10000), "");
}

}  // namespace
