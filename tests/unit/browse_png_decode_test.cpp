#include <gtest/gtest.h>

#include "browse/icon_set.h"
#include "browse_png_fixture.h"
#include "support/sandbox.h"

using browse::DecodePng;
using browse::Pixels;
using pngfixture::Picture;

namespace {

// An RGB image of any size whose pixel (x, y) is (x, y, x ^ y).
Picture Gradient(int w, int h, bool interlaced) {
    Picture s;
    s.width = w, s.height = h, s.colorType = PNG_COLOR_TYPE_RGB, s.interlaced = interlaced;
    for (int y = 0; y < h; ++y) {
        std::vector<png_byte> row;
        for (int x = 0; x < w; ++x) row.insert(row.end(), {png_byte(x), png_byte(y), png_byte(x ^ y)});
        s.rows.push_back(row);
    }
    return s;
}

Picture Small(int w, int h, int colorType, int bitDepth, std::vector<std::vector<png_byte>> rows) {
    Picture s;
    s.width = w, s.height = h, s.colorType = colorType, s.bitDepth = bitDepth, s.rows = std::move(rows);
    return s;
}

uint32_t GradientPixel(int x, int y) { return 0xFF000000 | x << 16 | y << 8 | (x ^ y); }

}  // namespace

TEST(DecodePng, CutsLargerAndPadsSmallerImages) {
    testsupport::Sandbox box;
    for (bool interlaced : {false, true}) {
        ASSERT_TRUE(pngfixture::Write(box / "big.png", Gradient(32, 40, interlaced)));
        auto big = DecodePng(box / "big.png");
        ASSERT_TRUE(big) << interlaced;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) ASSERT_EQ((*big)[y * 16 + x], GradientPixel(x, y)) << x << "," << y;
        }
    }

    ASSERT_TRUE(pngfixture::Write(box / "small.png", Gradient(5, 3, true)));
    auto small = DecodePng(box / "small.png");
    ASSERT_TRUE(small);
    EXPECT_EQ((*small)[2 * 16 + 4], GradientPixel(4, 2));
    EXPECT_EQ((*small)[2 * 16 + 5], 0u);  // right of the picture
    EXPECT_EQ((*small)[3 * 16 + 0], 0u);  // below it
    EXPECT_EQ((*small)[255], 0u);
}

TEST(DecodePng, ConvertsPaletteGreyAndSixteenBitImages) {
    testsupport::Sandbox box;
    Picture palette = Small(2, 2, PNG_COLOR_TYPE_PALETTE, 8, {{0, 1}, {2, 0}});
    palette.palette = {{200, 10, 20}, {0, 0, 255}, {1, 2, 3}};
    palette.paletteAlpha = {0x40, 0xFF};  // the third entry has no alpha: opaque
    struct Case {
        Picture picture;
        std::vector<std::pair<int, uint32_t>> pixels;
    };
    const Case cases[] = {
        {palette, {{0, 0x40C80A14u}, {1, 0xFF0000FFu}, {16, 0xFF010203u}}},
        // 2-bit grey 00 01 10 11: levels 0, 85, 170, 255.
        {Small(4, 1, PNG_COLOR_TYPE_GRAY, 2, {{0x1B}}),
         {{0, 0xFF000000u}, {1, 0xFF555555u}, {3, 0xFFFFFFFFu}}},
        // 16-bit grey with alpha: the high bytes count.
        {Small(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {{0x12, 0x34, 0x80, 0x01}}), {{0, 0x80121212u}}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(pngfixture::Write(box / "p.png", c.picture));
        auto decoded = DecodePng(box / "p.png");
        ASSERT_TRUE(decoded) << c.picture.colorType;
        for (auto [at, pixel] : c.pixels)
            EXPECT_EQ((*decoded)[at], pixel) << c.picture.colorType << " at " << at;
    }
}

TEST(DecodePng, RefusesMissingForeignTruncatedAndCorruptFiles) {
    testsupport::Sandbox box;
    ASSERT_TRUE(pngfixture::Write(box / "good.png", Gradient(16, 16, false)));
    const std::string good = testsupport::ReadFile(box / "good.png");
    ASSERT_TRUE(DecodePng(box / "good.png"));

    EXPECT_FALSE(DecodePng(box / "absent.png"));
    EXPECT_FALSE(DecodePng(box.Path()));  // a folder
    testsupport::WriteFile(box / "empty.png", "");
    EXPECT_FALSE(DecodePng(box / "empty.png"));
    testsupport::WriteFile(box / "text.png", "GIF89a not a png at all");
    EXPECT_FALSE(DecodePng(box / "text.png"));
    for (size_t keep : {size_t(8), size_t(20), good.size() / 2, good.size() - 20}) {
        testsupport::WriteFile(box / "cut.png", good.substr(0, keep));
        EXPECT_FALSE(DecodePng(box / "cut.png")) << keep;
    }
    std::string scrambled = good;  // compressed data garbled: the CRC fails
    for (size_t i = 45; i < 60 && i < scrambled.size(); ++i) scrambled[i] ^= 0x5A;
    testsupport::WriteFile(box / "bad.png", scrambled);
    EXPECT_FALSE(DecodePng(box / "bad.png"));
}
