#pragma once
#include <string>
#include "platform/window.h"

namespace browse {

// The composite for a known code over the folder or file icon; the plain icon
// for any other code. 0 when the icon set holds no such image.
platform::ImageHandle StatusIcon(const std::string& code, int isFolder);
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
