// The commit window, Undo's question and the conflict choices, on real
// working copies, with a client that notes each command line it is given.
#include <sys/stat.h>

#include "app/entry_tree.h"
#include "app_fixture.h"
#include "settings/message_history.h"

namespace apptest {
namespace {

using namespace app;
using Rows = std::vector<std::vector<std::string>>;

class CommitTest : public AppTest {
protected:
    std::string url;

    void SetUp() override {
        AppTest::SetUp();
        prefs["SVNAuthCache"] = "1";
        url = testsupport::MakeRepository(
            box / "repo", {{"a.txt", "a\n"}, {"b.txt", "b\n"}, {"gone.txt", "g\n"}});
        testsupport::Checkout(url, box / "wc");
        // Each command line, one argument a line, and after --targets or -F
        // the file's lines as the client reads them.
        std::string svn;
        testsupport::Run("command -v svn", &svn);
        svn.erase(svn.find_last_not_of('\n') + 1);
        const std::string log = ShellQuote(box / "calls.txt");
        MakeScript("svn/bin/svn",
                   "echo -- >> " + log + "\nprev=\nfor a in \"$@\"; do echo \"$a\" >> " + log +
                       "; case \"$prev\" in --targets|-F) awk '{print \"> \" $0}' \"$a\" >> " +
                       log + ";; esac; prev=$a; done\nexec " + svn + " \"$@\"\n");
    }

    // The command lines noted since the last call that start with `command`.
    Texts Calls(const std::string& command) {
        Texts out;
        std::string all = ReadFile(box / "calls.txt");
        testsupport::WriteFile(box / "calls.txt", "");
        for (size_t at = 0; (at = all.find("--\n", at)) != std::string::npos;) {
            const size_t end = all.find("\n--\n", at + 3);
            std::string call =
                all.substr(at + 3, end == std::string::npos ? std::string::npos : end - at - 2);
            if (call.rfind(command + "\n", 0) == 0) out.push_back(call);
            at += 3;
        }
        return out;
    }

    // Opens the commit window and lets `user` act in it.
    void SendUpdate(std::function<void()> user) {
        scripted::OnDialogOpened([user](int) { user(); });
        Click(SendUpdateButton);
    }
};

TEST_F(CommitTest, TheWindowListsWhatGoesAndTheCommitTakesWhatIsTicked) {
    WriteFile(box / "wc/a.txt", "a2\n");
    WriteFile(box / "wc/b.txt", "b2\n");
    WriteFile(box / "wc/new file.txt", "new\n");
    WriteFile(box / "wc/x.o", "ignored\n");
    Start();
    Rows rows;
    std::string summary, proposed;
    SendUpdate([&] {
        RunUntil([] { return scripted::ListRows(CommitList).size() == 3; });
        rows = scripted::ListRows(CommitList);
        summary = platform::GetText(CommitSummary);
        proposed = platform::GetText(CommitMessage);
        scripted::PushClick(CommitOk);
    });
    EXPECT_EQ(rows, (Rows{{"1", "Modified", "a.txt"},
                          {"1", "Modified", "b.txt"},
                          {"0", "Non Versionned", "new file.txt"}}));
    EXPECT_EQ(summary, "2 changes, 1 unversioned");
    // All that changed, nothing new, one line: today's command, whole.
    const Texts commits = Calls("commit");
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0].substr(0, commits[0].find("--non-interactive")),
              "commit\n-m\n" + proposed + "\n--force-log\n");
    EXPECT_EQ(TreeTexts().back(), "Committed revision 2.");

