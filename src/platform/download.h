#pragma once
#include <string>

namespace platform {

// Fetches `url` into the file `target`, blocking. False on any failure
// (an HTTP error status included).
bool DownloadUrl(const std::string& url, const std::string& target);

}  // namespace platform
