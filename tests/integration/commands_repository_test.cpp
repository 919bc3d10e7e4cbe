// The copies on their worker thread and the repository changes, with the real
// client (and a scripted one for lines the real client won't print), over
// file:// and from svnserve.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "browse/remote_browser.h"
#include "browse/status_codes.h"
#include "command_env.h"
#include "platform/paths.h"
#include "servers.h"
#include "svnclient/repository.h"

using namespace testsupport;

namespace {

const char kWorkCopyCaption[] = "Receive a repositery work copy ";
const char kReadOnlyCaption[] = "Receive a read only repositery copy";

std::string Output(const std::string& command) {
    std::string out;
    testsupport::Run(command, &out);
    return out;
}

// The one Alert box: the client's words, naming `detail`.
void ExpectOneClientAlert(const std::string& detail) {
    auto alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find("The Subversion client reported an error:\n\n")) << alerts[0];
    EXPECT_NE(std::string::npos, alerts[0].find(detail)) << alerts[0];
}

class RepositoryCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int id : {app::ReadOnlyCopyButton, app::WorkCopyButton})
            platform::CreateControl(0, id, platform::ControlKind::Button, 0, 0, 10, 10, "Please wait");
    }

    // Starts a copy as its button does; the hand-overs run while it works.
    void RunCopy(void (*copy)()) {
        app::EnterBusy();
        ASSERT_TRUE(RunWorker(copy)) << "the copy did not end";
    }

    CommandEnv env;
    Sandbox& box = env.box;
};

TEST_F(RepositoryCommandsTest, CopiesListEveryArrivalAndRestoreTheWindow) {
    settings::g_settings.SVNRemoteRepositery = MakeRepository(
        box / "repo", {{"a.txt", "a\n"}, {"docs/r.txt", "r\n"}, {"with space.txt", "s\n"}});
    struct Case {
        void (*copy)();
        int button;
        const char* caption;
        std::string folder;
    };
    size_t opened = 0;
    for (const Case& c : {Case{svnclient::SvnCheckout, app::WorkCopyButton, kWorkCopyCaption, box / "wc"},
                          Case{svnclient::SvnReadOnlyCopy, app::ReadOnlyCopyButton, kReadOnlyCaption,
                               box / "ro"}}) {
        SCOPED_TRACE(c.caption);
        settings::g_settings.SVNLocalRepositery = c.folder + "/";
        platform::TreeClear(app::EntryTree);
        scripted::ClearBoxes();
        RunCopy(c.copy);

        auto items = scripted::Tree();
        ASSERT_EQ(static_cast<size_t>(browse::g_entries.Size()), items.size());
        std::set<std::string> paths;
        auto item = items.begin();
        for (const auto& e : browse::g_entries.Entries()) {
            EXPECT_EQ(std::tuple("A", 0, e.name, e.name),
                      std::tuple(e.status, e.isFolder, e.path, item->text));
            EXPECT_EQ(browse::StatusIcon("A", 0), (item++)->image) << e.name;
            paths.insert(e.path);
        }
        EXPECT_EQ(std::set<std::string>({c.folder + "/a.txt", c.folder + "/docs",
                                         c.folder + "/docs/r.txt", c.folder + "/with space.txt"}),
                  paths);
        EXPECT_EQ(std::vector<std::string>{"Update : Checked out revision 1."}, BoxTexts("Informations"));
        EXPECT_TRUE(BoxTexts("Alert").empty());
        EXPECT_TRUE(platform::IsDirectory(c.folder + "/.svn"));
        auto folders = env.Opened(++opened);
        ASSERT_EQ(opened, folders.size());
        EXPECT_EQ(c.folder + "/", folders.back());
        EXPECT_EQ(c.caption, platform::GetText(c.button));
        EXPECT_FALSE(app::g_shell.busy);
    }
}

// A failed copy says why and opens no folder; one without a client still
// gives the window back.
TEST_F(RepositoryCommandsTest, FailedCopiesReportAndStillEnd) {
    settings::g_settings.SVNRemoteRepositery = "file://" + box / "no-such-repository/";
    settings::g_settings.SVNLocalRepositery = box / "wc/";
    RunCopy(svnclient::SvnCheckout);
    ExpectOneClientAlert("no-such-repository");
    EXPECT_TRUE(env.Opened().empty());
    EXPECT_TRUE(browse::g_entries.Empty());
    EXPECT_EQ(kWorkCopyCaption, platform::GetText(app::WorkCopyButton));
    EXPECT_FALSE(app::g_shell.busy);

    scripted::ClearBoxes();
    {
        ScopedEnv noClient("PATH", box / "bin");
        RunCopy(svnclient::SvnReadOnlyCopy);
    }
    EXPECT_TRUE(scripted::Boxes().empty());
    EXPECT_EQ(std::vector<std::string>{box / "wc/"}, env.Opened(1))
        << "the failed copy opened nothing, the copy without a client did";
    EXPECT_EQ(kReadOnlyCaption, platform::GetText(app::ReadOnlyCopyButton));
    EXPECT_FALSE(app::g_shell.busy);
}

