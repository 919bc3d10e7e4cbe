#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/locale.h"

namespace {

using platform::WindowsLocaleName;

// Named sublanguages at both ends of a list, a language's name for its other
// sublanguages, one-name languages, the gaps; then how many rows have names,
// so a row lost or added shows.
TEST(LocaleName, RowsOfEveryKindAndTheirCount) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0x0401, "ar_SA"},
        {0x4001, "ar_QA"},
        {0x4401, "ar"},
        {0x0001, "ar"},
        {0x0C0A, "es_ES@modern"},
        {0x0C1A, "sr_YU@cyrillic"},
        {0x0814, "nn_NO"},
        {0x083C, "ga_IE"},
        {0x0C3C, "C"},
        {0x0861, "ne_IN"},
        {0x0411, "ja_JP"},
        {0x0419, "ru"},
        {0x0479, "pap_AN"},
        {0x0000, "C"},
        {0x0432, "C"},
        {0x047A, "C"},
        {0x00FF, "C"},
        // Bits 8 and 9 belong to neither value; sort-order bits make another sublanguage.
        {0x0309, "en"},
        {0x10407, "de"},
        {0xFFFF0411, "ja_JP"},
        {0xFFFFFF00, "C"},
    };
    for (const auto& [lcid, name] : cases)
        EXPECT_EQ(WindowsLocaleName(lcid), name) << std::hex << lcid;

    int languages = 0, withSublanguages = 0, sublanguages = 0;
    for (uint32_t primary = 0; primary <= 0xFF; ++primary) {
        const std::string other = WindowsLocaleName(primary);
        languages += other != "C";
        int named = 0;
        for (uint32_t sub = 1; sub < 0x40; ++sub)
            named += WindowsLocaleName(sub << 10 | primary) != other;
        withSublanguages += named > 0;
        sublanguages += named;
    }
    EXPECT_EQ(languages, 114);  // Gaelic's other sublanguages are "C"
    EXPECT_EQ(withSublanguages, 19);
    EXPECT_EQ(sublanguages, 92);
}

}  // namespace
