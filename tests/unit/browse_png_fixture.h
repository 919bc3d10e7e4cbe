// Writes PNG files of any colour type for the icon tests, with libpng itself,
// so the decoder meets files exactly as other programs make them.
#pragma once
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "browse/icon_set.h"

namespace pngfixture {

struct Picture {
    int width = 16, height = 16;
    int colorType = PNG_COLOR_TYPE_RGBA;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette{};
    std::vector<png_byte> paletteAlpha{};       // tRNS for a palette image
    std::vector<std::vector<png_byte>> rows{};  // raw samples, as libpng takes them
};

inline bool Write(const std::string& path, const Picture& s) {
    std::vector<png_bytep> rows;  // before setjmp: nothing is built after it
    for (const auto& r : s.rows) rows.push_back(const_cast<png_bytep>(r.data()));
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
    if (!s.paletteAlpha.empty())
        png_set_tRNS(png, info, s.paletteAlpha.data(), int(s.paletteAlpha.size()), nullptr);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

// A 16x16 RGBA file from pixels in the program's 0xAARRGGBB layout.
inline bool WritePixels(const std::string& path, const browse::Pixels& p) {
    Picture s;
    for (int y = 0; y < 16; ++y) {
        std::vector<png_byte> row;
        for (int x = 0; x < 16; ++x) {
            const uint32_t v = p[y * 16 + x];
            row.insert(row.end(),
                       {png_byte(v >> 16), png_byte(v >> 8), png_byte(v), png_byte(v >> 24)});
        }
        s.rows.push_back(row);
    }
    return Write(path, s);
}

}  // namespace pngfixture
