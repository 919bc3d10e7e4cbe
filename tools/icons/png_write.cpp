#include <png.h>

#include <cstdio>

#include "icons/image.h"

namespace icons {

namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

// Everything that must survive libpng's longjmp lives in the caller's frame.
bool Encode(png_structp png, png_infop info, const Image& image, std::vector<uint8_t>& rows,
            std::vector<uint8_t>& out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, &out, Append, Flush);
    png_set_IHDR(png, info, image.w, image.h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    rows.resize(size_t(image.w) * 4);
    for (int y = 0; y < image.h; ++y) {
        for (int x = 0; x < image.w; ++x) {
            const uint32_t p = image.at(x, y);
            rows[x * 4 + 0] = uint8_t(p >> 16);
            rows[x * 4 + 1] = uint8_t(p >> 8);
            rows[x * 4 + 2] = uint8_t(p);
            rows[x * 4 + 3] = uint8_t(p >> 24);
        }
        png_write_row(png, rows.data());
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(const Image& image) {
    std::vector<uint8_t> out, rows;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return out;
    png_infop info = png_create_info_struct(png);
    const bool ok = info && Encode(png, info, image, rows, out);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (!ok) out.clear();
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok && !bytes.empty();
}

}  // namespace icons
