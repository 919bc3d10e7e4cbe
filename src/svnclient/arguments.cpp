#include "svnclient/arguments.h"

#include <utility>

namespace svnclient {

ArgumentList BuildArguments(const ArgumentList& args, int credentials,
                            const settings::Settings& s) {
    ArgumentList out = args;
    if (s.useProxy != 0) {
        // All four even when a value is empty: the option then ends in "=",
        // which clears whatever the client's own configuration says.
        const std::pair<const char*, const std::string*> proxy[] = {
            {"host", &s.proxyHost},
            {"port", &s.proxyPort},
            {"username", &s.proxyLogin},
            {"password", &s.proxyPassword},
        };
        for (const auto& [key, value] : proxy) {
            out.push_back(Plain("--config-option"));
            out.push_back(Plain(std::string("servers:global:http-proxy-") + key + "=" + *value));
        }
    }
    out.push_back(Plain("--non-interactive"));
    if (s.SVNAuthCache == 0) {
        out.push_back(Plain("--no-auth-cache"));
        if (credentials == 1) {
            out.push_back(Plain("--username"));
            out.push_back(Plain(s.SVNUsername));
            out.push_back(Plain("--password-from-stdin"));
        }
    }
    return out;
}

std::string ClientInput(int credentials, const settings::Settings& s) {
    return s.SVNAuthCache == 0 && credentials == 1 ? s.SVNPassword + "\n" : "";
}

std::string JoinUrl(const std::string& base, const std::string& relative) {
    if (relative.empty()) return base;
    if (base.empty()) return relative;
    bool baseSlash = base.back() == '/';
    bool relSlash = relative.front() == '/';
    if (baseSlash && relSlash) return base + relative.substr(1);
    if (baseSlash || relSlash) return base + relative;
    return base + "/" + relative;
}

std::string EncodeUrlPath(const std::string& relativePath) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : relativePath) {
        const auto c = static_cast<unsigned char>(ch);
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                          c == '/';
        if (keep) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string RepositoryUrl(const std::string& relativePath) {
    return JoinUrl(settings::g_settings.SVNRemoteRepositery, EncodeUrlPath(relativePath));
}

}  // namespace svnclient
