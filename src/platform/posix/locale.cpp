#include "platform/locale.h"

#include <cstdlib>
#include <cwctype>
#include <string>


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

namespace {

// Minimal UTF-8 walk: upper-cases each code point with towupper, which follows
// Unicode on glibc once a UTF-8 locale is active and leaves ASCII rules
// otherwise.
void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string ToUpper(const std::string& s) {
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        char32_t c = b;
        int len = 1;
        if (b >= 0xF0 && b < 0xF8) { c = b & 0x07; len = 4; }
        else if (b >= 0xE0) { c = b & 0x0F; len = 3; }
        else if (b >= 0xC0) { c = b & 0x1F; len = 2; }
        if (len > 1 && i + len <= s.size()) {
            for (int k = 1; k < len; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        } else {
            len = 1;
            c = b;
        }
        if (c < 0x80) c = (c >= 'a' && c <= 'z') ? c - 32 : c;
        else c = static_cast<char32_t>(std::towupper(static_cast<wint_t>(c)));
        if (len == 1 && b >= 0x80) out += static_cast<char>(b);  // stray byte: keep
        else AppendUtf8(out, c);
        i += len;
    }
    return out;
}

}  // namespace platform
