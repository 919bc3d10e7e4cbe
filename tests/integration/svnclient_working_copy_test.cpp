// The working-copy commands on real working copies: what the client streams
// and reports, and the state they leave behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "client_env.h"
#include "svnclient/history.h"
#include "svnclient/status.h"
#include "svnclient/working_copy.h"

using namespace testsupport;

namespace {

std::string Numbered(int count, const std::string& changed = "", int at = -1) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += (i == at ? changed : "line " + std::to_string(i)) + "\n";
    return text;
}

bool Has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class WorkingCopy : public ClientTest {
protected:
    // `svn status` of the working copy, paths relative to it.
    std::string Status() const { return Shell("cd wc && svn status"); }
};

TEST_F(WorkingCopy, AddRevertAndDeleteChangeTheNamedPathOnly) {
    CheckedOut(
        {{"clean.txt", "c\n"}, {"mod.txt", "m\n"}, {"gone.txt", "g\n"}, {"deep/f.txt", "f\n"}});
    for (const char* name : {"mod.txt", "new.txt", "other.txt", "deep/f.txt"})
        WriteFile(wc + "/" + name, "changed\n");
    std::remove((wc + "/gone.txt").c_str());

    using Command = svnclient::ClientResult (*)(const std::string&);
    for (auto [command, name] : {std::pair<Command, const char*>{svnclient::SvnAdd, "new.txt"},
                                 {svnclient::SvnRevert, "mod.txt"},
                                 {svnclient::SvnRevert, "gone.txt"},
                                 {svnclient::SvnDelete, "clean.txt"}})
        EXPECT_EQ(command(wc + "/" + name).errors, "") << name;
    EXPECT_EQ(Status(),
              "D       clean.txt\nM       deep/f.txt\nA       new.txt\n?       other.txt\n");
    EXPECT_EQ(ReadFile(wc + "/mod.txt"), "m\n");
    EXPECT_EQ(ReadFile(wc + "/gone.txt"), "g\n");
}

