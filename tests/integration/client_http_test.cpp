// The client's command line against Apache httpd + mod_dav_svn on loopback:
// credentials from the settings reach the server, and the proxy options send
// the traffic through tinyproxy.
#include <gtest/gtest.h>

#include "sandbox.h"
#include "servers.h"
#include "settings/settings.h"
#include "svnclient/client.h"

using namespace testsupport;
using svnclient::Plain;
using svnclient::Quoted;

namespace {

struct ListResult {
    std::vector<std::string> lines;
    svnclient::ClientResult result;
};

ListResult List(const std::string& url) {
    ListResult r;
    r.result = svnclient::RunClient({Plain("list"), Quoted(url)}, "", 1,
                                    [&](const std::string& l) {
                                        if (!l.empty()) r.lines.push_back(l);
                                    });
    return r;
}

class ClientHttp : public ::testing::Test {
protected:
    void SetUp() override {
        MakeDirs(box / "home");
        MakeDirs(box / "httpd");
        settings::g_settings = {};
        settings::g_settings.proxyPort = "80";
    }
    Sandbox box;
    // The client's own configuration and credential cache stay in the sandbox.
    ScopedEnv home{"HOME", box / "home"};
};

}  // namespace

TEST_F(ClientHttp, CredentialsReachTheServerOnlyWhenTheSettingsAllow) {
    MakeRepository(box / "repo", {{"trunk/a.txt", "a\n"}, {"README", "r\n"}});
    HttpdServer httpd(box / "httpd", box / "repo", "alice", "s3cret");
    ASSERT_TRUE(httpd.Running()) << ReadFile(box / "httpd/error.log");
    auto& s = settings::g_settings;

    s.SVNUsername = "alice";
    s.SVNPassword = "s3cret";
    ListResult ok = List(httpd.Url());
    EXPECT_EQ(ok.lines, (std::vector<std::string>{"README", "trunk/"}));
    EXPECT_EQ(ok.result.errors, "");

    s.SVNPassword = "wrong";
    ListResult refused = List(httpd.Url());
    EXPECT_TRUE(refused.lines.empty());
    EXPECT_NE(refused.result.errors.find("E"), std::string::npos) << refused.result.errors;

    // With the client's own cache in charge no credentials are sent, and the
    // empty cache has none: refused without a prompt.
    s.SVNPassword = "s3cret";
    s.SVNAuthCache = 1;
    ListResult cached = List(httpd.Url());
    EXPECT_TRUE(cached.lines.empty());
    EXPECT_FALSE(cached.result.errors.empty());
}

TEST_F(ClientHttp, ProxyOptionsSendTheRequestsThroughTheProxy) {
    MakeRepository(box / "repo", {{"a.txt", "a\n"}});
    HttpdServer httpd(box / "httpd", box / "repo");
    ASSERT_TRUE(httpd.Running());
    MakeDirs(box / "proxy");
    ProxyServer proxy(box / "proxy");
    ASSERT_TRUE(proxy.Running());
    auto& s = settings::g_settings;

    s.useProxy = 1;
    s.proxyHost = "127.0.0.1";
    s.proxyPort = std::to_string(proxy.Port());
    ListResult through = List(httpd.Url());
    EXPECT_EQ(through.lines, (std::vector<std::string>{"a.txt"}));
    EXPECT_NE(proxy.Log().find(std::to_string(httpd.Port())), std::string::npos) << proxy.Log();

    // A proxy that isn't there: the request fails instead of going direct.
    s.proxyPort = std::to_string(FreePort());
    ListResult nowhere = List(httpd.Url());
    EXPECT_TRUE(nowhere.lines.empty());
    EXPECT_FALSE(nowhere.result.errors.empty());
}
