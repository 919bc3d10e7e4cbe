// The windows of their own: History, Changes and Blame, opened from the
// pop-up menu on real repositories and working copies.
#include "app/diff_style.h"
#include "app_fixture.h"

namespace apptest {
namespace {

using platform::TextStyle;

class HistoryTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Repo({{"README", "v1\n"}, {"src/", ""}});
        // Revision properties may change: the anonymous commit below.
        MakeScript("repo/hooks/pre-revprop-change", "exit 0\n");
        prefs["SVNRemoteRepositery"] = url;
    }

    // Commits `text` as README's content, by `author`, with `message`.
    void Commit(const std::string& text, const std::string& author, const std::string& message) {
        WriteFile(box / "put.txt", text);
        Mucc("--username " + ShellQuote(author) + " -m " + ShellQuote(message) + " put " +
             At("put.txt") + " README");
    }

    void Mucc(const std::string& args) {
        std::string out;
        ASSERT_EQ(testsupport::Run("svnmucc -U " + ShellQuote(url) + " " + args, &out), 0) << out;
    }

    void MenuOnRemote(const std::string& name, int item) {
        Click(ExploreRemoteButton);
        MenuOn(name, item);
    }
};

TEST_F(HistoryTest, PagesFilterDetailsAndTheChangesOfARevision) {
    for (int i = 2; i <= 53; ++i)
        Commit("v" + std::to_string(i) + "\n", "ann", "Change " + std::to_string(i));
    Commit("v54\n", "Zoë", "Fix <b> & ]]> for Ünïcode\nsecond line");
    Commit("v55\n", "bob", "");
    Sh("svn propdel -q --revprop -r 55 svn:author " + ShellQuote(url));
    Mucc("-m copied cp HEAD README copy.txt");
    Start();
    MenuOnRemote("README", HistoryItem);
    const int window = OwnWindow("History of README");
    ASSERT_GT(window, 0);
    AwaitStatus(HistoryStatus);
    Rows rows = scripted::ListRows(HistoryList);
    ASSERT_EQ(rows.size(), 50u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"55", "(no author)", rows[0][2], "(no message)"}));
    EXPECT_EQ(rows[1][1], "Zoë");
    EXPECT_EQ(rows[1][3], "Fix <b> & ]]> for Ünïcode");
    EXPECT_EQ(rows[1][2].size(), 16u);  // YYYY-MM-DD HH:MM
    EXPECT_EQ(rows[49][0], "6");
    EXPECT_TRUE(platform::IsEnabled(HistoryMoreButton));
    EXPECT_FALSE(platform::IsEnabled(HistoryChangesButton));  // nothing selected

    // The main window stays live meanwhile.
    Click(ExploreRemoteButton);
    EXPECT_EQ(TreeTexts(), (Texts{"src/", "copy.txt", "README"}));

    Click(HistoryMoreButton);
    AwaitStatus(HistoryStatus);
    rows = scripted::ListRows(HistoryList);
    ASSERT_EQ(rows.size(), 55u);
    EXPECT_EQ(rows.back()[0], "1");
    EXPECT_FALSE(platform::IsEnabled(HistoryMoreButton));  // exhausted
    EXPECT_EQ(platform::GetText(HistoryStatus), "55 revisions");

    scripted::SelectListRow(HistoryList, 1);
    Settle();
    EXPECT_TRUE(platform::IsEnabled(HistoryChangesButton));
    EXPECT_EQ(platform::GetText(HistoryDetails),
              "Fix <b> & ]]> for Ünïcode\nsecond line\n\nM /README\n");
    // The filter ignores case, keeps the selection it still shows, and reads
    // authors, messages and paths.
    for (const auto& [filter, count] : std::vector<std::pair<std::string, size_t>>{
             {"ünï", 1}, {"ZOË", 1}, {"change 1", 10}, {"/readme", 55}, {"nothing", 0}, {"", 55}}) {
        scripted::Type(HistoryFilterField, filter);
        Settle();
        EXPECT_EQ(scripted::ListRows(HistoryList).size(), count) << filter;
    }
    scripted::SelectListRow(HistoryList, 1);
    scripted::Type(HistoryFilterField, "ZOË");
    Settle();
    EXPECT_EQ(platform::ListSelectedRow(HistoryList), 0);

    // Return on a revision: what it changed.
    Click(HistoryList, EventType::DoubleClick);
    const int changes = OwnWindow("Changes to README, r54");
    ASSERT_GT(changes, 0);
    AwaitStatus(ChangesStatus);
    const auto runs = scripted::TextRuns(ChangesText);
    ASSERT_GE(runs.size(), 3u);
    EXPECT_EQ(runs[runs.size() - 2].text, "-v53\n");
    EXPECT_EQ(runs[runs.size() - 2].style, TextStyle::Removed);
    EXPECT_EQ(runs.back().text, "+v54\n");
    EXPECT_EQ(runs.back().style, TextStyle::Added);

    // One History window: asking again shows the new target in it.
    MenuOnRemote("copy.txt", HistoryItem);
    EXPECT_EQ(OwnWindow("History of copy.txt"), window);
    AwaitStatus(HistoryStatus);
    scripted::SelectListRow(HistoryList, 0);
    Settle();
    EXPECT_EQ(platform::GetText(HistoryDetails), "copied\n\nA /copy.txt from /README@55\n");
    scripted::PushClose(window);
    Settle();
    EXPECT_EQ(OwnWindow("History of copy.txt"), -1);
    EXPECT_GT(OwnWindow("Changes to README, r54"), 0);
}

