// The composites the list shows: the plain icons with each status mark.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "browse/icon_set.h"
#include "browse/status_codes.h"
#include "browse_png_fixture.h"
#include "support/sandbox.h"

using browse::Compose;
using browse::Pixels;

namespace {

Pixels Filled(uint32_t colour) {
    Pixels p;
    p.fill(colour);
    return p;
}

// Left half a transparent pixel that stores pure red, right half opaque blue.
Pixels HalfTransparentBase() {
    Pixels p;
    for (int i = 0; i < 256; ++i) p[i] = i % 16 < 8 ? 0x00FF0000 : 0xFF0000FF;
    return p;
}

const std::string M = "M", A = "A", D = "D";

}  // namespace

TEST(Compose, CopiesBaseColourAndBlendsOverlayByItsAlpha) {
    Pixels overlay = Filled(0);  // transparent, but storing black
    overlay[0] = 0xFFFFFFFF;     // opaque white
    overlay[1] = 0x80FFFFFF;     // half white
    overlay[2] = 0x4000FF00;     // quarter green
    overlay[17] = 0x00123456;    // transparent with a colour: no effect

    const Pixels onBase = Compose(HalfTransparentBase(), overlay);
    const Pixels noBase = Compose(std::nullopt, overlay);  // over opaque black
    // White at 255, 128 and green at 64 over red; transparent over red and blue.
    for (auto [at, over, alone] : {std::tuple{0, 0xFFFFFFFFu, 0xFFFFFFFFu},
                                   {1, 0xFFFF8080u, 0xFF808080u},
                                   {2, 0xFFBF4000u, 0xFF004000u},
                                   {17, 0xFFFF0000u, 0xFF000000u},
                                   {8, 0xFF0000FFu, 0xFF000000u}}) {
        EXPECT_EQ(onBase[at], over) << at;
        EXPECT_EQ(noBase[at], alone) << at;
    }
    const Pixels noOverlay = Compose(HalfTransparentBase(), std::nullopt);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(noOverlay[i], HalfTransparentBase()[i] | 0xFF000000) << i;
    EXPECT_EQ(Compose(std::nullopt, std::nullopt), Filled(0xFF000000));
}

// No file icon, a broken A overlay, no D overlay of its own.
TEST(IconSet, MissingFilesLeaveTheirPartsOut) {
    testsupport::Sandbox box;
    const Pixels folder = HalfTransparentBase();
    Pixels mark = Filled(0);
    mark[255] = 0xFF00FF00;
    testsupport::MakeDirs(box / "gfx");
    ASSERT_TRUE(pngfixture::WritePixels(box / "gfx/FolderIcon16x16.png", folder));
    ASSERT_TRUE(pngfixture::WritePixels(box / "gfx/MIcon16x16.png", mark));
    ASSERT_TRUE(pngfixture::WritePixels(box / "gfx/SIcon16x16.png", mark));
    testsupport::WriteFile(box / "gfx/AIcon16x16.png", "broken");
    const browse::IconSet icons = browse::LoadIconSet(box / "gfx");

    EXPECT_FALSE(icons.For(nullptr, 0));
    ASSERT_TRUE(icons.For(nullptr, 1));
    EXPECT_EQ(*icons.For(nullptr, 1), folder);  // the plain icon keeps its alpha
    EXPECT_EQ(*icons.For(&M, 1), Compose(folder, mark));
    EXPECT_EQ(*icons.For(&M, 0), Compose(std::nullopt, mark));
    EXPECT_EQ(*icons.For(&A, 1), Compose(folder, std::nullopt));
    EXPECT_EQ(*icons.For(&D, 1), Compose(folder, mark));  // D shows the S picture
    // Only a whole one-character code has a composite.
    for (std::string unknown : {"", "m", "MM", " M", "M ", "A+"}) {
        ASSERT_TRUE(icons.For(&unknown, 1)) << '[' << unknown << ']';
        EXPECT_EQ(*icons.For(&unknown, 1), folder) << '[' << unknown << ']';
        EXPECT_EQ(browse::StatusDescription(unknown), "") << '[' << unknown << ']';
    }
}

TEST(IconSet, ShippedPicturesGiveAnOpaqueMarkedCompositeForEveryCode) {
    const browse::IconSet icons = browse::LoadIconSet(std::string(VELLUM_SOURCE_DIR) + "/data/gfx");
    std::set<std::string> descriptions;
    for (int isFolder : {0, 1}) {
        ASSERT_TRUE(icons.For(nullptr, isFolder));
        for (int i = 0; i < browse::kStatusCodeCount; ++i) {
            const std::string code = browse::StatusCodeAt(i);
            EXPECT_EQ(browse::StatusCodeIndex(code), i);
            descriptions.insert(browse::StatusDescription(code));
            const auto& composite = icons.For(&code, isFolder);
            ASSERT_TRUE(composite) << code;
            for (uint32_t p : *composite) ASSERT_EQ(p >> 24, 0xFFu) << code;
            // The overlay file was found: the mark changes the plain picture.
            EXPECT_NE(*composite, Compose(icons.For(nullptr, isFolder), std::nullopt)) << code;
        }
    }
    EXPECT_EQ(descriptions.size(), size_t(browse::kStatusCodeCount));
    EXPECT_EQ(browse::StatusDescription("D"), "Suppressed");
    EXPECT_EQ(browse::StatusDescription("S"), "Switched");
}

TEST(IconSet, FromAnotherFolderOnlyBlackSquaresRemain) {
    testsupport::Sandbox box;
    testsupport::ScopedCwd cwd(box.Path());
    const browse::IconSet icons = browse::LoadIconSet();
    EXPECT_FALSE(icons.For(nullptr, 0));
    EXPECT_FALSE(icons.For(nullptr, 1));
    ASSERT_TRUE(icons.For(&M, 1));
    EXPECT_EQ(*icons.For(&M, 1), Filled(0xFF000000));
}
