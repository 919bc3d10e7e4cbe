// The program as a whole: the window it builds from the settings, its fields
// and the credential rule of the loop, the languages it speaks, and what
// survives the end of a run.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>
#include <thread>

#include "app_fixture.h"
#include "browse/icon_set.h"

namespace apptest {
namespace {

using ProgramTest = AppTest;

// Whether the tree's picture for `code` is `expected`, pixel for pixel.
bool Shows(const std::string& code, int folder, const std::optional<browse::Pixels>& expected) {
    const uint32_t* shown = scripted::ImagePixels(StatusIcon(code, folder));
    return shown && expected && std::equal(expected->begin(), expected->end(), shown);
}

TEST_F(ProgramTest, WindowIsBuiltFromTheSettingsInTabOrder) {
    prefs["SVNRemoteRepositery"] = "file:///srv/repo/";
    prefs["SVNLocalRepositery"] = "/home/ann/wc/";
    prefs["SVNUsername"] = "ann";
    prefs["SVNPassword"] = "s3cret";
    prefs["SVNAuthCache"] = "2";
    Start();

    // Tab follows creation, which follows the layout, not the ids.
    std::vector<int> ids;
    for (const auto& c : scripted::Controls()) ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{0, 1,  20, 2,  3,  4,  22, 5,  6,  7, 8,
                                     9, 18, 14, 15, 16, 17, 10, 12, 11, 13}));
    const std::pair<int, const char*> shown[] = {{UrlField, "file:///srv/repo/"},
                                                 {FolderField, "/home/ann/wc/"},
                                                 {UserNameField, "ann"},
                                                 {PasswordField, "s3cret"}};
    for (const auto& [id, text] : shown) EXPECT_EQ(platform::GetText(id), text) << id;
    EXPECT_EQ(platform::GetCheck(AuthSystemCheck), 1);
    EXPECT_EQ(scripted::Find(FolderField)->tooltip,
              "Local repositery folder. It'll be created if necessary");
    for (auto [field, label] :
         {std::pair(UrlField, UrlLabel), std::pair(FolderField, FolderLabel),
          std::pair(UserNameField, UserNameLabel), std::pair(PasswordField, PasswordLabel)})
        EXPECT_EQ(scripted::Find(field)->labelFor, label) << field;
    EXPECT_FALSE(platform::ControlExists(StopSearchButton));

    // The tree's pictures are the ones composed from gfx/: one per code and
    // kind, the plain icon for any other text.
    const browse::IconSet icons = browse::LoadIconSet("gfx");
    for (int i = 0; i < browse::kStatusCodeCount; ++i) {
        const std::string code = browse::StatusCodeAt(i);
        for (int folder : {0, 1})
            EXPECT_TRUE(Shows(code, folder, icons.For(&code, folder))) << code;
    }
    for (int folder : {0, 1}) EXPECT_TRUE(Shows("MM", folder, icons.plain[folder]));
}

TEST_F(ProgramTest, FoldersAndTheUrlFieldKeepWhatTheUserMeant) {
    prefs["SVNAuthCache"] = "1";  // every button usable without typed credentials
    WriteFile(box / "plain-file", "x");
    Start();
    Enter(FolderField, "/srv/wc");
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "/srv/wc/");
    EXPECT_EQ(platform::GetText(FolderField), "/srv/wc");
    scripted::Type(FolderField, "/srv/half-typed");  // taken when the field is left
    Settle();
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "/srv/wc/");
    Enter(FolderField, "/srv/wc\\");
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "/srv/wc\\");

    // Exploring needs an existing folder.
    for (const std::string& folder : {box / "missing/", box / "plain-file"}) {
        settings::g_settings.SVNLocalRepositery = folder;  // as read from the preferences
        scripted::ClearBoxes();
        g_shell.listContent = ListContent::RemoteTree;
        Click(ExploreLocalButton);
        EXPECT_EQ(BoxTexts(), Texts{"Alert: Folder doesn't exist.\n\nMaybe should you try first "
                                    "\" to receive a repositery copy ? \""})
            << folder;
        EXPECT_EQ(g_shell.listContent, ListContent::RemoteTree);
    }

    // An emptied field leaves the setting empty, and every action on it refuses.
    scripted::ClearBoxes();
    Enter(FolderField, "");
    EXPECT_EQ(settings::g_settings.SVNLocalRepositery, "");
    const int buttons[] = {ReadOnlyCopyButton, WorkCopyButton,   ReceiveUpdateButton,
                           CleanupButton,      SendUpdateButton, ExploreLocalButton};
    for (int id : buttons) {
        const std::string caption = platform::GetText(id);
        Click(id);
        EXPECT_EQ(platform::GetText(id), caption);
    }
    EXPECT_EQ(BoxTexts(), Texts(6, "Alert: Choose a local repositery folder first"));
    EXPECT_TRUE(scripted::Dialogs().empty());
    EXPECT_FALSE(g_shell.busy);

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

