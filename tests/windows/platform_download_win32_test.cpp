// Downloads from a small HTTP server on loopback: the bytes as sent, an HTTP
// error status as a failure with nothing left behind (a refusal told apart),
// a changed file anew, a proxy with its credentials, and a server that never
// answers left at once when the caller says to end.
#include <gtest/gtest.h>
#include <winsock2.h>
// winsock2 must come before windows.h
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/download.h"
#include "platform/paths.h"
#include "sandbox.h"

namespace {

const std::string kFileBytes("line\r\n\0\xFF\xE9 end", 14);

// Answers GET on 127.0.0.1: "/file" with kFileBytes, "/changing" with a new
// body each time, "/private" 403, "/silent" never (the connection is held
// until the server ends), anything else 404. As a proxy (the request names
// the whole URL) it wants ann's credentials, and on the first request for
// "/ask-once" asks for them again.
class LoopbackServer {
public:
    LoopbackServer() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        int size = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &size);
        port_ = ntohs(addr.sin_port);
        listen(listener_, 8);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        closesocket(listener_);  // ends accept()
        thread_.join();
        for (SOCKET s : held_) closesocket(s);
        WSACleanup();
    }
    std::string Url(const std::string& p) const {
        return "http://127.0.0.1:" + std::to_string(port_) + p;
    }
    std::string Port() const { return std::to_string(port_); }

private:
    void Serve() {
        for (;;) {
            SOCKET s = accept(listener_, nullptr, nullptr);
            if (s == INVALID_SOCKET) return;
            std::string request;
            char buf[2048];
            while (request.find("\r\n\r\n") == std::string::npos) {
                int n = recv(s, buf, sizeof buf, 0);
                if (n <= 0) break;
                request.append(buf, n);
            }
            std::string path = request.substr(4, request.find(' ', 4) - 4);
            const bool proxied = path.rfind("http://", 0) == 0;
            if (proxied) path = path.substr(path.find('/', 7));
            const bool authorized =
                request.find("Proxy-Authorization: Basic YW5uOnMzY3JldA==\r\n") !=
                std::string::npos;
            if (path == "/silent") {
                held_.push_back(s);
                continue;
            }
            std::string status = "200 OK", body;
            if (proxied && (!authorized || (path == "/ask-once" && asked_++ == 0)))
                status = "407 Proxy Authentication Required\r\nProxy-Authenticate: Basic";
            else if (path == "/file" || path == "/ask-once")
                body = kFileBytes;
            else if (path == "/changing")
                body = "version " + std::to_string(++served_);
            else if (path == "/private")
                status = "403 Forbidden", body = "<html>no</html>";
            else
                status = "404 Not Found", body = "<html>no such file</html>";
            std::string reply =
                "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
                "\r\nConnection: close\r\nCache-Control: max-age=3600\r\n\r\n" + body;
            send(s, reply.data(), static_cast<int>(reply.size()), 0);
            shutdown(s, SD_SEND);
            closesocket(s);
        }
    }

    SOCKET listener_;
    int port_ = 0;
    int served_ = 0, asked_ = 0;
    std::vector<SOCKET> held_;
    std::thread thread_;
};

// Ends a fetch on the tenth pass of its wait, noting when.
int passes = 0;
std::chrono::steady_clock::time_point toldToEnd;
bool EndOnTenthPass() {
    if (++passes < 10) return true;
    toldToEnd = std::chrono::steady_clock::now();
    return false;
}

TEST(WindowsDownload, BytesArriveAndHttpErrorsFailWithNothingLeft) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    LoopbackServer server;
    testsupport::Sandbox box;

    using platform::DownloadResult;
    ASSERT_EQ(platform::DownloadUrl(server.Url("/file"), box / "got.bin"), DownloadResult::Done);
    EXPECT_EQ(testsupport::ReadFile(box / "got.bin"), kFileBytes);
    // The server's error page must not pass for the file.
    const std::string missing = box / "missing.txt";
    EXPECT_EQ(platform::DownloadUrl(server.Url("/missing"), missing), DownloadResult::Failed);
    EXPECT_FALSE(platform::IsRegularFile(missing));
    EXPECT_EQ(platform::DownloadUrl(server.Url("/private"), missing), DownloadResult::Refused);
    EXPECT_FALSE(platform::IsRegularFile(missing));
    // The server says the answer keeps for an hour; a repository file that
    // changed must still come anew.
    ASSERT_EQ(platform::DownloadUrl(server.Url("/changing"), box / "v1"), DownloadResult::Done);
    ASSERT_EQ(platform::DownloadUrl(server.Url("/changing"), box / "v2"), DownloadResult::Done);
    EXPECT_EQ(testsupport::ReadFile(box / "v1"), "version 1");
    EXPECT_EQ(testsupport::ReadFile(box / "v2"), "version 2");
    // Nobody listening.
    EXPECT_EQ(platform::DownloadUrl("http://127.0.0.1:1/file", box / "none"),
              DownloadResult::Failed);
    // Through a proxy (the name is nowhere else), with its credentials.
    for (const char* path : {"/file", "/ask-once"}) {
        const platform::Proxy proxy{"127.0.0.1", server.Port(), "ann", "s3cret"};
        const std::string url = std::string("http://example.invalid") + path;
        ASSERT_EQ(platform::DownloadUrl(url, box / "proxied", nullptr, proxy),
                  DownloadResult::Done);
        EXPECT_EQ(testsupport::ReadFile(box / "proxied"), kFileBytes);
    }
    // A server that never answers is left within a second of the caller's end.
    EXPECT_EQ(platform::DownloadUrl(server.Url("/silent"), box / "silent", EndOnTenthPass),
              DownloadResult::Failed);
    EXPECT_LT(std::chrono::steady_clock::now() - toldToEnd, std::chrono::seconds(1));
    EXPECT_EQ(passes, 10);
    CoUninitialize();
}

}  // namespace
