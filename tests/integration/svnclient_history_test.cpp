// History, changes and blame with the real client on a repository whose
// names, messages and revision properties are as awkward as users make them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "client_env.h"
#include "platform/text.h"
#include "support/servers.h"
#include "svnclient/history.h"

namespace {

using namespace svnclient;
using namespace testsupport;

const std::string kName = "a b@%é.txt";
const int64_t kFixedTime = 1796646896;  // r1's date, set by hand

// An entry as the tables write it; r1's date in full (TZ is 2 hours ahead).
std::string Show(const LogEntry& e) {
    std::string s = "r" + std::to_string(e.revision) + " " + (e.hasAuthor ? e.author : "-") + " " +
                    (e.date.empty() ? "undated" : e.time == kFixedTime ? e.date : "dated") +
                    " {" + e.message + "}";
    for (const ChangedPath& p : e.paths) {
        s += std::string(" ") + p.action + p.path;
        if (p.copyFromRevision != 0)
            s += "<" + p.copyFromPath + "@" + std::to_string(p.copyFromRevision);
    }
    return s;
}

class History : public ::testing::Test {
protected:
    // r1 adds the file, r2 changes it (anonymous, empty message), r3 copies
    // it (no message, no date), r4 deletes it.
    void SetUp() override {
        platform::UseUserCharset();  // the client's UTF-8, as the program takes it
        url = MakeRepository(box / "repo");
        fileUrl = url + EncodeUrlPath(kName);
        const std::string name = ShellQuote(kName), file = ShellQuote(kName + "@");
        const std::string at = " " + ShellQuote(url), hook = "repo/hooks/pre-revprop-change";
        const std::string ci = "svn ci -q --username ann -m ";
        const std::string unset = "svn propdel -q --revprop -r ";
        const std::string steps[] = {
            "printf '#!/bin/sh\\nexit 0\\n' > " + hook, "chmod +x " + hook,
            "svn co -q" + at + " wc", "cd wc",
            "printf '  one\\ntwo\\n' > " + name, "svn add -q " + file,
            ci + "'first & <second> ]]> é'",
            "printf '  one\\nTWO\\nthree\\n' > " + name, ci + "''",
            "svn cp -q " + file + " copy.txt", ci + "copy",
            "svn rm -q " + file, ci + "gone",
            unset + "2 svn:author" + at, unset + "3 svn:log" + at, unset + "3 svn:date" + at,
            "svn propset -q --revprop -r 1 svn:date 2026-12-07T12:34:56.123456Z" + at, "svn up -q"};
        std::string script = "true";
        for (const std::string& step : steps) script += " && " + step;
        ASSERT_EQ(env.Shell(script + " && echo made"), "made\n");
    }

    // Entries of a log run as the tables write them, then "more" when the
    // page says older ones follow.
    std::vector<std::string> Log(const LogQuery& q, std::string* errors = nullptr) {
        std::vector<std::string> shown;
        LogResult r = SvnLog(q, [&](LogEntry e) { shown.push_back(Show(e)); });
        EXPECT_EQ(r.count, static_cast<int>(shown.size()));
        if (r.more) shown.push_back("more");
        if (errors) *errors = r.errors;
        else EXPECT_EQ(r.errors, "");
        return shown;
    }

    // A client first in the lookup (the current folder's svn/bin/svn).
    void Client(const std::string& script) {
        MakeDirs(box / "svn/bin");
        WriteFile(box / "svn/bin/svn", "#!/bin/sh\n" + script + "\n");
        testsupport::Run("chmod +x " + ShellQuote(box / "svn/bin/svn"));
    }