TEST_F(ProgramTest, CredentialRuleFollowsTheFieldsAfterEveryEvent) {
    Start();
    // User name, password, work copy, send update, receive update, read-only copy, cleanup.
    auto enabled = [] {
        std::string out;
        for (int id : {UserNameField, PasswordField, WorkCopyButton, SendUpdateButton,
                       ReceiveUpdateButton, ReadOnlyCopyButton, CleanupButton})
            out += platform::IsEnabled(id) ? '1' : '0';
        return out;
    };
    scripted::PushEvent(platform::Event{});  // any event at all, e.g. the mouse moving
    Settle();
    EXPECT_EQ(enabled(), "1000011");
    Enter(UserNameField, "ann");
    EXPECT_EQ(enabled(), "1100011");
    Enter(PasswordField, "pw");
    EXPECT_EQ(enabled(), "1111111");
    EXPECT_EQ(settings::g_settings.SVNPassword, "pw");

    // The box lets the client's own cache answer: no fields needed.
    Enter(UserNameField, "");
    EXPECT_EQ(enabled(), "1000011");
    for (const auto& [check, rule] : {std::pair{1, "0011111"}, std::pair{0, "1000011"}}) {
        platform::SetCheck(AuthSystemCheck, check);
        Click(AuthSystemCheck);
        EXPECT_EQ(enabled(), rule);
        EXPECT_EQ(settings::g_settings.SVNAuthCache, check);
    }

    // A blank in a credential is kept as typed.
    Enter(UserNameField, "ann smith");
    Enter(PasswordField, "two words");
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(platform::GetText(UserNameField), "ann smith");
    EXPECT_EQ(settings::g_settings.SVNUsername, "ann smith");
    EXPECT_EQ(settings::g_settings.SVNPassword, "two words");
}

