// HTTP fetches with WinINet on a thread of their own. The calling thread
// writes what arrives and, between short waits, asks `keepGoing`: a server
// that accepts and never answers can't hold the program past a close request.
#include "platform/download.h"

#include <windows.h>
// after windows.h, which it needs
#include <wininet.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/win32/utf16.h"

namespace platform {

namespace {

using win32::Widen;

// What the fetching thread and the caller share. The caller may leave
// first (an end asked for): the thread then finds `abandoned` and stops.
struct Transfer {
    std::mutex lock;
    std::string arrived;  // bytes not yet written
    bool finished = false;
    bool failed = false;
    bool abandoned = false;
    DWORD status = 0;
    HINTERNET session = nullptr;  // closed by whoever is last
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ~Transfer() {
        if (session) InternetCloseHandle(session);
        CloseHandle(wake);
    }
};

std::string Base64(const std::string& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        unsigned v = 0;
        for (size_t k = 0; k < 3; ++k)
            v = v << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

DWORD StatusOf(HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    return HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                          nullptr)
               ? status
               : 0;
}

// A proxy that asks for its credentials though they went along gets them
// again, the way it asks for them; true when the request went out anew.
bool Resend(HINTERNET request, const Proxy& proxy) {
    std::wstring user = Widen(proxy.user), password = Widen(proxy.password);
    InternetSetOptionW(request, INTERNET_OPTION_PROXY_USERNAME, user.data(),
                       static_cast<DWORD>(user.size()));
    InternetSetOptionW(request, INTERNET_OPTION_PROXY_PASSWORD, password.data(),
                       static_cast<DWORD>(password.size()));
    char buffer[4096];
    for (DWORD got = 1; got > 0;)
        if (!InternetReadFile(request, buffer, sizeof buffer, &got)) return false;
    return HttpSendRequestW(request, nullptr, 0, nullptr, 0) != FALSE;
}

// The fetching thread: the answer's status, then its body in pieces. The
// session is its copy of the handle: the caller may close it meanwhile.
void Fetch(const std::shared_ptr<Transfer>& t, HINTERNET session, const std::wstring& url,
           const Proxy& proxy) {
    // Sent to the proxy up front: a plain fetch through it needs no second try.
    std::wstring headers;
    if (!proxy.host.empty() && !proxy.user.empty())
        headers = L"Proxy-Authorization: Basic " +
                  Widen(Base64(proxy.user + ":" + proxy.password)) + L"\r\n";
    // A repository file changes under the same URL: never the cache's copy.
    // No credentials go to the server: a refusal is the caller's to handle.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH;
    HINTERNET request =
        InternetOpenUrlW(session, url.c_str(), headers.empty() ? nullptr : headers.c_str(),
                         static_cast<DWORD>(-1), flags, 0);
    bool ok = request != nullptr;
    DWORD status = ok ? StatusOf(request) : 0;
    if (status == HTTP_STATUS_PROXY_AUTH_REQ && !proxy.user.empty() && Resend(request, proxy))
        status = StatusOf(request);
    {
        std::lock_guard<std::mutex> hold(t->lock);
        t->status = status;
    }
    // The body of an error status is the server's page, not the file.
    while (ok && status < 400) {
        char buffer[16384];
        DWORD got = 0;
        ok = InternetReadFile(request, buffer, sizeof buffer, &got) != FALSE;
        if (!ok || got == 0) break;
        std::lock_guard<std::mutex> hold(t->lock);
        if (t->abandoned) break;
        t->arrived.append(buffer, got);
        SetEvent(t->wake);
    }
    std::lock_guard<std::mutex> hold(t->lock);
    // An abandoned fetch's handles went with the session the caller closed.
    if (request && !t->abandoned) InternetCloseHandle(request);
    t->failed = !ok;
    t->finished = true;
    SetEvent(t->wake);
}

// A session through `proxy`, a server on this machine included, or straight
// to the server when there is none: as the client goes.
HINTERNET OpenSession(const Proxy& proxy) {
    if (proxy.host.empty())
        return InternetOpenW(L"Vellum", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    const std::wstring server =
        Widen(proxy.port.empty() ? proxy.host : proxy.host + ":" + proxy.port);
    HINTERNET session =
        InternetOpenW(L"Vellum", INTERNET_OPEN_TYPE_PROXY, server.c_str(), L"<-loopback>", 0);
    if (session && !proxy.user.empty()) {
        std::wstring user = Widen(proxy.user), password = Widen(proxy.password);
        InternetSetOptionW(session, INTERNET_OPTION_PROXY_USERNAME, user.data(),
                           static_cast<DWORD>(user.size()));
        InternetSetOptionW(session, INTERNET_OPTION_PROXY_PASSWORD, password.data(),
                           static_cast<DWORD>(password.size()));
    }
    return session;
}

DownloadResult FromStatus(DWORD status) {
    if (status == 401 || status == 403) return DownloadResult::Refused;
    return status >= 400 ? DownloadResult::Failed : DownloadResult::Done;
}

}  // namespace

DownloadResult DownloadUrl(const std::string& url, const std::string& target, bool (*keepGoing)(),
                           const Proxy& proxy) {
    const std::wstring targetW = Widen(target);
    auto t = std::make_shared<Transfer>();
    t->session = OpenSession(proxy);
    if (!t->session || !t->wake) return DownloadResult::Failed;
    const DWORD timeout = 30000;  // to connect, as the client's default
    InternetSetOptionW(t->session, INTERNET_OPTION_CONNECT_TIMEOUT, const_cast<DWORD*>(&timeout),
                       sizeof timeout);
    HANDLE file = CreateFileW(targetW.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return DownloadResult::Failed;
    std::thread(Fetch, t, t->session, Widen(url), proxy).detach();

    bool written = true, ended = false;
    DownloadResult result = DownloadResult::Failed;
    for (bool last = false; !last;) {
        WaitForSingleObject(t->wake, 20);
        std::string bytes;
        {
            std::lock_guard<std::mutex> hold(t->lock);
            bytes.swap(t->arrived);
            last = t->finished;
            if (last) result = t->failed ? DownloadResult::Failed : FromStatus(t->status);
        }
        DWORD wrote = 0;
        if (!bytes.empty())
            written =
                written &&
                WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
                wrote == bytes.size();
        if (!last && keepGoing && !keepGoing()) {
            // Left to its own end; the session's close cuts short what it can.
            std::lock_guard<std::mutex> hold(t->lock);
            t->abandoned = true;
            InternetCloseHandle(t->session);
            t->session = nullptr;
            ended = true;
            break;
        }
    }
    written = CloseHandle(file) && written;
    if (ended || !written) result = DownloadResult::Failed;
    if (result != DownloadResult::Done) DeleteFileW(targetW.c_str());
    return result;
}

}  // namespace platform
