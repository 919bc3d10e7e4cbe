// The copies and a repository change with the real client from svnserve with
// a password file: which of them send the user's credentials.
#include <gtest/gtest.h>

#include "client_env.h"
#include "platform/paths.h"
#include "support/servers.h"
#include "svnclient/repository.h"

using namespace testsupport;

namespace {

using Copy = svnclient::CopyCommand;

class Repository : public ClientTest {
protected:
    // Copies `url` into `folder`: the client's errors.
    std::string CopyInto(Copy copy, const std::string& url, const std::string& folder) {
        settings::g_settings.SVNRemoteRepositery = url;
        settings::g_settings.SVNLocalRepositery = folder + "/";
        return copy([](const std::string&) {}, {}).errors;
    }
};

// svnserve with a password file: the work copy sends the user's credentials,
// the read-only copy none (good ones in the settings or not).
TEST_F(Repository, OnlyTheWorkCopySendsTheUsersCredentials) {
    Repo({{"trunk/a.txt", "a\n"}});
    SvnServer closed(box / "repo", "none", "alice", "s3cret");
    ASSERT_TRUE(closed.Running());
    settings::g_settings.SVNUsername = "alice";
    settings::g_settings.SVNPassword = "wrong";
    EXPECT_NE(CopyInto(svnclient::SvnCheckout, closed.Url(), box / "refused"), "");
    settings::g_settings.SVNPassword = "s3cret";
    EXPECT_NE(CopyInto(svnclient::SvnReadOnlyCopy, closed.Url(), box / "closed"), "");
    EXPECT_FALSE(platform::IsDirectory(box / "closed/trunk"));
    EXPECT_EQ(CopyInto(svnclient::SvnCheckout, closed.Url(), box / "wc"), "");
    EXPECT_EQ(ReadFile(box / "wc/trunk/a.txt"), "a\n");
    // The same credentials let the repository be changed.
    EXPECT_EQ(svnclient::SvnRemoteMkdir("trunk/", "made").errors, "");

    SvnServer open(box / "repo", "read", "alice", "s3cret");
    ASSERT_TRUE(open.Running());
    EXPECT_EQ(CopyInto(svnclient::SvnReadOnlyCopy, open.Url(), box / "open"), "");
    EXPECT_TRUE(platform::IsDirectory(box / "open/trunk/made"));
    // Reading is anonymous, writing needs the user: a mkdir without credentials is refused.
    settings::g_settings.SVNUsername = settings::g_settings.SVNPassword = "";
    EXPECT_NE(svnclient::SvnRemoteMkdir("", "nope").errors, "");
}

}  // namespace
