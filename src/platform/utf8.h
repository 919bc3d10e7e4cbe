// UTF-8 as the whole program reads it, with one strictness for every caller.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace platform::utf8 {

constexpr char32_t kReplacement = 0xFFFD;

// The code point that starts at `at`, moving `at` past it. A byte that starts
// no valid sequence (a bad lead or continuation byte, an overlong form, a
// surrogate, a value past U+10FFFF, a sequence cut short) gives U+FFFD and
// moves one byte: each bad byte stands for one U+FFFD, as the system's own
// conversions do.
char32_t Next(std::string_view text, size_t& at);

// Appends `c` (at most U+10FFFF) encoded.
void Append(std::string& out, char32_t c);

}  // namespace platform::utf8
