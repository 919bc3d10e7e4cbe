#include <gtest/gtest.h>

#include "browse/icon_set.h"
#include "browse_png_fixture.h"
#include "support/sandbox.h"

using browse::DecodePng;
using browse::Pixels;
using pngfixture::Picture;

namespace {

// A pattern with every channel varying, transparent pixels that still store
// a colour, and half-transparent ones.
Pixels Pattern() {
    Pixels p;
    for (int i = 0; i < 256; ++i) {
        const uint32_t alpha = i % 3 == 0 ? 0 : i % 3 == 1 ? 0x80 : 0xFF;
        p[i] = alpha << 24 | uint32_t(i) << 16 | uint32_t(255 - i) << 8 | uint32_t(i * 7 % 256);
    }
    return p;
}

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

uint32_t GradientPixel(int x, int y) { return 0xFF000000 | x << 16 | y << 8 | (x ^ y); }

}  // namespace

TEST(DecodePng, KeepsColourAndAlphaExactlyEvenWhereTransparent) {
    testsupport::Sandbox box;
    ASSERT_TRUE(pngfixture::WritePixels(box / "p.png", Pattern()));
    auto decoded = DecodePng(box / "p.png");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, Pattern());
}

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
    Picture palette;
    palette.width = palette.height = 2;
    palette.colorType = PNG_COLOR_TYPE_PALETTE;
    palette.palette = {{200, 10, 20}, {0, 0, 255}, {1, 2, 3}};
    palette.paletteAlpha = {0x40, 0xFF};  // the third entry has no alpha: opaque
    palette.rows = {{0, 1}, {2, 0}};
    ASSERT_TRUE(pngfixture::Write(box / "palette.png", palette));
    auto p = DecodePng(box / "palette.png");
    ASSERT_TRUE(p);
    EXPECT_EQ((*p)[0], 0x40C80A14u);
    EXPECT_EQ((*p)[1], 0xFF0000FFu);
    EXPECT_EQ((*p)[16], 0xFF010203u);

    Picture grey;  // 2-bit grey: levels 0, 85, 170, 255
    grey.width = 4, grey.height = 1, grey.colorType = PNG_COLOR_TYPE_GRAY, grey.bitDepth = 2;
    grey.rows = {{0x1B}};  // 00 01 10 11
    ASSERT_TRUE(pngfixture::Write(box / "grey.png", grey));
    auto g = DecodePng(box / "grey.png");
    ASSERT_TRUE(g);
    EXPECT_EQ((*g)[0], 0xFF000000u);
    EXPECT_EQ((*g)[1], 0xFF555555u);
    EXPECT_EQ((*g)[3], 0xFFFFFFFFu);

    Picture deep;  // 16-bit grey with alpha: the high bytes count
    deep.width = 1, deep.height = 1, deep.colorType = PNG_COLOR_TYPE_GRAY_ALPHA, deep.bitDepth = 16;
    deep.rows = {{0x12, 0x34, 0x80, 0x01}};
    ASSERT_TRUE(pngfixture::Write(box / "deep.png", deep));
    auto d = DecodePng(box / "deep.png");
    ASSERT_TRUE(d);
    EXPECT_EQ((*d)[0], 0x80121212u);
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
