// Double clicks, the pop-up menu and its commands on the entry tree, against
// a real repository (on file:// or from Apache httpd with mod_dav_svn on
// loopback) and working copy.
#include "app/repository_files.h"
#include "app_fixture.h"
#include "support/servers.h"

namespace apptest {
namespace {

constexpr auto kDouble = EventType::DoubleClick;

class EntryTreeTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        prefs["SVNUsername"] = "ann";
        prefs["SVNPassword"] = "pw";
        testsupport::MakeDirs(box / "httpd");
    }

    void FileRepo() {
        Repo({{"branches/", ""},
              {"trunk/README", "read me\n"},
              {"trunk/src/main.c", "int main;\n"},
              {"trunk/my file é#1.txt", "accent\n"}});
        prefs["SVNRemoteRepositery"] = url;
    }

    // Saves `name` (by double click, or by `item`) as saved.txt, then opens
    // `opened` from the menu: both with the repository's text, and no box.
    void SaveAndOpen(const std::string& name, int item, const std::string& text,
                     const std::string& opened, const std::string& openedText) {
        scripted::AnswerSaveFile(box / "saved.txt");
        item ? MenuOn(name, item) : ClickRow(name, kDouble);
        EXPECT_EQ(ReadFile(box / "saved.txt"), text);
        MenuOn(opened, OpenItem);
        EXPECT_EQ(ReadFile(box / ("run/vellum/" + opened)), openedText);
        ASSERT_TRUE(WaitForFile(box / "opened.txt"));
        EXPECT_EQ(ReadFile(box / "opened.txt"), box / ("run/vellum/" + opened + "\n"));
        EXPECT_EQ(BoxTexts(), Texts{});
    }

    // A fetch that fails leaves the user's file as it was.
    void ExpectFetchFails(const std::string& path) {
        WriteFile(box / "mine.txt", "mine\n");
        EXPECT_FALSE(DownloadFile(path, box / "mine.txt"));
        EXPECT_EQ(ReadFile(box / "mine.txt"), "mine\n");
    }
};

TEST_F(EntryTreeTest, TreesExpandAndTheMenuActsOnTheWorkingCopy) {
    FileRepo();
    testsupport::Checkout(url, box / "wc");
    Write({{"wc/trunk/README", "changed\n"}, {"wc/new.txt", "new\n"}});
    Start();
    Click(ExploreRemoteButton);
    EXPECT_EQ(TreeTexts(), (Texts{"branches/", "trunk/"}));
    ClickRow("trunk/", kDouble);
    ClickRow("src/", kDouble);
    const Texts remote{"branches/", "trunk/", "src/", "main.c", "my file é#1.txt", "README"};
    EXPECT_EQ(TreeTexts(), remote);
    EXPECT_EQ(scripted::SelectedRow(), 2);
    EXPECT_EQ(platform::GetText(ExploreRemoteButton), "Explore remote repositery");
    // An expanded folder is not listed again.
    Sh("svn mkdir -q -m new " + ShellQuote(url + "trunk/late"));
    ClickRow("trunk/", kDouble);
    EXPECT_EQ(TreeTexts(), remote);

    // Remote menus by kind, with and without a password to write with.
    EXPECT_EQ(MenuFor("README"), (Items{DownloadItem, OpenItem, CreateDirectoryItem,
                                        DeleteRemoteItem, HistoryItem, BlameItem}));
    EXPECT_EQ(MenuFor("trunk/"), (Items{CreateDirectoryItem, DeleteRemoteItem, HistoryItem}));
    Enter(PasswordField, "");
    EXPECT_EQ(MenuFor("README"), (Items{DownloadItem, OpenItem, HistoryItem, BlameItem}));
    EXPECT_EQ(MenuFor("trunk/"), Items{HistoryItem});
    // A click on empty space selects nothing and does nothing.
    const int shown = scripted::MenusShown();
    platform::TreeSelect(EntryTree, -1);
    Click(EntryTree, EventType::RightClick);
    Click(EntryTree, kDouble);
    EXPECT_EQ(scripted::MenusShown(), shown);

    Click(ExploreLocalButton);
    ClickRow("trunk", kDouble);
    ClickRow("src", kDouble);
    EXPECT_EQ(TreeTexts(), (Texts{"branches", "trunk", "src", "main.c", "my file é#1.txt", "README",
                                  "new.txt"}));
    EXPECT_EQ(platform::GetText(ExploreLocalButton), "Explore local repositery");
    // Local menus by status: no status, no description; unchanged, nothing to diff.
    const std::pair<const char*, Items> menus[] = {
        {"README",
         {StatusItem, AddItem, UndoItem, DeleteLocalItem, HistoryItem, ChangesItem, BlameItem}},
        {"src", {DeleteLocalItem, HistoryItem}},
        {"main.c", {DeleteLocalItem, HistoryItem, BlameItem}},
        {"new.txt", {StatusItem, AddItem, UndoItem, DeleteLocalItem}}};
    for (const auto& [name, items] : menus) EXPECT_EQ(MenuFor(name), items) << name;
    MenuFor("README");
    EXPECT_EQ(Captions()[0], "Modified");
    EXPECT_FALSE(scripted::LastMenu().front().enabled);
    EXPECT_EQ(Captions()[4], "History…");
    EXPECT_TRUE(BoxTexts().empty());

    EXPECT_EQ(StatusOf("new.txt"), "?");
    MenuOn("new.txt", AddItem);
    EXPECT_EQ(StatusOf("new.txt"), "A");
    EXPECT_EQ(scripted::SelectedRow(), RowOf("new.txt"));
    Menu(UndoItem);
    EXPECT_EQ(StatusOf("new.txt"), "?");
    MenuOn("branches", DeleteLocalItem);  // answered No
    EXPECT_EQ(StatusOf("branches"), "");
    scripted::AnswerYesNo(true);
    Menu(DeleteLocalItem);
    EXPECT_EQ(StatusOf("branches"), "D");
    EXPECT_EQ(BoxTexts(), Texts(2, "Deletion: Are you sure to want to delete this item ?"));

    // Deleted entries, gone from the disk, keep their rows on the next
    // exploration, as folder or file, and Undo brings them back.
    scripted::AnswerYesNo(true);
    MenuOn("main.c", DeleteLocalItem);
    Click(ExploreLocalButton);
    ClickRow("trunk", kDouble);
    ClickRow("src", kDouble);
    EXPECT_EQ(StatusOf("main.c"), "D");
    EXPECT_EQ(platform::TreeValue(EntryTree, RowOf("branches")), 1);
    EXPECT_EQ(platform::TreeValue(EntryTree, RowOf("main.c")), 0);
    MenuOn("main.c", UndoItem);
    EXPECT_EQ(StatusOf("main.c"), "");
    EXPECT_EQ(ReadFile(box / "wc/trunk/src/main.c"), "int main;\n");
}

