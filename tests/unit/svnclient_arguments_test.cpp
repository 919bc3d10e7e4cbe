// The options appended to every client command, the client's location and
// URL joining.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <tuple>

#include "platform/paths.h"
#include "support/sandbox.h"
#include "svnclient/arguments.h"

namespace {

using namespace svnclient;
using testsupport::Sandbox;

std::vector<std::string> Texts(const ArgumentList& list) {
    std::vector<std::string> out;
    for (const auto& a : list) out.push_back(a.text);
    return out;
}

settings::Settings Cached() {
    settings::Settings s;
    s.SVNAuthCache = 1;
    s.SVNUsername = "bob";
    s.SVNPassword = "secret";
    return s;
}

TEST(BuildArguments, ProxyOptionsFollowTheCommandAllFourEvenWhenEmpty) {
    settings::Settings s = Cached();
    s.useProxy = 2;  // any value but 0 turns it on
    s.proxyHost = "proxy.lan";
    s.proxyPort = "3128";
    ArgumentList list = BuildArguments({Plain("list"), Quoted("http://h/r/")}, 1, s);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{
                               "list", "http://h/r/", "--config-option",
                               "servers:global:http-proxy-host=proxy.lan", "--config-option",
                               "servers:global:http-proxy-port=3128", "--config-option",
                               "servers:global:http-proxy-username=", "--config-option",
                               "servers:global:http-proxy-password=", "--non-interactive"}));
    // The command's own quoting survives; appended values are never forced.
    EXPECT_TRUE(list[1].quote);
    for (size_t i = 2; i < list.size(); ++i) EXPECT_FALSE(list[i].quote) << list[i].text;

    s.useProxy = 0;
    EXPECT_EQ(Texts(BuildArguments({Plain("list")}, 1, s)),
              (std::vector<std::string>{"list", "--non-interactive"}));
}

// The cache setting and the command's permission pick how much of this tail goes.
TEST(BuildArguments, CredentialsOnlyWithoutTheCacheAndWhenAllowed) {
    // The password goes to the client's input, never onto its command line.
    const std::vector<std::string> all = {
        "status", "--non-interactive",    "--no-auth-cache", "--username",
        "bob",    "--password-from-stdin"};
    for (auto [cache, credentials, count] :
         {std::tuple{1, 1, 2}, {7, 1, 2}, {1, 0, 2}, {0, 0, 3}, {0, 2, 3}, {0, -1, 3}, {0, 1, 6}}) {
        settings::Settings s = Cached();
        s.SVNAuthCache = cache;
        EXPECT_EQ(Texts(BuildArguments({Plain("status")}, credentials, s)),
                  std::vector<std::string>(all.begin(), all.begin() + count))
            << "SVNAuthCache " << cache << ", credentials " << credentials;
        EXPECT_EQ(ClientInput(credentials, s), count == 6 ? "secret\n" : "");
    }
}

TEST(ClientProgram, TheBundledClientOnlyWhenItIsAnExecutableFile) {
    Sandbox box;
    testsupport::ScopedCwd cwd(box.Path());
    EXPECT_EQ(platform::ClientProgram(), "svn");
    testsupport::MakeDirs(box / "svn/bin/svn");  // a folder in its place
    EXPECT_EQ(platform::ClientProgram(), "svn");
    rmdir((box / "svn/bin/svn").c_str());
    testsupport::WriteFile(box / "svn/bin/svn", "#!/bin/sh\n");
    chmod((box / "svn/bin/svn").c_str(), 0644);
    EXPECT_EQ(platform::ClientProgram(), "svn");
    chmod((box / "svn/bin/svn").c_str(), 0755);
    EXPECT_EQ(platform::ClientProgram(), "svn/bin/svn");
}

TEST(JoinUrl, ExactlyOneSlashBetween) {
    for (const char* base : {"http://h/r", "http://h/r/"}) {
        EXPECT_EQ(JoinUrl(base, "docs/"), "http://h/r/docs/");
        EXPECT_EQ(JoinUrl(base, "/docs"), "http://h/r/docs");
        EXPECT_EQ(JoinUrl(base, ""), base);
    }
    EXPECT_EQ(JoinUrl(JoinUrl("file:///srv/repo", "a/"), "b.txt"), "file:///srv/repo/a/b.txt");
}

TEST(EncodeUrlPath, EscapesWhatAUrlPathCannotHoldAsItIs) {
    EXPECT_EQ(EncodeUrlPath("trunk/my file é#1%?@.txt"),
              "trunk/my%20file%20%C3%A9%231%25%3F%40.txt");
    EXPECT_EQ(EncodeUrlPath("A-z_0.9~/"), "A-z_0.9~/");
}

}  // namespace
