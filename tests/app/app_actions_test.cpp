// The handlers of the fields and of the synchronous buttons, with the real
// client behind them.
#include <algorithm>
#include <ctime>
#include <sstream>

#include "app/entry_tree.h"
#include "app/user_actions.h"
#include "app_fixture.h"

namespace apptest {
namespace {

using namespace app;

class ActionsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        prefs["SVNAuthCache"] = "1";  // every button usable without typed credentials
    }
};

TEST_F(ActionsTest, FolderFieldAndChooserKeepWhatTheUserMeant) {
    Start();
    Enter(FolderField, "/srv/wc");
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "/srv/wc/");
    EXPECT_EQ(platform::GetText(FolderField), "/srv/wc");
    scripted::Type(FolderField, "/srv/half-typed");  // taken when the field is left
    Settle();
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "/srv/wc/");
    Enter(FolderField, "/srv/wc\\");
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "/srv/wc\\");

    // An emptied field leaves the setting empty, and every action on it refuses.
    Enter(FolderField, "");
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "");
    const int buttons[] = {ReadOnlyCopyButton, WorkCopyButton,   ReceiveUpdateButton,
                           CleanupButton,      SendUpdateButton, ExploreLocalButton};
    Texts captions;
    for (int id : buttons) captions.push_back(platform::GetText(id));
    for (int id : buttons) Click(id);
    EXPECT_EQ(BoxTexts(), Texts(6, "Alert: Choose a local repositery folder first"));
    EXPECT_TRUE(scripted::Dialogs().empty());
    EXPECT_FALSE(g_shell.busy);
    for (size_t i = 0; i < captions.size(); ++i)
        EXPECT_EQ(platform::GetText(buttons[i]), captions[i]);

    // With no folder the chooser starts in the current directory; a cancel changes nothing.
    g_shell.listContent = ListContent::RemoteTree;
    Click(ChooseButton);
    EXPECT_EQ(scripted::Choosers().back().title, "Local repositery folder");
    EXPECT_EQ(scripted::Choosers().back().start, box.Path() + "/");
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "");
    EXPECT_EQ(g_shell.listContent, ListContent::RemoteTree);

    testsupport::MakeDirs(box / "chosen");
    scripted::AnswerFolder(box / "chosen");
    Click(ChooseButton);
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, box / "chosen/");
    EXPECT_EQ(platform::GetText(FolderField), box / "chosen/");
    EXPECT_EQ(g_shell.listContent, ListContent::None);
    Click(ChooseButton);
    EXPECT_EQ(scripted::Choosers().back().start, box / "chosen/");

    // Return in the URL field goes there, as the link does.
    scripted::Type(UrlField, "http://example.invalid/repo/");
    Click(UrlField, EventType::Activate);
    ASSERT_TRUE(WaitForFile(box / "opened.txt"));
    EXPECT_EQ(ReadFile(box / "opened.txt"), "http://example.invalid/repo/\n");
}

TEST_F(ActionsTest, ExploreLocalNeedsAnExistingFolder) {
    WriteFile(box / "plain-file", "x");
    for (const std::string& folder : {box / "missing/", box / "plain-file"}) {
        prefs["SVNLocalRepositery"] = folder;
        scripted::Reset();
        Start();
        g_shell.listContent = ListContent::RemoteTree;
        Click(ExploreLocalButton);
        EXPECT_EQ(BoxTexts(), Texts{"Alert: Folder doesn't exist.\n\nMaybe should you try first "
                                    "\" to receive a repositery copy ? \""})
            << folder;
        EXPECT_EQ(g_shell.listContent, ListContent::RemoteTree);
        Stop();
    }
}

TEST_F(ActionsTest, SendUpdateCommitsTheCommentOrReportsTheCancel) {
    const std::string url = testsupport::MakeRepository(box / "repo", {{"a.txt", "one\n"}});
    testsupport::Checkout(url, box / "wc");
    WriteFile(box / "wc/a.txt", "two\n");
    Start();
    // The proposed comment counts local time as if it were UTC.
    testsupport::ScopedEnv zone("TZ", "XYZ-3");  // three hours east of UTC
    tzset();
    std::string proposed;
    scripted::OnDialogOpened([&](int) {
        proposed = platform::GetText(CommitMessage);
        scripted::PushClick(CommitCancel);
    });
    Click(SendUpdateButton);
    const long long expected = static_cast<long long>(std::time(nullptr)) + 3 * 3600;
    ASSERT_EQ(proposed.rfind("Update ", 0), 0u) << proposed;
    EXPECT_NEAR(std::stoll(proposed.substr(7)), expected, 5);
    EXPECT_EQ(BoxTexts(), Texts{"Alert: Canceled"});
    EXPECT_TRUE(TreeTexts().empty());

    scripted::OnDialogOpened([](int) {
        scripted::Type(CommitMessage, "fix the greeting");
        scripted::PushClick(CommitOk);
    });
    Click(SendUpdateButton);
    ASSERT_FALSE(TreeTexts().empty());
    EXPECT_EQ(TreeTexts().back(), "Committed revision 2.");
    EXPECT_EQ(platform::GetText(SendUpdateButton), "Send update");
    EXPECT_EQ(g_shell.listContent, ListContent::None);
    std::string log;
    testsupport::Run("svn log -r 2 " + ShellQuote(url), &log);
    EXPECT_NE(log.find("fix the greeting"), std::string::npos) << log;
}

