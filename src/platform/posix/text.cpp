#include "platform/text.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstring>

namespace platform {
namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// Length of the well-formed UTF-8 sequence at s[i], or 0 when the bytes there
// don't start one (overlong forms, surrogates and values past U+10FFFF
// included).
size_t Utf8SequenceLength(const unsigned char* s, size_t i, size_t n) {
    unsigned char b = s[i];
    if (b < 0x80) return 1;
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // bounds of the second byte
    if (b >= 0xC2 && b <= 0xDF)
        len = 2;
    else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (i + len > n || s[i + 1] < lo || s[i + 1] > hi) return 0;
    for (size_t k = 2; k < len; ++k)
        if ((s[i + k] & 0xC0) != 0x80) return 0;
    return len;
}

std::string RepairUtf8(const std::string& bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        size_t len = Utf8SequenceLength(s, i, bytes.size());
        if (len == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(bytes, i, len);
            i += len;
        }
    }
    return out;
}

// One converter per thread, reopened only when the locale's codeset changes:
// lines arrive by the thousand and iconv_open is not cheap.
struct Converter {
    std::string codeset;
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    ~Converter() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
    bool Open(const char* name) {
        if (codeset == name) return cd != reinterpret_cast<iconv_t>(-1);
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
        codeset = name;
        cd = iconv_open("UTF-8", name);
        return cd != reinterpret_cast<iconv_t>(-1);
    }
};

std::string Convert(iconv_t cd, const std::string& bytes) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char chunk[4096];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* o = chunk;
        size_t oLeft = sizeof chunk;
        size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(chunk, o - chunk);
        if (r != static_cast<size_t>(-1) || errno == E2BIG) continue;
        // An invalid or truncated sequence: replace one byte and go on.
        out += kReplacement;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

bool IsAscii(const std::string& bytes) {
    for (unsigned char c : bytes)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

std::string SystemToUtf8(const std::string& bytes) {
    // Every codeset a POSIX locale can name is a superset of ASCII.
    if (IsAscii(bytes)) return bytes;
    const char* codeset = nl_langinfo(CODESET);
    if (codeset == nullptr || std::strcmp(codeset, "UTF-8") == 0) return RepairUtf8(bytes);
    thread_local Converter converter;
    if (!converter.Open(codeset)) return RepairUtf8(bytes);
    return Convert(converter.cd, bytes);
}

void UseUserCharset() { std::setlocale(LC_ALL, ""); }

}  // namespace platform
