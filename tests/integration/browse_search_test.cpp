// The remote search worker: results as they arrive, bad patterns, stopping.
#include <gtest/gtest.h>

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

    // Runs the search as the shell does: a worker, and this thread running the
    // hand-overs until it has ended. `onPump` runs between passes.
    void Search(const std::string& pattern, const std::function<void()>& onPump = {}) {
        ASSERT_TRUE(RunWorker([pattern] { browse::SearchRemote(pattern); }, onPump))
            << "the search did not end";
    }

    // How many clicks of the stop button are waiting in the event queue.
    int StopClicksPosted() {
        int clicks = 0;
        for (;;) {
            platform::Event e = platform::WaitEvent();
            if (e.kind == platform::Event::Close) return clicks;
            if (e.kind == platform::Event::Control && e.id == app::StopSearchButton &&
                e.type == platform::EventType::LeftClick)
                ++clicks;
        }
    }

    CommandEnv env;
    Sandbox& box = env.box;
};

TEST_F(SearchTest, ShowsTheMatchingPathsInTheClientsOrder) {
    settings::g_settings.SVNRemoteRepositery =
        MakeRepository(box / "repo", {{"trunk/doc/guide.txt", "g\n"},
                                      {"trunk/docs/readme", "r\n"},
                                      {"trunk/LOUD.TXT", "l\n"},
                                      {"trunk/notes.txt", "n\n"},
                                      {"trunk/main.c", "m\n"}});
    std::string all;
    testsupport::Run("svn list -R " + ShellQuote(settings::g_settings.SVNRemoteRepositery), &all);
    std::vector<std::string> every;
    for (size_t at = 0; at < all.size();) {
        size_t end = all.find('\n', at);
        every.push_back(all.substr(at, end - at));
        at = end + 1;
    }
    auto matching = [&every](auto keep) {
        std::vector<std::string> out;
        for (const auto& line : every)
            if (keep(line)) out.push_back(line);
        return out;
    };
    auto endsWith = [](const std::string& s, const std::string& tail) {
        return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    };

    // Old content goes: the search empties the tree and the entry list first.
    platform::TreeAddItem(app::EntryTree, 0, "old", 0, 0);
    browse::g_entries.Append({});

    Search("");
    EXPECT_EQ(every, TreeTexts());
    EXPECT_EQ(8u, every.size());
    EXPECT_TRUE(browse::g_entries.Empty());
    for (const auto& item : scripted::Tree()) {
        EXPECT_EQ(0, item.image);
        EXPECT_EQ(0, item.depth);
        EXPECT_EQ(0, item.value);
    }
    EXPECT_EQ(1, StopClicksPosted());

    Search("\\.txt$");
    EXPECT_EQ(matching([&](const std::string& l) { return endsWith(l, ".txt"); }), TreeTexts());
    EXPECT_EQ(2u, TreeTexts().size());

    Search("doc");
    EXPECT_EQ(matching([](const std::string& l) { return l.find("doc") != std::string::npos; }),
              TreeTexts());
    EXPECT_EQ(4u, TreeTexts().size()) << "the folder lines and the entries below them";
    EXPECT_TRUE(scripted::Boxes().empty());
    EXPECT_EQ(2, StopClicksPosted());
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
    EXPECT_EQ(1, StopClicksPosted());

    scripted::ClearBoxes();
    settings::g_settings.SVNRemoteRepositery = "file://" + box / "nowhere/";
    Search("");
    alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find("The Subversion client reported an error:\n\nsvn: E"))
        << alerts[0];
    EXPECT_EQ(1, StopClicksPosted());

    scripted::ClearBoxes();
    {
        ScopedEnv noClient("PATH", box / "bin");
        Search("");
    }
    EXPECT_TRUE(scripted::Boxes().empty());
    EXPECT_EQ(1, StopClicksPosted());
}

// A stop while the client lists thousands of paths: the rows found stay, in
// order, and the worker ends although the main thread waits for it.
TEST_F(SearchTest, StopKeepsTheRowsFoundAndNeverHangs) {
    std::string tree = box / "tree";
    for (int d = 0; d < 10; ++d) {
        std::string folder = tree + "/folder" + std::to_string(d);
        MakeDirs(folder);
        ASSERT_EQ(0, testsupport::Run(
                         "cd " + ShellQuote(folder) +
                         " && seq -f 'a_long_enough_file_name_%04g.txt' 0 299 | xargs touch"));
    }
    std::string url = MakeRepository(box / "repo");
    ASSERT_EQ(0,
              testsupport::Run("svn import -q -m i " + ShellQuote(tree) + " " + ShellQuote(url)));
    settings::g_settings.SVNRemoteRepositery = url;
    std::string all;
    testsupport::Run("svn list -R " + ShellQuote(url), &all);

    app::g_shell.stopSearchRequested = false;
    ASSERT_NO_FATAL_FAILURE(Search("", [] {
        if (platform::TreeCount(app::EntryTree) > 0) app::g_shell.stopSearchRequested = true;
    }));
    auto found = TreeTexts();
    ASSERT_FALSE(found.empty());
    std::string prefix;
    for (const auto& line : found) prefix += line + "\n";
    EXPECT_EQ(0u, all.find(prefix)) << "the rows found are the listing's first lines";
    EXPECT_EQ(1, StopClicksPosted());

    // A client that keeps listing for a minute: only the stop can end the
    // search in time.
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
    found = TreeTexts();
    ASSERT_GE(found.size(), 3u);
    EXPECT_LT(found.size(), 6000u);
    for (size_t i = 0; i < found.size(); ++i) EXPECT_EQ("path/" + std::to_string(i), found[i]);
    EXPECT_EQ(1, StopClicksPosted());
}

}  // namespace
