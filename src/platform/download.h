#pragma once
#include <string>

namespace platform {

enum class DownloadResult {
    Done,
    Refused,  // the server wants credentials or denies access (HTTP 401, 403)
    Failed,   // anything else: no server, another HTTP error, a local write error
};

// Fetches `url` into the file `target`, blocking. Sends no credentials.
DownloadResult DownloadUrl(const std::string& url, const std::string& target);

}  // namespace platform