    ClientEnv env;
    Sandbox& box = env.box;
    ScopedEnv zone{"TZ", "XST-2"};
    ScopedCwd cwd{box.Path()};
    std::string url, fileUrl;
};

using Entries = std::vector<std::string>;
const std::string kR1 = "r1 ann 2026-12-07 14:34 {first & <second> ]]> é}", kR2 = "r2 - dated {}";
const std::string kR3 = "r3 ann undated {} A/copy.txt</" + kName + "@2";

TEST_F(History, PagesCopiesAndDeletedPathsThroughTheirPeg) {
    const std::string r1 = kR1 + " A/" + kName, r2 = kR2 + " M/" + kName;
    const struct {
        std::string target, peg;
        long below;
        int limit;
        std::vector<long> revisions;
        Entries entries;
    } cases[] = {
        {url, "", 0, 2, {}, {"r4 ann dated {gone} D/" + kName, kR3, "more"}},
        {url, "", 3, 2, {}, {r2, r1}},
        {url, "", 2, 5, {}, {r1}},
        {url, "", 1, 5, {}, {}},
        {fileUrl, "3", 0, 50, {}, {r2, r1}},
        {box / "wc/copy.txt", "", 0, 2, {}, {kR3, r2, "more"}},
        {box / "wc", "", 0, 50, {3, 1}, {kR3, r1}},
    };
    for (const auto& c : cases) {
        LogQuery q{c.target, c.peg, c.below, c.limit, true, c.revisions};
        EXPECT_EQ(Log(q), c.entries) << c.target << "@" << c.peg << " below " << c.below;
    }
    EXPECT_EQ(Log({url, "", 3, 1, false, {}}), (Entries{kR2, "more"}));
}

TEST_F(History, TheClientsOwnErrorsAndMalformedOutputAreReported) {
    MakeDirs(box / "plain");
    SvnServer server(box / "repo", "none", "bob", "right");
    ASSERT_TRUE(server.Running());
    auto& s = settings::g_settings;
    s.SVNUsername = "bob";
    const struct {
        std::string target, password, error;
    } cases[] = {{box / "plain", "", "E155007"},
                 {url + "nowhere", "", "E160013"},
                 {"svn://127.0.0.1:" + std::to_string(FreePort()) + "/repo", "", "E170013"},
                 {server.Url(), "wrong", "E170001"},
                 {server.Url(), "right", ""}};
    for (const auto& c : cases) {
        s.SVNPassword = c.password;
        std::string errors;
        const Entries entries = Log({c.target, "", 0, 1, true, {}}, &errors);
        EXPECT_EQ(entries.empty(), !c.error.empty()) << c.target;
        EXPECT_EQ(errors.find("svn: " + c.error) != std::string::npos, !c.error.empty()) << errors;
        EXPECT_EQ(errors.empty(), c.error.empty()) << errors;
    }

    // One entry, then a long pause: it is handed over while the client runs.
    const std::string head =
        "printf '<?xml version=\"1.0\"?>\\n<log><logentry revision=\"9\"></logentry>'";
    Client(head + "; sleep 30; echo '</log>'");
    std::atomic<bool> stop{false};
    const auto started = std::chrono::steady_clock::now();
    LogResult r = SvnLog({url, "", 0, 50, true, {}}, [&](LogEntry e) { stop = e.revision == 9; },
                         &stop);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(r.errors, "");
    Client(head + "; echo '<logentry revision=\"8\"></log>'");
    std::string errors;
    EXPECT_EQ(Log({url, "", 0, 50, true, {}}, &errors), Entries{"r9 - undated {}"});
    EXPECT_EQ(errors, "The client's output could not be read as XML, line 2: mismatched tag");
}

TEST_F(History, DiffLinesKeepTheirBlanksAndStopAtTheLimit) {
    const std::string wcFile = box / "wc/copy.txt";
    const struct {
        std::string target, peg;
        long change;
        Entries lines;
    } cases[] = {
        {fileUrl, "2", 2, {"Index: " + kName, std::string(67, '='),
                           "--- " + kName + "\t(revision 1)", "+++ " + kName + "\t(revision 2)",
                           "@@ -1,2 +1,3 @@", "   one", "-two", "+TWO", "+three"}},
        {wcFile, "", 0, {"Index: " + wcFile, std::string(67, '='),
                         "--- " + wcFile + "\t(revision 4)", "+++ " + wcFile + "\t(working copy)",
                         "@@ -1,3 +1,4 @@", "   one", " TWO", " three", "+ last  "}},
    };
    WriteFile(wcFile, "  one\nTWO\nthree\n last  \r\n");
    for (const auto& c : cases) {
        Lines lines;
        bool cut = true;
        auto add = [&](const std::string& l) { lines.push_back(l); };
        EXPECT_EQ(SvnDiff(c.target, c.change, add, nullptr, &cut, c.peg).errors, "");
        EXPECT_FALSE(cut);
        EXPECT_EQ(lines, c.lines);
    }
    // A client that never ends: whole lines up to the limit, then it is ended.
    Client("exec yes +0123456789");
    size_t count = 0, wrong = 0;
    bool cut = false;
    auto tally = [&](const std::string& l) {
        ++count;
        wrong += l != "+0123456789";
    };
    EXPECT_EQ(SvnDiff("x", 0, tally, nullptr, &cut).errors, "");
    EXPECT_TRUE(cut);
    EXPECT_EQ(count, kDiffLimit / 12);
    EXPECT_EQ(wrong, 0u);
}

TEST_F(History, BlameNamesEveryLinesCommitWithOneLogRun) {
    std::string svn;
    testsupport::Run("command -v svn", &svn);
    svn.erase(svn.find_last_not_of('\n') + 1);
    Client("echo \"$1\" >> " + ShellQuote(box / "runs") + "; exec " + svn + " \"$@\"");
    WriteFile(box / "wc/copy.txt", "local\n");  // a working file blames as updated
    const std::pair<std::string, std::string> targets[] = {
        {url + "copy.txt", ""}, {fileUrl, "2"}, {box / "wc/copy.txt", ""}};
    for (const auto& [target, peg] : targets) {
        Blame b;
        WriteFile(box / "runs", "");
        EXPECT_EQ(SvnBlame(target, peg, &b).errors, "") << target;
        Lines shown;
        for (const BlameLine& l : b.lines)
            shown.push_back(std::to_string(l.number) + " r" + std::to_string(l.revision) + " " +
                            (l.hasAuthor ? l.author : "-") + (l.date.empty() ? " " : " dated ") +
                            l.text);
        EXPECT_EQ(shown, (Lines{"1 r1 ann dated   one", "2 r2 - dated TWO", "3 r2 - dated three"}))
            << target;
        Entries messages;
        for (const auto& [revision, e] : b.revisions) messages.push_back(Show(e));
        EXPECT_EQ(messages, (Entries{kR1, kR2})) << target;
        // The cat runs beside the blame: either may start first.
        Lines runs;
        std::string all = ReadFile(box / "runs");
        for (std::string run; !all.empty(); all.erase(0, run.size() + 1))
            runs.push_back(run = all.substr(0, all.find('\n')));
        std::sort(runs.begin(), runs.end());
        EXPECT_EQ(runs, (Lines{"blame", "cat", "log"}));
    }
    Blame gone;
    WriteFile(box / "runs", "");
    EXPECT_NE(SvnBlame(fileUrl, "", &gone).errors.find("W160013"), std::string::npos);
    EXPECT_TRUE(gone.lines.empty());
    EXPECT_EQ(ReadFile(box / "runs").find("log"), std::string::npos);
}

}  // namespace
