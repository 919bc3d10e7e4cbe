// Entry names order as the lists always have: only A-Z fold onto a-z, and
// everything else compares by UTF-16 code unit, so a character above U+FFFF
// sorts by its surrogates (before U+E000..U+FFFF).
#include <cstdint>
#include <string>

#include "browse/entry_list.h"
#include "platform/utf8.h"

namespace browse {

namespace {

// Yields the folded UTF-16 code units of a UTF-8 text one by one; each byte
// that starts no valid sequence is one U+FFFD.
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
        char32_t cp = platform::utf8::Next(s_, at_);
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
