// Double clicks, the pop-up menu and its commands on the entry tree, against
// a real repository and working copy.
#include "app/entry_tree.h"
#include "app/repository_files.h"
#include "app_fixture.h"

namespace apptest {
namespace {

using namespace app;
using Items = std::vector<int>;
constexpr auto kDouble = EventType::DoubleClick;
constexpr auto kRight = EventType::RightClick;

class ListActionsTest : public AppTest {
protected:
    std::string url;

    void SetUp() override {
        AppTest::SetUp();
        url = testsupport::MakeRepository(box / "repo", {{"branches/", ""},
                                                         {"trunk/README", "read me\n"},
                                                         {"trunk/src/main.c", "int main;\n"},
                                                         {"trunk/my file é#1.txt", "accent\n"}});
        prefs["SVNRemoteRepositery"] = url;
        prefs["SVNUsername"] = "ann";
        prefs["SVNPassword"] = "pw";
    }

    // The items of the menu a right click on `text` shows; none when it shows none.
    Items MenuFor(const std::string& text) {
        const int before = scripted::MenusShown();
        ClickRow(text, kRight);
        Items ids;
        if (scripted::MenusShown() != before)
            for (const auto& item : scripted::LastMenu()) ids.push_back(item.id);
        return ids;
    }

    void MenuOn(const std::string& text, int item) {
        ClickRow(text, kRight);
        Menu(item);
    }

