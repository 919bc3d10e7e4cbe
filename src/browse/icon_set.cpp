#include "browse/icon_set.h"

#include <array>

#include "platform/paths.h"

namespace browse {

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000;

uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

// Straight alpha, rounded: alpha 0 leaves the pixel, 255 replaces it.
uint32_t Blend(uint32_t over, uint32_t under) {
    const uint32_t a = over >> 24;
    uint32_t out = kOpaqueBlack;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t c =
            (Channel(over, shift) * a + Channel(under, shift) * (255 - a) + 127) / 255;
        out |= c << shift;
    }
    return out;
}

}  // namespace

Pixels Compose(const std::optional<Pixels>& base, const std::optional<Pixels>& overlay) {
    Pixels out;
    out.fill(kOpaqueBlack);
    for (size_t i = 0; i < out.size(); ++i) {
        // The base's colour replaces even where it is transparent, so what
        // its file stores there shows through.
        if (base) out[i] = kOpaqueBlack | ((*base)[i] & 0x00FFFFFF);
        if (overlay) out[i] = Blend((*overlay)[i], out[i]);
    }
    return out;
}

IconSet LoadIconSet(const std::string& folder) {
    const std::string dir = folder.empty() ? std::string("gfx") + platform::kSeparator
                                           : platform::WithSeparator(folder);
    IconSet icons;
    icons.plain[0] = DecodePng(dir + "FileIcon16x16.png");
    icons.plain[1] = DecodePng(dir + "FolderIcon16x16.png");
    for (int i = 0; i < kStatusCodeCount; ++i) {
        const auto overlay = DecodePng(dir + OverlayFileName(StatusCodeAt(i)));
        for (int kind = 0; kind < 2; ++kind)
            icons.composite[i][kind] = Compose(icons.plain[kind], overlay);
    }
    return icons;
}

const std::optional<Pixels>& IconSet::For(const std::string* code, int isFolder) const {
    const int kind = isFolder != 0 ? 1 : 0;
    const int i = code ? StatusCodeIndex(*code) : -1;
    return i < 0 ? plain[kind] : composite[i][kind];
}

}  // namespace browse