TEST_F(HistoryTest, LocalChangesBlameFailuresAndASlowClientClosed) {
    Commit("one\ntwo\nthree\n", "ann", "three lines");
    Commit("one\n2\nthree\n", "bob", "second line\nchanged");
    testsupport::Checkout(url, box / "wc");
    WriteFile(box / "wc/README", "one\n2\n--- three\n");
    Start();
    Click(ExploreLocalButton);
    MenuOn("README", ChangesItem);
    ASSERT_GT(OwnWindow("Changes to README"), 0);
    AwaitStatus(ChangesStatus);
    const std::string text = platform::GetText(ChangesText);
    EXPECT_NE(text.find("-three\n+--- three\n"), std::string::npos) << text;
    EXPECT_EQ(scripted::TextRuns(ChangesText).back().style, TextStyle::Added);

    MenuOn("README", BlameItem);
    ASSERT_GT(OwnWindow("Blame of README"), 0);
    AwaitStatus(BlameStatus);
    EXPECT_EQ(scripted::ListRows(BlameList),
              (Rows{{"1", "2", "ann", "one"}, {"2", "3", "bob", "2"}, {"3", "2", "ann", "three"}}));
    scripted::SelectListRow(BlameList, 1);
    Settle();
    const std::string message = platform::GetText(BlameMessage);
    EXPECT_EQ(message.substr(0, 8), "r3  bob ");
    EXPECT_TRUE(message.ends_with("\n\nsecond line\nchanged")) << message;

    // Failures show the client's words.
    ClickRow("README", EventType::RightClick);
    Sh("rm -rf " + At("wc/.svn"));  // no working copy any more
    Menu(HistoryItem);
    AwaitStatus(HistoryStatus);
    EXPECT_EQ(platform::GetText(HistoryStatus), "The Subversion client reported an error:");
    EXPECT_NE(platform::GetText(HistoryDetails).find("svn: E"), std::string::npos);
    EXPECT_TRUE(scripted::ListRows(HistoryList).empty());
    EXPECT_FALSE(platform::IsEnabled(HistoryMoreButton));

    Click(ExploreRemoteButton);
    ClickRow("README", EventType::RightClick);
    WrapClient("exec sleep 29.5");  // a length no other test uses
    Menu(HistoryItem);
    const auto started = std::chrono::steady_clock::now();
    scripted::PushClose(OwnWindow("History of README"));
    Settle();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(OwnWindow("History of README"), -1);
    EXPECT_EQ(Sh("pgrep -f 'slee[p] 29.5' || true"), "");

    // The program's end ends every window's client with it.
    for (int item : {HistoryItem, BlameItem}) MenuOn("README", item);
    Stop();
    EXPECT_EQ(Sh("sleep 0.5; pgrep -f 'slee[p] 29.5' || true"), "");
}

// Each line's style after the lines before it.
TEST(DiffStyle, HunkBodiesAreCountedFromTheirHeaders) {
    const std::vector<std::pair<std::string, TextStyle>> diff{
        {"Index: a.txt", TextStyle::Heading},
        {"===================================================================", TextStyle::Heading},
        {"--- a.txt\t(revision 1)", TextStyle::Heading},
        {"+++ a.txt\t(working copy)", TextStyle::Heading},
        {"@@ -1,3 +1,3 @@", TextStyle::Heading},
        {" same", TextStyle::Plain},
        {"--- removed line that looks like a header", TextStyle::Removed},
        {"+++ added line that looks like a header", TextStyle::Added},
        {"", TextStyle::Plain},
        {"\\ No newline at end of file", TextStyle::Plain},
        {"--- b.txt", TextStyle::Heading},  // the hunk is whole: a header again
        {"@@ -0,0 +1 @@", TextStyle::Heading},
        {"+only", TextStyle::Added},
        {"+past the count", TextStyle::Plain},
        {"Property changes on: b.txt", TextStyle::Heading},
        {"## -0,0 +1 ##", TextStyle::Heading},
        {"+native", TextStyle::Added},
        {"Cannot display: file marked as a binary type.", TextStyle::Plain},
    };
    DiffStyler styler;
    for (const auto& [line, style] : diff) EXPECT_EQ(styler.Style(line), style) << line;
}

}  // namespace
}  // namespace apptest
