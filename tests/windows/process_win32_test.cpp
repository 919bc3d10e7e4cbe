// Starting the client on Windows: the joined command line as the C runtime
// reads it back, the folder rules, the pipes and their ends, and the ANSI
// code page. (The bytes themselves and the error flood: client_win32_test.) The stand-in client is the Windows build of
// tests/support/standin_client.cpp.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/paths.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/win32/utf16.h"
#include "sandbox.h"

namespace {

using namespace std::chrono;
using platform::Argument;
using platform::ArgumentList;
using platform::Process;
using testsupport::Sandbox;
using testsupport::StandinClient;

struct Outcome {
    std::string out;
    std::string err;
    bool ended = false;  // stdout reported its end before the deadline
};

Outcome ReadToEnd(Process* p, milliseconds limit = seconds(20)) {
    Outcome o;
    auto deadline = steady_clock::now() + limit;
    while (steady_clock::now() < deadline) {
        platform::WaitForActivity(p, 100);
        o.out += platform::ReadOutput(p);
        o.err += platform::ReadErrors(p);
        if (!platform::ProcessAlive(p) && platform::OutputEnded(p)) {
            o.ended = true;
            break;
        }
    }
    o.err += platform::ReadErrors(p);
    return o;
}

Outcome RunToEnd(const std::string& program, const ArgumentList& args,
                 const std::string& folder = "") {
    Process* p = platform::StartProcess(program, args, folder);
    if (p == nullptr) return {"<not started>", "", false};
    Outcome o = ReadToEnd(p);
    platform::ReleaseProcess(p);
    return o;
}

// Windows compares folder names without case.
std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The same folder as the client prints it: long form, no final separator.
std::string Canonical(const std::string& folder) {
    std::string f = folder;
    while (f.size() > 3 && platform::EndsWithSeparator(f)) f.pop_back();
    return Lower(f);
}

// Children of this process still running, counted from a process snapshot.
int RunningChildren() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    int n = 0;
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e))
        if (e.th32ParentProcessID == GetCurrentProcessId()) ++n;
    CloseHandle(snap);
    return n;
}

TEST(WindowsProcess, ArgumentsReachTheClientExactlyAsGiven) {
    // Each value is read back by the client's own C runtime: blanks, quotes
    // and backslashes must neither split, join nor double anything.
    ArgumentList args = {{"argv"},
                         {"plain"},
                         {"two words"},
                         {"say \"hi\""},
                         {"C:\\folder\\", true},
                         {"C:\\with blank\\"},
                         {"back\\\\slashes\\\"quote"},
                         {""},
                         {"tab\there"},
                         {"quoted anyway", true},
                         {"--username"}};
    // The client reads its arguments in the ANSI code page.
    if (GetACP() == 1252) args.push_back({"caf\xC3\xA9"});
    Outcome o = RunToEnd(StandinClient(), args);
    std::string expected;
    for (size_t i = 1; i < args.size(); ++i) {
        // The client prints in the ANSI code page; compare in UTF-8.
        expected += args[i].text + "\n";
    }
    EXPECT_EQ(platform::SystemToUtf8(o.out), expected);
    EXPECT_TRUE(o.ended);
}

TEST(WindowsProcess, TheWorkingFolderRuleAndTheProgramPath) {
    Sandbox home, elsewhere;
    // The client sits below our current folder, as the program expects it.
    std::string client = home / "svn\\bin\\svn.exe";
    ASSERT_TRUE(platform::MakeDirectories(home / "svn\\bin"));
    ASSERT_TRUE(CopyFileW(platform::win32::Widen(StandinClient()).c_str(),
                          platform::win32::Widen(client).c_str(), FALSE));
    testsupport::ScopedCwd cwd(home.Path());

    // Empty: the client inherits our folder.
    EXPECT_EQ(Canonical(RunToEnd("svn\\bin\\svn.exe", {{"cwd"}}).out), Canonical(home.Path()) + "\n");
    // A folder: the client runs there, while its relative path is still
    // found from our folder.
    EXPECT_EQ(Canonical(RunToEnd("svn\\bin\\svn.exe", {{"cwd"}}, elsewhere.Path()).out),
              Canonical(elsewhere.Path()) + "\n");
    // A folder with a blank in its name.
    std::string blank = elsewhere / "a b";
    ASSERT_TRUE(platform::MakeDirectories(blank));
    EXPECT_EQ(Canonical(RunToEnd("svn\\bin\\svn.exe", {{"cwd"}}, blank).out), Canonical(blank) + "\n");

    // Failures give null and leave nothing behind.
    EXPECT_EQ(platform::StartProcess("svn\\bin\\missing.exe", {{"cwd"}}, ""), nullptr);
    EXPECT_EQ(platform::StartProcess("svn\\bin\\svn.exe", {{"cwd"}}, elsewhere / "no such"), nullptr);
}