// Lines the real client won't print on demand: a folder with its separator,
// a lone code, lines that only begin like a change notice.
TEST_F(RepositoryCommandsTest, CopyTellsChangeNoticesFromOtherLines) {
    MakeDirs(box / "client/svn/bin");
    WriteFile(box / "client/svn/bin/svn",
              "#!/bin/sh\nprintf 'A    docs/\\nA\\nUpdating\\nabc\\n9 lives\\nA    docs/readme.txt\\n"
              "G\\tx\\nChecked out revision 5.\\n'\n");
    testsupport::Run("chmod +x " + ShellQuote(box / "client/svn/bin/svn"));
    ScopedCwd cwd(box / "client");
    settings::g_settings.SVNLocalRepositery = box / "wc/";
    RunCopy(svnclient::SvnReadOnlyCopy);

    auto items = scripted::Tree();
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ("docs/", items[0].text);
    EXPECT_EQ(browse::StatusIcon("A", 1), items[0].image);
    EXPECT_EQ("docs/readme.txt", items[1].text);
    EXPECT_EQ(browse::StatusIcon("A", 0), items[1].image);
    ASSERT_EQ(2, browse::g_entries.Size());
    EXPECT_EQ(1, browse::g_entries.Entries().front().isFolder);
    EXPECT_EQ(0, browse::g_entries.Entries().back().isFolder);
    EXPECT_EQ(std::vector<std::string>({"Update : Updating", "Update : abc", "Update : 9 lives",
                                        "Update : G\tx", "Update : Checked out revision 5."}),
              BoxTexts("Informations"));
}

// The URL as a user may type it, without its final "/".
TEST_F(RepositoryCommandsTest, RemoteChangesHitTheirTargetsAndShowOnRelisting) {
    std::string repo = box / "repo";
    std::string url = MakeRepository(repo, {{"trunk/old.txt", "o\n"}, {"trunk/keep.txt", "k\n"},
                                            {"top.txt", "t\n"}});
    settings::g_settings.SVNRemoteRepositery = url.substr(0, url.size() - 1);
    const std::string youngest = "svnlook youngest " + ShellQuote(repo);
    const std::string log = "svn propget --revprop -r HEAD svn:log " + ShellQuote(url);
    std::string before = Output(youngest);
    svnclient::SvnRemoteMkdir("trunk/", "");
    svnclient::SvnRemoteDelete("");
    EXPECT_EQ(before, Output(youngest)) << "an empty name or path starts no client";

    svnclient::SvnRemoteMkdir("trunk/", "made");
    EXPECT_EQ("Directory made created\n", Output(log));
    svnclient::SvnRemoteMkdir("", "top dir");
    EXPECT_EQ("Directory top dir created\n", Output(log));
    svnclient::SvnRemoteDelete("trunk/old.txt");
    EXPECT_EQ("trunk/old.txt deletion\n", Output(log));
    EXPECT_TRUE(scripted::Boxes().empty());

    browse::ListRemoteFolder(0, 0, "");
    browse::ListRemoteFolder(2, 1, "trunk/");
    std::vector<std::pair<std::string, int>> listed;
    for (const auto& e : browse::g_entries.Entries()) listed.emplace_back(e.path, e.depth);
    EXPECT_EQ((std::vector<std::pair<std::string, int>>{
                  {"top dir/", 0}, {"trunk/", 0}, {"trunk/made/", 1}, {"trunk/keep.txt", 1}, {"top.txt", 0}}),
              listed);

    svnclient::SvnRemoteDelete("trunk/old.txt");  // gone already: the user is told
    ExpectOneClientAlert("old.txt");
}

// Credentials against svnserve with a password file: the work copy sends
// the user's, the read-only copy none (good ones in the settings or not).
TEST_F(RepositoryCommandsTest, OnlyTheWorkCopySendsTheUsersCredentials) {
    MakeRepository(box / "repo", {{"trunk/a.txt", "a\n"}});
    SvnServer closed(box / "repo", "none", "alice", "s3cret");
    ASSERT_TRUE(closed.Running());
    auto copy = [&](void (*command)(), const std::string& url, const std::string& folder) {
        scripted::ClearBoxes();
        browse::g_entries.Clear();
        settings::g_settings.SVNRemoteRepositery = url;
        settings::g_settings.SVNLocalRepositery = folder + "/";
        RunCopy(command);
        return BoxTexts("Alert").size();
    };
    settings::g_settings.SVNUsername = "alice";
    settings::g_settings.SVNPassword = "wrong";
    EXPECT_EQ(1u, copy(svnclient::SvnCheckout, closed.Url(), box / "refused"));
    settings::g_settings.SVNPassword = "s3cret";
    EXPECT_EQ(1u, copy(svnclient::SvnReadOnlyCopy, closed.Url(), box / "closed"));
    EXPECT_FALSE(platform::IsDirectory(box / "closed/trunk"));
    EXPECT_TRUE(env.Opened().empty());
    EXPECT_EQ(0u, copy(svnclient::SvnCheckout, closed.Url(), box / "wc"));
    EXPECT_EQ(2, browse::g_entries.Size());
    EXPECT_EQ("a\n", ReadFile(box / "wc/trunk/a.txt"));
    EXPECT_EQ(std::vector<std::string>{box / "wc/"}, env.Opened(1));
    // The same credentials let the repository be changed and listed.
    svnclient::SvnRemoteMkdir("trunk/", "made");
    browse::ListRemoteFolder(0, 0, "trunk/");
    ASSERT_EQ(2, browse::g_entries.Size());
    EXPECT_EQ("trunk/made/", browse::g_entries.Entries().front().path);
    EXPECT_TRUE(BoxTexts("Alert").empty());

    SvnServer open(box / "repo", "read", "alice", "s3cret");
    ASSERT_TRUE(open.Running());
    EXPECT_EQ(0u, copy(svnclient::SvnReadOnlyCopy, open.Url(), box / "open"));
    EXPECT_EQ("a\n", ReadFile(box / "open/trunk/a.txt"));
    // Reading is anonymous, writing needs the user: a mkdir without credentials is refused.
    settings::g_settings.SVNUsername = settings::g_settings.SVNPassword = "";
    svnclient::SvnRemoteMkdir("", "nope");
    EXPECT_EQ(1u, BoxTexts("Alert").size());
}

}  // namespace
