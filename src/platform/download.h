#pragma once
#include <string>

namespace platform {

enum class DownloadResult {
    Done,
    Refused,  // the server wants credentials or denies access (HTTP 401, 403)
    Failed,   // anything else: no server, another HTTP error, a local write error, an end asked for
};

// The HTTP proxy a fetch goes through, as the client is told of it; an empty
// host: none.
struct Proxy {
    std::string host, port, user, password;
};

// Fetches `url` into the file `target`, sending no credentials for the
// server (the proxy's, when `proxy` has them). Blocks, calling `keepGoing`
// (when given) on every pass of its wait, so the window stays painted; the
// fetch ends, failed, once it returns false.
DownloadResult DownloadUrl(const std::string& url, const std::string& target,
                           bool (*keepGoing)() = nullptr, const Proxy& proxy = {});

}  // namespace platform
