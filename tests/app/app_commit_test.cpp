// The commit window, Receive update, Undo's question and the conflict choices,
// on real working copies, with a client that notes each command line it is given.
#include <ctime>

#include "app_fixture.h"
#include "settings/message_history.h"

namespace apptest {
namespace {

class CommitTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        prefs["SVNAuthCache"] = "1";  // every button usable without typed credentials
        Repo({{"a.txt", "a\n"}, {"b.txt", "b\n"}, {"gone.txt", "g\n"}}, true);
        // Each command line, one argument a line, and after --targets or -F
        // the file's lines as the client reads them.
        const std::string log = At("calls.txt");
        WrapClient("echo -- >> " + log + "\nprev=\nfor a in \"$@\"; do echo \"$a\" >> " + log +
                   "; case \"$prev\" in --targets|-F) awk '{print \"> \" $0}' \"$a\" >> " + log +
                   ";; esac; prev=$a; done");
    }

    // The command lines noted so far that start with `command`, each up to
    // its --non-interactive.
    Texts Calls(const std::string& command) {
        Texts out;
        const std::string all = "\n" + ReadFile(box / "calls.txt");
        const std::string start = "\n--\n" + command + "\n";
        for (size_t at = 0; (at = all.find(start, at)) != std::string::npos; at += 4)
            out.push_back(all.substr(at + 4, all.find("--non-interactive", at) - at - 4));
        return out;
    }
};

TEST_F(CommitTest, TheWindowProposesListsAndSendsWhatIsTicked) {
    Write({{"wc/a.txt", "a2\n"},
           {"wc/b.txt", "b2\n"},
           {"wc/new file.txt", "new\n"},
           {"wc/x.o", "ignored\n"}});
    Start();
    // The proposed comment counts local time as if it were UTC.
    testsupport::ScopedEnv zone("TZ", "XYZ-3");  // three hours east of UTC
    tzset();
    std::string proposed;
    SendUpdate([&] {
        proposed = platform::GetText(CommitMessage);
        scripted::PushClick(CommitCancel);
    });
    const long long expected = static_cast<long long>(std::time(nullptr)) + 3 * 3600;
    ASSERT_TRUE(proposed.starts_with("Update ")) << proposed;
    EXPECT_NEAR(std::stoll(proposed.substr(7)), expected, 5);
    EXPECT_EQ(BoxTexts(), Texts{"Alert: Canceled"});
    EXPECT_TRUE(TreeTexts().empty());

    Rows rows;
    std::string summary;
    SendUpdate([&] {
        RunUntil([] { return scripted::ListRows(CommitList).size() == 3; });
        rows = scripted::ListRows(CommitList);
        summary = platform::GetText(CommitSummary);
        scripted::Type(CommitMessage, "fix the greeting");
        scripted::PushClick(CommitOk);
    });
    EXPECT_EQ(rows, (Rows{{"1", "Modified", "a.txt"},
                          {"1", "Modified", "b.txt"},
                          {"0", "Non Versionned", "new file.txt"}}));
    EXPECT_EQ(summary, "2 changes, 1 unversioned");
    // All that changed, nothing new, one line: today's command, whole.
    EXPECT_EQ(Calls("commit"), Texts{"commit\n-m\nfix the greeting\n--force-log\n"});
    ASSERT_FALSE(TreeTexts().empty());
    EXPECT_EQ(TreeTexts().back(), "Committed revision 2.");
    EXPECT_EQ(platform::GetText(SendUpdateButton), "Send update");
    EXPECT_EQ(g_shell.listContent, ListContent::None);

    // One change left out, the new file in, two lines.
    Write({{"calls.txt", ""}, {"wc/a.txt", "a3\n"}, {"wc/b.txt", "b3\n"}});
    SendUpdate([&] {
        RunUntil([] { return scripted::ListRows(CommitList).size() == 3; });
        scripted::ToggleListTick(CommitList, 1, 0);  // b.txt
        scripted::ToggleListTick(CommitList, 2, 0);  // new file.txt
        platform::SetText(CommitMessage, "first line\nsecond line");
        scripted::PushClick(CommitMessage, platform::EventType::Activate);  // Ctrl+Return
    });
    // The list and the message go in files the client reads whole.
    const Texts adds = Calls("add"), commits = Calls("commit");
    ASSERT_EQ(adds.size(), 1u);
    EXPECT_TRUE(adds[0].starts_with("add\n--targets\n")) << adds[0];
    EXPECT_NE(adds[0].find("\n> " + (box / "wc/new file.txt")), std::string::npos) << adds[0];
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_TRUE(commits[0].starts_with("commit\n--targets\n")) << commits[0];
    for (const char* part :
         {"\n> a.txt@\n> new file.txt@\n-F\n", "\n> first line\n> second line\n--force-log\n"})
        EXPECT_NE(commits[0].find(part), std::string::npos) << commits[0];
    const std::string log = Sh("svn log -v -r 3 " + ShellQuote(url));
    for (const char* part : {"first line\nsecond line", "A /new file.txt", "M /a.txt"})
        EXPECT_NE(log.find(part), std::string::npos) << log;
    EXPECT_EQ(log.find("/b.txt"), std::string::npos) << log;
    EXPECT_EQ(Sh("ls -A " + At("tmp")), "");  // the list and message files are gone
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
    Sh("rm " + At("repo/hooks/pre-commit"));
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
    Sh("svn revert -q " + At("wc/a.txt"));
    const size_t windows = scripted::Dialogs().size();
    scripted::ClearBoxes();
    Click(SendUpdateButton);
    EXPECT_EQ(BoxTexts(), Texts{"Informations: There is nothing to commit."});
    EXPECT_EQ(scripted::Dialogs().size(), windows);
}

