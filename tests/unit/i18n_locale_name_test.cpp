#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>

#include "i18n/locale_name.h"

namespace {

// The expected names, typed as "primary: sub name, sub name | other" so the
// check does not share its shape with the program's table.
const char* const kMultiRows[] = {
    "01: 01 ar_SA, 02 ar_IQ, 03 ar_EG, 04 ar_LY, 05 ar_DZ, 06 ar_MA, 07 ar_TN, 08 ar_OM, "
    "09 ar_YE, 0A ar_SY, 0B ar_JO, 0C ar_LB, 0D ar_KW, 0E ar_AE, 0F ar_BH, 10 ar_QA | ar",
    "04: 01 zh_TW, 02 zh_CN, 03 zh_HK, 04 zh_SG, 05 zh_MO | zh",
    "07: 01 de_DE, 02 de_CH, 03 de_AT, 04 de_LU, 05 de_LI | de",
    "09: 01 en_US, 02 en_GB, 03 en_AU, 04 en_CA, 05 en_NZ, 06 en_IE, 07 en_ZA, 08 en_JM, "
    "09 en_GD, 0A en_BZ, 0B en_TT, 0C en_ZW, 0D en_PH | en",
    "0A: 01 es_ES, 02 es_MX, 03 es_ES@modern, 04 es_GT, 05 es_CR, 06 es_PA, 07 es_DO, "
    "08 es_VE, 09 es_CO, 0A es_PE, 0B es_AR, 0C es_EC, 0D es_CL, 0E es_UY, 0F es_PY, "
    "10 es_BO, 11 es_SV, 12 es_HN, 13 es_NI, 14 es_PR | es",
    "0C: 01 fr_FR, 02 fr_BE, 03 fr_CA, 04 fr_CH, 05 fr_LU, 06 fr_MC | fr",
    "10: 01 it_IT, 02 it_CH | it",
    "13: 01 nl_NL, 02 nl_BE | nl",
    "14: 01 no_NO, 02 nn_NO | no",
    "16: 01 pt_BR, 02 pt_PT | pt",
    "1A: 01 hr_HR, 02 sr_YU, 03 sr_YU@cyrillic | hr",
    "1D: 01 sv_SE, 02 sv_FI | sv",
    "20: 01 ur_PK, 02 ur_IN | ur",
    "2C: 01 az_AZ@latin, 02 az_AZ@cyrillic | az",
    "3C: 01 gd_GB, 02 ga_IE | C",
    "3E: 01 ms_MY, 02 ms_BN | ms",
    "43: 01 uz_UZ@latin, 02 uz_UZ@cyrillic | uz",
    "60: 01 ks_PK, 02 ks_IN | ks",
    "61: 01 ne_NP, 02 ne_IN | ne",
};

const char* const kSingleRows =
    "02 bg_BG, 03 ca_ES, 05 cs_CZ, 06 da_DK, 08 el_GR, 0B fi_FI, 0D he_IL, 0E hu_HU, "
    "0F is_IS, 11 ja_JP, 12 ko_KR, 15 pl_PL, 17 rm_CH, 18 ro_RO, 19 ru, 1B sk_SK, "
    "1C sq_AL, 1E th_TH, 1F tr_TR, 21 id_ID, 22 uk_UA, 23 be_BY, 24 sl_SI, 25 et_EE, "
    "26 lv_LV, 27 lt_LT, 28 tg_TJ, 29 fa_IR, 2A vi_VN, 2B hy_AM, 2D eu, 2E wen_DE, "
    "2F mk_MK, 30 bnt_TZ, 31 ts_ZA, 33 ven_ZA, 34 xh_ZA, 35 zu_ZA, 36 af_ZA, 37 ka_GE, "
    "38 fo_FO, 39 hi_IN, 3A mt_MT, 3B se_NO, 3D yi_IL, 3F kk_KZ, 40 ky_KG, 41 sw_KE, "
    "42 tk_TM, 44 tt_RU, 45 bn_IN, 46 pa_IN, 47 gu_IN, 48 or_IN, 49 ta, 4A te_IN, "
    "4B kn_IN, 4C ml_IN, 4D as_IN, 4E mr_IN, 4F sa_IN, 50 mn, 51 bo_CN, 52 cy_GB, "
    "53 km_KH, 54 lo_LA, 55 my_MM, 56 gl_ES, 57 kok_IN, 58 mni_IN, 59 sd, 5A syr_TR, "
    "5B si_LK, 5C chr_US, 5D iu_CA, 5E am_ET, 5F ber_MA, 62 fy_NL, 63 ps, 64 tl_PH, "
    "65 div_MV, 66 bin_NG, 67 ful_NG, 68 ha_NG, 69 nic_NG, 6A yo_NG, 70 ibo_NG, "
    "71 kau_NG, 72 om_ET, 73 ti_ET, 74 gn_PY, 75 cpe_US, 76 la_VA, 77 so_SO, 78 sit_CN, "
    "79 pap_AN";

struct Expected {
    std::map<uint32_t, std::string> sublanguages;
    std::string other;
};

// "id name, id name" into a map.
std::map<uint32_t, std::string> ParsePairs(const std::string& text) {
    std::map<uint32_t, std::string> out;
    std::istringstream in(text);
    std::string id, name;
    while (in >> id >> name) {
        if (name.back() == ',') name.pop_back();
        out[std::stoul(id, nullptr, 16)] = name;
    }
    return out;
}

std::map<uint32_t, Expected> ExpectedTable() {
    std::map<uint32_t, Expected> table;
    for (const char* row : kMultiRows) {
        const std::string text = row;
        const size_t colon = text.find(':');
        const size_t bar = text.find('|');
        Expected& e = table[std::stoul(text.substr(0, colon), nullptr, 16)];
        e.sublanguages = ParsePairs(text.substr(colon + 1, bar - colon - 1));
        e.other = text.substr(bar + 2);
    }
    for (const auto& [primary, name] : ParsePairs(kSingleRows)) table[primary].other = name;
    return table;
}

TEST(LocaleName, ExpectedTableHasEveryRow) {
    const auto table = ExpectedTable();
    size_t multi = 0, entries = 0;
    for (const auto& [primary, e] : table) {
        if (!e.sublanguages.empty()) ++multi;
        entries += e.sublanguages.size();
    }
    EXPECT_EQ(multi, 19u);
    EXPECT_EQ(table.size() - multi, 96u);
    EXPECT_EQ(entries, 92u);
}

// Every primary language and every plain sublanguage, against the table above:
// a missing, misplaced or misspelt row shows up here.
TEST(LocaleName, EveryPrimaryAndSublanguage) {
    const auto table = ExpectedTable();
    for (uint32_t primary = 0; primary <= 0xFF; ++primary) {
        for (uint32_t sub = 0; sub < 0x40; ++sub) {
            const uint32_t lcid = (sub << 10) | primary;
            std::string expected = "C";
            if (auto row = table.find(primary); row != table.end()) {
                auto named = row->second.sublanguages.find(sub);
                expected = named != row->second.sublanguages.end() ? named->second
                                                                   : row->second.other;
            }
            ASSERT_EQ(i18n::LocaleName(lcid), expected) << std::hex << "lcid 0x" << lcid;
        }
    }
}

// The sweep above leaves bits 8 and 9 and the sort-order bits clear.
TEST(LocaleName, BitsOutsideLanguageAndSublanguage) {
    // Bits 8 and 9 belong to neither value: 0x0309 is English, sublanguage 0.
    EXPECT_EQ(i18n::LocaleName(0x0309), "en");
    EXPECT_EQ(i18n::LocaleName(0x0719), "ru");
    // German with phone-book sort order matches no German sublanguage.
    EXPECT_EQ(i18n::LocaleName(0x10407), "de");
    EXPECT_EQ(i18n::LocaleName(0x20804), "zh");
    EXPECT_EQ(i18n::LocaleName(0x1043C), "C");
    // A one-name language keeps its name whatever the upper bits hold.
    EXPECT_EQ(i18n::LocaleName(0xFFFF0411), "ja_JP");
    EXPECT_EQ(i18n::LocaleName(0xFFFFFF00), "C");
}

}  // namespace
