#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/locale.h"

namespace {

using platform::WindowsLocaleName;

// A few rows of every kind: named sublanguages at both ends of a list, a
// language's name for its other sublanguages, one-name languages, the gaps.
TEST(LocaleName, RowsOfEveryKind) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0x0401, "ar_SA"}, {0x4001, "ar_QA"}, {0x4401, "ar"}, {0x0001, "ar"},
        {0x0409, "en_US"}, {0x3409, "en_PH"}, {0x3809, "en"}, {0x0804, "zh_CN"},
        {0x0C0A, "es_ES@modern"}, {0x500A, "es_PR"}, {0x0C0C, "fr_CA"}, {0x0816, "pt_PT"},
        {0x081A, "sr_YU"}, {0x0C1A, "sr_YU@cyrillic"}, {0x0414, "no_NO"}, {0x0814, "nn_NO"},
        {0x082C, "az_AZ@cyrillic"}, {0x083C, "ga_IE"}, {0x0C3C, "C"}, {0x0861, "ne_IN"},
        {0x0411, "ja_JP"}, {0x0419, "ru"}, {0x042D, "eu"}, {0x0470, "ibo_NG"}, {0x0479, "pap_AN"},
        {0x0000, "C"}, {0x0432, "C"}, {0x046B, "C"}, {0x047A, "C"}, {0x00FF, "C"},
        // Bits 8 and 9 belong to neither value; sort-order bits make another sublanguage.
        {0x0309, "en"}, {0x0719, "ru"}, {0x10407, "de"}, {0x20804, "zh"}, {0x1043C, "C"},
        {0xFFFF0411, "ja_JP"}, {0xFFFFFF00, "C"},
    };
    for (const auto& [lcid, name] : cases)
        EXPECT_EQ(WindowsLocaleName(lcid), name) << std::hex << lcid;
}

// How many languages and sublanguages have names: a row lost or added shows here.
TEST(LocaleName, CountOfNamedEntries) {
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
