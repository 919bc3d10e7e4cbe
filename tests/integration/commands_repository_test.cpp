// The copies on their worker thread and the repository changes, with the
// real client (and a scripted one for lines the real client won't print).
#include <gtest/gtest.h>

#include <set>

#include "browse/remote_browser.h"
#include "browse/status_codes.h"
#include "command_env.h"
#include "platform/paths.h"
#include "svnclient/repository.h"

using namespace testsupport;

namespace {

const char kAlertLead[] = "The Subversion client reported an error:\n\n";
const char kWorkCopyCaption[] = "Receive a repositery work copy ";
const char kReadOnlyCaption[] = "Receive a read only repositery copy";

std::string Revprop(const std::string& url, const std::string& prop) {
    std::string out;
    testsupport::Run("svn propget --revprop -r HEAD " + prop + " " + ShellQuote(url), &out);
    return out;
}

std::string Youngest(const std::string& repo) {
    std::string out;
    testsupport::Run("svnlook youngest " + ShellQuote(repo), &out);
    return out;
}

class RepositoryCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int id : {app::ReadOnlyCopyButton, app::WorkCopyButton})
            platform::CreateControl(0, id, platform::ControlKind::Button, 0, 0, 10, 10,
                                    "Please wait");
    }

    // Starts a copy as its button does and waits for the worker while the
    // hand-overs run.
    void RunCopy(void (*copy)()) {
        app::EnterBusy();
        ASSERT_TRUE(RunWorker(copy)) << "the copy did not end";
    }

    CommandEnv env;
    Sandbox& box = env.box;
};

TEST_F(RepositoryCommandsTest, CopiesListEveryArrivalAndRestoreTheWindow) {
    std::string url = MakeRepository(
        box / "repo", {{"a.txt", "a\n"}, {"docs/r.txt", "r\n"}, {"with space.txt", "s\n"}});
    settings::g_settings.SVNRemoteRepositery = url;

    struct Case {
        void (*copy)();
        int button;
        const char* caption;
        std::string folder;
    };
    size_t opened = 0;
    for (const Case& c : {Case{svnclient::SvnCheckout, app::WorkCopyButton, kWorkCopyCaption,
                               box / "wc"},
                          Case{svnclient::SvnReadOnlyCopy, app::ReadOnlyCopyButton,
                               kReadOnlyCaption, box / "ro"}}) {
        SCOPED_TRACE(c.caption);
        settings::g_settings.SVNLocalRepositery = c.folder + "/";
        platform::TreeClear(app::EntryTree);
        scripted::ClearBoxes();
        RunCopy(c.copy);

        std::set<std::string> paths;
        int row = 0;
        auto items = scripted::Tree();
        ASSERT_EQ(static_cast<size_t>(browse::g_entries.Size()), items.size());
        auto item = items.begin();
        for (const auto& e : browse::g_entries.Entries()) {
            EXPECT_EQ(row++, e.row);
            EXPECT_EQ("A", e.status);
            EXPECT_EQ(0, e.isFolder);
            EXPECT_EQ(e.name, e.path);
            EXPECT_EQ(e.name, item->text);
            EXPECT_EQ(browse::StatusIcon("A", 0), item->image);
            EXPECT_NE(browse::StatusIcon("", 0), item->image);
            ++item;
            paths.insert(e.path);
        }
        EXPECT_EQ(std::set<std::string>({c.folder + "/a.txt", c.folder + "/docs",
                                         c.folder + "/docs/r.txt", c.folder + "/with space.txt"}),
                  paths);
        EXPECT_EQ(std::vector<std::string>{"Update : Checked out revision 1."},
                  BoxTexts("Informations"));
        EXPECT_TRUE(BoxTexts("Alert").empty());
        EXPECT_TRUE(platform::IsDirectory(c.folder + "/.svn"));
        auto folders = env.Opened(++opened);
        ASSERT_EQ(opened, folders.size());
        EXPECT_EQ(c.folder + "/", folders.back());
        EXPECT_EQ(c.caption, platform::GetText(c.button));
        EXPECT_FALSE(app::g_shell.busy);
        EXPECT_TRUE(platform::IsEnabled(c.button));
    }
}

