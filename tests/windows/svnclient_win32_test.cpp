// Starting the client on Windows against the Windows build of the stand-in
// client: the joined command line as the C runtime reads it back, the folder
// rules, the pipes' ends, the reading loop's lines, the ANSI code page.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "platform/paths.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/win32/utf16.h"
#include "sandbox.h"
#include "settings/settings.h"
#include "svnclient/client.h"

namespace {

using namespace std::chrono;
using platform::ArgumentList;
using platform::Process;
using platform::win32::Widen;
using testsupport::Sandbox;
using testsupport::StandinClient;

struct Outcome {
    std::string out;
    bool ended = false;  // stdout reported its end before the deadline
};

Outcome ReadToEnd(Process* p, milliseconds limit = seconds(20)) {
    Outcome o;
    auto deadline = steady_clock::now() + limit;
    while (steady_clock::now() < deadline) {
        platform::WaitForActivity(p, 100);
        o.out += platform::ReadOutput(p);
        platform::ReadErrors(p);
        if (!platform::ProcessAlive(p) && platform::OutputEnded(p)) {
            o.ended = true;
            break;
        }
    }
    return o;
}

Outcome RunToEnd(const std::string& program, const ArgumentList& args,
                 const std::string& folder = "") {
    Process* p = platform::StartProcess(program, args, folder);
    if (p == nullptr) return {"<not started>", false};
    Outcome o = ReadToEnd(p);
    platform::ReleaseProcess(p);
    return o;
}

// Puts the stand-in where the program looks for the client: svn\bin\svn.exe.
void InstallClient(const Sandbox& box) {
    ASSERT_TRUE(platform::MakeDirectories(box / "svn\\bin"));
    ASSERT_TRUE(
        CopyFileW(Widen(StandinClient()).c_str(), Widen(box / "svn\\bin\\svn.exe").c_str(), FALSE));
}

// A folder as the client prints it: no final separator; Windows ignores case.
std::string Canonical(std::string f) {
    while (f.size() > 3 && platform::EndsWithSeparator(f)) f.pop_back();
    for (char& c : f)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return f;
}

// Children of this process still running, from a process snapshot.
int RunningChildren() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    int n = 0;
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e))
        n += e.th32ParentProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return n;
}

TEST(WindowsProcess, ArgumentsReachTheClientExactlyAsGiven) {
    // Read back by the client's C runtime: blanks, quotes and backslashes must
    // neither split, join nor double anything.
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
    // The client reads its arguments, and prints them, in the ANSI code page.
    if (GetACP() == 1252) args.push_back({"caf\xC3\xA9"});
    std::string expected;
    for (size_t i = 1; i < args.size(); ++i) expected += args[i].text + "\n";
    Outcome o = RunToEnd(StandinClient(), args);
    EXPECT_EQ(platform::SystemToUtf8(o.out), expected);
    EXPECT_TRUE(o.ended);
}

TEST(WindowsProcess, TheWorkingFolderRuleAndTheProgramPath) {
    Sandbox home, elsewhere;
    InstallClient(home);
    testsupport::ScopedCwd cwd(home.Path());
    const std::string blank = elsewhere / "a b";
    ASSERT_TRUE(platform::MakeDirectories(blank));
    // Empty: our folder; otherwise the client runs in the one given, while its
    // relative path is still found from ours.
    for (const std::string& folder : {std::string(), elsewhere.Path(), blank}) {
        EXPECT_EQ(Canonical(RunToEnd("svn\\bin\\svn.exe", {{"cwd"}}, folder).out),
                  Canonical(folder.empty() ? home.Path() : folder) + "\n");
    }
    EXPECT_EQ(platform::StartProcess("svn\\bin\\missing.exe", {{"cwd"}}, ""), nullptr);
    EXPECT_EQ(platform::StartProcess("svn\\bin\\svn.exe", {{"cwd"}}, elsewhere / "no such"),
              nullptr);
}

TEST(WindowsProcess, ClientsStartedAtOnceEachSeeTheirOwnEnd) {
    // A pipe end leaked into a long client started meanwhile on another thread
    // would hold ours open until that client ends. Released sleepers run on.
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
    EXPECT_GT(RunningChildren(), 0);
}

// The reading loop through RunClient, with the stand-in as svn\bin\svn.exe.
class WindowsClient : public ::testing::Test {
protected:
    void SetUp() override {
        InstallClient(box_);
        cwd_.emplace(box_.Path());
        settings::g_settings = settings::Settings{};
    }
    struct Seen {
        std::vector<std::string> lines;
        svnclient::ClientResult result;
    };
    Seen Run(const std::string& scenario) {
        Seen seen;
        seen.result =
            svnclient::RunClient({svnclient::Plain(scenario)}, "", 1, [&](const std::string& l) {
                if (!l.empty()) seen.lines.push_back(l);
            });
        return seen;
    }

    Sandbox box_;
    std::optional<testsupport::ScopedCwd> cwd_;
};

TEST_F(WindowsClient, LinesAreCutTrimmedAndDecoded) {
    // CR LF, a lone CR, blanks trimmed, tabs kept, a NUL: the pipe must not
    // translate a byte.
    EXPECT_EQ(Run("blanks").lines,
              (std::vector<std::string>{"A    x", "B", "ab", "x", "\tt\t", "ab"}));
    Seen seen = Run("longline");
    ASSERT_EQ(seen.lines.size(), 2u);
    EXPECT_EQ(seen.lines[0], std::string(100000, 'x'));

    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP() << ", not 1252";
    EXPECT_EQ(Run("latin1").lines, (std::vector<std::string>{"caf\xC3\xA9"}));
    EXPECT_EQ(platform::SystemToUtf8("\x80 \x9C"), "\xE2\x82\xAC \xC5\x93");  // not Latin-1
}

TEST_F(WindowsClient, AMegabyteOfErrorsIsDrainedOnEveryPass) {
    // Far more than the pipe holds: undrained, the client never gets to "done".
    Seen seen = Run("errflood");
    EXPECT_EQ(seen.lines, (std::vector<std::string>{"done"}));
    EXPECT_EQ(seen.result.errors.size(), 1024u * 1024u);
}

}  // namespace
