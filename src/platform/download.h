#pragma once
#include <string>

namespace platform {

// Fetches `url` into the file `target`. False on any failure (an HTTP error
// status included). Blocks, calling `keepGoing` (when given) on every pass of
// its wait, so the window stays painted; the fetch ends, failed, once it
// returns false.
bool DownloadUrl(const std::string& url, const std::string& target, bool (*keepGoing)() = nullptr);

}  // namespace platform
