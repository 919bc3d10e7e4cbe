// Downloads through tinyproxy on loopback that asks for its own credentials:
// each request shows in its log, and a refused one proves the fetch never
// went straight to the server (which asks for none).
#include <gtest/gtest.h>

#include "platform/download.h"
#include "support/sandbox.h"
#include "support/servers.h"

using namespace testsupport;

namespace {

TEST(Download, ThroughTheProxyWithItsCredentials) {
    Sandbox box;
    for (const char* folder : {"httpd", "proxy"}) MakeDirs(box / folder);
    MakeRepository(box / "repo", {{"README", "through the proxy\n"}});
    HttpdServer httpd(box / "httpd", box / "repo");
    ASSERT_TRUE(httpd.Running()) << ReadFile(box / "httpd/error.log");
    ProxyServer proxy(box / "proxy", "pat", "pr0xy-pw.1");
    ASSERT_TRUE(proxy.Running());
    const std::string port = std::to_string(proxy.Port());

    struct Case {
        const char* what;
        platform::Proxy proxy;
        bool fetched;
    };
    const Case cases[] = {
        {"with the proxy's credentials", {"127.0.0.1", port, "pat", "pr0xy-pw.1"}, true},
        {"without", {"127.0.0.1", port, "", ""}, false},
        {"with a wrong password", {"127.0.0.1", port, "pat", "wrong"}, false},
        {"a proxy that isn't there", {"127.0.0.1", std::to_string(FreePort()), "pat", "pr0xy-pw.1"},
         false},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string target = box / ("got" + std::to_string(++n));
        const std::string url = httpd.Url() + "README?" + std::to_string(n);
        const bool fetched =
            platform::DownloadUrl(url, target, nullptr, c.proxy) == platform::DownloadResult::Done;
        EXPECT_EQ(fetched, c.fetched) << c.what;
        if (c.fetched) EXPECT_EQ(ReadFile(target), "through the proxy\n");
        // Served or refused, the proxy saw every request meant for it.
        EXPECT_EQ(proxy.Log().find(url) != std::string::npos, c.proxy.port == port) << c.what;
    }
    // Without a proxy the server is reached directly.
    EXPECT_EQ(platform::DownloadUrl(httpd.Url() + "README", box / "direct"),
              platform::DownloadResult::Done);
}

}  // namespace
