#pragma once
#include <string>
#include <vector>

#include "icons/image.h"

namespace icons {

// An icon file holding, for each of `images`, a 16-colour and a 256-colour
// palette bitmap and a 32-bit bitmap, each with its transparency mask, then
// `largePng` (a PNG of `largeSize` pixels) for the systems that show big icons.
bool WriteIco(const std::string& path, const std::vector<Image>& images,
              const std::vector<uint8_t>& largePng, int largeSize);

}  // namespace icons
