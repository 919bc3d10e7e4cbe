// The actions that run beside the loop: the search with its two ways of
// ending, and the two copies with the busy state they hold.
#include <chrono>

#include "app_fixture.h"

namespace apptest {
namespace {

class WorkersTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Repo({{"trunk/a.txt", "a"}, {"trunk/B.TXT", "b"}, {"trunk/docs/c.txt", "c"}});
        prefs["SVNRemoteRepositery"] = url;
        prefs["SVNUsername"] = "ann";
        prefs["SVNPassword"] = "pw";
    }

    // Searching for `pattern` (by Return or the button) until the worker's end is handled.
    void Search(const std::string& pattern, int how = SearchButton) {
        scripted::Type(SearchField, pattern);
        Click(how, how == SearchField ? EventType::Activate : EventType::LeftClick);
        AwaitIdle();
        Settle();
    }

    // The button is back, and every control the search held is enabled.
    static void ExpectSearchEnded() {
        EXPECT_FALSE(g_shell.busy);
        EXPECT_EQ(platform::GetText(SearchButton), "Search");
        EXPECT_FALSE(platform::ControlExists(StopSearchButton));
        EXPECT_TRUE(BusyControlsAre(true));
    }
};

TEST_F(WorkersTest, SearchShowsMatchesAndEndsByItself) {
    Start();
    scripted::Type(SearchField, "\\.txt$");
    Click(SearchButton);
    EXPECT_FALSE(platform::ControlExists(SearchButton));
    EXPECT_EQ(platform::GetText(StopSearchButton), "Stop search");
    AwaitIdle();
    Settle();
    EXPECT_EQ(TreeTexts(), (Texts{"trunk/a.txt", "trunk/docs/c.txt"}));
    ExpectSearchEnded();
    EXPECT_EQ(g_shell.listContent, ListContent::SearchResults);

    // A found line is a file of the repository, addressed by the whole line.
    EXPECT_EQ(MenuFor("trunk/docs/c.txt"), (Items{DownloadItem, OpenItem, HistoryItem, BlameItem}));
    scripted::AnswerSaveFile(box / "found.txt");
    Click(EntryTree, EventType::DoubleClick);
    EXPECT_EQ(scripted::Choosers().back().start, "c.txt");
    EXPECT_EQ(ReadFile(box / "found.txt"), "c");

    // Return in the field searches; a folder found (its "/") offers no file action.
    const size_t choosers = scripted::Choosers().size();
    Search("docs", SearchField);
    EXPECT_EQ(TreeTexts(), (Texts{"trunk/docs/", "trunk/docs/c.txt"}));
    EXPECT_EQ(MenuFor("trunk/docs/"), Items{HistoryItem});
    Click(EntryTree, EventType::DoubleClick);
    EXPECT_EQ(scripted::Choosers().size(), choosers);

    // A path the pattern is too complex for is told, not silently dropped.
    Sh("svn mkdir -q -m m " + ShellQuote(url + "trunk/" + std::string(40, 'a') + "cab"));
    Search("(a+)+b");
    EXPECT_EQ(BoxTexts(), Texts{"Alert: Paths the pattern is too complex to search: 1"});

    // A work copy takes the credentials as typed, the field not left.
    scripted::Type(UserNameField, "bob");
    scripted::Type(PasswordField, "two words");
    Enter(FolderField, box / "wc");
    Click(WorkCopyButton);
    EXPECT_EQ(settings::g_settings.SVNUsername, "bob");
    EXPECT_EQ(settings::g_settings.SVNPassword, "two words");
    AwaitIdle();
}

