// The reading loop against the real client: "svn list" over file:// and http://.
#include <gtest/gtest.h>

#include "platform/download.h"
#include "settings/settings.h"
#include "support/sandbox.h"
#include "support/servers.h"
#include "svnclient/client.h"

namespace {

using namespace svnclient;
using namespace testsupport;

struct Listing {
    std::vector<std::string> lines;
    ClientResult result;
};

Listing List(const std::string& url) {
    Listing l;
    l.result = RunClient({Plain("list"), Quoted(url)}, "", 1,
                         [&](const std::string& line) {
                             if (!line.empty()) l.lines.push_back(line);  // "" while a line is incomplete
                         });
    return l;
}

TEST(RealClient, ListsFolderByFolderWithEveryOptionTheSettingsAdd) {
    Sandbox box;
    ScopedCwd cwd(box.Path());  // no svn/bin/svn here: the client on PATH
    settings::g_settings = settings::Settings{};
    const std::string url = MakeRepository(
        box / "repo", {{"b.txt", "b"}, {"a file.txt", "a"}, {"docs/", ""}, {"docs/guide.txt", "g"}});
    const std::vector<std::string> top = {"a file.txt", "b.txt", "docs/"};
    Listing root = List(url);
    EXPECT_TRUE(root.result.started);
    EXPECT_EQ(root.lines, top);
    EXPECT_EQ(root.result.errors, "");
    // The folder's URL with or without its final "/" lists the same entries.
    EXPECT_EQ(List(JoinUrl(url.substr(0, url.size() - 1), "docs/")).lines,
              std::vector<std::string>{"guide.txt"});
    EXPECT_EQ(List(JoinUrl(url, "docs")).lines, std::vector<std::string>{"guide.txt"});

    Listing missing = List(JoinUrl(url, "no-such-folder/"));
    EXPECT_TRUE(missing.result.started);
    EXPECT_TRUE(missing.lines.empty());
    EXPECT_NE(missing.result.errors.find("no-such-folder"), std::string::npos) << missing.result.errors;

    // The client accepts the proxy and credential options (unused over file://).
    settings::Settings& s = settings::g_settings;
    s.useProxy = 1;
    s.proxyHost = "proxy.invalid";
    s.proxyPort = "3128";
    s.SVNUsername = "bob";
    s.SVNPassword = "secret";
    root = List(url);
    EXPECT_EQ(root.result.errors, "");
    EXPECT_EQ(root.lines, top);
}

TEST(RealClient, WarningsOfAClientThatSucceededAreNoError) {
    // A locale the machine lacks makes the client warn on its error output
    // and still list: only a failed run reports its error text.
    Sandbox box;
    ScopedCwd cwd(box.Path());
    ScopedEnv locale("LC_ALL", "xx_YY.UTF-8");
    settings::g_settings = settings::Settings{};
    const std::string url = MakeRepository(box / "repo", {{"a.txt", "a"}});
    Listing ok = List(url);
    EXPECT_EQ(ok.lines, std::vector<std::string>{"a.txt"});
    EXPECT_EQ(ok.result.errors, "");
    Listing failed = List(JoinUrl(url, "gone/"));
    EXPECT_NE(failed.result.errors.find("svn: E"), std::string::npos) << failed.result.errors;
}

TEST(RealClient, WithoutAClientNothingStarts) {
    Sandbox box;
    ScopedCwd cwd(box.Path());
    testsupport::ScopedEnv path("PATH", box / "empty");
    EXPECT_EQ(RunSvn({Plain("list"), Quoted("file:///x/")}, "", 1), nullptr);
    bool called = false;
    ClientResult none = RunClient({Plain("list")}, "", 1, [&](const std::string&) { called = true; });
    EXPECT_FALSE(none.started);
    EXPECT_FALSE(called);
    EXPECT_EQ(none.errors, "");
}

// Over http from Apache httpd + mod_dav_svn with basic auth, directly and
// through tinyproxy.
TEST(ClientHttp, CredentialsAndProxyFromTheSettingsReachTheServer) {
    Sandbox box;
    ScopedEnv home("HOME", box / "home");  // the client's own cache stays in the sandbox
    for (const char* folder : {"home", "httpd", "proxy"}) MakeDirs(box / folder);
    MakeRepository(box / "repo", {{"trunk/a.txt", "a\n"}, {"README", "r\n"}});
    HttpdServer httpd(box / "httpd", box / "repo", "alice", "s3cret");
    ASSERT_TRUE(httpd.Running()) << ReadFile(box / "httpd/error.log");
    ProxyServer proxy(box / "proxy");
    ASSERT_TRUE(proxy.Running());

    auto& s = settings::g_settings;
    s = {};
    s.SVNUsername = "alice";
    s.proxyHost = "127.0.0.1";
    const std::vector<std::string> listing = {"README", "trunk/"};
    struct Case {
        const char* what;
        const char* password;
        int authCache, useProxy, proxyPort;
        bool lists;
    };
    for (const Case& c : {Case{"right password", "s3cret", 0, 0, 80, true},
                          Case{"wrong password", "wrong", 0, 0, 80, false},
                          Case{"none sent: the client's empty cache", "s3cret", 1, 0, 80, false},
                          Case{"through the proxy", "s3cret", 0, 1, proxy.Port(), true},
                          Case{"a proxy that isn't there, not direct", "s3cret", 0, 1, FreePort(), false}}) {
        s.SVNPassword = c.password;
        s.SVNAuthCache = c.authCache;
        s.useProxy = c.useProxy;
        s.proxyPort = std::to_string(c.proxyPort);
        Listing r = List(httpd.Url());
        EXPECT_EQ(r.lines, c.lists ? listing : std::vector<std::string>()) << c.what;
        EXPECT_EQ(r.result.errors.find("svn: E") != std::string::npos, !c.lists)
            << c.what << ": " << r.result.errors;
    }
    EXPECT_NE(proxy.Log().find(std::to_string(httpd.Port())), std::string::npos) << proxy.Log();
    // A download applies neither the credentials nor the proxy: refused.
    EXPECT_FALSE(platform::DownloadUrl(httpd.Url() + "README", box / "README"));
}

}  // namespace
