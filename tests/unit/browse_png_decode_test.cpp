#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <fstream>
#include <tuple>

#include "browse/icon_set.h"
#include "browse_png_fixture.h"
#include "support/sandbox.h"

using browse::DecodePng;
using browse::Pixels;
using pngfixture::Picture;

namespace {

// An RGB picture whose pixel (x, y) is (x, y, x ^ y).
Picture Gradient(int w, int h, bool interlaced) {
    Picture s{.width = w, .height = h, .colorType = PNG_COLOR_TYPE_RGB, .interlaced = interlaced};
    for (int y = 0; y < h; ++y) {
        auto& row = s.rows.emplace_back();
        for (int x = 0; x < w; ++x)
            row.insert(row.end(), {png_byte(x), png_byte(y), png_byte(x ^ y)});
    }
    return s;
}

void AppendChunk(std::string& file, const std::string& type, const std::string& data,
                 uint32_t length) {
    for (int shift : {24, 16, 8, 0}) file += char(length >> shift);
    const std::string body = type + data;
    file += body;
    const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    for (int shift : {24, 16, 8, 0}) file += char(crc >> shift);
}

// The most address space this process has held so far, in kB (0 where the
// system does not say).
long PeakAddressSpace() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmPeak:", 0) == 0) return std::stol(line.substr(7));
    }
    return 0;
}

}  // namespace

// Palette, grey and 16-bit samples become 0xAARRGGBB; larger pictures are cut
// and smaller ones padded with transparent black, in either row order.
TEST(DecodePng, ConvertsEveryColourTypeCutsLargerAndPadsSmallerImages) {
    struct Case {
        Picture picture;
        std::vector<std::pair<int, uint32_t>> pixels;
    };
    std::vector<Case> cases = {
        // The third palette entry has no alpha: opaque.
        {{.width = 2,
          .height = 2,
          .colorType = PNG_COLOR_TYPE_PALETTE,
          .palette = {{200, 10, 20}, {0, 0, 255}, {1, 2, 3}},
          .paletteAlpha = {0x40, 0xFF},
          .rows = {{0, 1}, {2, 0}}},
         {{0, 0x40C80A14u}, {1, 0xFF0000FFu}, {16, 0xFF010203u}}},
        // 2-bit grey 00 01 10 11: levels 0, 85, 170, 255.
        {{.width = 4,
          .height = 1,
          .colorType = PNG_COLOR_TYPE_GRAY,
          .bitDepth = 2,
          .rows = {{0x1B}}},
         {{0, 0xFF000000u}, {1, 0xFF555555u}, {3, 0xFFFFFFFFu}}},
        // 16-bit grey with alpha: the high bytes count.
        {{.width = 1,
          .height = 1,
          .colorType = PNG_COLOR_TYPE_GRAY_ALPHA,
          .bitDepth = 16,
          .rows = {{0x12, 0x34, 0x80, 0x01}}},
         {{0, 0x80121212u}}},
    };
    for (auto [w, h, interlaced] : {std::tuple{32, 40, false}, {32, 40, true}, {5, 3, true}}) {
        Case& c = cases.emplace_back(Case{Gradient(w, h, interlaced), {}});
        for (int x = 0; x < 16; ++x) {
            for (int y = 0; y < 16; ++y)
                c.pixels.emplace_back(y * 16 + x,
                                      x < w && y < h ? 0xFF000000 | x << 16 | y << 8 | (x ^ y) : 0);
        }
    }
    testsupport::Sandbox box;
    for (const auto& [picture, pixels] : cases) {
        ASSERT_TRUE(pngfixture::Write(box / "p.png", picture));
        auto decoded = DecodePng(box / "p.png");
        ASSERT_TRUE(decoded) << picture.colorType;
        for (auto [at, pixel] : pixels)
            EXPECT_EQ((*decoded)[at], pixel)
                << picture.width << "x" << picture.height << " type " << picture.colorType
                << (picture.interlaced ? " interlaced" : "") << " at " << at;
    }
}

TEST(DecodePng, RefusesMissingForeignTruncatedAndCorruptFiles) {
    testsupport::Sandbox box;
    ASSERT_TRUE(pngfixture::Write(box / "good.png", Gradient(16, 16, false)));
    const std::string good = testsupport::ReadFile(box / "good.png");
    ASSERT_TRUE(DecodePng(box / "good.png"));
    EXPECT_FALSE(DecodePng(box / "absent.png"));
    EXPECT_FALSE(DecodePng(box.Path()));  // a folder
    std::string scrambled = good;         // compressed data garbled: the CRC fails
    for (size_t i = 45; i < 60 && i < scrambled.size(); ++i) scrambled[i] ^= 0x5A;
    for (std::string bytes :
         {std::string(), std::string("GIF89a not a png at all"), good.substr(0, 8),
          good.substr(0, 20), good.substr(0, good.size() / 2), good.substr(0, good.size() - 20),
          scrambled}) {
        testsupport::WriteFile(box / "bad.png", bytes);
        EXPECT_FALSE(DecodePng(box / "bad.png")) << bytes.size() << " bytes";
    }
}

// A file of a few dozen bytes whose chunk claims 2 GB is refused at once,
// without reserving what the chunk claims.
TEST(DecodePng, RefusesHugeDeclaredChunksWithoutAllocatingThem) {
    testsupport::Sandbox box;
    std::string header = "\x89PNG\r\n\x1a\n";
    AppendChunk(header, "IHDR", {0, 0, 0, 16, 0, 0, 0, 16, 8, 6, 0, 0, 0}, 13);
    for (const char* type : {"tEXt", "zTXt", "iTXt", "iCCP", "sPLT", "vlMm"}) {
        std::string file = header;
        AppendChunk(file, type, "key\0value", 0x7FFFFFF0u);
        testsupport::WriteFile(box / "huge.png", file);
        const long before = PeakAddressSpace();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(DecodePng(box / "huge.png")) << type;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << type;
        EXPECT_LT(PeakAddressSpace(), before + (256 << 10)) << type;
    }
}
