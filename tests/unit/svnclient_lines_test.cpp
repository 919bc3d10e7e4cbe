// Reading the client's output as UTF-8 lines (with a stand-in client that
// prints exact bytes, found as "svn/bin/svn" under the current folder), and
// telling change notices from the client's other lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <optional>
#include <thread>
#include <tuple>

#include "platform/text.h"
#include "settings/settings.h"
#include "support/sandbox.h"
#include "svnclient/change_lines.h"
#include "svnclient/client.h"

namespace {

using namespace std::chrono;
using namespace svnclient;
using platform::SystemToUtf8;
using Lines = std::vector<std::string>;
using testsupport::Sandbox;

const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

// Switches the process to a locale for one test and back to "C" after.
class ScopedLocale {
public:
    ~ScopedLocale() { setlocale(LC_ALL, "C"); }
    bool Use(const char* name) { return setlocale(LC_ALL, name) != nullptr; }
    // Latin-1: the system's, else one made in the sandbox (localedef needs no
    // privileges for that).
    bool UseLatin1(const Sandbox& box) {
        const char* name = "fr_FR.ISO-8859-1";
        if (Use(name)) return true;
        if (testsupport::Run("localedef -i fr_FR -f ISO-8859-1 " +
                             testsupport::ShellQuote(box / name)))
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

    Lines Run(ArgumentList args, ClientResult* result = nullptr) {
        Lines lines;
        ClientResult r = RunClient(args, "", 1, [&](const std::string& l) { lines.push_back(l); });
        EXPECT_TRUE(r.started);
        if (result) *result = r;
        return lines;
    }

    Sandbox box_;
    std::optional<testsupport::ScopedCwd> cwd_;
};

TEST_F(ClientLines, LinesAreTrimmedCutAndHandedOutWhole) {
    ClientResult r;
    // CR LF, a CR inside, CR LF alone, blanks at both ends, tabs kept, a NUL.
    EXPECT_EQ(Run({Plain("blanks")}, &r), (Lines{"A    x", "B", "ab", "", "x", "\tt\t", "ab"}));
    EXPECT_EQ(r.errors, "");
    EXPECT_EQ(Run({Plain("longline")}), (Lines{std::string(100000, 'x'), "after"}));
    EXPECT_EQ(Run({Plain("nolf")}), (Lines{"one", "xyz"}));
    // Half a line waits for the rest.
    EXPECT_EQ(Run({Plain("split"), Plain("300")}), (Lines{"alpha beta", "end"}));
}

TEST_F(ClientLines, AFloodOfErrorsNeitherBlocksNorGetsLost) {
    ClientResult r;
    EXPECT_EQ(Run({Plain("errflood")}, &r), Lines{"done"});
    EXPECT_EQ(r.errors.size(), 1024u * 1024u);
    EXPECT_EQ(r.errors.find_first_not_of("e\n"), std::string::npos);
    // A character split over two reads is still one character.
    ScopedLocale utf8;
    ASSERT_TRUE(utf8.Use("C.UTF-8"));
    Run({Plain("spliterr")}, &r);
    EXPECT_EQ(r.errors, "\xC3\xA9\n");
}

// Whatever waits on the program's own input, a client never reads it.
TEST_F(ClientLines, TheClientReadsNothingFromOurInput) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "typed\n", 6), 6);
    const int saved = dup(0);
    ASSERT_EQ(dup2(fds[0], 0), 0);
    Lines seen = Run({Plain("stdin")});
    dup2(saved, 0);
    for (int fd : {saved, fds[0], fds[1]}) close(fd);
    EXPECT_EQ(seen, Lines{"eof"});
}

TEST_F(ClientLines, StoppingEndsTheLoopAndTheClient) {
    std::atomic<bool> stop{false};
    int ticks = 0;
    auto start = steady_clock::now();
    RunClient(
        {Plain("ticker")}, "", 1,
        [&](const std::string& l) {
            if (l == "tick" && ++ticks == 3) stop = true;
        },
        &stop);
    EXPECT_EQ(ticks, 3);
    EXPECT_LT(steady_clock::now() - start, seconds(5));  // the ticker runs for 20 s
    // A client that waits in silence (on a server, say) is ended too.
    stop = false;
    const std::string marker = "stop-marker-" + std::to_string(getpid());
    std::thread stopper([&] { platform::Sleep(200), stop = true; });
    RunClient(
        {Plain("sleep"), Plain("20000"), Plain(marker)}, "", 1, [](const std::string&) {}, &stop);
    stopper.join();
    bool left = true;
    for (int ms = 0; ms < 5000 && left; ms += 50, platform::Sleep(50))
        left = testsupport::Run("pgrep -f '[" + marker.substr(0, 1) + "]" + marker.substr(1) +
                                "' >/dev/null") == 0;
    EXPECT_FALSE(left) << "the stopped client still runs";
    // Lines already read wait too: the stop is seen before the next one.
    stop = false;
    int seen = 0;
    RunClient(
        {Plain("argv"), Plain("1"), Plain("2"), Plain("3"), Plain("4")}, "", 1,
        [&](const std::string&) { ++seen, stop = true; }, &stop);
    EXPECT_EQ(seen, 1);
}

