#include "platform/download.h"

#include <windows.h>
// after windows.h, which they need
#include <urlmon.h>
#include <wininet.h>

#include "platform/win32/utf16.h"

namespace platform {

namespace {

// URLDownloadToFileW saves an error page as readily as the file asked for
// and reports success; the HTTP status only reaches a callback that offers
// IHttpNegotiate. This one lives on the stack for the blocking call.
class StatusWatch : public IBindStatusCallback, public IHttpNegotiate, public IServiceProvider {
public:
    DWORD status = 0;
    bool (*keepGoing)() = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IBindStatusCallback)
            *out = static_cast<IBindStatusCallback*>(this);
        else if (riid == IID_IHttpNegotiate)
            *out = static_cast<IHttpNegotiate*>(this);
        else if (riid == IID_IServiceProvider)
            *out = static_cast<IServiceProvider*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // IServiceProvider: how the binding asks for IHttpNegotiate.
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID, REFIID riid, void** out) override {
        return QueryInterface(riid, out);
    }

    // IHttpNegotiate
    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* extra) override {
        *extra = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR, LPCWSTR, LPWSTR* extra) override {
        status = code;
        if (extra) *extra = nullptr;
        return S_OK;
    }

    // IBindStatusCallback. The blocking call reports progress on this thread:
    // the only moments it lets the caller repaint, or end the fetch.
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override {
        return keepGoing && !keepGoing() ? E_ABORT : S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }
};

DownloadResult FromStatus(DWORD status) {
    if (status == 401 || status == 403) return DownloadResult::Refused;
    return status >= 400 ? DownloadResult::Failed : DownloadResult::Done;
}

// Closes a WinINet handle when it goes out of scope.
struct Handle {
    HINTERNET h;
    ~Handle() {
        if (h != nullptr) InternetCloseHandle(h);
    }
};

DWORD StatusOf(HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
        return 0;
    return status;
}

// Reads the rest of a response into `out` (INVALID_HANDLE_VALUE: away).
bool ReadBody(HINTERNET request, HANDLE out, bool (*keepGoing)()) {
    char buf[65536];
    for (;;) {
        if (keepGoing && !keepGoing()) return false;
        DWORD got = 0;
        if (!InternetReadFile(request, buf, sizeof buf, &got)) return false;
        if (got == 0) return true;
        DWORD wrote = 0;
        if (out == INVALID_HANDLE_VALUE) continue;
        if (!WriteFile(out, buf, got, &wrote, nullptr) || wrote != got) return false;
    }
}

// URLDownloadToFileW takes the system's proxy settings and no other, so a
// fetch through the proxy the client is told of goes through WinINet: the
// proxy named to the session, its credentials set on the request and sent
// again when it asks for them. The sending itself blocks without calling
// `keepGoing`; the reading calls it between pieces.
DownloadResult FetchThroughProxy(const std::string& url, const std::string& target,
                                 bool (*keepGoing)(), const Proxy& proxy) {
    const std::wstring urlW = win32::Widen(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(urlW.c_str(), 0, 0, &parts)) return DownloadResult::Failed;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring object = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                                std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    const std::wstring through =
        win32::Widen(proxy.port.empty() ? proxy.host : proxy.host + ":" + proxy.port);
    // "<-loopback>": a server on this machine goes through the proxy too.
    Handle session{InternetOpenW(L"Vellum", INTERNET_OPEN_TYPE_PROXY, through.c_str(),
                                 L"<-loopback>", 0)};
    if (session.h == nullptr) return DownloadResult::Failed;
    Handle connection{InternetConnectW(session.h, host.c_str(), parts.nPort, nullptr, nullptr,
                                       INTERNET_SERVICE_HTTP, 0, 0)};
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                        INTERNET_FLAG_NO_COOKIES |
                        (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    Handle request{connection.h == nullptr
                       ? nullptr
                       : HttpOpenRequestW(connection.h, L"GET", object.c_str(), nullptr, nullptr,
                                          nullptr, flags, 0)};
    if (request.h == nullptr) return DownloadResult::Failed;
    std::wstring user = win32::Widen(proxy.user), password = win32::Widen(proxy.password);
    if (!user.empty()) {
        InternetSetOptionW(request.h, INTERNET_OPTION_PROXY_USERNAME, user.data(),
                           static_cast<DWORD>(user.size()));
        InternetSetOptionW(request.h, INTERNET_OPTION_PROXY_PASSWORD, password.data(),
                           static_cast<DWORD>(password.size()));
    }
    DWORD status = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!HttpSendRequestW(request.h, nullptr, 0, nullptr, 0)) return DownloadResult::Failed;
        status = StatusOf(request.h);
        // The first answer may be the proxy asking for what it was not yet sent.
        if (status != HTTP_STATUS_PROXY_AUTH_REQ || user.empty()) break;
        if (!ReadBody(request.h, INVALID_HANDLE_VALUE, keepGoing)) return DownloadResult::Failed;
    }
    // Redirections are followed: what answers now is the file or the reason.
    if (status < 200 || status >= 300)
        return status == 401 || status == 403 ? DownloadResult::Refused : DownloadResult::Failed;
    const std::wstring targetW = win32::Widen(target);
    HANDLE out = CreateFileW(targetW.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return DownloadResult::Failed;
    const bool ok = ReadBody(request.h, out, keepGoing);
    if (!CloseHandle(out) || !ok) {
        DeleteFileW(targetW.c_str());
        return DownloadResult::Failed;
    }
    return DownloadResult::Done;
}

}  // namespace

DownloadResult DownloadUrl(const std::string& url, const std::string& target,
                           bool (*keepGoing)(), const Proxy& proxy) {
    if (!proxy.host.empty()) return FetchThroughProxy(url, target, keepGoing, proxy);
    std::wstring urlW = win32::Widen(url);
    std::wstring targetW = win32::Widen(target);
    // A repository file changes under the same URL: never take the cache's copy.
    DeleteUrlCacheEntryW(urlW.c_str());
    StatusWatch watch;
    watch.keepGoing = keepGoing;
    const HRESULT hr = URLDownloadToFileW(nullptr, urlW.c_str(), targetW.c_str(), 0, &watch);
    const DownloadResult result = FromStatus(watch.status);
    if (result != DownloadResult::Done) {
        DeleteFileW(targetW.c_str());  // the server's error page, not the file
        return result;
    }
    return hr == S_OK ? DownloadResult::Done : DownloadResult::Failed;
}

}  // namespace platform
