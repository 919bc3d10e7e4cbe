// The remote search worker: results as they arrive, bad patterns, stopping.
#include <gtest/gtest.h>

#include <sstream>

#include "browse/remote_search.h"
#include "command_env.h"

using namespace testsupport;

namespace {

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::CreateControl(0, app::StopSearchButton, platform::ControlKind::Button, 310, 30,
                                130, 20, "Stop search");
        scripted::SetIdleTimeout(200);
    }

    // Runs the search on a worker while this thread runs the hand-overs; its
    // end posts one click of the stop button, the shell's signal.
    void Search(const std::string& pattern, const std::function<void()>& onPump = {}) {
        ASSERT_TRUE(RunWorker([pattern] { browse::SearchRemote(pattern); }, onPump))
            << "the search did not end";
        int clicks = 0;
        for (platform::Event e; (e = platform::WaitEvent()).kind != platform::Event::Close;)
            clicks += e.kind == platform::Event::Control && e.id == app::StopSearchButton &&
                      e.type == platform::EventType::LeftClick;
        EXPECT_EQ(1, clicks) << "stop clicks after searching " << pattern;
    }

    CommandEnv env;
    Sandbox& box = env.box;
};

TEST_F(SearchTest, ShowsTheMatchingPathsInTheClientsOrder) {
    settings::g_settings.SVNRemoteRepositery =
        MakeRepository(box / "repo", {{"trunk/doc/guide.txt", "g\n"}, {"trunk/docs/readme", "r\n"},
                                      {"trunk/LOUD.TXT", "l\n"}, {"trunk/notes.txt", "n\n"},
                                      {"trunk/main.c", "m\n"}});
    std::string all;
    testsupport::Run("svn list -R " + ShellQuote(settings::g_settings.SVNRemoteRepositery), &all);
    auto matching = [&all](auto keep) {
        std::vector<std::string> out;
        std::istringstream in(all);
        for (std::string line; std::getline(in, line);)
            if (keep(line)) out.push_back(line);
        return out;
    };
    // Old content goes: the search empties the tree and the entry list first.
    platform::TreeAddItem(app::EntryTree, 0, "old", 0, 0);
    browse::g_entries.Append({});

    Search("");
    EXPECT_EQ(matching([](const std::string&) { return true; }), TreeTexts());
    EXPECT_EQ(8u, TreeTexts().size());
    EXPECT_TRUE(browse::g_entries.Empty());
    for (const auto& item : scripted::Tree())
        EXPECT_TRUE(item.image == 0 && item.depth == 0 && item.value == 0) << item.text;

    Search("\\.txt$");
    EXPECT_EQ(matching([](const std::string& l) { return l.ends_with(".txt"); }), TreeTexts());
    EXPECT_EQ(2u, TreeTexts().size());
    Search("doc");
    EXPECT_EQ(matching([](const std::string& l) { return l.find("doc") != std::string::npos; }),
              TreeTexts());
    EXPECT_EQ(4u, TreeTexts().size()) << "the folder lines and the entries below them";
    EXPECT_TRUE(scripted::Boxes().empty());
}

TEST_F(SearchTest, BadPatternsAndFailingClientsAreReportedAndStillEnd) {
    settings::g_settings.SVNRemoteRepositery = MakeRepository(box / "repo", {{"a.txt", "a\n"}});
    platform::TreeAddItem(app::EntryTree, 0, "old", 0, 0);
    Search("(");
    EXPECT_EQ(0, platform::TreeCount(app::EntryTree));
    auto alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find("Invalid search pattern: ")) << alerts[0];
    EXPECT_GT(alerts[0].size(), std::string("Invalid search pattern: ").size());

    scripted::ClearBoxes();
    settings::g_settings.SVNRemoteRepositery = "file://" + box / "nowhere/";
    Search("");
    alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find("The Subversion client reported an error:\n\nsvn: E")) << alerts[0];

    scripted::ClearBoxes();
    {
        ScopedEnv noClient("PATH", box / "bin");
        Search("");
    }
    EXPECT_TRUE(scripted::Boxes().empty());
}

// A stop while a client keeps listing for a minute: the rows found stay, in
// order, and the worker ends although the main thread waits for it.
TEST_F(SearchTest, StopKeepsTheRowsFoundAndNeverHangs) {
    MakeDirs(box / "client/svn/bin");
    WriteFile(box / "client/svn/bin/svn",
              "#!/bin/sh\ni=0\nwhile [ $i -lt 6000 ]; do echo \"path/$i\"; i=$((i+1)); "
              "sleep 0.01; done\n");
    testsupport::Run("chmod +x " + ShellQuote(box / "client/svn/bin/svn"));
    ScopedCwd cwd(box / "client");
    app::g_shell.stopSearchRequested = false;
    ASSERT_NO_FATAL_FAILURE(Search("", [] {
        if (platform::TreeCount(app::EntryTree) >= 3) app::g_shell.stopSearchRequested = true;
    }));
    auto found = TreeTexts();
    ASSERT_GE(found.size(), 3u);
    EXPECT_LT(found.size(), 6000u);
    for (size_t i = 0; i < found.size(); ++i) EXPECT_EQ("path/" + std::to_string(i), found[i]);
}

}  // namespace
