// The reading loop against the real client on a repository made in a sandbox.
#include <gtest/gtest.h>

#include <optional>

#include "settings/settings.h"
#include "support/sandbox.h"
#include "svnclient/client.h"

namespace {

using namespace svnclient;
using testsupport::Sandbox;

struct Listing {
    std::vector<std::string> lines;
    ClientResult result;
};

Listing List(const std::string& url) {
    Listing l;
    l.result = RunClient({Plain("list"), Quoted(url)}, "", 1,
                         [&](const std::string& line) { l.lines.push_back(line); });
    return l;
}

class RealClient : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder without svn/bin/svn, so the client on PATH is used.
        cwd_.emplace(box_.Path());
        settings::g_settings = settings::Settings{};
        url_ = testsupport::MakeRepository(box_ / "repo", {{"b.txt", "b"},
                                                           {"a file.txt", "a"},
                                                           {"docs/", ""},
                                                           {"docs/guide.txt", "g"}});
    }

    Sandbox box_;
    std::optional<testsupport::ScopedCwd> cwd_;
    std::string url_;
};

TEST_F(RealClient, ListsARepositoryFolderByFolder) {
    Listing root = List(url_);
    EXPECT_TRUE(root.result.started);
    EXPECT_EQ(root.lines, (std::vector<std::string>{"a file.txt", "b.txt", "docs/"}));
    EXPECT_EQ(root.result.errors, "");
    // The folder's URL with or without its final "/" lists the same entries.
    std::string bare = url_.substr(0, url_.size() - 1);
    EXPECT_EQ(List(JoinUrl(bare, "docs/")).lines, std::vector<std::string>{"guide.txt"});
    EXPECT_EQ(List(JoinUrl(url_, "docs")).lines, std::vector<std::string>{"guide.txt"});
}

TEST_F(RealClient, AcceptsEveryOptionTheSettingsAdd) {
    settings::Settings& s = settings::g_settings;
    s.useProxy = 1;
    s.proxyHost = "proxy.invalid";
    s.proxyPort = "3128";
    s.SVNAuthCache = 0;
    s.SVNUsername = "bob";
    s.SVNPassword = "secret";
    Listing root = List(url_);
    EXPECT_EQ(root.result.errors, "");
    EXPECT_EQ(root.lines, (std::vector<std::string>{"a file.txt", "b.txt", "docs/"}));
}

TEST_F(RealClient, AWrongUrlGivesErrorsAndNoLines) {
    Listing missing = List(JoinUrl(url_, "no-such-folder/"));
    EXPECT_TRUE(missing.result.started);
    EXPECT_TRUE(missing.lines.empty());
    EXPECT_NE(missing.result.errors.find("no-such-folder"), std::string::npos) << missing.result.errors;
}

TEST_F(RealClient, WithoutAClientNothingStarts) {
    testsupport::ScopedEnv path("PATH", box_ / "empty");
    EXPECT_EQ(RunSvn({Plain("list"), Quoted(url_)}, "", 1), nullptr);
    Listing none = List(url_);
    EXPECT_FALSE(none.result.started);
    EXPECT_TRUE(none.lines.empty());
    EXPECT_EQ(none.result.errors, "");
}

}  // namespace
