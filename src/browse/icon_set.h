// The folder and file icons and the forty status composites, made once at
// start-up from the PNG files under gfx/.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include "platform/window.h"

namespace browse {

// 16x16 pixels, 0xAARRGGBB, row by row.
using Pixels = std::array<uint32_t, 256>;

// Decodes a PNG file into 16x16 RGBA (cut at the edges when larger, missing
// pixels transparent black when smaller). nullopt when missing or undecodable.
std::optional<Pixels> DecodePng(const std::string& path);

// Opaque black square; the base copied without blending (alpha stays 255);
// the overlay blended by its own alpha. Absent images draw nothing.
Pixels Compose(const std::optional<Pixels>& base, const std::optional<Pixels>& overlay);

// Loads from `folder` (default "gfx" + separator) and registers the images
// with the window service.
void LoadIconSet(const std::string& folder = "");
// A composite for a known code, else the plain icon; 0 when absent.
platform::ImageHandle IconSetImage(const std::string* code, int isFolder);
// The composed pixels behind IconSetImage (for tests and the platform).
const std::optional<Pixels>& IconSetPixels(const std::string* code, int isFolder);

}  // namespace browse
