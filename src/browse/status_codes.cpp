#include "browse/status_codes.h"

#include <array>

#include "i18n/catalogue.h"

namespace browse {

namespace {

struct StatusCode {
    const char* code;
    const char* description;  // English, the catalogue's key
    const char* overlay;
};

// "D" has no picture of its own: deleted entries share the switched mark.
constexpr std::array<StatusCode, kStatusCodeCount> kCodes{{
    {"A", "Added", "AIcon16x16.png"},           {"B", "Lock Broken", "BIcon16x16.png"},
    {"C", "Conflicted", "CIcon16x16.png"},      {"D", "Suppressed", "SIcon16x16.png"},
    {"E", "Existed", "EIcon16x16.png"},         {"G", "Merged", "GIcon16x16.png"},
    {"I", "Ignored", "IIcon16x16.png"},         {"K", "Lock Token", "KIcon16x16.png"},
    {"L", "Locked", "LIcon16x16.png"},          {"M", "Modified", "MIcon16x16.png"},
    {"O", "Lock Other", "OIcon16x16.png"},      {"R", "Remplaced", "RIcon16x16.png"},
    {"S", "Switched", "SIcon16x16.png"},        {"T", "Lock Stolen", "TIcon16x16.png"},
    {"U", "Updated", "UIcon16x16.png"},         {"X", "Non Versionned Folder", "XIcon16x16.png"},
    {"?", "Non Versionned", "NVIcon16x16.png"}, {"!", "Missing", "!Icon16x16.png"},
    {"~", "Dissimulated", "~Icon16x16.png"},    {"+", "Added With History", "+Icon16x16.png"},
}};

}  // namespace

// Whole-text, case-sensitive: "m", "MM" and " M" are not "M".
int StatusCodeIndex(const std::string& code) {
    for (int i = 0; i < kStatusCodeCount; ++i) {
        if (code == kCodes[i].code) return i;
    }
    return -1;
}

std::string StatusCodeAt(int index) { return kCodes.at(index).code; }

// Translated at each lookup so the catalogue loaded at start-up decides.
std::string StatusDescription(const std::string& code) {
    int i = StatusCodeIndex(code);
    return i < 0 ? std::string() : i18n::Translate(kCodes[i].description);
}

std::string OverlayFileName(const std::string& code) {
    int i = StatusCodeIndex(code);
    return i < 0 ? std::string() : kCodes[i].overlay;
}

}  // namespace browse
