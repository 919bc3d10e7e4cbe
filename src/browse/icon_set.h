// The folder and file icons and the forty status composites, made once at
// start-up from the PNG files under gfx/.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "browse/status_codes.h"

namespace browse {

// 16x16 pixels, 0xAARRGGBB, row by row.
using Pixels = std::array<uint32_t, 256>;

// Decodes a PNG file into 16x16 RGBA (cut at the edges when larger, missing
// pixels transparent black when smaller). nullopt when missing or undecodable.
std::optional<Pixels> DecodePng(const std::string& path);

// Opaque black square; the base copied without blending (alpha stays 255);
// the overlay blended by its own alpha. Absent images draw nothing.
Pixels Compose(const std::optional<Pixels>& base, const std::optional<Pixels>& overlay);

struct IconSet {
    // [0] the file icon, [1] the folder icon; absent when its file is.
    std::array<std::optional<Pixels>, 2> plain;
    std::array<std::array<std::optional<Pixels>, 2>, kStatusCodeCount> composite;

    // The composite for a known code, else the plain icon.
    const std::optional<Pixels>& For(const std::string* code, int isFolder) const;
};

// Loads from `folder` (default "gfx" + separator).
IconSet LoadIconSet(const std::string& folder = "");

}  // namespace browse
