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

}  // namespace

DownloadResult DownloadUrl(const std::string& url, const std::string& target,
                           bool (*keepGoing)()) {
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
