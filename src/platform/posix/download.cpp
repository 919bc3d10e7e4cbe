#include "platform/download.h"

#include <curl/curl.h>

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<FILE*>(file));
}

DownloadResult Outcome(CURL* curl, CURLcode rc, bool written) {
    if (rc == CURLE_OK) return written ? DownloadResult::Done : DownloadResult::Failed;
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status == 401 || status == 403 ? DownloadResult::Refused : DownloadResult::Failed;
}

}  // namespace

DownloadResult DownloadUrl(const std::string& url, const std::string& target, bool (*keepGoing)(),
                           const Proxy& proxy) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL* curl = curl_easy_init();
    CURLM* multi = curl_multi_init();
    FILE* out = curl && multi ? std::fopen(target.c_str(), "wb") : nullptr;
    if (!out) {
        curl_multi_cleanup(multi);
        curl_easy_cleanup(curl);
        return DownloadResult::Failed;
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, out);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);  // an HTTP error status is a failure
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    // The proxy the client is told of, with its credentials (basic, as the
    // client sends them); it overrides any from the environment.
    const std::string through = proxy.port.empty() ? proxy.host : proxy.host + ":" + proxy.port;
    if (!proxy.host.empty()) {
        curl_easy_setopt(curl, CURLOPT_PROXY, through.c_str());
        if (!proxy.user.empty()) {
            curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, proxy.user.c_str());
            curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, proxy.password.c_str());
            curl_easy_setopt(curl, CURLOPT_PROXYAUTH, CURLAUTH_BASIC);
        }
    }
    curl_multi_add_handle(multi, curl);
    // Driven in short waits rather than one blocking call: between them the
    // caller repaints, and may end a fetch from a server that never answers.
    CURLcode rc = CURLE_ABORTED_BY_CALLBACK;
    for (int running = 1; running > 0;) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) break;
        int left = 0;
        if (CURLMsg* m = curl_multi_info_read(multi, &left); m && m->msg == CURLMSG_DONE) {
            rc = m->data.result;
            break;
        }
        if (keepGoing && !keepGoing()) break;
        if (running > 0 && curl_multi_poll(multi, nullptr, 0, 20, nullptr) != CURLM_OK) break;
    }
    curl_multi_remove_handle(multi, curl);
    curl_multi_cleanup(multi);
    const DownloadResult result = Outcome(curl, rc, std::fclose(out) == 0);
    curl_easy_cleanup(curl);
    return result;
}

}  // namespace platform