TEST_F(CommitTest, TranslatedItKeepsEnglishButtonsAndAnyCloseCancels) {
    WriteFile(box / "wc/a.txt", "two\n");
    prefs["language"] = "fr";
    Start();
    Texts captions;
    SendUpdate([&] {
        for (int id : {CommitPrompt, CommitOk, CommitCancel})
            captions.push_back(platform::GetText(id));
        scripted::PushClick(CommitCancel);
    });
    EXPECT_EQ(scripted::Dialogs().back().title, "Commentaire");
    EXPECT_EQ(captions, (Texts{"Donnez un commentaire pour votre envoi", "OK", "Cancel"}));
    EXPECT_EQ(BoxTexts(), Texts{"Alerte: Annulé"});

    // A close of the main window cancels too, and the program goes on.
    scripted::ClearBoxes();
    SendUpdate([] {
        scripted::Type(CommitMessage, "typed");
        scripted::PushClick(ExploreRemoteButton);  // swallowed while the dialog waits
        scripted::PushClose(0);
        scripted::PushClick(CommitOk);  // too late: the dialog is gone
    });
    EXPECT_EQ(BoxTexts(), Texts{"Alerte: Annulé"});
    EXPECT_TRUE(scripted::MainWindow().open);
    scripted::OnDialogOpened(nullptr);
    Click(ExploreRemoteButton);  // the loop still runs and takes clicks
    EXPECT_EQ(BoxTexts().size(), 2u);
    // So does a window that cannot open.
    scripted::FailWindowOpen(true);
    Click(SendUpdateButton);
    EXPECT_EQ(BoxTexts().back(), "Alerte: Annulé");
}

