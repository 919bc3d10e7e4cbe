// Entry names order as the lists always have: only A-Z fold onto a-z, and
// everything else compares by UTF-16 code unit, so a character above U+FFFF
// sorts by its surrogates (before U+E000..U+FFFF).
#include <cstdint>
#include <string>

#include "browse/entry_list.h"

namespace browse {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Yields the folded UTF-16 code units of a UTF-8 text one by one. A byte that
// starts no valid sequence becomes U+FFFD, as the system's own conversion does.
class Units {
public:
    explicit Units(const std::string& s) : s_(s) {}

    // False at the end.
    bool Next(uint16_t& unit) {
        if (pendingLow_) {
            unit = pendingLow_;
            pendingLow_ = 0;
            return true;
        }
        if (at_ >= s_.size()) return false;
        char32_t cp = Decode();
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit = static_cast<uint16_t>(0xD800 + (cp >> 10));
            pendingLow_ = static_cast<uint16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            unit = static_cast<uint16_t>(cp);
            if (unit >= 'A' && unit <= 'Z') unit += 'a' - 'A';
        }
        return true;
    }

private:
    unsigned char Byte(size_t i) const { return static_cast<unsigned char>(s_[i]); }

    char32_t Decode() {
        const unsigned char b = Byte(at_);
        int extra;
        char32_t cp, min;
        if (b < 0x80) {
            ++at_;
            return b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1, cp = b & 0x1F, min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2, cp = b & 0x0F, min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3, cp = b & 0x07, min = 0x10000;
        } else {
            ++at_;
            return kReplacement;
        }
        if (at_ + extra >= s_.size()) {  // cut short by the end of the text
            ++at_;
            return kReplacement;
        }
        for (int k = 1; k <= extra; ++k) {
            const unsigned char c = Byte(at_ + k);
            if ((c & 0xC0) != 0x80) {
                ++at_;
                return kReplacement;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not text.
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            ++at_;
            return kReplacement;
        }
        at_ += extra + 1;
        return cp;
    }

    const std::string& s_;
    size_t at_ = 0;
    uint16_t pendingLow_ = 0;
};

}  // namespace

int CompareNames(const std::string& a, const std::string& b) {
    Units ua(a), ub(b);
    for (;;) {
        uint16_t x = 0, y = 0;
        const bool hasX = ua.Next(x);
        const bool hasY = ub.Next(y);
        if (!hasX || !hasY) return hasX - hasY;  // a prefix sorts first
        if (x != y) return x < y ? -1 : 1;
    }
}

}  // namespace browse