    // One change left out, the new file in, two lines.
    WriteFile(box / "wc/a.txt", "a3\n");
    WriteFile(box / "wc/b.txt", "b3\n");
    SendUpdate([&] {
        RunUntil([] { return scripted::ListRows(CommitList).size() == 3; });
        scripted::ToggleListTick(CommitList, 1, 0);  // b.txt
        scripted::ToggleListTick(CommitList, 2, 0);  // new file.txt
        platform::SetText(CommitMessage, "first line\nsecond line");
        scripted::PushClick(CommitMessage, platform::EventType::Activate);  // Ctrl+Return
    });
    // The list and the message go in files the client reads whole.
    const std::string all = ReadFile(box / "calls.txt");
    const Texts adds = Calls("add");
    ASSERT_EQ(adds.size(), 1u) << all;
    EXPECT_EQ(adds[0].rfind("add\n--targets\n", 0), 0u) << adds[0];
    EXPECT_NE(adds[0].find("\n> " + (box / "wc/new file.txt")), std::string::npos) << adds[0];
    const size_t at = all.find("commit\n--targets\n");
    ASSERT_NE(at, std::string::npos) << all;
    const std::string commit = all.substr(at, all.find("--non-interactive", at) - at);
    for (const char* part :
         {"\n> a.txt@\n> new file.txt@\n-F\n", "\n> first line\n> second line\n--force-log\n"})
        EXPECT_NE(commit.find(part), std::string::npos) << commit;
    std::string log;
    testsupport::Run("svn log -v -r 3 " + ShellQuote(url), &log);
    EXPECT_NE(log.find("first line\nsecond line"), std::string::npos) << log;
    EXPECT_NE(log.find("A /new file.txt"), std::string::npos) << log;
    EXPECT_NE(log.find("M /a.txt"), std::string::npos) << log;
    EXPECT_EQ(log.find("/b.txt"), std::string::npos) << log;
    std::string left;
    testsupport::Run("ls -A " + ShellQuote(box / "tmp"), &left);
    EXPECT_EQ(left, "");  // the list and message files are gone
}

TEST_F(CommitTest, MessagesAreKeptAndAFailedOneComesBack) {
    WriteFile(box / "wc/a.txt", "a2\n");
    MakeScript("repo/hooks/pre-commit", "echo refused by the hook >&2\nexit 1\n");
    Start();
    SendUpdate([&] {
        platform::SetText(CommitMessage, "kept after failing");
        scripted::PushClick(CommitOk);
    });
    EXPECT_NE(BoxTexts().back().find("refused by the hook"), std::string::npos);
    testsupport::Run("rm " + ShellQuote(box / "repo/hooks/pre-commit"));
    std::string offered;
    SendUpdate([&] {
        offered = platform::GetText(CommitMessage);
        scripted::PushClick(CommitOk);
    });
    EXPECT_EQ(offered, "kept after failing");
    EXPECT_EQ(settings::LoadMessages(), Texts{"kept after failing"});

    // The drop-down offers them newest first; a pick replaces the message.
    WriteFile(box / "wc/a.txt", "a3\n");
    Rows recent;
    std::string picked;
    SendUpdate([&] {
        recent = scripted::ListRows(CommitRecent);
        scripted::SelectListRow(CommitRecent, 0);
        platform::RunOnMainThread([&] {
            picked = platform::GetText(CommitMessage);
            scripted::PushClick(CommitCancel);
        });
    });
    EXPECT_EQ(recent, Rows{{"kept after failing"}});
    EXPECT_EQ(picked, "kept after failing");

    // Nothing changed: a box says so, no window opens.
    testsupport::Run("svn revert -q " + ShellQuote(box / "wc/a.txt"));
    const size_t windows = scripted::Dialogs().size();
    scripted::ClearBoxes();
    Click(SendUpdateButton);
    EXPECT_EQ(BoxTexts(), Texts{"Informations: There is nothing to commit."});
    EXPECT_EQ(scripted::Dialogs().size(), windows);
}