TEST_F(WorkingCopy, CommitSendsTheCommentAsItIsAndStreamsTheClientLines) {
    const std::string url = CheckedOut({{"a.txt", "1\n"}, {"b.txt", "1\n"}});
    WriteFile(wc + "/a.txt", "2\n");
    WriteFile(wc + "/b.txt", "2\n");
    const std::string comment = "fix: it's \"quoted\" and  spaced";
    Collect c;
    EXPECT_EQ(svnclient::SvnCommit(comment, c.Sink()).errors, "");

    EXPECT_EQ(Shell("svn propget --revprop -r HEAD svn:log " + ShellQuote(url)), comment + "\n");
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

// Every kind of change, conflicts of both kinds, awkward names: the codes of
// svn status --xml and the words of svn info --xml.
TEST_F(WorkingCopy, StatusCodesAndTreeConflictWordsOfARealWorkingCopy) {
    const std::string url = CheckedOut();
    std::string names;
    for (const char* n : {"mod", "del", "rep", "conf", "tree", "miss", "a b", "é", "x@1", "prop"}) {
        WriteFile(wc + "/" + n, "base\n");
        names += " " + ShellQuote(std::string(n) + "@");
    }
    // Another working copy changes "conf" and deletes "tree", both edited here.
    Shell("cd wc && svn add -q" + names + " && svn ci -q -m 1 && svn co -q " + url +
          " ../o && echo x > ../o/conf && svn rm -q ../o/tree && svn ci -q -m 2 ../o && "
          "echo m | tee conf tree mod >> x@1 && svn up -q --accept postpone && echo n > add && "
          "svn add -q add && svn rm -q del rep && echo r > rep && svn add -q rep && rm miss && "
          "echo u | tee unv y.o >> 'a b' && echo m >> é && svn ps -q p v prop@ && "
          "svn ps -q svn:ignore '*.o' .");
    Lines seen;
    const auto onEntry = [&](svnclient::StatusEntry e) {
        seen.push_back(e.path.substr(wc.size()) + " " + e.code + (e.treeConflict ? "T" : ""));
    };
    EXPECT_EQ(svnclient::SvnStatusXml(wc + "/", onEntry).errors, "");
    EXPECT_EQ(seen, (Lines{" M", "/a b M", "/add A", "/conf C", "/conf.mine ?", "/conf.r1 ?",
                           "/conf.r2 ?", "/del D", "/miss !", "/mod M", "/prop M", "/rep R",
                           "/tree CT", "/unv ?", "/x@1 M", "/é M"}));
    for (const auto& [name, words] :
         {std::pair{"tree", "update delete edit"}, {"conf", "  "}, {"nowhere", "  "}}) {
        svnclient::ClientResult info;
        const svnclient::TreeConflict c = svnclient::SvnTreeConflict(wc + "/" + name, &info);
        EXPECT_EQ(c.operation + " " + c.action + " " + c.reason, words) << name;
        EXPECT_EQ(info.errors.empty(), name != std::string("nowhere")) << info.errors;
    }
}

// The paths and the message reach the client in private files (a stand-in
// notes each argument, and after --targets and -F the file's mode and
// lines), gone afterwards whatever the outcome.
TEST_F(WorkingCopy, AddAndCommitExactlyTheListedPathsWithAMessageOfAnyLines) {
    const std::string url = CheckedOut({{"a.txt", "1\n"}, {"left.txt", "1\n"}});
    const std::string tmp = box / "tmp", log = ShellQuote(box / "calls.txt");
    MakeDirs(tmp);
    ScopedEnv tmpdir("TMPDIR", tmp);
    PutClient(box.Path(),
              "for a; do echo \"$a\"; case $p in --targets|-F) stat -c 'mode %a' \"$a\"; awk "
              "'{print \"> \" $0}' \"$a\";; esac; p=$a; done >> " +
                  log + "\nexec " + Shell("command -v svn | tr -d '\\n'") + " \"$@\"");
    ScopedCwd cwd(box.Path());
    auto calls = [&] {  // noted since the last call, temporary names masked
        const std::string all = ReadFile(box / "calls.txt");
        WriteFile(box / "calls.txt", "");
        return std::regex_replace(all, std::regex(tmp + "/vellum-\\w{6}\n"), "TMP\n");
    };
    const std::string credentials =
        "--non-interactive\n--no-auth-cache\n--username\n\n--password-from-stdin\n";
    for (const char* name : {"x@1", "-dash", " lead", "a.txt", "left.txt", "é"})
        WriteFile(wc + "/" + name, "2\n");
    EXPECT_EQ(svnclient::SvnAddAll({wc + "/x@1", wc + "/-dash", wc + "/ lead", wc + "/é"}).errors,
              "");
    EXPECT_EQ(calls(), "add\n--targets\nTMP\nmode 600\n> " + wc + "/x@1@\n> " + wc + "/-dash@\n> " +
                           wc + "/ lead@\n> " + wc + "/é@\n" + credentials);
    // In an ASCII locale, which reads the list as it reads a command line:
    // "é" stays out, while the message file is UTF-8 whatever the locale.
    const svnclient::LineSink none = [](const std::string&) {};
    const std::string message = "première\n\n  — \"q\"\t\\n\nlast";
    {
        ScopedEnv ascii("LC_ALL", "C");
        const auto r = svnclient::SvnCommitPaths({"a.txt", "x@1", "-dash", " lead"}, message, none);
        EXPECT_EQ(r.errors, "");
    }
    EXPECT_EQ(calls(),
              "commit\n--targets\nTMP\nmode 600\n> a.txt@\n> x@1@\n> -dash@\n> ./ lead@\n"
              "-F\nTMP\nmode 600\n> première\n> \n>   — \"q\"\t\\n\n> last\n--force-log\n"
              "--encoding\nUTF-8\n" +
                  credentials);
    svnclient::LogQuery q{url};
    q.revisions = {2};
    std::string logged;
    svnclient::SvnLog(q, [&](svnclient::LogEntry e) { logged = e.message; });
    EXPECT_EQ(logged, message);
    for (const auto& [result, error] :
         {std::pair{svnclient::SvnAddAll({wc + "/a.txt", wc + "/missing"}), "svn: E"},
          {svnclient::SvnCommitPaths({"missing"}, "m", none), "svn: E"},
          {svnclient::SvnAddAll({wc + "/two\nlines"}), "line break can't be handed to the client"}})
        EXPECT_NE(result.errors.find(error), std::string::npos) << result.errors;
    EXPECT_EQ(Shell("ls -A tmp; cd wc && svn status"), "M       left.txt\nA       é\n");
}

// An update from a second working copy: a plain update (U), a merge (G), a
// conflict (C) and additions (A) among the client's other lines.
TEST_F(WorkingCopy, UpdateStreamsEveryChangeTheClientMakes) {
    const std::string url =
        CheckedOut({{"plain.txt", Numbered(5)}, {"merged.txt", Numbered(9)}, {"clash.txt", "x\n"}});
    const std::string other = box / "other";
    Checkout(url, other);
    WriteFile(other + "/plain.txt", Numbered(5, "theirs", 3));
    WriteFile(other + "/merged.txt", Numbered(9, "theirs", 1));
    WriteFile(other + "/clash.txt", "theirs\n");
    WriteFile(other + "/sub/new.txt", "n\n");
    ASSERT_EQ(0, testsupport::Run("svn add -q " + ShellQuote(other + "/sub") +
                                  " && svn commit -q -m c " + ShellQuote(other)));
    WriteFile(wc + "/merged.txt", Numbered(9, "mine", 9));
    WriteFile(wc + "/clash.txt", "mine\n");
    Collect c;
    EXPECT_EQ(svnclient::SvnUpdate(c.Sink()).errors, "") << "a conflict is no client failure";
    for (const std::string& line :
         Lines{"Updating '" + wc + "':", "U    " + wc + "/plain.txt", "G    " + wc + "/merged.txt",
               "C    " + wc + "/clash.txt", "A    " + wc + "/sub", "A    " + wc + "/sub/new.txt",
               "Updated to revision 2.", "Summary of conflicts:"})
        EXPECT_TRUE(Has(c.lines, line)) << line;
    EXPECT_EQ(ReadFile(wc + "/merged.txt"), Numbered(9, "mine", 9).replace(0, 6, "theirs"));

    Collect again;
    svnclient::SvnUpdate(again.Sink());
    EXPECT_EQ(again.lines, (Lines{"Updating '" + wc + "':", "At revision 2."}));
}

TEST_F(WorkingCopy, CleanupIsQuietOnAWorkingCopyAndReportsAnythingElse) {
    CheckedOut({{"a.txt", "1\n"}});
    Collect c;
    svnclient::ClientResult r = svnclient::SvnCleanup(c.Sink());
    EXPECT_EQ(r.errors, "");
    EXPECT_TRUE(c.lines.empty());

    MakeDirs(box / "plain");
    settings::g_settings.SVNLocalRepositery = box / "plain/";
    r = svnclient::SvnCleanup(c.Sink());
    EXPECT_NE(r.errors.find("plain"), std::string::npos) << r.errors;
    EXPECT_TRUE(c.lines.empty());
}

}  // namespace
