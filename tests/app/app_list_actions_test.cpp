// Double clicks, the pop-up menu and its commands on the entry tree, against
// a real repository and working copy.
#include "app/list_actions.h"
#include "app/repository_files.h"
#include "app/text_dialog.h"
#include "app_fixture.h"
#include "browse/entry_list.h"

namespace apptest {
namespace {

using namespace app;

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
        tmp_ = std::make_unique<testsupport::ScopedEnv>("TMPDIR", box / "tmp");
        testsupport::MakeDirs(box / "tmp");
    }

    int RowOf(const std::string& text) const {
        const auto texts = TreeTexts();
        for (size_t i = 0; i < texts.size(); ++i)
            if (texts[i] == text) return static_cast<int>(i);
        ADD_FAILURE() << "no row " << text;
        return -1;
    }

    // The user's right click or double click on the row showing `text`.
    void ClickRow(const std::string& text, platform::EventType type) {
        platform::TreeSelect(EntryTree, RowOf(text));
        Click(EntryTree, type);
    }

    std::vector<int> MenuFor(const std::string& text) {
        const int before = scripted::MenusShown();
        ClickRow(text, platform::EventType::RightClick);
        std::vector<int> ids;
        if (scripted::MenusShown() == before) return ids;
        for (const auto& item : scripted::LastMenu()) ids.push_back(item.id);
        return ids;
    }

    std::string ListRepository(const std::string& folder) {
        std::string out;
        testsupport::Run("svn ls " + ShellQuote(url + folder), &out);
        return out;
    }

private:
    std::unique_ptr<testsupport::ScopedEnv> tmp_;
};

TEST_F(ListActionsTest, DoubleClickExpandsLocalAndRemoteFolders) {
    testsupport::Checkout(url, box / "wc");
    Start();
    Click(ExploreRemoteButton);
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"branches/", "trunk/"}));
    ClickRow("trunk/", platform::EventType::DoubleClick);
    ClickRow("src/", platform::EventType::DoubleClick);
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"branches/", "trunk/", "src/", "main.c",
                                                     "my file é#1.txt", "README"}));
    EXPECT_EQ(ItemPath(3, 2), "trunk/src/main.c");
    EXPECT_EQ(scripted::SelectedRow(), 2);
    EXPECT_EQ(platform::GetText(ExploreRemoteButton), "Explore remote repositery");

    // An expanded folder is not listed again.
    testsupport::Run("svn mkdir -q -m new " + ShellQuote(url + "trunk/late"));
    ClickRow("trunk/", platform::EventType::DoubleClick);
    EXPECT_EQ(TreeTexts().size(), 6u);

    Click(ExploreLocalButton);
    ClickRow("trunk", platform::EventType::DoubleClick);
    ClickRow("src", platform::EventType::DoubleClick);
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"branches", "trunk", "src", "main.c",
                                                     "my file é#1.txt", "README"}));
    EXPECT_EQ(ItemPath(3, 2), "trunk/src/main.c");
    EXPECT_EQ(platform::GetText(ExploreLocalButton), "Explore local repositery");
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(ListActionsTest, MenuOffersWhatTheListAndCredentialsAllow) {
    testsupport::Checkout(url, box / "wc");
    WriteFile(box / "wc/trunk/README", "changed\n");
    Start();
    Click(ExploreRemoteButton);
    ClickRow("trunk/", platform::EventType::DoubleClick);
    const std::vector<int> fileItems{DownloadItem, OpenItem, CreateDirectoryItem,
                                     DeleteRemoteItem};
    EXPECT_EQ(MenuFor("README"), fileItems);
    EXPECT_EQ(MenuFor("trunk/"), (std::vector<int>{CreateDirectoryItem, DeleteRemoteItem}));
    Enter(PasswordField, "");
    EXPECT_EQ(MenuFor("README"), (std::vector<int>{DownloadItem, OpenItem}));
    EXPECT_TRUE(MenuFor("trunk/").empty());

    // A click on empty space selects nothing and does nothing.
    const int shown = scripted::MenusShown();
    platform::TreeSelect(EntryTree, -1);
    Click(EntryTree, platform::EventType::RightClick);
    Click(EntryTree, platform::EventType::DoubleClick);
    EXPECT_EQ(scripted::MenusShown(), shown);

    Click(ExploreLocalButton);
    ClickRow("trunk", platform::EventType::DoubleClick);
    EXPECT_EQ(MenuFor("README"), (std::vector<int>{StatusItem, AddItem, UndoItem,
                                                   DeleteLocalItem}));
    EXPECT_EQ(scripted::LastMenu().front().caption, "Modified");
    EXPECT_FALSE(scripted::LastMenu().front().enabled);
    EXPECT_EQ(MenuFor("src"), std::vector<int>{DeleteLocalItem});  // no status: no description
}