TEST_F(CommitTest, UndoAsksFirstAndConflictsAreSettledEitherWay) {
    WriteFile(box / "wc/a.txt", "mine\n");
    Start();
    Click(ExploreLocalButton);
    ClickRow("a.txt", EventType::RightClick);
    Menu(UndoItem);  // answered No
    EXPECT_EQ(ReadFile(box / "wc/a.txt"), "mine\n");
    ASSERT_EQ(scripted::Boxes().size(), 1u);
    EXPECT_EQ(scripted::Boxes()[0].text, "Undo your changes to a.txt? They will be lost.");
    EXPECT_TRUE(scripted::Boxes()[0].noByDefault);
    scripted::AnswerYesNo(true);
    Menu(UndoItem);
    EXPECT_EQ(ReadFile(box / "wc/a.txt"), "a\n");
    ClickRow("b.txt", EventType::RightClick);  // nothing to lose: no question
    scripted::ClearBoxes();
    Menu(UndoItem);
    EXPECT_TRUE(BoxTexts().empty());

    // A text conflict: mine or theirs, whole.
    for (const auto& [item, kept] :
         {std::pair{KeepMineItem, "mine b\n"}, std::pair{TakeTheirsItem, "theirs 2\n"}}) {
        testsupport::Run("rm -rf " + ShellQuote(box / "other"));
        testsupport::Checkout(url, box / "other");
        WriteFile(box / "other/b.txt", item == KeepMineItem ? "theirs 1\n" : "theirs 2\n");
        testsupport::Run("svn commit -q -m theirs " + ShellQuote(box / "other"));
        WriteFile(box / "wc/b.txt", "mine b\n");
        testsupport::Run("svn update -q --accept postpone " + ShellQuote(box / "wc"));
        Click(ExploreLocalButton);
        ClickRow("b.txt", EventType::RightClick);
        Texts captions;
        for (const auto& m : scripted::LastMenu()) captions.push_back(m.caption);
        EXPECT_EQ(captions, (Texts{"Conflicted", "Add", "Undo", "Keep mine", "Take theirs",
                                   "Resolved", "Delete", "History…", "Changes…", "Blame…"}));
        Menu(item);
        EXPECT_EQ(ReadFile(box / "wc/b.txt"), kept);
        g_entries.MakeCurrent(RowOf("b.txt"));
        EXPECT_EQ(g_entries.Current()->status, std::string(item == KeepMineItem ? "M" : ""));
        testsupport::Run("svn revert -q " + ShellQuote(box / "wc/b.txt"));
    }

    // A tree conflict: the status item says what happened; only Resolved.
    testsupport::Run("svn rm -q -m gone " + ShellQuote(url + "gone.txt"));
    WriteFile(box / "wc/gone.txt", "edited\n");
    testsupport::Run("svn update -q --accept postpone " + ShellQuote(box / "wc"));
    Click(ExploreLocalButton);
    ClickRow("gone.txt", EventType::RightClick);
    Texts captions;
    for (const auto& m : scripted::LastMenu()) captions.push_back(m.caption);
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions[0], "Tree conflict: local edit, incoming delete upon update");
    EXPECT_EQ(std::count(captions.begin(), captions.end(), "Keep mine"), 0);
    EXPECT_EQ(std::count(captions.begin(), captions.end(), "Resolved"), 1);

    // The conflict can't be sent; what can goes without it.
    WriteFile(box / "wc/a.txt", "sent beside a conflict\n");
    SendUpdate([] { scripted::PushClick(CommitOk); });
    ASSERT_FALSE(TreeTexts().empty());
    EXPECT_EQ(TreeTexts().back().rfind("Committed revision", 0), 0u) << TreeTexts().back();
}

TEST_F(CommitTest, UndoOnAFolderListsWhatGoes) {
    testsupport::MakeDirs(box / "wc/many");
    for (int i = 0; i < 32; ++i) WriteFile(box / ("wc/many/f" + std::to_string(100 + i)), "x\n");
    testsupport::Run("svn add -q " + ShellQuote(box / "wc/many"));
    testsupport::Run("svn commit -q -m many " + ShellQuote(box / "wc"));
    for (int i = 0; i < 32; ++i) WriteFile(box / ("wc/many/f" + std::to_string(100 + i)), "y\n");
    Start();
    Click(ExploreLocalButton);
    ClickRow("many", EventType::RightClick);
    Menu(UndoItem);
    ASSERT_EQ(scripted::Boxes().size(), 1u);
    const std::string text = scripted::Boxes()[0].text;
    EXPECT_EQ(text.substr(0, text.find('\n')), "Undo your changes to many? They will be lost.");
    EXPECT_NE(text.find("\nModified  f100\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("f130"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("\nand 2 more")) << text;
}

}  // namespace
}  // namespace apptest
