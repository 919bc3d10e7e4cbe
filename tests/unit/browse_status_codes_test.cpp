#include <gtest/gtest.h>

#include <set>

#include "browse/status_codes.h"
#include "i18n/catalogue.h"
#include "support/sandbox.h"

using browse::OverlayFileName;
using browse::StatusDescription;

TEST(StatusCodes, OnlyWholeOneCharacterCodesAreKnown) {
    for (std::string unlisted : {"", "m", "MM", " M", "M ", "A+", "NV", "?\n", "a"}) {
        EXPECT_EQ(StatusDescription(unlisted), "") << '[' << unlisted << ']';
        EXPECT_EQ(OverlayFileName(unlisted), "") << '[' << unlisted << ']';
        EXPECT_EQ(browse::StatusCodeIndex(unlisted), -1) << '[' << unlisted << ']';
    }
    EXPECT_EQ(StatusDescription(std::string("M\0", 2)), "");
    EXPECT_EQ(StatusDescription("M"), "Modified");
    EXPECT_EQ(StatusDescription("?"), "Non Versionned");
    EXPECT_EQ(OverlayFileName("?"), "NVIcon16x16.png");
    EXPECT_EQ(OverlayFileName("!"), "!Icon16x16.png");
    // Deleted shares the switched picture but not its words.
    EXPECT_EQ(OverlayFileName("D"), "SIcon16x16.png");
    EXPECT_EQ(OverlayFileName("S"), "SIcon16x16.png");
    EXPECT_EQ(StatusDescription("D"), "Suppressed");
    EXPECT_EQ(StatusDescription("S"), "Switched");
}

TEST(StatusCodes, EveryCodeHasItsOwnNumberAndDescription) {
    std::set<std::string> descriptions;
    for (int i = 0; i < browse::kStatusCodeCount; ++i) {
        const std::string code = browse::StatusCodeAt(i);
        EXPECT_EQ(code.size(), 1u);
        EXPECT_EQ(browse::StatusCodeIndex(code), i);
        EXPECT_NE(OverlayFileName(code), "");
        descriptions.insert(StatusDescription(code));
    }
    EXPECT_EQ(descriptions.size(), size_t(browse::kStatusCodeCount));
}

TEST(StatusCodes, DescriptionIsTranslatedWhenLookedUp) {
    testsupport::Sandbox box;
    testsupport::WriteFile(box / "fr.po", "msgid \"Modified\"\nmsgstr \"Modifi\xC3\xA9\"\n");
    ASSERT_EQ(testsupport::Run("msgfmt -o " + testsupport::ShellQuote(box / "fr.mo") + " " +
                               testsupport::ShellQuote(box / "fr.po")), 0);
    EXPECT_EQ(StatusDescription("M"), "Modified");
    i18n::ReadCatalogue(box / "fr.mo");
    EXPECT_EQ(StatusDescription("M"), "Modifi\xC3\xA9");
    EXPECT_EQ(StatusDescription("A"), "Added");  // no translation: the English text
    i18n::ReleaseCatalogue();
    EXPECT_EQ(StatusDescription("M"), "Modified");
}