TEST_F(EntryTreeTest, RepositoryFilesAndFoldersFromTheMenu) {
    FileRepo();
    Start();
    Click(ExploreRemoteButton);
    ClickRow("trunk/", kDouble);
    ClickRow("my file é#1.txt", kDouble);  // chooser cancelled
    EXPECT_EQ(scripted::Choosers().back().title, "Where should I save file my file é#1.txt ?");
    EXPECT_EQ(scripted::Choosers().back().start, "my file é#1.txt");
    SaveAndOpen("my file é#1.txt", DownloadItem, "accent\n", "README", "read me\n");
    EXPECT_EQ(Sh("stat -c %a " + At("run/vellum")), "700\n");

    // A failed fetch leaves nothing beside the user's file.
    ExpectFetchFails("trunk/gone.txt");
    EXPECT_EQ(Sh("ls " + At("") + " | grep part"), "");
    // Someone else's link where the private folder goes: nothing is written.
    scripted::ClearBoxes();
    testsupport::MakeDirs(box / "shared/elsewhere");
    Sh("ln -s elsewhere " + At("shared/vellum"));
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
    EXPECT_NE(Sh("svn ls " + ShellQuote(url + "trunk/")).find("abc/"), std::string::npos);
    EXPECT_NE(Sh("svn log -l 1 " + ShellQuote(url)).find("Directory abc created"),
              std::string::npos);
    EXPECT_EQ(TreeTexts()[RowOf("trunk/") + 1], "abc/");
    EXPECT_EQ(scripted::SelectedRow(), RowOf("trunk/"));

    // Depth 2: only its folder is listed again; the rest stays expanded.
    ClickRow("src/", kDouble);
    scripted::AnswerYesNo(true);
    MenuOn("main.c", DeleteRemoteItem);
    EXPECT_EQ(Sh("svn ls " + ShellQuote(url + "trunk/src/")), "");
    EXPECT_EQ(TreeTexts(),
              (Texts{"branches/", "trunk/", "abc/", "src/", "my file é#1.txt", "README"}));
    EXPECT_EQ(scripted::SelectedRow(), RowOf("src/"));
    const std::string log = Sh("svn log -l 1 " + ShellQuote(url));
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

// Over http:// the file comes by a URL fetch, whatever its name; the URL as
// users often type it, without its final "/".
TEST_F(EntryTreeTest, HttpFilesAreSavedAndOpenedWhateverTheirNames) {
    Repo({{"docs/readme.txt", "read me\n"}, {"docs/my file é#%?.txt", "odd name\n"}});
    testsupport::HttpdServer httpd(box / "httpd", box / "repo");
    ASSERT_TRUE(httpd.Running()) << ReadFile(box / "httpd/error.log");
    prefs["SVNRemoteRepositery"] = httpd.Url().substr(0, httpd.Url().size() - 1);
    Start();
    Click(ExploreRemoteButton);
    ClickRow("docs/", kDouble);
    ASSERT_EQ(TreeTexts(), (Texts{"docs/", "my file é#%?.txt", "readme.txt"}));
    SaveAndOpen("my file é#%?.txt", 0, "odd name\n", "readme.txt", "read me\n");
    // An HTTP error is a saving failure.
    ExpectFetchFails("docs/gone.txt");
    EXPECT_EQ(BoxTexts(), Texts{"Alert: Saving failed"});
}

// The URL fetch sends no credentials; a refused one goes through the client,
// which does: whatever the user can list, they can save, and a refusal says why.
TEST_F(EntryTreeTest, ProtectedHttpFilesComeWithTheCredentials) {
    Repo({{"docs/readme.txt", "read me\n"}});
    testsupport::HttpdServer httpd(box / "httpd", box / "repo", "alice", "s3cret");
    ASSERT_TRUE(httpd.Running()) << ReadFile(box / "httpd/error.log");
    prefs["SVNRemoteRepositery"] = httpd.Url();
    prefs["SVNUsername"] = "alice";
    prefs["SVNPassword"] = "s3cret";
    Start();
    Click(ExploreRemoteButton);
    ClickRow("docs/", kDouble);
    SaveAndOpen("readme.txt", 0, "read me\n", "readme.txt", "read me\n");

    settings::g_settings.SVNPassword = "wrong";
    ExpectFetchFails("docs/readme.txt");
    const Texts boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "Alert: Saving failed");
    EXPECT_NE(boxes[1].find("svn: E"), std::string::npos) << boxes[1];
}

}  // namespace
}  // namespace apptest