TEST_F(ListActionsTest, AddUndoAndConfirmedDeleteOnTheWorkingCopy) {
    testsupport::Checkout(url, box / "wc");
    WriteFile(box / "wc/new.txt", "new\n");
    Start();
    Click(ExploreLocalButton);
    auto statusOf = [this](const std::string& name) {
        browse::g_entries.MakeCurrent(RowOf(name));
        return browse::g_entries.Current()->status;
    };
    EXPECT_EQ(statusOf("new.txt"), "?");

    MenuFor("new.txt");
    scripted::PushMenu(AddItem);
    Settle();
    EXPECT_EQ(statusOf("new.txt"), "A");
    EXPECT_EQ(scripted::SelectedRow(), RowOf("new.txt"));
    scripted::PushMenu(UndoItem);
    Settle();
    EXPECT_EQ(statusOf("new.txt"), "?");

    ClickRow("trunk", platform::EventType::RightClick);
    scripted::PushMenu(DeleteLocalItem);  // answered No
    Settle();
    EXPECT_EQ(statusOf("trunk"), "");
    scripted::AnswerYesNo(true);
    scripted::PushMenu(DeleteLocalItem);
    Settle();
    EXPECT_EQ(statusOf("trunk"), "D");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(
                              2, "Deletion: Are you sure to want to delete this item ?"));
}

TEST_F(ListActionsTest, RepositoryChangesRelistTheFolderConcerned) {
    Start();
    Click(ExploreRemoteButton);
    ClickRow("trunk/", platform::EventType::DoubleClick);

    // Into the folder that holds the clicked file, with the name cleaned.
    scripted::OnDialogOpened([](int) {
        scripted::Type(DialogAnswer, "a/b:c?");
        scripted::PushClick(DialogOk);
    });
    ClickRow("README", platform::EventType::RightClick);
    scripted::PushMenu(CreateDirectoryItem);
    Settle();
    EXPECT_NE(ListRepository("trunk/").find("abc/"), std::string::npos);
    EXPECT_EQ(TreeTexts()[RowOf("trunk/") + 1], "abc/");
    EXPECT_EQ(scripted::SelectedRow(), RowOf("trunk/"));

    // Depth 2: only its folder is listed again; the rest stays expanded.
    ClickRow("src/", platform::EventType::DoubleClick);
    scripted::AnswerYesNo(true);
    ClickRow("main.c", platform::EventType::RightClick);
    scripted::PushMenu(DeleteRemoteItem);
    Settle();
    EXPECT_EQ(ListRepository("trunk/src/"), "");
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"branches/", "trunk/", "abc/", "src/",
                                                     "my file é#1.txt", "README"}));
    EXPECT_EQ(scripted::SelectedRow(), RowOf("src/"));
    std::string log;
    testsupport::Run("svn log -l 1 " + ShellQuote(url), &log);
    EXPECT_NE(log.find("trunk/src/main.c deletion"), std::string::npos) << log;

    // Depth 0: the whole top level.
    scripted::AnswerYesNo(true);
    ClickRow("branches/", platform::EventType::RightClick);
    scripted::PushMenu(DeleteRemoteItem);
    Settle();
    EXPECT_EQ(TreeTexts(), std::vector<std::string>{"trunk/"});
    EXPECT_EQ(g_shell.listContent, ListContent::RemoteTree);
}

TEST(RepositoryFileUrl, EscapesWhatAUrlPathCannotHoldAsItIs) {
    EXPECT_EQ(EncodeUrlPath("trunk/my file é#1%?.txt"), "trunk/my%20file%20%C3%A9%231%25%3F.txt");
    EXPECT_EQ(EncodeUrlPath("A-z_0.9~/"), "A-z_0.9~/");
}

TEST_F(ListActionsTest, FilesAreDownloadedAndOpenedOnlyWhenFetched) {
    Start();
    Click(ExploreRemoteButton);
    ClickRow("trunk/", platform::EventType::DoubleClick);

    ClickRow("my file é#1.txt", platform::EventType::DoubleClick);  // chooser cancelled
    EXPECT_EQ(scripted::Choosers().back().title, "Where should I save file my file é#1.txt ?");
    EXPECT_EQ(scripted::Choosers().back().start, "my file é#1.txt");
    EXPECT_TRUE(BoxTexts().empty());

    scripted::AnswerSaveFile(box / "saved.txt");
    ClickRow("my file é#1.txt", platform::EventType::RightClick);
    scripted::PushMenu(DownloadItem);
    Settle();
    EXPECT_EQ(ReadFile(box / "saved.txt"), "accent\n");

    ClickRow("README", platform::EventType::RightClick);
    scripted::PushMenu(OpenItem);
    Settle();
    EXPECT_EQ(ReadFile(box / "tmp/README"), "read me\n");
    ASSERT_TRUE(WaitForFile(box / "opened.txt"));
    EXPECT_EQ(Opened(), box / "tmp/README\n");

    // A fetch that fails opens nothing, not even the copy left from before.
    std::remove((box / "opened.txt").c_str());
    scripted::Type(UrlField, "file:///no/such/repository/");
    scripted::PushMenu(OpenItem);
    Settle();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Alert: Saving failed"});
    platform::Sleep(300);
    EXPECT_FALSE(platform::IsRegularFile(box / "opened.txt"));
}

}  // namespace
}  // namespace apptest
