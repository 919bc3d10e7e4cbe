// The working-copy commands on real working copies: what the client streams
// and reports, and the state they leave behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "client_env.h"
#include "svnclient/history.h"
#include "svnclient/working_copy.h"

using namespace testsupport;

namespace {

std::string Numbered(int count, const std::string& changed = "", int at = -1) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += (i == at ? changed : "line " + std::to_string(i)) + "\n";
    return text;
}

bool Has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class WorkingCopy : public ::testing::Test {
protected:
    // `svn status` of the working copy, paths relative to it.
    std::string Status() const { return env.Shell("cd wc && svn status"); }

    ClientEnv env;
    Sandbox& box = env.box;
    const std::string wc = box / "wc";
};

TEST_F(WorkingCopy, AddRevertAndDeleteChangeTheNamedPathOnly) {
    Checkout(MakeRepository(box / "repo", {{"clean.txt", "c\n"}, {"mod.txt", "m\n"}, {"gone.txt", "g\n"},
                                           {"deep/f.txt", "f\n"}}),
             wc);
    for (const char* name : {"mod.txt", "new.txt", "other.txt", "deep/f.txt"})
        WriteFile(wc + "/" + name, "changed\n");
    std::remove((wc + "/gone.txt").c_str());

    using Command = svnclient::ClientResult (*)(const std::string&);
    for (auto [command, name] : {std::pair<Command, const char*>{svnclient::SvnAdd, "new.txt"},
                                 {svnclient::SvnRevert, "mod.txt"},
                                 {svnclient::SvnRevert, "gone.txt"},
                                 {svnclient::SvnDelete, "clean.txt"}}) {
        svnclient::ClientResult r = command(wc + "/" + name);
        EXPECT_TRUE(r.started);
        EXPECT_EQ(r.errors, "") << name;
    }
    EXPECT_EQ(Status(), "D       clean.txt\nM       deep/f.txt\nA       new.txt\n?       other.txt\n");
    EXPECT_EQ(ReadFile(wc + "/mod.txt"), "m\n");
    EXPECT_EQ(ReadFile(wc + "/gone.txt"), "g\n");

    // The client refuses to delete a modified file: the caller gets its words.
    svnclient::ClientResult refused = svnclient::SvnDelete(wc + "/deep/f.txt");
    EXPECT_NE(refused.errors.find("f.txt"), std::string::npos) << refused.errors;
    EXPECT_NE(Status().find("M       deep/f.txt"), std::string::npos);
}

TEST_F(WorkingCopy, CommitSendsTheCommentAsItIsAndStreamsTheClientLines) {
    const std::string url = MakeRepository(box / "repo", {{"a.txt", "1\n"}, {"b.txt", "1\n"}});
    Checkout(url, wc);
    settings::g_settings.SVNLocalRepositery = wc + "/";
    WriteFile(wc + "/a.txt", "2\n");
    WriteFile(wc + "/b.txt", "2\n");
    const std::string comment = "fix: it's \"quoted\" and  spaced";
    Collect c;
    EXPECT_EQ(svnclient::SvnCommit(comment, c.Sink()).errors, "");

    EXPECT_EQ(env.Shell("svn propget --revprop -r HEAD svn:log " + ShellQuote(url)), comment + "\n");
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(std::count_if(c.lines.begin(), c.lines.end(),
                            [](const std::string& l) { return l.starts_with("Sending"); }),
              2);
    ASSERT_FALSE(c.lines.empty());
    EXPECT_EQ(c.lines.back(), "Committed revision 2.");

    // Outside a working copy the client's complaint comes back.
    settings::g_settings.SVNLocalRepositery = box.Path() + "/";
    EXPECT_NE(svnclient::SvnCommit("x", c.Sink()).errors.find("svn: E"), std::string::npos);
}

