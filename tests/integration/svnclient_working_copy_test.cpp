// The working-copy commands on real working copies: what the client streams
// and reports, and the state they leave behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "client_env.h"
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
