// The working-copy commands and the status they leave, on real working copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "browse/local_browser.h"
#include "browse/status_codes.h"
#include "command_env.h"
#include "svnclient/working_copy.h"

using namespace testsupport;
using browse::EntryStatus;

namespace {

std::string Lines(int first, int last, const std::string& changed = "", int at = -1) {
    std::string text;
    for (int i = first; i <= last; ++i) text += (i == at ? changed : "line " + std::to_string(i)) + "\n";
    return text;
}

// The one Alert box: the client's words, naming `detail`.
void ExpectOneClientAlert(const std::string& detail) {
    auto alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find("The Subversion client reported an error:\n\n")) << alerts[0];
    EXPECT_NE(std::string::npos, alerts[0].find(detail)) << alerts[0];
    EXPECT_NE('\n', alerts[0].back());
}

class WorkingCopyTest : public ::testing::Test {
protected:
    CommandEnv env;
    Sandbox& box = env.box;
};

// Add, undo and delete move an entry between the codes the local tree shows.
TEST_F(WorkingCopyTest, StatusCodesFollowTheWorkingCopy) {
    std::string url = MakeRepository(box / "repo", {{"clean.txt", "c\n"}, {"mod.txt", "m\n"},
                                                    {"gone.txt", "g\n"}, {"del.txt", "d\n"},
                                                    {"both.txt", "b\n"}, {"deep/", ""},
                                                    {"deep/er/f.txt", "f\n"}});
    std::string wc = box / "wc";
    Checkout(url, wc);
    for (const char* name : {"mod.txt", "new.txt", "unv.txt", "deep/er/f.txt", "both.txt"})
        WriteFile(wc + "/" + name, "changed\n");
    for (const char* command : {"svn add -q new.txt", "svn delete -q del.txt", "svn propset -q p v both.txt",
                                "rm gone.txt"})
        ASSERT_EQ(0, testsupport::Run("cd " + ShellQuote(wc) + " && " + command)) << command;

    std::map<std::string, std::string> expected{
        {"clean.txt", ""}, {"mod.txt", "M"}, {"new.txt", "A"},   {"unv.txt", "?"},
        {"gone.txt", "!"}, {"del.txt", "D"}, {"both.txt", "MM"}, {"deep", "M"}};
    for (const auto& [name, code] : expected) EXPECT_EQ(code, EntryStatus(wc + "/" + name)) << name;
    EXPECT_EQ("", EntryStatus(box / "not-a-working-copy"));

    svnclient::SvnAdd(wc + "/unv.txt");
    EXPECT_EQ("A", EntryStatus(wc + "/unv.txt"));
    svnclient::SvnRevert(wc + "/mod.txt");
    EXPECT_EQ("", EntryStatus(wc + "/mod.txt"));
    EXPECT_EQ("m\n", ReadFile(wc + "/mod.txt"));
    svnclient::SvnRevert(wc + "/gone.txt");
    EXPECT_EQ("", EntryStatus(wc + "/gone.txt"));
    svnclient::SvnDelete(wc + "/clean.txt");
    EXPECT_EQ("D", EntryStatus(wc + "/clean.txt"));
    EXPECT_TRUE(BoxTexts("Alert").empty());
    EXPECT_EQ(0, scripted::Tree().size()) << "status and the three commands draw nothing";

    // The client refuses to delete a modified file: the user is told why.
    svnclient::SvnDelete(wc + "/deep/er/f.txt");
    ExpectOneClientAlert("f.txt");
    EXPECT_EQ("M", EntryStatus(wc + "/deep/er/f.txt"));
}

TEST_F(WorkingCopyTest, CommitShowsTheClientLinesAsPlainItems) {
    std::string url = MakeRepository(box / "repo", {{"a.txt", "1\n"}, {"b.txt", "1\n"}});
    std::string wc = box / "wc";
    Checkout(url, wc);
    settings::g_settings.SVNLocalRepositery = wc + "/";
    WriteFile(wc + "/a.txt", "2\n");
    WriteFile(wc + "/b.txt", "2\n");
    const std::string comment = "fix: it's \"quoted\" and  spaced";
    svnclient::SvnCommit(comment);

    std::string message;
    testsupport::Run("svn propget --revprop -r HEAD svn:log " + ShellQuote(url), &message);
    EXPECT_EQ(comment + "\n", message);
    auto items = scripted::Tree();
    ASSERT_GE(items.size(), 3u);
    int sending = 0;
    for (const auto& item : items) {
        EXPECT_TRUE(!item.text.empty() && item.image == 0 && item.depth == 0 && item.value == 0) << item.text;
        sending += item.text.rfind("Sending", 0) == 0;
    }
    EXPECT_EQ(2, sending);
    EXPECT_EQ(0u, items.back().text.find("Committed revision 2"));
    EXPECT_TRUE(browse::g_entries.Empty());
    EXPECT_TRUE(scripted::Boxes().empty());

    // Outside a working copy the client's complaint reaches the user.
    settings::g_settings.SVNLocalRepositery = box.Path() + "/";
    platform::TreeClear(app::EntryTree);
    svnclient::SvnCommit("x");
    EXPECT_EQ(0, platform::TreeCount(app::EntryTree));
    ExpectOneClientAlert("svn: E");
}

