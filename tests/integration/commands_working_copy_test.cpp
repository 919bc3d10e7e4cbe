// The working-copy commands and the status they leave, on real working copies.
#include <gtest/gtest.h>

#include <map>

#include "browse/local_browser.h"
#include "browse/status_codes.h"
#include "command_env.h"
#include "svnclient/working_copy.h"

using namespace testsupport;
using browse::EntryStatus;

namespace {

const char kAlertLead[] = "The Subversion client reported an error:\n\n";

std::string Lines(int first, int last, const std::string& changed = "", int at = -1) {
    std::string text;
    for (int i = first; i <= last; ++i)
        text += (i == at ? changed : "line " + std::to_string(i)) + "\n";
    return text;
}

class WorkingCopyTest : public ::testing::Test {
protected:
    CommandEnv env;
    Sandbox& box = env.box;
};

// Every status code the local tree shows comes from EntryStatus; add, undo and
// delete must move an entry between them.
TEST_F(WorkingCopyTest, StatusCodesFollowTheWorkingCopy) {
    std::string url = MakeRepository(box / "repo", {{"clean.txt", "c\n"},
                                                    {"mod.txt", "m\n"},
                                                    {"gone.txt", "g\n"},
                                                    {"del.txt", "d\n"},
                                                    {"both.txt", "b\n"},
                                                    {"deep/", ""},
                                                    {"deep/er/f.txt", "f\n"}});
    std::string wc = box / "wc";
    Checkout(url, wc);
    WriteFile(wc + "/mod.txt", "changed\n");
    WriteFile(wc + "/new.txt", "n\n");
    WriteFile(wc + "/unv.txt", "u\n");
    WriteFile(wc + "/deep/er/f.txt", "changed\n");
    WriteFile(wc + "/both.txt", "changed\n");
    ASSERT_EQ(0, testsupport::Run("svn add -q " + ShellQuote(wc + "/new.txt")));
    ASSERT_EQ(0, testsupport::Run("svn delete -q " + ShellQuote(wc + "/del.txt")));
    ASSERT_EQ(0, testsupport::Run("svn propset -q p v " + ShellQuote(wc + "/both.txt")));
    ASSERT_EQ(0, testsupport::Run("rm " + ShellQuote(wc + "/gone.txt")));

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

    // The client refuses to delete a modified file: the user is told why and
    // the file keeps its state.
    svnclient::SvnDelete(wc + "/deep/er/f.txt");
    auto alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find(kAlertLead)) << alerts[0];
    EXPECT_NE(std::string::npos, alerts[0].find("f.txt")) << alerts[0];
    EXPECT_NE('\n', alerts[0].back());
    EXPECT_EQ("M", EntryStatus(wc + "/deep/er/f.txt"));
}

// A real conflict: the status line says C; the conflict summary that the
// client prints after it must not be taken for the code.
TEST_F(WorkingCopyTest, ConflictedFileShowsItsCode) {
    std::string url = MakeRepository(box / "repo", {{"a.txt", "one\n"}});
    Checkout(url, box / "wc1");
    Checkout(url, box / "wc2");
    WriteFile(box / "wc1/a.txt", "theirs\n");
    ASSERT_EQ(0, testsupport::Run("svn commit -q -m c " + ShellQuote(box / "wc1")));
    WriteFile(box / "wc2/a.txt", "mine\n");
    ASSERT_EQ(0, testsupport::Run("svn update -q " + ShellQuote(box / "wc2")));
    EXPECT_EQ("C", EntryStatus(box / "wc2/a.txt"));
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
        EXPECT_FALSE(item.text.empty());
        EXPECT_EQ(0, item.image);
        EXPECT_EQ(0, item.depth);
        EXPECT_EQ(0, item.value);
        if (item.text.rfind("Sending", 0) == 0) ++sending;
    }
    EXPECT_EQ(2, sending);
    EXPECT_EQ(0u, items.back().text.find("Committed revision 2"));
    EXPECT_TRUE(browse::g_entries.Empty());
    EXPECT_TRUE(scripted::Boxes().empty());

    // Outside a working copy the client's complaint reaches the user.
    settings::g_settings.SVNLocalRepositery = box.Path() + "/";
    scripted::ClearBoxes();
    platform::TreeClear(app::EntryTree);
    svnclient::SvnCommit("x");
    EXPECT_EQ(0, platform::TreeCount(app::EntryTree));
    auto alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find(kAlertLead));
    EXPECT_NE(std::string::npos, alerts[0].find("svn: E")) << alerts[0];
}

