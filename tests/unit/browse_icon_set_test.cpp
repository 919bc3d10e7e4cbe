#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "browse/icon_set.h"
#include "browse/status_codes.h"
#include "browse_png_fixture.h"
#include "support/sandbox.h"
#include "support/scripted_window.h"

using browse::Compose;
using browse::IconSetImage;
using browse::IconSetPixels;
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

const std::string M = "M";

}  // namespace

TEST(Compose, CopiesBaseColourAndBlendsOverlayByItsAlpha) {
    const Pixels overlay = [] {
        Pixels p = Filled(0);  // transparent, but storing black
        p[0] = 0xFFFFFFFF;     // opaque white
        p[1] = 0x80FFFFFF;     // half white
        p[2] = 0x4000FF00;     // quarter green
        p[17] = 0x00123456;    // transparent with a colour: no effect
        return p;
    }();

    const Pixels onBase = Compose(HalfTransparentBase(), overlay);
    const Pixels noBase = Compose(std::nullopt, overlay);  // over opaque black
    // White at 255, 128 and green at 64 over red; transparent over red and blue.
    for (auto [at, over, alone] : {std::tuple{0, 0xFFFFFFFFu, 0xFFFFFFFFu}, {1, 0xFFFF8080u, 0xFF808080u},
                                   {2, 0xFFBF4000u, 0xFF004000u}, {17, 0xFFFF0000u, 0xFF000000u},
                                   {8, 0xFF0000FFu, 0xFF000000u}}) {
        EXPECT_EQ(onBase[at], over) << at;
        EXPECT_EQ(noBase[at], alone) << at;
    }
    const Pixels noOverlay = Compose(HalfTransparentBase(), std::nullopt);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(noOverlay[i], HalfTransparentBase()[i] | 0xFF000000) << i;
    EXPECT_EQ(Compose(std::nullopt, std::nullopt), Filled(0xFF000000));
}

class IconSetTest : public ::testing::Test {
protected:
    void SetUp() override { scripted::Reset(); }
};

// No file icon, a broken A overlay, no D overlay of its own.
TEST_F(IconSetTest, MissingFilesLeaveTheirPartsOut) {
    testsupport::Sandbox box;
    const Pixels folder = HalfTransparentBase();
    const Pixels mark = [] {
        Pixels p = Filled(0);
        p[255] = 0xFF00FF00;
        return p;
    }();
    testsupport::MakeDirs(box / "gfx");
    ASSERT_TRUE(pngfixture::WritePixels(box / "gfx/FolderIcon16x16.png", folder));
    ASSERT_TRUE(pngfixture::WritePixels(box / "gfx/MIcon16x16.png", mark));
    ASSERT_TRUE(pngfixture::WritePixels(box / "gfx/SIcon16x16.png", mark));
    testsupport::WriteFile(box / "gfx/AIcon16x16.png", "broken");
    browse::LoadIconSet(box / "gfx");

    EXPECT_EQ(IconSetImage(nullptr, 0), 0);
    EXPECT_FALSE(IconSetPixels(nullptr, 0));
    ASSERT_NE(IconSetImage(nullptr, 1), 0);
    EXPECT_EQ(*IconSetPixels(nullptr, 1), folder);  // the plain icon keeps its alpha

    EXPECT_EQ(*IconSetPixels(&M, 1), Compose(folder, mark));
    EXPECT_EQ(*IconSetPixels(&M, 0), Compose(std::nullopt, mark));
    const std::string A = "A", D = "D";
    EXPECT_EQ(*IconSetPixels(&A, 1), Compose(folder, std::nullopt));
    EXPECT_EQ(*IconSetPixels(&D, 1), Compose(folder, mark));  // D shows the S picture

    // What the tree is handed is what the window was given.
    for (const std::string* code : {&M, &A, &D, static_cast<const std::string*>(nullptr)}) {
        const auto handle = IconSetImage(code, 1);
        ASSERT_NE(handle, 0);
        const uint32_t* shown = scripted::ImagePixels(handle);
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(std::equal(shown, shown + 256, IconSetPixels(code, 1)->begin()));
    }
}

TEST_F(IconSetTest, ShippedPicturesGiveAnOpaqueMarkedCompositeForEveryCode) {
    browse::LoadIconSet(std::string(VELLUM_SOURCE_DIR) + "/data/gfx");
    for (int isFolder : {0, 1}) {
        ASSERT_TRUE(IconSetPixels(nullptr, isFolder));
        for (int i = 0; i < browse::kStatusCodeCount; ++i) {
            const std::string code = browse::StatusCodeAt(i);
            const auto& composite = IconSetPixels(&code, isFolder);
            ASSERT_TRUE(composite) << code;
            EXPECT_NE(IconSetImage(&code, isFolder), 0);
            for (uint32_t p : *composite) ASSERT_EQ(p >> 24, 0xFFu) << code;
            // The overlay file was found: the mark changes the plain picture.
            EXPECT_NE(*composite, Compose(IconSetPixels(nullptr, isFolder), std::nullopt)) << code;
        }
    }
}

TEST_F(IconSetTest, FromAnotherFolderOnlyBlackSquaresRemain) {
    testsupport::Sandbox box;
    testsupport::ScopedCwd cwd(box.Path());
    browse::LoadIconSet();
    EXPECT_EQ(IconSetImage(nullptr, 0), 0);
    EXPECT_EQ(IconSetImage(nullptr, 1), 0);
    EXPECT_NE(IconSetImage(&M, 1), 0);
    EXPECT_EQ(*IconSetPixels(&M, 1), Filled(0xFF000000));
}
