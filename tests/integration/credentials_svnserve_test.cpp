// Credentials reach a real server: svnserve on loopback with a password file.
#include <gtest/gtest.h>

#include "browse/remote_browser.h"
#include "command_env.h"
#include "platform/paths.h"
#include "svnclient/repository.h"
#include "servers.h"

using namespace testsupport;

namespace {

class CredentialsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int id : {app::ReadOnlyCopyButton, app::WorkCopyButton})
            platform::CreateControl(0, id, platform::ControlKind::Button, 0, 0, 10, 10, "");
        MakeRepository(box / "repo", {{"trunk/a.txt", "a\n"}});
    }

    // A copy into `folder` as its button starts it; the Alert texts it showed.
    std::vector<std::string> Copy(void (*copy)(), const std::string& folder) {
        scripted::ClearBoxes();
        browse::g_entries.Clear();
        platform::TreeClear(app::EntryTree);
        settings::g_settings.SVNLocalRepositery = folder + "/";
        app::EnterBusy();
        EXPECT_TRUE(RunWorker(copy));
        EXPECT_FALSE(app::g_shell.busy);
        return BoxTexts("Alert");
    }

    CommandEnv env;
    Sandbox& box = env.box;
};

TEST_F(CredentialsTest, TheWorkCopySendsTheUsersCredentials) {
    SvnServer server(box / "repo", "none", "alice", "s3cret");
    ASSERT_TRUE(server.Running());
    settings::g_settings.SVNRemoteRepositery = server.Url();
    settings::g_settings.SVNUsername = "alice";

    settings::g_settings.SVNPassword = "wrong";
    auto alerts = Copy(svnclient::SvnCheckout, box / "refused");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find("The Subversion client reported an error:\n\nsvn: E"))
        << alerts[0];
    EXPECT_TRUE(env.Opened().empty());

    settings::g_settings.SVNPassword = "s3cret";
    EXPECT_TRUE(Copy(svnclient::SvnCheckout, box / "wc").empty());
    EXPECT_EQ(2, browse::g_entries.Size());
    EXPECT_EQ("a\n", ReadFile(box / "wc/trunk/a.txt"));
    EXPECT_EQ(std::vector<std::string>{box / "wc/"}, env.Opened(1));

    // The same credentials let the repository be changed and listed.
    svnclient::SvnRemoteMkdir("trunk/", "made");
    browse::ListRemoteFolder(0, 0, "trunk/");
    ASSERT_EQ(2, browse::g_entries.Size());
    EXPECT_EQ("trunk/made/", browse::g_entries.Entries().front().path);
    EXPECT_TRUE(BoxTexts("Alert").empty());
}

// The read-only copy never sends the credentials: it works where anonymous
// reading is allowed and fails where it is not, even with good credentials
// in the settings.
TEST_F(CredentialsTest, TheReadOnlyCopySendsNone) {
    settings::g_settings.SVNUsername = "alice";
    settings::g_settings.SVNPassword = "s3cret";
    {
        SvnServer server(box / "repo", "none", "alice", "s3cret");
        ASSERT_TRUE(server.Running());
        settings::g_settings.SVNRemoteRepositery = server.Url();
        auto alerts = Copy(svnclient::SvnReadOnlyCopy, box / "closed");
        ASSERT_EQ(1u, alerts.size());
        EXPECT_EQ(0u, alerts[0].find("The Subversion client reported an error:\n\nsvn: E"))
            << alerts[0];
        EXPECT_TRUE(browse::g_entries.Empty());
        EXPECT_FALSE(platform::IsDirectory(box / "closed/trunk"));
    }
    {
        SvnServer server(box / "repo", "read", "alice", "s3cret");
        ASSERT_TRUE(server.Running());
        settings::g_settings.SVNRemoteRepositery = server.Url();
        EXPECT_TRUE(Copy(svnclient::SvnReadOnlyCopy, box / "open").empty());
        EXPECT_EQ("a\n", ReadFile(box / "open/trunk/a.txt"));

        // Reading is anonymous, writing needs the user: a mkdir without
        // credentials is refused and says so.
        settings::g_settings.SVNUsername = "";
        settings::g_settings.SVNPassword = "";
        svnclient::SvnRemoteMkdir("", "nope");
        EXPECT_EQ(1u, BoxTexts("Alert").size());
    }
}

}  // namespace