// A copy that fails says why and does not open a folder that may not exist;
// a copy without a client still gives the window back.
TEST_F(RepositoryCommandsTest, FailedCopiesReportAndStillEnd) {
    settings::g_settings.SVNRemoteRepositery = "file://" + box / "no-such-repository/";
    settings::g_settings.SVNLocalRepositery = box / "wc/";
    RunCopy(svnclient::SvnCheckout);
    auto alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find(kAlertLead));
    EXPECT_NE(std::string::npos, alerts[0].find("no-such-repository")) << alerts[0];
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

// Lines the real client does not print on demand: a folder path with its
// separator, a lone code, lines that only begin like a change notice.
TEST_F(RepositoryCommandsTest, CopyTellsChangeNoticesFromOtherLines) {
    MakeDirs(box / "client/svn/bin");
    WriteFile(box / "client/svn/bin/svn",
              "#!/bin/sh\n"
              "printf 'A    docs/\\nA\\nUpdating\\nabc\\n9 lives\\nA    docs/readme.txt\\n"
              "G\\tx\\nChecked out revision 5.\\n'\n");
    testsupport::Run("chmod +x " + ShellQuote(box / "client/svn/bin/svn"));
    ScopedCwd cwd(box / "client");
    settings::g_settings.SVNLocalRepositery = box / "wc/";
    RunCopy(svnclient::SvnReadOnlyCopy);

    auto items = scripted::Tree();
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ("docs/", items[0].text);
    EXPECT_EQ(browse::StatusIcon("A", 1), items[0].image);
    EXPECT_NE(browse::StatusIcon("A", 0), items[0].image);
    EXPECT_EQ("docs/readme.txt", items[1].text);
    EXPECT_EQ(browse::StatusIcon("A", 0), items[1].image);
    ASSERT_EQ(2, browse::g_entries.Size());
    EXPECT_EQ(1, browse::g_entries.Entries().front().isFolder);
    EXPECT_EQ(0, browse::g_entries.Entries().back().isFolder);
    EXPECT_EQ(1, browse::g_entries.Entries().back().row);
    EXPECT_EQ(std::vector<std::string>({"Update : Updating", "Update : abc", "Update : 9 lives",
                                        "Update : G\tx", "Update : Checked out revision 5."}),
              BoxTexts("Informations"));
}

// The URL as a user may type it, without its final "/": the joins must still
// hit the right targets.
TEST_F(RepositoryCommandsTest, RemoteChangesHitTheirTargetsAndShowOnRelisting) {
    std::string repo = box / "repo";
    std::string url = MakeRepository(repo, {{"trunk/old.txt", "o\n"}, {"trunk/keep.txt", "k\n"},
                                            {"top.txt", "t\n"}});
    settings::g_settings.SVNRemoteRepositery = url.substr(0, url.size() - 1);
    std::string before = Youngest(repo);
    svnclient::SvnRemoteMkdir("trunk/", "");
    svnclient::SvnRemoteDelete("");
    EXPECT_EQ(before, Youngest(repo)) << "an empty name or path starts no client";

    svnclient::SvnRemoteMkdir("trunk/", "made");
    EXPECT_EQ("Directory made created\n", Revprop(url, "svn:log"));
    svnclient::SvnRemoteMkdir("", "top dir");
    EXPECT_EQ("Directory top dir created\n", Revprop(url, "svn:log"));
    svnclient::SvnRemoteDelete("trunk/old.txt");
    EXPECT_EQ("trunk/old.txt deletion\n", Revprop(url, "svn:log"));
    EXPECT_TRUE(scripted::Boxes().empty());

    browse::ListRemoteFolder(0, 0, "");
    browse::ListRemoteFolder(2, 1, "trunk/");
    std::vector<std::pair<std::string, int>> listed;
    for (const auto& e : browse::g_entries.Entries()) listed.emplace_back(e.path, e.depth);
    EXPECT_EQ((std::vector<std::pair<std::string, int>>{{"top dir/", 0},
                                                         {"trunk/", 0},
                                                         {"trunk/made/", 1},
                                                         {"trunk/keep.txt", 1},
                                                         {"top.txt", 0}}),
              listed);

    // Deleting what is gone tells the user.
    svnclient::SvnRemoteDelete("trunk/old.txt");
    auto alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find(kAlertLead));
    EXPECT_NE(std::string::npos, alerts[0].find("old.txt")) << alerts[0];
}

}  // namespace