TEST_F(WorkersTest, StopClickedWhileRowsPourInEndsOnceAndKeepsTheResults) {
    // A listing far longer than the test lets it run, with a complaint the
    // worker shows through the main thread while the stop handling waits.
    MakeScript("svn/bin/svn", "echo complaint >&2\nyes trunk/file.txt | head -n 200000\nsleep 5\n");
    Start();
    Click(SearchButton);
    EXPECT_TRUE(BusyControlsAre(false));
    for (int id : {GoLink, EntryTree, StopSearchButton}) EXPECT_TRUE(platform::IsEnabled(id)) << id;

    RunUntil([] { return platform::TreeCount(EntryTree) > 20000; });
    const auto clicked = std::chrono::steady_clock::now();
    Click(StopSearchButton);  // the worker's own end event follows and is handled too
    EXPECT_LT(std::chrono::steady_clock::now() - clicked, std::chrono::seconds(3));
    Settle();
    const int found = platform::TreeCount(EntryTree);
    EXPECT_GT(found, 0);
    // Rows travel in batches, not one hand-over each.
    EXPECT_LT(scripted::HandOvers(), found / 100);
    EXPECT_EQ(BoxTexts().size(), 1u);
    ExpectSearchEnded();
    Settle();
    EXPECT_EQ(platform::TreeCount(EntryTree), found);  // nothing arrives after the stop
}

TEST_F(WorkersTest, CopiesHoldTheBusyStateUntilTheyEnd) {
    prefs["SVNAuthCache"] = "1";
    WrapClient("sleep 1");  // slow enough to look at
    Start();
    struct Copy {
        int button;
        std::string caption, folder;
    };
    for (const Copy& copy : {Copy{ReadOnlyCopyButton, "Receive a read only repositery copy", "ro"},
                             Copy{WorkCopyButton, "Receive a repositery work copy ", "rw"}}) {
        Enter(FolderField, box / copy.folder);
        Click(copy.button);
        EXPECT_EQ(platform::GetText(copy.button), "Please wait");
        EXPECT_TRUE(BusyControlsAre(false));
        Click(GoLink);  // an event while busy: the credential rule stays off
        EXPECT_FALSE(platform::IsEnabled(WorkCopyButton));

        AwaitIdle();
        EXPECT_EQ(platform::GetText(copy.button), copy.caption);
        // The end of busy enables every control; the rule then takes back only
        // the password field, so the user-name field stays usable.
        for (const auto& c : scripted::Controls())
            EXPECT_TRUE(c.id > 18 || c.enabled == (c.id != PasswordField)) << c.id;
        EXPECT_EQ(g_shell.listContent, ListContent::CopyOutput);
        // Every arrival is a row with the added mark, the closing line a box,
        // and the file manager opens on the new copy.
        const std::string top = copy.folder + "/trunk";  // as the client prints it
        ASSERT_EQ(TreeTexts(),
                  (Texts{top, top + "/B.TXT", top + "/a.txt", top + "/docs", top + "/docs/c.txt"}));
        for (const auto& item : scripted::Tree()) {
            const int folder = item.text == top || item.text == top + "/docs";
            EXPECT_EQ(item.image, StatusIcon("A", folder)) << item.text;
        }
        EXPECT_EQ(BoxTexts(), Texts{"Informations: Copy : Checked out revision 1."});
        scripted::ClearBoxes();
        // (The go link opened the URL first.)
        const std::string folder = box / (copy.folder + "/\n");
        for (int ms = 0; ms < 10000 && ReadFile(box / "opened.txt") != folder; ms += 20)
            platform::Sleep(20);
        EXPECT_EQ(ReadFile(box / "opened.txt"), folder);
        testsupport::Run("rm " + ShellQuote(box / "opened.txt"));
    }
    // The copy's report lines are working-copy entries with their change.
    EXPECT_EQ(MenuFor("rw/trunk"), (Items{StatusItem, DeleteLocalItem}));
    EXPECT_EQ(Captions()[0], "Added");

    // A copy the client refuses says why, opens nothing and still ends.
    platform::SetText(UrlField, "file://" + box / "no-such-repository/");
    Click(UrlField, EventType::Change);
    Enter(FolderField, box / "failed");
    Click(ReadOnlyCopyButton);
    AwaitIdle();
    ExpectClientError();
    EXPECT_TRUE(TreeTexts().empty());
    EXPECT_EQ(platform::GetText(ReadOnlyCopyButton), "Receive a read only repositery copy");
    platform::Sleep(200);
    EXPECT_FALSE(platform::IsRegularFile(box / "opened.txt"));
}

}  // namespace
}  // namespace apptest
