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

DownloadResult DownloadUrl(const std::string& url, const std::string& target) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL* curl = curl_easy_init();
    if (!curl) return DownloadResult::Failed;
    FILE* out = std::fopen(target.c_str(), "wb");
    if (!out) {
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
    CURLcode rc = curl_easy_perform(curl);
    const DownloadResult result = Outcome(curl, rc, std::fclose(out) == 0);
    curl_easy_cleanup(curl);
    return result;
}

}  // namespace platform
