// History, changes and blame with the real client on a repository whose
// names, messages and revision properties are as awkward as users make them.
#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

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
                    (e.date.empty()         ? "undated"
                     : e.time == kFixedTime ? e.date
                                            : "dated") +
                    " {" + e.message + "}";
    for (const ChangedPath& p : e.paths) {
        s += std::string(" ") + p.action + p.path;
        if (p.copyFromRevision != 0)
            s += "<" + p.copyFromPath + "@" + std::to_string(p.copyFromRevision);
    }
    return s;
}

class History : public ClientTest {
protected:
    // r1 adds the file, r2 changes it (anonymous, empty message), r3 copies
    // it (no message, no date), r4 deletes it.
    void SetUp() override {
        platform::UseUserCharset();  // the client's UTF-8, as the program takes it
        url = Repo();
        fileUrl = url + EncodeUrlPath(kName);
        // The names reach the shell through its environment: nothing to quote.
        ScopedEnv name("NAME", kName), at("URL", url);
        ASSERT_EQ(Shell(R"(h=repo/hooks/pre-revprop-change; printf '#!/bin/sh\nexit 0\n' >$h &&
            chmod +x $h && svn co -q "$URL" wc && cd wc && ci() { svn ci -q --username ann -m "$1"; }
            printf '  one\ntwo\n' >"$NAME" && svn add -q "$NAME@" && ci 'first & <second> ]]> é' &&
            printf '  one\nTWO\nthree\n' >"$NAME" && ci '' && svn cp -q "$NAME@" copy.txt &&
            ci copy && svn rm -q "$NAME@" && ci gone && for p in 2:author 3:log 3:date; do
            svn propdel -q --revprop -r ${p%:*} svn:${p#*:} "$URL" || exit; done &&
            svn propset -q --revprop -r 1 svn:date 2026-12-07T12:34:56.123456Z "$URL" &&
            svn up -q && echo made)"),
                  "made\n");
    }

    // Entries of a log run as the tables write them, then "more" when the
    // page says older ones follow.
    std::vector<std::string> Log(const LogQuery& q, std::string* errors = nullptr) {
        std::vector<std::string> shown;
        LogResult r = SvnLog(q, [&](LogEntry e) { shown.push_back(Show(e)); });
        EXPECT_EQ(r.count, static_cast<int>(shown.size()));
        if (r.more) shown.push_back("more");
        if (errors)
            *errors = r.errors;
        else
            EXPECT_EQ(r.errors, "");
        return shown;
    }

    // A client first in the lookup (the current folder's svn/bin/svn).
    void Client(const std::string& script) { PutClient(box.Path(), script); }

    ScopedEnv zone{"TZ", "XST-2"};
    ScopedCwd cwd{box.Path()};
    std::string url, fileUrl;
};

using Entries = std::vector<std::string>;
const std::string kR1 = "r1 ann 2026-12-07 14:34 {first & <second> ]]> é}", kR2 = "r2 - dated {}";
const std::string kR3 = "r3 ann undated {} A/copy.txt</" + kName + "@2";

TEST_F(History, PagesCopiesAndDeletedPathsThroughTheirPeg) {
    const std::string r1 = kR1 + " A/" + kName, r2 = kR2 + " M/" + kName;
    const std::pair<LogQuery, Entries> cases[] = {
        {{url, "", 0, 2, true, {}}, {"r4 ann dated {gone} D/" + kName, kR3, "more"}},
        {{url, "", 3, 2, true, {}}, {r2, r1}},
        {{url, "", 2, 5, true, {}}, {r1}},
        {{url, "", 1, 5, true, {}}, {}},
        {{url, "", 3, 1, false, {}}, {kR2, "more"}},
        {{fileUrl, "3", 0, 50, true, {}}, {r2, r1}},
        {{box / "wc/copy.txt", "", 0, 2, true, {}}, {kR3, r2, "more"}},
        {{box / "wc", "", 0, 50, true, {3, 1}}, {kR3, r1}},
    };
    for (const auto& [q, entries] : cases)
        EXPECT_EQ(Log(q), entries) << q.target << "@" << q.peg << " below " << q.below;
}

TEST_F(History, TheClientsOwnErrorsAndMalformedOutputAreReported) {
    MakeDirs(box / "plain");
    SvnServer server(box / "repo", "none", "bob", "right");
    ASSERT_TRUE(server.Running());
    settings::g_settings.SVNUsername = "bob";
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {box / "plain", "", "E155007"},
        {url + "nowhere", "", "E160013"},
        {"svn://127.0.0.1:" + std::to_string(FreePort()) + "/repo", "", "E170013"},
        {server.Url(), "wrong", "E170001"},
        {server.Url(), "right", ""}};
    for (const auto& [target, password, error] : cases) {
        settings::g_settings.SVNPassword = password;
        std::string errors;
        const bool listed = !Log({target, "", 0, 1, true, {}}, &errors).empty();
        const bool said =
            error.empty() ? errors.empty() : errors.find("svn: " + error) != std::string::npos;
        EXPECT_TRUE(said && listed == error.empty()) << target << ": " << errors;
    }