const std::string kLiteral = R"re("((?:[^"\\]|\\.)*)")re";

// The pieces of C or PO string literals in `code`, joined, escapes resolved.
std::string Joined(const std::string& code) {
    std::string out;
    const std::regex literal(kLiteral);
    for (std::sregex_iterator it(code.begin(), code.end(), literal), end; it != end; ++it) {
        const std::string body = (*it)[1];
        for (size_t i = 0; i < body.size(); ++i) {
            char c = body[i];
            if (c == '\\' && i + 1 < body.size()) {
                c = body[++i];
                c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
            out += c;
        }
    }
    return out;
}

TEST(CatalogueSources, EveryTranslatedLiteralHasATranslationInEachLanguage) {
    std::set<std::string> literals;
    const std::regex call("Translate\\(\\s*(" + kLiteral + ")\\s*\\)");
    for (const auto& f :
         std::filesystem::recursive_directory_iterator(std::string(VELLUM_SOURCE_DIR) + "/src")) {
        if (f.path().extension() != ".cpp" && f.path().extension() != ".h") continue;
        const std::string code = ReadFile(f.path().string());
        for (std::sregex_iterator it(code.begin(), code.end(), call), end; it != end; ++it)
            literals.insert(Joined((*it)[1]));
    }
    ASSERT_GT(literals.size(), 30u);  // the scan found the program's texts

    const std::regex entry("\nmsgid((?:\\s+" + kLiteral + ")+)\\s+msgstr((?:\\s+" + kLiteral +
                           ")+)");
    for (const char* lang : {"fr", "de", "es"}) {
        const std::string po =
            "\n" + ReadFile(std::string(VELLUM_SOURCE_DIR) + "/data/locale/" + lang + ".po");
        std::map<std::string, std::string> translations;
        for (std::sregex_iterator it(po.begin(), po.end(), entry), end; it != end; ++it)
            translations[Joined((*it)[1])] = Joined((*it)[3]);
        EXPECT_NE(translations[""].find("charset=UTF-8"), std::string::npos) << lang;
        for (const auto& text : literals)
            EXPECT_FALSE(translations[text].empty()) << lang << ".po lacks \"" << text << "\"";
    }
}

// Started as from the menu, the working folder (the user's home) has no gfx/
// or locale/: the build keeps both beside the test programs.
TEST_F(ProgramTest, BuiltCataloguesAndIconsBesideTheExecutableServeEveryLanguage) {
    for (const char* data : {"gfx", "locale"}) ASSERT_EQ(std::remove((box / data).c_str()), 0);
    // The window's title, tooltip and captions as one run with `language` shows them.
    auto shownTexts = [this, running = false](const std::string& language) mutable {
        if (running) Stop();
        running = true;
        scripted::Reset();
        prefs["language"] = language;
        Start();
        Texts texts{scripted::MainWindow().title, scripted::Find(FolderField)->tooltip};
        for (const auto& c : scripted::Controls())
            if (c.kind != platform::ControlKind::Field && c.kind != platform::ControlKind::Tree)
                texts.push_back(c.text);
        return texts;
    };
    const auto english = shownTexts("");
    EXPECT_EQ(english.front(), "Vellum SubVersion Tiny FrontEnd");
    for (const char* lang : {"de", "es", "fr"}) {  // French last: its window stays
        const auto shown = shownTexts(lang);
        ASSERT_EQ(shown.size(), english.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_FALSE(shown[i].empty());
            EXPECT_NE(shown[i], english[i]) << lang << " leaves \"" << english[i] << "\"";
        }
    }
    EXPECT_EQ(platform::GetText(SearchButton), "Rechercher");
    const std::string code = "M";
    const browse::IconSet icons = browse::LoadIconSet(std::string(VELLUM_DIST_DIR) + "/gfx");
    EXPECT_TRUE(Shows(code, 1, icons.For(&code, 1)));
}

TEST_F(ProgramTest, ClosingSavesTheSettingsWithTheCheckBoxLastState) {
    prefs["SVNAuthCache"] = "0";
    prefs["useProxy"] = "1";
    WritePrefs();
    // The user's part, run inside the loop once the window exists.
    platform::RunOnMainThread([] {
        scripted::Type(UrlField, "file:///elsewhere/");
        platform::SetCheck(AuthSystemCheck, 1);
        scripted::PushClick(AuthSystemCheck);
        scripted::PushClose();
    });
    EXPECT_EQ(RunProgram(), 0);
    const std::string saved = ReadFile(PrefsPath());
    for (const char* line :
         {"SVNRemoteRepositery = file:///elsewhere/", "SVNAuthCache = 1", "useProxy = 1"})
        EXPECT_NE(saved.find(line), std::string::npos) << saved;
}

TEST_F(ProgramTest, WindowThatCannotOpenStillSavesAndEndsWithZero) {
    // Only the start-up location has settings: the save shows they were loaded.
    WriteFile(box / "Vellum.prefs", "SVNRemoteRepositery = file:///from/startup/\n");
    scripted::FailWindowOpen(true);
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_FALSE(scripted::MainWindow().open);
    EXPECT_NE(ReadFile(PrefsPath()).find("SVNRemoteRepositery = file:///from/startup/"),
              std::string::npos);
}

TEST_F(ProgramTest, ClosingWhileACopyRunsEndsAtOnce) {
    Repo({{"a.txt", "a\n"}});
    prefs["SVNRemoteRepositery"] = url;
    WrapClient("sleep 2\ntouch " + At("client-ended"));
    WritePrefs();
    platform::RunOnMainThread([] {
        scripted::PushClick(ReadOnlyCopyButton);
        scripted::PushClose();
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1500));
    EXPECT_TRUE(platform::IsRegularFile(PrefsPath()));
    // Let the abandoned copy finish before the sandbox goes away.
    EXPECT_TRUE(WaitForFile(box / "client-ended"));
    platform::Sleep(500);
}

TEST_F(ProgramTest, ClosingDuringAMainThreadCommandEndsItsClientAtOnce) {
    // A client that never answers, as against a server that accepts and is
    // silent: the close ends it, saves the settings and ends with 0.
    const std::string pid = At("client.pid");
    MakeScript("svn/bin/svn",
               "echo $$ > " + pid + ".t && mv " + pid + ".t " + pid + "\nexec sleep 30\n");
    WritePrefs();
    std::thread user([&] {
        if (WaitForFile(box / "client.pid")) scripted::AskCloseDuringCommand();
    });
    platform::RunOnMainThread([] { scripted::PushClick(ExploreRemoteButton); });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(RunProgram(), 0);
    user.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_TRUE(platform::IsRegularFile(PrefsPath()));
    EXPECT_NE(testsupport::Run("kill -0 $(cat " + pid + ") 2>/dev/null"), 0)
        << "the client outlived the program";
}

}  // namespace
}  // namespace apptest