// Changes from another working copy: a plain update (U), a conflict (C) and
// additions (A) become rows; every other line comes in the command's one box.
TEST_F(ActionsTest, UpdateAndCleanupShowChangesAsRowsAndTheRestInABox) {
    const std::string url =
        testsupport::MakeRepository(box / "repo", {{"plain.txt", "1\n"}, {"clash.txt", "x\n"}});
    const std::string wc = box / "wc", other = box / "other";
    testsupport::Checkout(url, wc);
    testsupport::Checkout(url, other);
    WriteFile(other + "/plain.txt", "2\n");
    WriteFile(other + "/clash.txt", "theirs\n");
    WriteFile(other + "/sub/new.txt", "n\n");
    ASSERT_EQ(testsupport::Run("svn add -q " + ShellQuote(other + "/sub") +
                               " && svn commit -q -m c " + ShellQuote(other)),
              0);
    WriteFile(wc + "/clash.txt", "mine\n");
    Start();
    Click(ReceiveUpdateButton);
    // The client names them from the current folder, in the order it made them.
    Texts shown = TreeTexts();
    std::sort(shown.begin(), shown.end());
    ASSERT_EQ(shown, (Texts{"wc/clash.txt", "wc/plain.txt", "wc/sub", "wc/sub/new.txt"}));
    shown = TreeTexts();
    for (size_t row = 0; row < shown.size(); ++row) {
        const char* code = shown[row] == "wc/plain.txt"   ? "U"
                           : shown[row] == "wc/clash.txt" ? "C"
                                                          : "A";
        EXPECT_EQ(scripted::Tree()[row].image, StatusIcon(code, shown[row] == "wc/sub"))
            << shown[row];
    }
    ASSERT_EQ(BoxTexts().size(), 1u);
    const std::string report = BoxTexts()[0];
    const std::string head = "Informations: Update : Updating 'wc':\n";
    EXPECT_EQ(report.rfind(head, 0), 0u) << report;
    EXPECT_NE(report.find("\nSummary of conflicts:\n"), std::string::npos) << report;
    EXPECT_EQ(report.find("Update : ", head.size()), std::string::npos) << report;
    EXPECT_EQ(platform::GetText(ReceiveUpdateButton), "Receive update");
    EXPECT_EQ(g_shell.listContent, ListContent::LocalTree);

    // A conflict is resolved keeping the working file; Undo then takes the
    // other copy's version. Both keep the rows where the update put them.
    scripted::ClearBoxes();
    const std::string mine = ReadFile(wc + "/clash.txt");
    platform::TreeSelect(EntryTree, RowOf("wc/clash.txt"));
    Click(EntryTree, EventType::RightClick);
    std::vector<int> items;
    for (const auto& item : scripted::LastMenu()) items.push_back(item.id);
    EXPECT_EQ(items, (std::vector<int>{StatusItem, AddItem, UndoItem, KeepMineItem, TakeTheirsItem,
                                       ResolvedItem, DeleteLocalItem, HistoryItem, ChangesItem,
                                       BlameItem}));
    EXPECT_EQ(scripted::LastMenu()[5].caption, "Resolved");
    Menu(ResolvedItem);
    g_entries.MakeCurrent(RowOf("wc/clash.txt"));
    EXPECT_EQ(g_entries.Current()->status, "M");
    EXPECT_EQ(ReadFile(wc + "/clash.txt"), mine);
    EXPECT_TRUE(BoxTexts().empty());
    Click(EntryTree, EventType::RightClick);
    EXPECT_EQ(scripted::LastMenu().size(), 7u);  // no conflict, no "Resolved"
    scripted::AnswerYesNo(true);
    Menu(UndoItem);
    EXPECT_EQ(TreeTexts(), shown);
    EXPECT_EQ(ReadFile(wc + "/clash.txt"), "theirs\n");

    // Cleanup of a working copy is quiet; of anything else, the client says why.
    scripted::ClearBoxes();
    Click(CleanupButton);
    EXPECT_TRUE(TreeTexts().empty());
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(platform::GetText(CleanupButton), "Cleanup");
    Enter(FolderField, box / "repo");
    Click(CleanupButton);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0].rfind("Alert: The Subversion client reported an error:\n\nsvn: E", 0),
              0u)
        << BoxTexts()[0];
    EXPECT_NE(BoxTexts()[0].back(), '\n');
}

// However much the client says, its box shows a screenful at once.
TEST_F(ActionsTest, AFloodOfClientTextMakesAScreenfulBox) {
    Start();
    std::string line;
    for (int i = 0; i < 300; ++i) line += "\xC3\xA9";  // é: a cut must not split it
    std::string flood;
    for (int i = 0; i < 40; ++i) flood += line + "\n";
    ReportClientError(flood);
    ASSERT_EQ(BoxTexts().size(), 1u);
    std::vector<std::string> shown;
    std::istringstream in(BoxTexts()[0]);
    for (std::string l; std::getline(in, l);) shown.push_back(l);
    ASSERT_EQ(shown.size(), 33u);
    std::string cut;
    for (int i = 0; i < 100; ++i) cut += "\xC3\xA9";
    for (size_t i = 2; i < 32; ++i) EXPECT_EQ(shown[i], cut + "\u2026") << i;
    EXPECT_EQ(shown.back(), "\u2026 lines not shown: 10");
    // A screenful exactly is shown whole, with no count.
    scripted::ClearBoxes();
    ReportClientError(std::string(29, '\n') + "last");
    EXPECT_EQ(BoxTexts()[0].substr(BoxTexts()[0].size() - 5), "\nlast");
}

}  // namespace
}  // namespace apptest