int g_hookCalls = 0;

TEST_F(ClientLines, TheWaitHookRunsOnlyOnTheThreadThatSetIt) {
    SetWaitHook([] { return ++g_hookCalls > 0; });
    Run({Plain("split"), Plain("100")});
    EXPECT_GT(g_hookCalls, 0);
    int before = g_hookCalls;
    std::thread([&] { Run({Plain("split"), Plain("100")}); }).join();
    EXPECT_EQ(g_hookCalls, before);
    SetWaitHook(nullptr);
}

TEST(SystemToUtf8, Utf8AndAsciiLocalesReplaceWhatTheyCannotRead) {
    ScopedLocale locale;
    ASSERT_TRUE(locale.Use("C.UTF-8"));
    const std::string good =
        "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\x81 \xED\x9F\xBF \xF4\x8F\xBF\xBF";
    EXPECT_EQ(SystemToUtf8(good), good);
    EXPECT_EQ(SystemToUtf8("caf\xE9"), "caf" + kBad);                        // Latin-1 byte
    EXPECT_EQ(SystemToUtf8("\xC0\xAF"), kBad + kBad);                        // overlong "/"
    EXPECT_EQ(SystemToUtf8("\xED\xA0\x80"), kBad + kBad + kBad);             // surrogate
    EXPECT_EQ(SystemToUtf8("\xF4\x90\x80\x80"), kBad + kBad + kBad + kBad);  // past U+10FFFF
    EXPECT_EQ(SystemToUtf8("a\xE2\x82"), "a" + kBad + kBad);                 // cut short
    EXPECT_EQ(SystemToUtf8("\xE2\x82z"), kBad + kBad + "z");                 // broken off
    EXPECT_EQ(SystemToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    ASSERT_TRUE(locale.Use("C"));
    EXPECT_EQ(SystemToUtf8("ok\xE9\xC3\xA9!"), "ok" + kBad + kBad + kBad + "!");
}

TEST_F(ClientLines, OutputBytesAreReadInTheLocaleCharset) {
    ScopedLocale locale;
    ASSERT_TRUE(locale.Use("C.UTF-8"));
    EXPECT_EQ(Run({Plain("latin1")}), Lines{"caf" + kBad});
    if (!locale.UseLatin1(box_))
        GTEST_SKIP() << "no Latin-1 locale and localedef could not make one";
    EXPECT_EQ(Run({Plain("latin1")}), Lines{"caf\xC3\xA9"});
    // Every byte is its own code point; large input goes through in one piece.
    EXPECT_EQ(SystemToUtf8("\x01\x7F\x80\xBF\xC0\xFF"), "\x01\x7F\xC2\x80\xC2\xBF\xC3\x80\xC3\xBF");
    EXPECT_EQ(SystemToUtf8(std::string(20000, '\xE9')).size(), 40000u);
}

// "kind code path" for a change line.
std::string Shown(const ChangeLine& c) {
    const char* kinds[] = {"nothing", "entry", "info"};
    return std::string(kinds[c.kind]) +
           (c.kind == ChangeLine::Entry ? " " + c.code + " [" + c.path + "]" : "");
}

// An update takes the first word as code and the trimmed rest as path; a copy
// wants one code character, then a blank.
TEST(ChangeLines, EntriesAmongTheClientsOtherLines) {
    const auto update = ParseUpdateLine, copy = ParseCheckoutLine;
    const std::tuple<ChangeLine (*)(const std::string&), const char*, const char*> cases[] = {
        {update, "U    plain.txt", "entry U [plain.txt]"},
        {update, "G    a b.txt  ", "entry G [a b.txt]"},
        {update, "C clash.txt", "entry C [clash.txt]"},
        {update, "A    sub/new.txt", "entry A [sub/new.txt]"},
        {update, "D    gone", "entry D [gone]"},
        {update, "E    there", "entry E [there]"},
        {update, "A", "nothing"},
        {update, "A    ", "nothing"},
        {update, "", "nothing"},
        {update, "UU   both.txt", "info"},
        {update, "M    x", "info"},
        {update, "Updating '/wc':", "info"},
        {update, "At revision 2.", "info"},
        {update, "Summary of conflicts:", "info"},
        {update, "u    lower", "info"},
        {copy, "A    docs/", "entry A [docs/]"},
        {copy, "A    docs/readme.txt", "entry A [docs/readme.txt]"},
        {copy, "U x", "entry U [x]"},
        {copy, "A", "nothing"},
        {copy, "", "nothing"},
        {copy, "Updating", "info"},
        {copy, "abc", "info"},
        {copy, "9 lives", "info"},
        {copy, "G\tx", "info"},
        {copy, "AU   x", "info"},
        {copy, "Checked out revision 5.", "info"}};
    for (auto [parse, line, shown] : cases)
        EXPECT_EQ(Shown(parse(line)), shown) << (parse == copy ? "copy [" : "update [") << line;
}

}  // namespace
