// The reading loop against the real client: "svn list" over file:// and
// http://, and a large file through "svn cat"; downloads from a silent server
// and through a proxy.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "client_env.h"
#include "platform/download.h"
#include "support/servers.h"

namespace {

using namespace svnclient;
using namespace testsupport;

struct Listing {
    Lines lines;
    ClientResult result;
};

Listing List(const std::string& url) {
    Collect c;
    ClientResult r = RunClient({Plain("list"), Quoted(url)}, "", 1, c.Sink());
    return {c.lines, r};
}

using RealClient = ClientTest;

// A locale the machine lacks makes the client warn on its error output and
// still list: only a failed run reports its error text. (The browse suite
// has the listings and a failure's words in the usual locale.)
TEST_F(RealClient, OnlyAFailedRunReportsTheErrorOutput) {
    ScopedCwd cwd(box.Path());  // no svn/bin/svn here: the client on PATH
    const std::string url = Repo({{"docs/", ""}});
    ScopedEnv locale("LC_ALL", "xx_YY.UTF-8");
    const Listing listed = List(url);
    EXPECT_EQ(listed.lines, Lines{"docs/"});
    EXPECT_EQ(listed.result.errors, "");
    EXPECT_NE(List(JoinUrl(url, "gone/")).result.errors.find("svn: E"), std::string::npos);
}

// A client that never ran, was killed or failed without a word is no success.
TEST_F(RealClient, AClientThatFailedInSilenceSaysSo) {
    ScopedCwd cwd(box.Path());
    {
        ScopedEnv path("PATH", box / "empty");
        bool called = false;
        ClientResult none =
            RunClient({Plain("list")}, "", 1, [&](const std::string&) { called = true; });
        EXPECT_FALSE(none.started);
        EXPECT_FALSE(called);
        EXPECT_EQ(none.errors, "The client program could not be started: svn");
    }
    // The client in the current folder comes first.
    const std::pair<const char*, const char*> cases[] = {
        {"kill -9 $$", "The client program was ended before it finished."},
        {"exit 3", "The client program failed without a message; exit code 3."},
        {"echo svn: E1: said why >&2; exit 1", "svn: E1: said why\n"},
        {"echo warned >&2", ""}};
    for (const auto& [script, errors] : cases) {
        PutClient(box.Path(), script);
        EXPECT_EQ(RunClient({Plain("list")}, "", 1, [](const std::string&) {}).errors, errors)
            << script;
    }
}

// Megabytes of lines of every length, cut wherever the client's writes end:
// the buffer behind the reader is compacted many times on the way.
TEST_F(RealClient, LargeOutputArrivesLineForLine) {
    Lines expected;
    std::string text;
    for (int i = 0; i < 12000; ++i) {
        expected.push_back(std::to_string(i) + ":" + std::string(i * 7919 % 300, 'a' + i % 26));
        text += expected.back() + "\n";
    }
    const std::string url = Repo({{"big.txt", text}});
    Collect c;
    ClientResult r = RunClient({Plain("cat"), Quoted(url + "big.txt")}, "", 1, c.Sink());
    EXPECT_EQ(r.errors, "");
    ASSERT_EQ(c.lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(c.lines[i], expected[i]) << "line " << i;
}

// Over http from Apache httpd + mod_dav_svn with basic auth, directly and
// through tinyproxy.
TEST_F(RealClient, CredentialsAndProxyFromTheSettingsReachTheServer) {
    for (const char* folder : {"httpd", "proxy"}) MakeDirs(box / folder);
    Repo({{"trunk/a.txt", "a\n"}, {"README", "r\n"}});
    HttpdServer httpd(box / "httpd", box / "repo", "alice", "s3cret");
    ASSERT_TRUE(httpd.Running()) << ReadFile(box / "httpd/error.log");
    ProxyServer proxy(box / "proxy");
    ASSERT_TRUE(proxy.Running());

    auto& s = settings::g_settings;
    s.SVNUsername = "alice";
    s.proxyHost = "127.0.0.1";
    const Lines listing = {"README", "trunk/"};
    struct Case {
        const char* what;
        const char* password;
        int authCache, useProxy, proxyPort;
        bool lists;
    };
    for (const Case& c :
         {Case{"right password", "s3cret", 0, 0, 80, true},
          Case{"wrong password", "wrong", 0, 0, 80, false},
          Case{"none sent: the client's empty cache", "s3cret", 1, 0, 80, false},
          Case{"through the proxy", "s3cret", 0, 1, proxy.Port(), true},
          Case{"a proxy that isn't there, not direct", "s3cret", 0, 1, FreePort(), false}}) {
        s.SVNPassword = c.password;
        s.SVNAuthCache = c.authCache;
        s.useProxy = c.useProxy;
        s.proxyPort = std::to_string(c.proxyPort);
        Listing r = List(httpd.Url());
        EXPECT_EQ(r.lines, c.lists ? listing : Lines()) << c.what;
        EXPECT_EQ(r.result.errors.find("svn: E") != std::string::npos, !c.lists)
            << c.what << ": " << r.result.errors;
    }
    EXPECT_NE(proxy.Log().find(std::to_string(httpd.Port())), std::string::npos) << proxy.Log();
    // A download applies neither the credentials nor the proxy: refused.
    EXPECT_EQ(platform::DownloadUrl(httpd.Url() + "README", box / "README"),
              platform::DownloadResult::Refused);
}

int g_passes = 0;

using Download = ClientTest;

TEST_F(Download, ASilentServerIsWaitedOnInShortPassesUntilTheCallerGivesUp) {
    int port = 0;
    const int silent = Listening(&port);
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/f";
    const auto started = std::chrono::steady_clock::now();
    // 50 passes: the window is repainted many times a second, not once.
    EXPECT_EQ(platform::DownloadUrl(url, box / "f", [] { return ++g_passes < 50; }),
              platform::DownloadResult::Failed);
    EXPECT_EQ(g_passes, 50);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    close(silent);
}

// Through tinyproxy asking for its own credentials: each request shows in
// its log, and a refused one proves the fetch never went straight to the
// server (which asks for none).
TEST_F(Download, ThroughTheProxyWithItsCredentials) {
    for (const char* folder : {"httpd", "proxy"}) MakeDirs(box / folder);
    Repo({{"README", "via the proxy\n"}});
    HttpdServer httpd(box / "httpd", box / "repo");
    ProxyServer proxy(box / "proxy", "pat", "pr0xy-pw.1");
    ASSERT_TRUE(httpd.Running() && proxy.Running());
    const std::string port = std::to_string(proxy.Port()), absent = std::to_string(FreePort());
    const std::pair<platform::Proxy, bool> cases[] = {
        {{"127.0.0.1", port, "pat", "pr0xy-pw.1"}, true},
        {{"127.0.0.1", port, "", ""}, false},
        {{"127.0.0.1", port, "pat", "wrong"}, false},
        {{"127.0.0.1", absent, "pat", "pr0xy-pw.1"}, false},
        {{}, true},  // none: straight to the server
    };
    int n = 0;
    for (const auto& [through, fetched] : cases) {
        const std::string url = httpd.Url() + "README?" + std::to_string(++n);
        const std::string target = box / std::to_string(n);
        const platform::DownloadResult r = platform::DownloadUrl(url, target, nullptr, through);
        EXPECT_EQ(r == platform::DownloadResult::Done, fetched) << n;
        if (fetched) EXPECT_EQ(ReadFile(target), "via the proxy\n");
        EXPECT_EQ(proxy.Log().find(url) != std::string::npos, through.port == port) << n;
    }
}

}  // namespace