    std::string ListRepository(const std::string& folder) {
        std::string out;
        testsupport::Run("svn ls " + ShellQuote(url + folder), &out);
        return out;
    }
};

TEST_F(ListActionsTest, TreesExpandAndTheMenuActsOnTheWorkingCopy) {
    testsupport::Checkout(url, box / "wc");
    WriteFile(box / "wc/trunk/README", "changed\n");
    WriteFile(box / "wc/new.txt", "new\n");
    Start();
    Click(ExploreRemoteButton);
    EXPECT_EQ(TreeTexts(), (Texts{"branches/", "trunk/"}));
    ClickRow("trunk/", kDouble);
    ClickRow("src/", kDouble);
    EXPECT_EQ(TreeTexts(),
              (Texts{"branches/", "trunk/", "src/", "main.c", "my file é#1.txt", "README"}));
    EXPECT_EQ(scripted::SelectedRow(), 2);
    EXPECT_EQ(platform::GetText(ExploreRemoteButton), "Explore remote repositery");
    // An expanded folder is not listed again.
    testsupport::Run("svn mkdir -q -m new " + ShellQuote(url + "trunk/late"));
    ClickRow("trunk/", kDouble);
    EXPECT_EQ(TreeTexts(),
              (Texts{"branches/", "trunk/", "src/", "main.c", "my file é#1.txt", "README"}));

    EXPECT_EQ(MenuFor("README"), (Items{DownloadItem, OpenItem, CreateDirectoryItem,
                                        DeleteRemoteItem, HistoryItem, BlameItem}));
    EXPECT_EQ(MenuFor("trunk/"), (Items{CreateDirectoryItem, DeleteRemoteItem, HistoryItem}));
    Enter(PasswordField, "");
    EXPECT_EQ(MenuFor("README"), (Items{DownloadItem, OpenItem, HistoryItem, BlameItem}));
    EXPECT_EQ(MenuFor("trunk/"), Items{HistoryItem});
    // A click on empty space selects nothing and does nothing.
    const int shown = scripted::MenusShown();
    platform::TreeSelect(EntryTree, -1);
    Click(EntryTree, kRight);
    Click(EntryTree, kDouble);
    EXPECT_EQ(scripted::MenusShown(), shown);

    Click(ExploreLocalButton);
    ClickRow("trunk", kDouble);
    ClickRow("src", kDouble);
    EXPECT_EQ(TreeTexts(), (Texts{"branches", "trunk", "src", "main.c", "my file é#1.txt", "README",
                                  "new.txt"}));
    EXPECT_EQ(platform::GetText(ExploreLocalButton), "Explore local repositery");
    EXPECT_EQ(MenuFor("README"), (Items{StatusItem, AddItem, UndoItem, DeleteLocalItem, HistoryItem,
                                        ChangesItem, BlameItem}));
    EXPECT_EQ(scripted::LastMenu().front().caption, "Modified");
    EXPECT_FALSE(scripted::LastMenu().front().enabled);
    EXPECT_EQ(scripted::LastMenu()[4].caption, "History…");
    // No status: no description; unchanged, so nothing to diff.
    EXPECT_EQ(MenuFor("src"), (Items{DeleteLocalItem, HistoryItem}));
    EXPECT_EQ(MenuFor("main.c"), (Items{DeleteLocalItem, HistoryItem, BlameItem}));
    EXPECT_EQ(MenuFor("new.txt"), (Items{StatusItem, AddItem, UndoItem, DeleteLocalItem}));
    EXPECT_TRUE(BoxTexts().empty());

    // The entry's status, and the icon the tree shows for it says the same.
    auto statusOf = [this](const std::string& name) {
        app::g_entries.MakeCurrent(RowOf(name));
        const browse::ListEntry& e = *app::g_entries.Current();
        EXPECT_EQ(scripted::Tree()[RowOf(name)].image, app::StatusIcon(e.status, e.isFolder))
            << name;
        return e.status;
    };
    EXPECT_EQ(statusOf("new.txt"), "?");
    MenuOn("new.txt", AddItem);
    EXPECT_EQ(statusOf("new.txt"), "A");
    EXPECT_EQ(scripted::SelectedRow(), RowOf("new.txt"));
    Menu(UndoItem);
    EXPECT_EQ(statusOf("new.txt"), "?");
    MenuOn("branches", DeleteLocalItem);  // answered No
    EXPECT_EQ(statusOf("branches"), "");
    scripted::AnswerYesNo(true);
    Menu(DeleteLocalItem);
    EXPECT_EQ(statusOf("branches"), "D");
    EXPECT_EQ(BoxTexts(), Texts(2, "Deletion: Are you sure to want to delete this item ?"));

    // Deleted entries, gone from the disk, keep their rows on the next
    // exploration, as folder or file, and Undo brings them back.
    scripted::AnswerYesNo(true);
    MenuOn("main.c", DeleteLocalItem);
    Click(ExploreLocalButton);
    ClickRow("trunk", kDouble);
    ClickRow("src", kDouble);
    EXPECT_EQ(statusOf("main.c"), "D");
    EXPECT_EQ(platform::TreeValue(EntryTree, RowOf("branches")), 1);
    EXPECT_EQ(platform::TreeValue(EntryTree, RowOf("main.c")), 0);
    MenuOn("main.c", UndoItem);
    EXPECT_EQ(statusOf("main.c"), "");
    EXPECT_EQ(ReadFile(box / "wc/trunk/src/main.c"), "int main;\n");
}

TEST_F(ListActionsTest, RepositoryFilesAndFoldersFromTheMenu) {
    Start();
    Click(ExploreRemoteButton);
    ClickRow("trunk/", kDouble);
    ClickRow("my file é#1.txt", kDouble);  // chooser cancelled
    EXPECT_EQ(scripted::Choosers().back().title, "Where should I save file my file é#1.txt ?");
    EXPECT_EQ(scripted::Choosers().back().start, "my file é#1.txt");
    scripted::AnswerSaveFile(box / "saved.txt");
    MenuOn("my file é#1.txt", DownloadItem);
    EXPECT_EQ(ReadFile(box / "saved.txt"), "accent\n");
    MenuOn("README", OpenItem);
    EXPECT_EQ(ReadFile(box / "run/vellum/README"), "read me\n");
    ASSERT_TRUE(WaitForFile(box / "opened.txt"));
    EXPECT_EQ(ReadFile(box / "opened.txt"), box / "run/vellum/README\n");
    EXPECT_TRUE(BoxTexts().empty());
    std::string mode;
    testsupport::Run("stat -c %a " + ShellQuote(box / "run/vellum"), &mode);
    EXPECT_EQ(mode, "700\n");

    // A failed fetch leaves the user's file as it was, and nothing beside it.
    EXPECT_FALSE(DownloadFile("trunk/gone.txt", box / "saved.txt"));
    EXPECT_EQ(ReadFile(box / "saved.txt"), "accent\n");
    std::string left;
    testsupport::Run("ls " + ShellQuote(box.Path()) + " | grep part", &left);
    EXPECT_EQ(left, "");
    // Someone else's link where the private folder goes: nothing is written.
    scripted::ClearBoxes();
    testsupport::MakeDirs(box / "shared/elsewhere");
    testsupport::Run("ln -s elsewhere " + ShellQuote(box / "shared/vellum"));
    {
        testsupport::ScopedEnv shared("XDG_RUNTIME_DIR", box / "shared");
        MenuOn("README", OpenItem);
    }
    EXPECT_EQ(BoxTexts(), Texts{"Alert: Saving failed"});
    EXPECT_FALSE(platform::IsRegularFile(box / "shared/elsewhere/README"));
    scripted::ClearBoxes();

    // A new folder goes into the folder that holds the clicked file, its name cleaned.
    scripted::OnDialogOpened(TypeThenClick("a/b:c?"));
    MenuOn("README", CreateDirectoryItem);
    EXPECT_NE(ListRepository("trunk/").find("abc/"), std::string::npos);
    EXPECT_EQ(TreeTexts()[RowOf("trunk/") + 1], "abc/");
    EXPECT_EQ(scripted::SelectedRow(), RowOf("trunk/"));

    // Depth 2: only its folder is listed again; the rest stays expanded.
    ClickRow("src/", kDouble);
    scripted::AnswerYesNo(true);
    MenuOn("main.c", DeleteRemoteItem);
    EXPECT_EQ(ListRepository("trunk/src/"), "");
    EXPECT_EQ(TreeTexts(),
              (Texts{"branches/", "trunk/", "abc/", "src/", "my file é#1.txt", "README"}));
    EXPECT_EQ(scripted::SelectedRow(), RowOf("src/"));
    std::string log;
    testsupport::Run("svn log -l 1 " + ShellQuote(url), &log);
    EXPECT_NE(log.find("trunk/src/main.c deletion"), std::string::npos) << log;
    // Depth 0: the whole top level.
    scripted::AnswerYesNo(true);
    MenuOn("branches/", DeleteRemoteItem);
    EXPECT_EQ(TreeTexts(), (Texts{"trunk/"}));
    EXPECT_EQ(g_shell.listContent, ListContent::RemoteTree);
    // A new folder in a top-level folder shows inside it, opened.
    scripted::OnDialogOpened(TypeThenClick("fresh"));
    MenuOn("trunk/", CreateDirectoryItem);
    EXPECT_EQ(TreeTexts(),
              (Texts{"trunk/", "abc/", "fresh/", "src/", "my file é#1.txt", "README"}));
    EXPECT_TRUE(platform::TreeExpanded(EntryTree, 0));

    // A fetch that fails opens nothing, not even the copy left from before,
    // and says why.
    std::remove((box / "opened.txt").c_str());
    scripted::ClearBoxes();
    ClickRow("trunk/", kDouble);
    scripted::Type(UrlField, "file:///no/such/repository/");
    MenuOn("README", OpenItem);
    const Texts boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "Alert: Saving failed");
    EXPECT_NE(boxes[1].find("file:///no/such/repository/trunk/README"), std::string::npos)
        << boxes[1];
    platform::Sleep(300);
    EXPECT_FALSE(platform::IsRegularFile(box / "opened.txt"));
}

}  // namespace
}  // namespace apptest
