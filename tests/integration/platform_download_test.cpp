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
    MakeRepository(box / "repo", {{"README", "via the proxy\n"}});
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
