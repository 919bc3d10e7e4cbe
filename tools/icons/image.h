// Pictures the icon generator draws: straight-alpha pixels, 0xAARRGGBB, row
// by row from the top, the same layout the program decodes its icons into.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace icons {

struct Image {
    int w = 0, h = 0;
    std::vector<uint32_t> px;

    Image(int width, int height, uint32_t fill = 0)
        : w(width), h(height), px(size_t(width) * height, fill) {}
    uint32_t& at(int x, int y) { return px[size_t(y) * w + x]; }
    uint32_t at(int x, int y) const { return px[size_t(y) * w + x]; }
};

constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}
constexpr uint32_t Rgb(uint32_t rgb) { return 0xFF000000 | rgb; }

// 8-bit RGBA PNG bytes; empty on failure.
std::vector<uint8_t> EncodePng(const Image& image);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace icons