TEST_F(CommitTest, UndoAsksFirstAndConflictsAreSettledEveryWay) {
    WriteFile(box / "wc/a.txt", "mine\n");
    Start();
    Click(ExploreLocalButton);
    MenuOn("a.txt", UndoItem);  // answered No
    EXPECT_EQ(ReadFile(box / "wc/a.txt"), "mine\n");
    ASSERT_EQ(scripted::Boxes().size(), 1u);
    EXPECT_EQ(scripted::Boxes()[0].text, "Undo your changes to a.txt? They will be lost.");
    EXPECT_TRUE(scripted::Boxes()[0].noByDefault);
    scripted::AnswerYesNo(true);
    Menu(UndoItem);
    EXPECT_EQ(ReadFile(box / "wc/a.txt"), "a\n");
    scripted::ClearBoxes();
    MenuOn("b.txt", UndoItem);  // nothing to lose: no question
    EXPECT_TRUE(BoxTexts().empty());

    // Receive update: a plain update (U), a conflict (C) and additions (A)
    // become rows; every other line comes in the command's one box.
    CommitElsewhere({{"a.txt", "2\n"}, {"b.txt", "theirs\n"}, {"sub/new.txt", "n\n"}});
    WriteFile(box / "wc/b.txt", "mine\n");
    Click(ReceiveUpdateButton);
    // The client names them from the current folder, in the order it made them.
    const Texts shown = TreeTexts();
    Texts sorted = shown;
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(sorted, (Texts{"wc/a.txt", "wc/b.txt", "wc/sub", "wc/sub/new.txt"}));
    for (size_t row = 0; row < shown.size(); ++row) {
        const char* code = shown[row] == "wc/a.txt" ? "U" : shown[row] == "wc/b.txt" ? "C" : "A";
        EXPECT_EQ(scripted::Tree()[row].image, StatusIcon(code, shown[row] == "wc/sub"))
            << shown[row];
    }
    ASSERT_EQ(BoxTexts().size(), 1u);
    const std::string report = BoxTexts()[0];
    const std::string head = "Informations: Update : Updating 'wc':\n";
    EXPECT_TRUE(report.starts_with(head)) << report;
    EXPECT_NE(report.find("\nSummary of conflicts:\n"), std::string::npos) << report;
    EXPECT_EQ(report.find("Update : ", head.size()), std::string::npos) << report;
    EXPECT_EQ(platform::GetText(ReceiveUpdateButton), "Receive update");
    EXPECT_EQ(g_shell.listContent, ListContent::LocalTree);

    // Resolved keeps the working file; Undo then takes the other copy's
    // version. Both keep the rows where the update put them.
    scripted::ClearBoxes();
    const std::string merged = ReadFile(box / "wc/b.txt");
    EXPECT_EQ(MenuFor("wc/b.txt"),
              (Items{StatusItem, AddItem, UndoItem, KeepMineItem, TakeTheirsItem, ResolvedItem,
                     DeleteLocalItem, HistoryItem, ChangesItem, BlameItem}));
    EXPECT_EQ(scripted::LastMenu()[5].caption, "Resolved");
    Menu(ResolvedItem);
    EXPECT_EQ(StatusOf("wc/b.txt"), "M");
    EXPECT_EQ(ReadFile(box / "wc/b.txt"), merged);
    EXPECT_TRUE(BoxTexts().empty());
    Click(EntryTree, EventType::RightClick);
    EXPECT_EQ(scripted::LastMenu().size(), 7u);  // no conflict, no "Resolved"
    scripted::AnswerYesNo(true);
    Menu(UndoItem);
    EXPECT_EQ(TreeTexts(), shown);
    EXPECT_EQ(ReadFile(box / "wc/b.txt"), "theirs\n");

    // A conflict seen by exploring: mine or theirs, whole.
    for (const auto& [item, kept] :
         {std::pair{KeepMineItem, "mine b\n"}, std::pair{TakeTheirsItem, "theirs 2\n"}}) {
        CommitElsewhere({{"b.txt", item == KeepMineItem ? "theirs 1\n" : "theirs 2\n"}});
        WriteFile(box / "wc/b.txt", "mine b\n");
        Sh("svn update -q --accept postpone " + At("wc"));
        Click(ExploreLocalButton);
        ClickRow("b.txt", EventType::RightClick);
        EXPECT_EQ(Captions(), (Texts{"Conflicted", "Add", "Undo", "Keep mine", "Take theirs",
                                     "Resolved", "Delete", "History…", "Changes…", "Blame…"}));
        Menu(item);
        EXPECT_EQ(ReadFile(box / "wc/b.txt"), kept);
        EXPECT_EQ(StatusOf("b.txt"), std::string(item == KeepMineItem ? "M" : ""));
        Sh("svn revert -q " + At("wc/b.txt"));
    }

    // A tree conflict: the status item says what happened; only Resolved.
    Sh("svn rm -q -m gone " + ShellQuote(url + "gone.txt"));
    WriteFile(box / "wc/gone.txt", "edited\n");
    Sh("svn update -q --accept postpone " + At("wc"));
    Click(ExploreLocalButton);
    ClickRow("gone.txt", EventType::RightClick);
    const Texts captions = Captions();
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions[0], "Tree conflict: local edit, incoming delete upon update");
    EXPECT_EQ(std::count(captions.begin(), captions.end(), "Keep mine"), 0);
    EXPECT_EQ(std::count(captions.begin(), captions.end(), "Resolved"), 1);

    // The conflict can't be sent; what can goes without it.
    WriteFile(box / "wc/a.txt", "sent beside a conflict\n");
    SendUpdate([] { scripted::PushClick(CommitOk); });
    ASSERT_FALSE(TreeTexts().empty());
    EXPECT_TRUE(TreeTexts().back().starts_with("Committed revision")) << TreeTexts().back();

    // Cleanup of a working copy is quiet; of anything else, the client says why.
    scripted::ClearBoxes();
    Click(CleanupButton);
    EXPECT_TRUE(TreeTexts().empty());
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(platform::GetText(CleanupButton), "Cleanup");
    Enter(FolderField, box / "repo");
    Click(CleanupButton);
    ExpectClientError();
    EXPECT_NE(BoxTexts()[0].back(), '\n');
}

TEST_F(CommitTest, UndoOnAFolderListsWhatGoes) {
    auto fill = [this](const char* text) {
        for (int i = 0; i < 32; ++i) WriteFile(box / ("wc/many/f" + std::to_string(100 + i)), text);
    };
    fill("x\n");
    Sh("svn add -q " + At("wc/many") + " && svn commit -q -m many " + At("wc"));
    fill("y\n");
    Start();
    Click(ExploreLocalButton);
    MenuOn("many", UndoItem);
    ASSERT_EQ(scripted::Boxes().size(), 1u);
    const std::string text = scripted::Boxes()[0].text;
    EXPECT_EQ(text.substr(0, text.find('\n')), "Undo your changes to many? They will be lost.");
    EXPECT_NE(text.find("\nModified  f100\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("f130"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("\nand 2 more")) << text;
}

}  // namespace
}  // namespace apptest
