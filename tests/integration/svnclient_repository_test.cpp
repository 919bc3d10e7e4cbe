// The copies and the repository changes with the real client, over file://
// and from svnserve with a password file.
#include <gtest/gtest.h>

#include <algorithm>

#include "client_env.h"
#include "platform/paths.h"
#include "support/servers.h"
#include "svnclient/repository.h"

using namespace testsupport;

namespace {

using Copy = svnclient::CopyCommand;

class Repository : public ClientTest {
protected:
    // Copies `url` into `folder`; the lines it streamed, its errors in `errors`.
    Lines CopyInto(Copy copy, const std::string& url, const std::string& folder,
                   std::string* errors = nullptr) {
        settings::g_settings.SVNRemoteRepositery = url;
        settings::g_settings.SVNLocalRepositery = folder + "/";
        Collect c;
        svnclient::ClientResult r = copy(c.Sink(), {});
        if (errors) *errors = r.errors;
        return c.lines;
    }
};

TEST_F(Repository, BothCopiesStreamWhatArrivesAndFailuresSayWhy) {
    const std::string url =
        Repo({{"a.txt", "a\n"}, {"docs/r.txt", "r\n"}, {"with space.txt", "s\n"}});
    for (Copy copy : {svnclient::SvnCheckout, svnclient::SvnReadOnlyCopy}) {
        const std::string folder = box / (copy == svnclient::SvnCheckout ? "wc" : "ro");
        std::string errors;
        Lines lines = CopyInto(copy, url, folder, &errors);
        std::sort(lines.begin(), lines.end());
        EXPECT_EQ(lines, (Lines{"A    " + folder + "/a.txt", "A    " + folder + "/docs",
                                "A    " + folder + "/docs/r.txt",
                                "A    " + folder + "/with space.txt", "Checked out revision 1."}));
        EXPECT_EQ(errors, "");
        EXPECT_EQ(Shell("svn status " + ShellQuote(folder)), "");
        EXPECT_EQ(ReadFile(folder + "/docs/r.txt"), "r\n");
    }

    std::string errors;
    EXPECT_TRUE(CopyInto(svnclient::SvnCheckout, "file://" + box / "no-such-repository/", box / "x",
                         &errors)
                    .empty());
    EXPECT_NE(errors.find("no-such-repository"), std::string::npos) << errors;
    EXPECT_FALSE(platform::IsDirectory(box / "x/.svn"));

    ScopedEnv noClient("PATH", box / "bin");
    EXPECT_FALSE(svnclient::SvnReadOnlyCopy([](const std::string&) {}).started);
}

// The URL as a user may type it, without its final "/".
TEST_F(Repository, RemoteChangesHitTheirTargetsWithTheirLogMessage) {
    const std::string repo = box / "repo";
    const std::string url = Repo({{"trunk/old.txt", "o\n"}, {"top.txt", "t\n"}});
    settings::g_settings.SVNRemoteRepositery = url.substr(0, url.size() - 1);
    const std::string log = "svn propget --revprop -r HEAD svn:log " + ShellQuote(url);
    EXPECT_FALSE(svnclient::SvnRemoteMkdir("trunk/", "").started);
    EXPECT_FALSE(svnclient::SvnRemoteDelete("").started);
    EXPECT_EQ(Shell("svnlook youngest " + ShellQuote(repo)), "1\n")
        << "an empty name or path changes nothing";

    EXPECT_EQ(svnclient::SvnRemoteMkdir("trunk/", "made").errors, "");
    EXPECT_EQ(Shell(log), "Directory made created\n");
    EXPECT_EQ(svnclient::SvnRemoteMkdir("", "top dir").errors, "");
    EXPECT_EQ(Shell(log), "Directory top dir created\n");
    EXPECT_EQ(svnclient::SvnRemoteDelete("trunk/old.txt").errors, "");
    EXPECT_EQ(Shell(log), "trunk/old.txt deletion\n");
    EXPECT_EQ(Shell("svn list -R " + ShellQuote(url)), "top dir/\ntop.txt\ntrunk/\ntrunk/made/\n");

    const std::string gone = svnclient::SvnRemoteDelete("trunk/old.txt").errors;  // gone already
    EXPECT_NE(gone.find("old.txt"), std::string::npos) << gone;

    MakeDirs(box / "out");
    EXPECT_EQ(svnclient::SvnExport(url + "top.txt", box / "out/top.txt").errors, "");
    EXPECT_EQ(ReadFile(box / "out/top.txt"), "t\n");
    WriteFile(box / "out/top.txt", "local\n");
    EXPECT_EQ(svnclient::SvnExport(url + "top.txt", box / "out/top.txt").errors, "")
        << "over a file";
    EXPECT_EQ(ReadFile(box / "out/top.txt"), "t\n");
    EXPECT_NE(svnclient::SvnExport(url + "missing.txt", box / "m.txt").errors, "");
}

// svnserve with a password file: the work copy sends the user's credentials,
// the read-only copy none (good ones in the settings or not).
TEST_F(Repository, OnlyTheWorkCopySendsTheUsersCredentials) {
    Repo({{"trunk/a.txt", "a\n"}});
    SvnServer closed(box / "repo", "none", "alice", "s3cret");
    ASSERT_TRUE(closed.Running());
    std::string errors;
    settings::g_settings.SVNUsername = "alice";
    settings::g_settings.SVNPassword = "wrong";
    CopyInto(svnclient::SvnCheckout, closed.Url(), box / "refused", &errors);
    EXPECT_NE(errors, "");
    settings::g_settings.SVNPassword = "s3cret";
    CopyInto(svnclient::SvnReadOnlyCopy, closed.Url(), box / "closed", &errors);
    EXPECT_NE(errors, "");
    EXPECT_FALSE(platform::IsDirectory(box / "closed/trunk"));
    CopyInto(svnclient::SvnCheckout, closed.Url(), box / "wc", &errors);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(ReadFile(box / "wc/trunk/a.txt"), "a\n");
    // The same credentials let the repository be changed.
    EXPECT_EQ(svnclient::SvnRemoteMkdir("trunk/", "made").errors, "");

    SvnServer open(box / "repo", "read", "alice", "s3cret");
    ASSERT_TRUE(open.Running());
    CopyInto(svnclient::SvnReadOnlyCopy, open.Url(), box / "open", &errors);
    EXPECT_EQ(errors, "");
    EXPECT_TRUE(platform::IsDirectory(box / "open/trunk/made"));
    // Reading is anonymous, writing needs the user: a mkdir without credentials is refused.
    settings::g_settings.SVNUsername = settings::g_settings.SVNPassword = "";
    EXPECT_NE(svnclient::SvnRemoteMkdir("", "nope").errors, "");
}

}  // namespace