// An update from a second working copy: a plain update (U), a merge (G), a
// conflict (C) and an addition (A) are entries; the client's other lines come
// in "Informations" boxes.
TEST_F(WorkingCopyTest, UpdateListsChangesAndShowsTheOtherLines) {
    std::string url = MakeRepository(
        box / "repo",
        {{"plain.txt", Lines(1, 5)}, {"merged.txt", Lines(1, 9)}, {"clash.txt", "x\n"}});
    std::string wc1 = box / "wc1", wc2 = box / "wc2";
    Checkout(url, wc1);
    Checkout(url, wc2);
    WriteFile(wc1 + "/plain.txt", Lines(1, 5, "theirs", 3));
    WriteFile(wc1 + "/merged.txt", Lines(1, 9, "theirs", 1));
    WriteFile(wc1 + "/clash.txt", "theirs\n");
    MakeDirs(wc1 + "/sub");
    WriteFile(wc1 + "/sub/new.txt", "n\n");
    ASSERT_EQ(0, testsupport::Run("svn add -q " + ShellQuote(wc1 + "/sub")));
    ASSERT_EQ(0, testsupport::Run("svn commit -q -m c " + ShellQuote(wc1)));
    WriteFile(wc2 + "/merged.txt", Lines(1, 9, "mine", 9));
    WriteFile(wc2 + "/clash.txt", "mine\n");

    // A trailing separator on the folder must not change what is listed.
    settings::g_settings.SVNLocalRepositery = wc2 + "/";
    svnclient::SvnUpdate();

    std::map<std::string, std::string> codes;
    int row = 0;
    for (const auto& e : browse::g_entries.Entries()) {
        EXPECT_EQ(row++, e.row);
        EXPECT_EQ(0, e.depth);
        EXPECT_EQ(e.name, e.path);
        EXPECT_EQ(0, e.isFolder) << "the client prints folders without a separator";
        codes[e.path] = e.status;
    }
    std::map<std::string, std::string> expected{{wc2 + "/plain.txt", "U"},
                                                {wc2 + "/merged.txt", "G"},
                                                {wc2 + "/clash.txt", "C"},
                                                {wc2 + "/sub", "A"},
                                                {wc2 + "/sub/new.txt", "A"}};
    EXPECT_EQ(expected, codes);

    auto items = scripted::Tree();
    ASSERT_EQ(browse::g_entries.Size(), static_cast<int>(items.size()));
    auto e = browse::g_entries.Entries().begin();
    for (const auto& item : items) {
        EXPECT_EQ(e->name, item.text);
        EXPECT_EQ(browse::StatusIcon(e->status, 0), item.image);
        EXPECT_NE(0, item.image);
        EXPECT_EQ(0, item.value);
        ++e;
    }

    auto infos = BoxTexts("Informations");
    ASSERT_GE(infos.size(), 3u);
    for (const auto& text : infos) EXPECT_EQ(0u, text.find("Update : ")) << text;
    EXPECT_EQ("Update : Updating '" + wc2 + "':", infos.front());
    bool revision = false, summary = false;
    for (const auto& text : infos) {
        revision |= text == "Update : Updated to revision 2.";
        summary |= text == "Update : Summary of conflicts:";
    }
    EXPECT_TRUE(revision);
    EXPECT_TRUE(summary);
    EXPECT_TRUE(BoxTexts("Alert").empty()) << "a conflict is no client failure";
    EXPECT_EQ(scripted::Boxes().size(), infos.size());

    // Nothing left to fetch: no entries, only the client's own remarks.
    platform::TreeClear(app::EntryTree);
    scripted::ClearBoxes();
    svnclient::SvnUpdate();
    EXPECT_TRUE(browse::g_entries.Empty());
    EXPECT_EQ(0, platform::TreeCount(app::EntryTree));
    EXPECT_EQ(
        std::vector<std::string>({"Update : Updating '" + wc2 + "':", "Update : At revision 2."}),
        BoxTexts("Informations"));
}

TEST_F(WorkingCopyTest, CleanupIsQuietOnAWorkingCopyAndReportsAnythingElse) {
    std::string url = MakeRepository(box / "repo", {{"a.txt", "1\n"}});
    Checkout(url, box / "wc");
    settings::g_settings.SVNLocalRepositery = box / "wc/";
    svnclient::SvnCleanup();
    EXPECT_EQ(0, platform::TreeCount(app::EntryTree));
    EXPECT_TRUE(browse::g_entries.Empty());
    EXPECT_TRUE(scripted::Boxes().empty());

    MakeDirs(box / "plain");
    settings::g_settings.SVNLocalRepositery = box / "plain/";
    svnclient::SvnCleanup();
    auto alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find(kAlertLead));
    EXPECT_NE(std::string::npos, alerts[0].find("plain")) << alerts[0];
    EXPECT_TRUE(BoxTexts("Informations").empty());
}

}  // namespace
