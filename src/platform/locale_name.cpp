#include "platform/locale.h"

#include <span>

namespace platform {

namespace {

struct Sublanguage {
    uint32_t id;
    const char* name;
};

// A primary language: its named sublanguages, and the name for any other
// sublanguage (or the only name, when there are none).
struct Language {
    uint32_t primary;
    const char* otherName;
    std::span<const Sublanguage> sublanguages;
};

constexpr Sublanguage kArabic[] = {
    {0x01, "ar_SA"}, {0x02, "ar_IQ"}, {0x03, "ar_EG"}, {0x04, "ar_LY"},
    {0x05, "ar_DZ"}, {0x06, "ar_MA"}, {0x07, "ar_TN"}, {0x08, "ar_OM"},
    {0x09, "ar_YE"}, {0x0A, "ar_SY"}, {0x0B, "ar_JO"}, {0x0C, "ar_LB"},
    {0x0D, "ar_KW"}, {0x0E, "ar_AE"}, {0x0F, "ar_BH"}, {0x10, "ar_QA"}};
constexpr Sublanguage kChinese[] = {
    {0x01, "zh_TW"}, {0x02, "zh_CN"}, {0x03, "zh_HK"}, {0x04, "zh_SG"}, {0x05, "zh_MO"}};
constexpr Sublanguage kGerman[] = {
    {0x01, "de_DE"}, {0x02, "de_CH"}, {0x03, "de_AT"}, {0x04, "de_LU"}, {0x05, "de_LI"}};
constexpr Sublanguage kEnglish[] = {
    {0x01, "en_US"}, {0x02, "en_GB"}, {0x03, "en_AU"}, {0x04, "en_CA"}, {0x05, "en_NZ"},
    {0x06, "en_IE"}, {0x07, "en_ZA"}, {0x08, "en_JM"}, {0x09, "en_GD"}, {0x0A, "en_BZ"},
    {0x0B, "en_TT"}, {0x0C, "en_ZW"}, {0x0D, "en_PH"}};
constexpr Sublanguage kSpanish[] = {
    {0x01, "es_ES"}, {0x02, "es_MX"}, {0x03, "es_ES@modern"}, {0x04, "es_GT"}, {0x05, "es_CR"},
    {0x06, "es_PA"}, {0x07, "es_DO"}, {0x08, "es_VE"},        {0x09, "es_CO"}, {0x0A, "es_PE"},
    {0x0B, "es_AR"}, {0x0C, "es_EC"}, {0x0D, "es_CL"},        {0x0E, "es_UY"}, {0x0F, "es_PY"},
    {0x10, "es_BO"}, {0x11, "es_SV"}, {0x12, "es_HN"},        {0x13, "es_NI"}, {0x14, "es_PR"}};
constexpr Sublanguage kFrench[] = {{0x01, "fr_FR"}, {0x02, "fr_BE"}, {0x03, "fr_CA"},
                                   {0x04, "fr_CH"}, {0x05, "fr_LU"}, {0x06, "fr_MC"}};
constexpr Sublanguage kItalian[] = {{0x01, "it_IT"}, {0x02, "it_CH"}};
constexpr Sublanguage kDutch[] = {{0x01, "nl_NL"}, {0x02, "nl_BE"}};
constexpr Sublanguage kNorwegian[] = {{0x01, "no_NO"}, {0x02, "nn_NO"}};
constexpr Sublanguage kPortuguese[] = {{0x01, "pt_BR"}, {0x02, "pt_PT"}};
constexpr Sublanguage kCroatianSerbian[] = {
    {0x01, "hr_HR"}, {0x02, "sr_YU"}, {0x03, "sr_YU@cyrillic"}};
constexpr Sublanguage kSwedish[] = {{0x01, "sv_SE"}, {0x02, "sv_FI"}};
constexpr Sublanguage kUrdu[] = {{0x01, "ur_PK"}, {0x02, "ur_IN"}};
constexpr Sublanguage kAzeri[] = {{0x01, "az_AZ@latin"}, {0x02, "az_AZ@cyrillic"}};
constexpr Sublanguage kGaelic[] = {{0x01, "gd_GB"}, {0x02, "ga_IE"}};
constexpr Sublanguage kMalay[] = {{0x01, "ms_MY"}, {0x02, "ms_BN"}};
constexpr Sublanguage kUzbek[] = {{0x01, "uz_UZ@latin"}, {0x02, "uz_UZ@cyrillic"}};
constexpr Sublanguage kKashmiri[] = {{0x01, "ks_PK"}, {0x02, "ks_IN"}};
constexpr Sublanguage kNepali[] = {{0x01, "ne_NP"}, {0x02, "ne_IN"}};

constexpr Language kLanguages[] = {
    {0x01, "ar", kArabic},   {0x02, "bg_BG", {}},
    {0x03, "ca_ES", {}},     {0x04, "zh", kChinese},
    {0x05, "cs_CZ", {}},     {0x06, "da_DK", {}},
    {0x07, "de", kGerman},   {0x08, "el_GR", {}},
    {0x09, "en", kEnglish},  {0x0A, "es", kSpanish},
    {0x0B, "fi_FI", {}},     {0x0C, "fr", kFrench},
    {0x0D, "he_IL", {}},     {0x0E, "hu_HU", {}},
    {0x0F, "is_IS", {}},     {0x10, "it", kItalian},
    {0x11, "ja_JP", {}},     {0x12, "ko_KR", {}},
    {0x13, "nl", kDutch},    {0x14, "no", kNorwegian},
    {0x15, "pl_PL", {}},     {0x16, "pt", kPortuguese},
    {0x17, "rm_CH", {}},     {0x18, "ro_RO", {}},
    {0x19, "ru", {}},        {0x1A, "hr", kCroatianSerbian},
    {0x1B, "sk_SK", {}},     {0x1C, "sq_AL", {}},
    {0x1D, "sv", kSwedish},  {0x1E, "th_TH", {}},
    {0x1F, "tr_TR", {}},     {0x20, "ur", kUrdu},
    {0x21, "id_ID", {}},     {0x22, "uk_UA", {}},
    {0x23, "be_BY", {}},     {0x24, "sl_SI", {}},
    {0x25, "et_EE", {}},     {0x26, "lv_LV", {}},
    {0x27, "lt_LT", {}},     {0x28, "tg_TJ", {}},
    {0x29, "fa_IR", {}},     {0x2A, "vi_VN", {}},
    {0x2B, "hy_AM", {}},     {0x2C, "az", kAzeri},
    {0x2D, "eu", {}},        {0x2E, "wen_DE", {}},
    {0x2F, "mk_MK", {}},     {0x30, "bnt_TZ", {}},
    {0x31, "ts_ZA", {}},     {0x33, "ven_ZA", {}},
    {0x34, "xh_ZA", {}},     {0x35, "zu_ZA", {}},
    {0x36, "af_ZA", {}},     {0x37, "ka_GE", {}},
    {0x38, "fo_FO", {}},     {0x39, "hi_IN", {}},
    {0x3A, "mt_MT", {}},     {0x3B, "se_NO", {}},
    {0x3C, "C", kGaelic},    {0x3D, "yi_IL", {}},
    {0x3E, "ms", kMalay},    {0x3F, "kk_KZ", {}},
    {0x40, "ky_KG", {}},     {0x41, "sw_KE", {}},
    {0x42, "tk_TM", {}},     {0x43, "uz", kUzbek},
    {0x44, "tt_RU", {}},     {0x45, "bn_IN", {}},
    {0x46, "pa_IN", {}},     {0x47, "gu_IN", {}},
    {0x48, "or_IN", {}},     {0x49, "ta", {}},
    {0x4A, "te_IN", {}},     {0x4B, "kn_IN", {}},
    {0x4C, "ml_IN", {}},     {0x4D, "as_IN", {}},
    {0x4E, "mr_IN", {}},     {0x4F, "sa_IN", {}},
    {0x50, "mn", {}},        {0x51, "bo_CN", {}},
    {0x52, "cy_GB", {}},     {0x53, "km_KH", {}},
    {0x54, "lo_LA", {}},     {0x55, "my_MM", {}},
    {0x56, "gl_ES", {}},     {0x57, "kok_IN", {}},
    {0x58, "mni_IN", {}},    {0x59, "sd", {}},
    {0x5A, "syr_TR", {}},    {0x5B, "si_LK", {}},
    {0x5C, "chr_US", {}},    {0x5D, "iu_CA", {}},
    {0x5E, "am_ET", {}},     {0x5F, "ber_MA", {}},
    {0x60, "ks", kKashmiri}, {0x61, "ne", kNepali},
    {0x62, "fy_NL", {}},     {0x63, "ps", {}},
    {0x64, "tl_PH", {}},     {0x65, "div_MV", {}},
    {0x66, "bin_NG", {}},    {0x67, "ful_NG", {}},
    {0x68, "ha_NG", {}},     {0x69, "nic_NG", {}},
    {0x6A, "yo_NG", {}},     {0x70, "ibo_NG", {}},
    {0x71, "kau_NG", {}},    {0x72, "om_ET", {}},
    {0x73, "ti_ET", {}},     {0x74, "gn_PY", {}},
    {0x75, "cpe_US", {}},    {0x76, "la_VA", {}},
    {0x77, "so_SO", {}},     {0x78, "sit_CN", {}},
    {0x79, "pap_AN", {}},
};

}  // namespace

std::string WindowsLocaleName(uint32_t lcid) {
    const uint32_t primary = lcid & 0xFF;
    // The sort-order bits stay in: a non-default sort order matches no
    // sublanguage entry and falls to the language's general name.
    const uint32_t sublanguage = lcid >> 10;
    for (const Language& language : kLanguages) {
        if (language.primary != primary) continue;
        for (const Sublanguage& sub : language.sublanguages) {
            if (sub.id == sublanguage) return sub.name;
        }
        return language.otherName;
    }
    return "C";
}

}  // namespace platform
