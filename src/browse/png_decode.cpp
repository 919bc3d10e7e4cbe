// PNG files to 16x16 RGBA. libpng reports errors by longjmp, so the decoding
// keeps every piece of state that outlives the jump in one record owned by
// the caller, and nothing with a destructor is created after setjmp.
#include <png.h>

#include <cstdio>
#include <vector>

#include "browse/icon_set.h"

namespace browse {

namespace {

constexpr int kSide = 16;

struct Decoder {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_byte> rows;  // the first kSide rows, then one scratch row

    ~Decoder() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (file) std::fclose(file);
    }
};

// Silent: an unreadable icon is simply absent.
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// Every colour type and depth becomes 8-bit RGBA.
void RequestRgba(png_structp png, png_infop info) {
    const int type = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (hasTrns) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(type & PNG_COLOR_MASK_ALPHA) && !hasTrns) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
}

bool Decode(Decoder& d, Pixels& out) {
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_init_io(d.png, d.file);
    png_set_sig_bytes(d.png, 8);
    // A forged header or chunk length must not make us allocate without
    // bound. libpng reads text, palette-suggestion and profile chunks into a
    // buffer of their declared length whatever png_set_chunk_malloc_max says,
    // so they and every other chunk an icon does not need are skipped unread;
    // the rest are small or streamed.
    png_set_user_limits(d.png, 1u << 16, 1u << 16);
    png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(d.png, d.info);
    RequestRgba(d.png, d.info);
    const int passes = png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);

    const png_uint_32 width = png_get_image_width(d.png, d.info);
    const png_uint_32 height = png_get_image_height(d.png, d.info);
    const size_t rowBytes = png_get_rowbytes(d.png, d.info);
    if (rowBytes != static_cast<size_t>(width) * 4) return false;
    d.rows.assign(rowBytes * (kSide + 1), 0);

    // Interlaced passes refine rows in place, so the kept rows stay whole;
    // rows below the cut all go through the scratch row.
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            const size_t slot = y < kSide ? y : kSide;
            png_read_row(d.png, d.rows.data() + slot * rowBytes, nullptr);
        }
    }

    out.fill(0);  // a smaller picture leaves transparent black
    const png_uint_32 keepRows = height < kSide ? height : kSide;
    const png_uint_32 keepCols = width < kSide ? width : kSide;
    for (png_uint_32 y = 0; y < keepRows; ++y) {
        const png_byte* p = d.rows.data() + y * rowBytes;
        for (png_uint_32 x = 0; x < keepCols; ++x, p += 4) {
            out[y * kSide + x] =
                uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | uint32_t(p[2]);
        }
    }
    return true;
}

}  // namespace

std::optional<Pixels> DecodePng(const std::string& path) {
    Decoder d;
    d.file = std::fopen(path.c_str(), "rb");
    if (!d.file) return std::nullopt;
    png_byte signature[8];
    if (std::fread(signature, 1, 8, d.file) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        return std::nullopt;
    }
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!d.png) return std::nullopt;
    d.info = png_create_info_struct(d.png);
    if (!d.info) return std::nullopt;
    Pixels pixels;
    if (!Decode(d, pixels)) return std::nullopt;
    return pixels;
}

}  // namespace browse