    // One entry, then a long pause: it is handed over while the client runs.
    const std::string head =
        "printf '<?xml version=\"1.0\"?>\\n<log><logentry revision=\"9\"></logentry>'";
    Client(head + "; sleep 30; echo '</log>'");
    std::atomic<bool> stop{false};
    const auto started = std::chrono::steady_clock::now();
    LogResult r = SvnLog(
        {url, "", 0, 50, true, {}}, [&](LogEntry e) { stop = e.revision == 9; }, &stop);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(r.errors + std::to_string(r.count), "1");
    Client(head + "; echo svn: warning: W1 >&2; echo '<logentry revision=\"8\"></log>'; sleep 30");
    std::string errors;
    EXPECT_EQ(Log({url, "", 0, 50, true, {}}, &errors), Entries{"r9 - undated {}"});
    EXPECT_EQ(errors, "The client's output could not be read as XML, line 2: mismatched tag");
}

TEST_F(History, DiffLinesKeepTheirBlanksAndStopAtTheLimit) {
    const std::string wcFile = box / "wc/copy.txt";
    auto diff = [](const std::string& target, long change, const std::string& peg) {
        Lines lines;
        bool cut = true;
        auto add = [&](const std::string& l) { lines.push_back(l); };
        EXPECT_EQ(SvnDiff(target, change, add, nullptr, &cut, peg).errors, "");
        EXPECT_FALSE(cut);
        return lines;
    };
    EXPECT_EQ(diff(fileUrl, 2, "2"),
              (Lines{"Index: " + kName, std::string(67, '='), "--- " + kName + "\t(revision 1)",
                     "+++ " + kName + "\t(revision 2)", "@@ -1,2 +1,3 @@", "   one", "-two", "+TWO",
                     "+three"}));
    WriteFile(wcFile, "  one\nTWO\nthree\n last  \r\n");
    EXPECT_EQ(diff(wcFile, 0, ""),
              (Lines{"Index: " + wcFile, std::string(67, '='), "--- " + wcFile + "\t(revision 4)",
                     "+++ " + wcFile + "\t(working copy)", "@@ -1,3 +1,4 @@", "   one", " TWO",
                     " three", "+ last  "}));
    // A client that never ends: whole lines up to the limit, then it is ended.
    Client("exec yes +0123456789");
    size_t right = 0;
    bool cut = false;
    // A wrong line would count a billion.
    auto tally = [&](const std::string& l) { right += l == "+0123456789" ? 1 : 1000000000; };
    EXPECT_EQ(SvnDiff("x", 0, tally, nullptr, &cut).errors, "");
    EXPECT_TRUE(cut);
    EXPECT_EQ(right, kDiffLimit / 12);
}

TEST_F(History, BlameNamesEveryLinesCommitWithOneLogRun) {
    // The program looks in svn/bin, the wrapper on PATH. A log notes its first revision.
    const std::string runs = ShellQuote(box / "runs");
    Client("echo $1 >>" + runs + "; [ $1 != log ] || echo $4 >>" + runs + "; exec svn \"$@\"");
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
        const std::string ran = ReadFile(box / "runs");
        EXPECT_TRUE(ran == "blame\ncat\nlog\n2\n" || ran == "cat\nblame\nlog\n2\n") << ran;
    }
    Blame gone;
    WriteFile(box / "runs", "");
    EXPECT_NE(SvnBlame(fileUrl, "", &gone).errors.find("W160013"), std::string::npos);
    EXPECT_TRUE(gone.lines.empty());
    EXPECT_EQ(ReadFile(box / "runs").find("log"), std::string::npos);
}

}  // namespace
