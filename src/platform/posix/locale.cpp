#include "platform/locale.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <string>

#include "platform/utf8.h"

namespace platform {

std::string PosixLocaleName(const std::string& value) {
    std::string name = value;
    size_t dot = name.find('.');
    if (dot != std::string::npos) {
        size_t at = name.find('@', dot);
        name = name.substr(0, dot) + (at == std::string::npos ? "" : name.substr(at));
    }
    if (name.empty() || name == "C" || name == "POSIX") return "C";
    return name;
}

std::string CurrentLocaleName() {
    // The same precedence as setlocale(LC_MESSAGES, ""): the first non-empty
    // of LC_ALL, LC_MESSAGES, LANG.
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return PosixLocaleName(v);
    }
    return "C";
}

// Upper-cases each code point with towupper, which follows Unicode on glibc
// once a UTF-8 locale is active and leaves ASCII rules otherwise.
std::string ToUpper(const std::string& s) {
    std::string out;
    for (size_t at = 0; at < s.size();) {
        char32_t c = utf8::Next(s, at);
        if (c < 0x80)
            c = (c >= 'a' && c <= 'z') ? c - 32 : c;
        else
            c = static_cast<char32_t>(std::towupper(static_cast<wint_t>(c)));
        utf8::Append(out, c);
    }
    return out;
}

std::string LocalTimeText(int64_t utcSeconds) {
    // localtime_r need not look at TZ again; tzset does, and costs little
    // when it has not changed.
    tzset();
    const time_t t = static_cast<time_t>(utcSeconds);
    tm local{};
    if (localtime_r(&t, &local) == nullptr) return "";
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    return text;
}

}  // namespace platform
