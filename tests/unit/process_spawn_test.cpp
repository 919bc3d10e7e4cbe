// Starting programs: arguments, working folder, failures, waiting, and that
// released children never linger as zombies (the client suite checks stdin).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/process.h"
#include "support/sandbox.h"

namespace {

using namespace std::chrono;
using platform::ArgumentList;
using platform::Process;
using testsupport::Sandbox;
using testsupport::StandinClient;

// Everything the process prints, its output then its errors, once it has ended.
std::string ReadToEnd(Process* p) {
    std::string out, err;
    auto deadline = steady_clock::now() + seconds(20);
    while ((platform::ProcessAlive(p) || !platform::OutputEnded(p)) &&
           steady_clock::now() < deadline) {
        platform::WaitForActivity(p, 200);
        out += platform::ReadOutput(p);
        err += platform::ReadErrors(p);
    }
    return out + err + platform::ReadErrors(p);
}

std::string RunToEnd(const std::string& program, const ArgumentList& args,
                     const std::string& folder = "") {
    Process* p = platform::StartProcess(program, args, folder);
    if (p == nullptr) return "<not started>";
    std::string all = ReadToEnd(p);
    platform::ReleaseProcess(p);
    return all;
}

// True once this process has no child left, running or zombie; waitid with
// WNOWAIT looks without reaping.
bool NoChildrenWithin(int ms) {
    auto deadline = steady_clock::now() + milliseconds(ms);
    siginfo_t info{};
    while (waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0) {
        if (steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(milliseconds(50));
    }
    return errno == ECHILD;
}

TEST(Process, ArgumentsArriveIntact) {
    const std::vector<std::string> values = {
        "a b",         "",          "say \"hi\"", "back\\", "\\\\server\\share", "tab\there",
        "caf\xC3\xA9", "--opt=x y", "'single'",   "$HOME"};
    ArgumentList args = {{"argv", false}};
    std::string expected;
    for (const auto& v : values) {
        args.push_back({v, v.size() % 2 == 0});
        expected += v + "\n";
    }
    EXPECT_EQ(RunToEnd(StandinClient(), args), expected);
}

// A relative program names a file under the caller's folder, not the child's.
TEST(Process, RunsInTheWorkingFolderAndFindsRelativeProgramsFromHere) {
    Sandbox home, elsewhere;
    testsupport::MakeDirs(home / "bin");
    ASSERT_EQ(symlink(StandinClient().c_str(), (home / "bin/tool").c_str()), 0);
    testsupport::ScopedCwd cwd(home.Path());
    const std::string there = std::filesystem::canonical(elsewhere.Path()).string() + "\n";
    const std::string here = std::filesystem::canonical(home.Path()).string() + "\n";
    for (std::string program : {StandinClient(), std::string("bin/tool")}) {
        EXPECT_EQ(RunToEnd(program, {{"cwd", false}}, elsewhere.Path()) +
                      RunToEnd(program, {{"cwd", false}}),
                  there + here)
            << program;
    }
}

// Descriptors this process has open: a run must give back all it took.
long OpenDescriptors() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

TEST(Process, WhatCannotStartGivesNullAndLeavesNothingBehind) {
    const long descriptors = OpenDescriptors();
    Sandbox box;
    testsupport::WriteFile(box / "file", "x");
    const std::pair<std::string, std::string> cases[] = {{box / "missing", ""},
                                                         {"vellum-no-such-program", ""},
                                                         {box / "file", ""},  // not executable
                                                         {StandinClient(), box / "missing"},
                                                         {StandinClient(), box / "file"}};
    for (const auto& [program, folder] : cases)
        EXPECT_EQ(platform::StartProcess(program, {{"cwd", false}}, folder), nullptr)
            << program << folder;
    EXPECT_EQ(RunToEnd(StandinClient(), {{"argv", false}, {"x", false}}), "x\n");
    EXPECT_TRUE(NoChildrenWithin(2000));
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST(Process, WaitingWakesForOutputAndReadingNeverBlocks) {
    Process* p = platform::StartProcess(StandinClient(), {{"split", false}, {"1500", false}}, "");
    ASSERT_NE(p, nullptr);
    auto start = steady_clock::now();
    platform::WaitForActivity(p, 10000);
    EXPECT_LT(steady_clock::now() - start, milliseconds(1200)) << "did not wake for the first half";
    while (platform::OutputAvailable(p) < 10) platform::WaitForActivity(p, 50);
    EXPECT_EQ(platform::OutputAvailable(p), 10);
    EXPECT_EQ(platform::ReadOutput(p), "  alpha be");
    EXPECT_EQ(platform::ReadOutput(p), "");  // nothing waiting: no blocking
    EXPECT_EQ(ReadToEnd(p), "ta  \nend\n");
    platform::ReleaseProcess(p);
}

// One thread releases sleepers still running while the other reads short
// clients: a sleeper that inherited a reader's pipe would stall that reader;
// a released sleeper must not stay a zombie.
TEST(Process, StartingAndReleasingOnTwoThreadsAtOnce) {
    std::thread sleepers([] {
        for (int i = 0; i < 30; ++i) {
            Process* p =
                platform::StartProcess(StandinClient(), {{"sleep", false}, {"1500", false}}, "");
            ASSERT_NE(p, nullptr);
            platform::ReleaseProcess(p);
        }
    });
    for (int i = 0; i < 30; ++i) {
        auto start = steady_clock::now();
        std::string word = "run" + std::to_string(i);
        EXPECT_EQ(RunToEnd(StandinClient(), {{"argv", false}, {word, false}}), word + "\n");
        EXPECT_LT(steady_clock::now() - start, milliseconds(1000)) << "run " << i << " stalled";
    }
    sleepers.join();
    EXPECT_TRUE(NoChildrenWithin(10000));
}

}  // namespace