TEST(WindowsProcess, OutputComesInPiecesAndEndsWithTheClient) {
    Process* p = platform::StartProcess(StandinClient(), {{"split"}, {"400"}}, "");
    ASSERT_NE(p, nullptr);
    // The first piece arrives; the pipe has not ended while the client runs.
    std::string out;
    auto deadline = steady_clock::now() + seconds(10);
    while (out.empty() && steady_clock::now() < deadline) {
        platform::WaitForActivity(p, 50);
        out += platform::ReadOutput(p);
    }
    EXPECT_EQ(out, "  alpha be");
    EXPECT_FALSE(platform::OutputEnded(p));
    EXPECT_EQ(platform::OutputAvailable(p), 0);

    // The wait ends when the second piece arrives, not at its time-out.
    auto before = steady_clock::now();
    platform::WaitForActivity(p, 10000);
    EXPECT_LT(steady_clock::now() - before, seconds(5));
    Outcome rest = ReadToEnd(p);
    EXPECT_EQ(out + rest.out, "  alpha beta  \nend\n");
    EXPECT_TRUE(rest.ended);
    EXPECT_EQ(platform::OutputAvailable(p), 0);
    platform::ReleaseProcess(p);

    // A client that prints nothing: the wait ends with the client.
    p = platform::StartProcess(StandinClient(), {{"sleep"}, {"100"}}, "");
    ASSERT_NE(p, nullptr);
    before = steady_clock::now();
    while (platform::ProcessAlive(p) && steady_clock::now() - before < seconds(10))
        platform::WaitForActivity(p, 10000);
    EXPECT_LT(steady_clock::now() - before, seconds(5));
    platform::ReleaseProcess(p);
}

TEST(WindowsProcess, ReleasingTheHandleLeavesTheClientRunning) {
    int before = RunningChildren();
    Process* p = platform::StartProcess(StandinClient(), {{"sleep"}, {"1500"}}, "");
    ASSERT_NE(p, nullptr);
    platform::ReleaseProcess(p);
    platform::Sleep(300);
    EXPECT_EQ(RunningChildren(), before + 1);
}

TEST(WindowsProcess, ClientsStartedAtOnceEachSeeTheirOwnEnd) {
    // Pipes made for a long-running client on one thread must not leak into
    // a client started meanwhile on another: a leaked write end would hold
    // the long one's pipe open, and ours, until the other client ends.
    std::atomic<bool> done{false};
    std::thread sleepers([&] {
        while (!done) {
            if (Process* p = platform::StartProcess(StandinClient(), {{"sleep"}, {"4000"}}, ""))
                platform::ReleaseProcess(p);
        }
    });
    int slow = 0;
    for (int i = 0; i < 8; ++i) {
        Process* p = platform::StartProcess(StandinClient(), {{"argv"}, {"x"}}, "");
        ASSERT_NE(p, nullptr);
        Outcome o = ReadToEnd(p, milliseconds(2500));
        if (!o.ended || o.out != "x\n") ++slow;
        platform::ReleaseProcess(p);
    }
    done = true;
    sleepers.join();
    EXPECT_EQ(slow, 0);
}

TEST(WindowsText, AnsiCodePageBytesBecomeUtf8) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP() << ", not 1252";
    EXPECT_EQ(platform::SystemToUtf8("caf\xE9 \x80 \x9C"), "caf\xC3\xA9 \xE2\x82\xAC \xC5\x93");
    EXPECT_EQ(platform::SystemToUtf8(""), "");
}

}  // namespace
