#include "platform/download.h"

#include <curl/curl.h>

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<FILE*>(file));
}

}  // namespace

bool DownloadUrl(const std::string& url, const std::string& target) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    FILE* out = std::fopen(target.c_str(), "wb");
    if (!out) {
        curl_easy_cleanup(curl);
        return false;
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, out);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);  // an HTTP error status is a failure
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    CURLcode rc = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    bool ok = std::fclose(out) == 0 && rc == CURLE_OK;
    return ok;
}

}  // namespace platform
