#pragma once
#include <string>

namespace browse {

// The translated description of a known code, "" for any other.
std::string StatusDescription(const std::string& code);

// The overlay file of a known code (e.g. "AIcon16x16.png"), "" otherwise.
std::string OverlayFileName(const std::string& code);

// The known codes are numbered 0..kStatusCodeCount-1; -1 for any other text.
constexpr int kStatusCodeCount = 20;
int StatusCodeIndex(const std::string& code);
// The code numbered `index` (0..kStatusCodeCount-1).
std::string StatusCodeAt(int index);

}  // namespace browse