// The paths and the message reach the client in private files it reads (a
// stand-in in front of it notes each argument, and each file's mode and
// lines), and are gone afterwards whatever the outcome.
TEST_F(WorkingCopy, AddAndCommitExactlyTheListedPathsWithAMessageOfAnyLines) {
    const std::string url = MakeRepository(box / "repo", {{"a.txt", "1\n"}, {"left.txt", "1\n"}});
    Checkout(url, wc);
    settings::g_settings.SVNLocalRepositery = wc + "/";
    const std::string tmp = box / "tmp";
    MakeDirs(tmp);
    ScopedEnv tmpdir("TMPDIR", tmp);
    std::string svn;
    testsupport::Run("command -v svn", &svn);
    const std::string log = ShellQuote(box / "calls.txt");
    WriteFile(box / "svn/bin/svn",
              "#!/bin/sh\nprev=\nfor a in \"$@\"; do echo \"$a\" >> " + log + "; case \"$prev\" in "
              "--targets|-F) stat -c 'mode %a' \"$a\" >> " + log + "; awk '{print \"> \" $0}' \"$a\" >> " +
              log + ";; esac; prev=$a; done\nexec " + svn.substr(0, svn.find('\n')) + " \"$@\"\n");
    testsupport::Run("chmod +x " + ShellQuote(box / "svn/bin/svn"));
    ScopedCwd cwd(box.Path());
    // Each call as noted, temporary names masked; the notes start afresh.
    auto calls = [&] {
        const std::string all = ReadFile(box / "calls.txt");
        WriteFile(box / "calls.txt", "");
        return std::regex_replace(all, std::regex(tmp + "/vellum-[A-Za-z0-9]{6}\n"), "TMP\n");
    };
    const std::string kCredentials = "--non-interactive\n--no-auth-cache\n--username\n\n--password-from-stdin\n";

    for (const char* name : {"x@1", "-dash", " lead", "\xC3\xA9"}) WriteFile(wc + "/" + name, "new\n");
    WriteFile(wc + "/a.txt", "2\n");
    WriteFile(wc + "/left.txt", "2\n");
    EXPECT_EQ(svnclient::SvnAddAll({wc + "/x@1", wc + "/-dash", wc + "/ lead", wc + "/\xC3\xA9"}).errors, "");
    EXPECT_EQ(calls(), "add\n--targets\nTMP\nmode 600\n> " + wc + "/x@1@\n> " + wc + "/-dash@\n> " + wc +
                           "/ lead@\n> " + wc + "/\xC3\xA9@\n" + kCredentials);
    // A message of several lines that the locale's charset (ASCII) could not
    // hold. The client reads the list in that charset, as it does its
    // command line: "é" stays out of this commit.
    const std::string message = "premi\xC3\xA8re ligne\n\n  \xE2\x80\x94 \"quoted\"\t\\n\nlast";
    {
        ScopedEnv ascii("LC_ALL", "C");
        EXPECT_EQ(svnclient::SvnCommitPaths({"a.txt", "x@1", "-dash", " lead"}, message,
                                            [](const std::string&) {}).errors, "");
    }
    EXPECT_EQ(calls(), "commit\n--targets\nTMP\nmode 600\n> a.txt@\n> x@1@\n> -dash@\n> ./ lead@\n"
                       "-F\nTMP\nmode 600\n> premi\xC3\xA8re ligne\n> \n>   \xE2\x80\x94 "
                       "\"quoted\"\t\\n\n> last\n--force-log\n--encoding\nUTF-8\n" + kCredentials);
    std::string logged;
    svnclient::LogQuery q;
    q.target = url;
    q.revisions = {2};
    svnclient::SvnLog(q, [&](svnclient::LogEntry e) { logged = e.message; });
    EXPECT_EQ(logged, message);
    EXPECT_EQ(Status(), "M       left.txt\nA       \xC3\xA9\n");
    std::string left;
    testsupport::Run("ls -A " + ShellQuote(tmp), &left);
    EXPECT_EQ(left, "");

    // What the client refuses, a name the list can't hold, no temporary
    // folder: the reason comes back and no file stays behind.
    const std::pair<std::function<svnclient::ClientResult()>, std::string> failures[] = {
        {[&] { return svnclient::SvnAddAll({wc + "/a.txt", wc + "/missing"}); }, "svn: E"},
        {[&] { return svnclient::SvnCommitPaths({"missing"}, "m", [](const std::string&) {}); }, "svn: E"},
        {[&] { return svnclient::SvnAddAll({wc + "/two\nlines"}); }, "line break can't be handed to the client: " + wc + "/two\nlines"},
        {[&] { return svnclient::SvnCommitPaths({"a\rb"}, "m", [](const std::string&) {}); }, "line break"},
        {[&] {
             ScopedEnv none("TMPDIR", box / "nowhere");
             return svnclient::SvnCommitPaths({"left.txt"}, "m", [](const std::string&) {});
         }, "A temporary file could not be written."},
    };
    for (const auto& [run, error] : failures) {
        EXPECT_NE(run().errors.find(error), std::string::npos) << error;
        testsupport::Run("ls -A " + ShellQuote(tmp), &left);
        EXPECT_EQ(left, "") << error;
    }
    EXPECT_EQ(Status(), "M       left.txt\nA       \xC3\xA9\n");
}

