#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "browse/status_codes.h"
#include "i18n/catalogue.h"
#include "support/sandbox.h"

using browse::OverlayFileName;
using browse::StatusDescription;

TEST(StatusCodes, OnlyWholeOneCharacterCodesAreKnown) {
    for (const char* unlisted : {"", "m", "MM", " M", "M ", "A+", "NV", "?\n", "a"}) {
        EXPECT_EQ(StatusDescription(unlisted), "") << '[' << unlisted << ']';
        EXPECT_EQ(OverlayFileName(unlisted), "") << '[' << unlisted << ']';
        EXPECT_EQ(browse::StatusCodeIndex(unlisted), -1) << '[' << unlisted << ']';
    }
    EXPECT_EQ(StatusDescription(std::string("M\0", 2)), "");
    EXPECT_EQ(StatusDescription("M"), "Modified");
    EXPECT_EQ(StatusDescription("?"), "Non Versionned");
    EXPECT_EQ(OverlayFileName("?"), "NVIcon16x16.png");
    EXPECT_EQ(OverlayFileName("!"), "!Icon16x16.png");
}

TEST(StatusCodes, DeletedSharesTheSwitchedPictureButNotItsWords) {
    EXPECT_EQ(OverlayFileName("D"), "SIcon16x16.png");
    EXPECT_EQ(OverlayFileName("D"), OverlayFileName("S"));
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

namespace {

void PutU32(std::string& out, uint32_t v) {
    for (int k = 0; k < 4; ++k) out += char(v >> (8 * k) & 0xFF);
}

// A message catalogue with one entry, laid out as msgfmt writes it.
std::string OneEntryCatalogue(const std::string& original, const std::string& translation) {
    std::string out;
    const uint32_t tables = 28, strings = tables + 16;
    for (uint32_t v : {0x950412DEu, 0u, 1u, tables, tables + 8, 0u, 0u}) PutU32(out, v);
    PutU32(out, uint32_t(original.size()));
    PutU32(out, strings);
    PutU32(out, uint32_t(translation.size()));
    PutU32(out, strings + uint32_t(original.size()) + 1);
    out += original + '\0' + translation + '\0';
    return out;
}

}  // namespace

TEST(StatusCodes, DescriptionIsTranslatedWhenLookedUp) {
    testsupport::Sandbox box;
    testsupport::WriteFile(box / "fr.mo", OneEntryCatalogue("Modified", "Modifi\xC3\xA9"));
    EXPECT_EQ(StatusDescription("M"), "Modified");
    i18n::ReadCatalogue(box / "fr.mo");
    EXPECT_EQ(StatusDescription("M"), "Modifi\xC3\xA9");
    EXPECT_EQ(StatusDescription("A"), "Added");  // no translation: the English text
    i18n::ReleaseCatalogue();
    EXPECT_EQ(StatusDescription("M"), "Modified");
}