// An update from a second working copy: a plain update (U), a merge (G), a
// conflict (C) and additions (A) are entries; other lines come in boxes.
TEST_F(WorkingCopyTest, UpdateListsChangesAndShowsTheOtherLines) {
    std::string url = MakeRepository(
        box / "repo", {{"plain.txt", Lines(1, 5)}, {"merged.txt", Lines(1, 9)}, {"clash.txt", "x\n"}});
    std::string wc1 = box / "wc1", wc2 = box / "wc2";
    Checkout(url, wc1);
    Checkout(url, wc2);
    WriteFile(wc1 + "/plain.txt", Lines(1, 5, "theirs", 3));
    WriteFile(wc1 + "/merged.txt", Lines(1, 9, "theirs", 1));
    WriteFile(wc1 + "/clash.txt", "theirs\n");
    WriteFile(wc1 + "/sub/new.txt", "n\n");
    ASSERT_EQ(0, testsupport::Run("svn add -q " + ShellQuote(wc1 + "/sub") + " && svn commit -q -m c " +
                                  ShellQuote(wc1)));
    WriteFile(wc2 + "/merged.txt", Lines(1, 9, "mine", 9));
    WriteFile(wc2 + "/clash.txt", "mine\n");

    settings::g_settings.SVNLocalRepositery = wc2 + "/";
    svnclient::SvnUpdate();

    std::map<std::string, std::string> codes;
    auto items = scripted::Tree();
    ASSERT_EQ(browse::g_entries.Size(), static_cast<int>(items.size()));
    auto item = items.begin();
    for (const auto& e : browse::g_entries.Entries()) {
        EXPECT_EQ(std::tuple(0, 0, e.name, e.name), std::tuple(e.depth, e.isFolder, e.path, item->text))
            << "the client prints folders without a separator";
        EXPECT_EQ(browse::StatusIcon(e.status, 0), (item++)->image) << e.name;
        codes[e.path] = e.status;
    }
    EXPECT_EQ((std::map<std::string, std::string>{{wc2 + "/plain.txt", "U"}, {wc2 + "/merged.txt", "G"},
                                                  {wc2 + "/clash.txt", "C"}, {wc2 + "/sub", "A"},
                                                  {wc2 + "/sub/new.txt", "A"}}),
              codes);
    // The conflict summary the client prints after the status line is no code.
    EXPECT_EQ("C", EntryStatus(wc2 + "/clash.txt"));

    auto infos = BoxTexts("Informations");
    ASSERT_GE(infos.size(), 3u);
    EXPECT_EQ("Update : Updating '" + wc2 + "':", infos.front());
    for (const auto& text : infos) EXPECT_EQ(0u, text.find("Update : ")) << text;
    for (const char* line : {"Update : Updated to revision 2.", "Update : Summary of conflicts:"})
        EXPECT_NE(std::find(infos.begin(), infos.end(), line), infos.end()) << line;
    EXPECT_EQ(scripted::Boxes().size(), infos.size()) << "a conflict is no client failure";

    // Nothing left to fetch: no entries, only the client's own remarks.
    platform::TreeClear(app::EntryTree);
    scripted::ClearBoxes();
    svnclient::SvnUpdate();
    EXPECT_TRUE(browse::g_entries.Empty());
    EXPECT_EQ(0, platform::TreeCount(app::EntryTree));
    EXPECT_EQ(std::vector<std::string>({"Update : Updating '" + wc2 + "':", "Update : At revision 2."}),
              BoxTexts("Informations"));
}

TEST_F(WorkingCopyTest, CleanupIsQuietOnAWorkingCopyAndReportsAnythingElse) {
    Checkout(MakeRepository(box / "repo", {{"a.txt", "1\n"}}), box / "wc");
    settings::g_settings.SVNLocalRepositery = box / "wc/";
    svnclient::SvnCleanup();
    EXPECT_EQ(0, platform::TreeCount(app::EntryTree));
    EXPECT_TRUE(browse::g_entries.Empty());
    EXPECT_TRUE(scripted::Boxes().empty());

    MakeDirs(box / "plain");
    settings::g_settings.SVNLocalRepositery = box / "plain/";
    svnclient::SvnCleanup();
    ExpectOneClientAlert("plain");
    EXPECT_TRUE(BoxTexts("Informations").empty());
}

}  // namespace