// An update from a second working copy: a plain update (U), a merge (G), a
// conflict (C) and additions (A) among the client's other lines.
TEST_F(WorkingCopy, UpdateStreamsEveryChangeTheClientMakes) {
    const std::string url = MakeRepository(
        box / "repo", {{"plain.txt", Numbered(5)}, {"merged.txt", Numbered(9)}, {"clash.txt", "x\n"}});
    const std::string other = box / "other";
    Checkout(url, other);
    Checkout(url, wc);
    WriteFile(other + "/plain.txt", Numbered(5, "theirs", 3));
    WriteFile(other + "/merged.txt", Numbered(9, "theirs", 1));
    WriteFile(other + "/clash.txt", "theirs\n");
    WriteFile(other + "/sub/new.txt", "n\n");
    ASSERT_EQ(0, testsupport::Run("svn add -q " + ShellQuote(other + "/sub") + " && svn commit -q -m c " + ShellQuote(other)));
    WriteFile(wc + "/merged.txt", Numbered(9, "mine", 9));
    WriteFile(wc + "/clash.txt", "mine\n");

    settings::g_settings.SVNLocalRepositery = wc + "/";
    Collect c;
    EXPECT_EQ(svnclient::SvnUpdate(c.Sink()).errors, "") << "a conflict is no client failure";
    for (const std::string& line : Lines{"Updating '" + wc + "':", "U    " + wc + "/plain.txt",
                                   "G    " + wc + "/merged.txt", "C    " + wc + "/clash.txt",
                                   "A    " + wc + "/sub", "A    " + wc + "/sub/new.txt",
                                   "Updated to revision 2.", "Summary of conflicts:"})
        EXPECT_TRUE(Has(c.lines, line)) << line;
    EXPECT_EQ(ReadFile(wc + "/merged.txt"), Numbered(9, "mine", 9).replace(0, 6, "theirs"));

    Collect again;
    svnclient::SvnUpdate(again.Sink());
    EXPECT_EQ(again.lines, (Lines{"Updating '" + wc + "':", "At revision 2."}));
}

TEST_F(WorkingCopy, CleanupIsQuietOnAWorkingCopyAndReportsAnythingElse) {
    Checkout(MakeRepository(box / "repo", {{"a.txt", "1\n"}}), wc);
    settings::g_settings.SVNLocalRepositery = wc + "/";
    Collect c;
    svnclient::ClientResult r = svnclient::SvnCleanup(c.Sink());
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.errors, "");
    EXPECT_TRUE(c.lines.empty());

    MakeDirs(box / "plain");
    settings::g_settings.SVNLocalRepositery = box / "plain/";
    r = svnclient::SvnCleanup(c.Sink());
    EXPECT_NE(r.errors.find("plain"), std::string::npos) << r.errors;
    EXPECT_TRUE(c.lines.empty());
}

}  // namespace
