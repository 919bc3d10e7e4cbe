#include "i18n/catalogue.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/locale.h"
#include "platform/paths.h"
#include "platform/utf8.h"

namespace i18n {

namespace {

using Catalogue = std::unordered_map<std::string, std::string>;

Catalogue& TheCatalogue() {
    static Catalogue catalogue(512);
    return catalogue;
}

// An empty file is as good as none: a failed copy leaves one behind.
bool IsUsableFile(const std::string& path) {
    return platform::IsRegularFile(path) && platform::FileSize(path) >= 1;
}

uint32_t ReadU32(const std::string& bytes, uint64_t at) {
    uint32_t value = 0;
    for (int k = 3; k >= 0; --k) value = (value << 8) | static_cast<unsigned char>(bytes[at + k]);
    return value;
}

// Copies valid UTF-8 and puts U+FFFD for every byte that starts no valid
// sequence, so a mis-encoded catalogue can't hand the toolkit broken text.
std::string ValidUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();)
        platform::utf8::Append(out, platform::utf8::Next(bytes, at));
    return out;
}

// The string whose descriptor is at `descriptor` (known to lie inside the
// file); false when its bytes reach past the end. Sums in 64 bits: 32-bit
// offsets near the top would wrap.
bool ReadString(const std::string& file, uint64_t descriptor, std::string& out) {
    const uint64_t length = ReadU32(file, descriptor);
    const uint64_t offset = ReadU32(file, descriptor + 4);
    if (offset + length > file.size()) return false;
    const char* begin = file.data() + offset;
    size_t size = static_cast<size_t>(length);
    // Plural forms are NUL-separated inside one string: keep the first.
    for (size_t k = 0; k < size; ++k) {
        if (begin[k] == '\0') {
            size = k;
            break;
        }
    }
    out = ValidUtf8(std::string_view(begin, size));
    return true;
}

}  // namespace

std::string CatalogueFileName(const std::string& folder, const std::string& language) {
    std::string name = language;
    if (name.empty()) {
        name = platform::CurrentLocaleName();
        if (name == "C") return "";
    }
    const std::string own = folder + name + ".mo";
    if (IsUsableFile(own)) return own;
    const std::string doubled = folder + name + "_" + platform::ToUpper(name) + ".mo";
    if (IsUsableFile(doubled)) return doubled;
    // A regional locale still gets its language's catalogue (fr_CA -> fr.mo).
    const size_t underscore = name.find('_');
    if (underscore != std::string::npos) {
        const std::string bare = folder + name.substr(0, underscore) + ".mo";
        if (IsUsableFile(bare)) return bare;
    }
    return "";
}

void ReadCatalogue(const std::string& path) {
    std::string file;
    if (path.empty() || !platform::ReadWholeFile(path, file)) return;
    if (file.size() < 20) return;
    const auto count = static_cast<int32_t>(ReadU32(file, 8));
    const uint64_t originals = ReadU32(file, 12);
    const uint64_t translations = ReadU32(file, 16);
    if (count <= 0 || originals > file.size() || translations > file.size()) return;
    // Only the descriptors that lie wholly inside the file are read, so a
    // huge count costs nothing.
    const uint64_t room = (file.size() - std::max(originals, translations)) / 8;
    const uint64_t entries = std::min<uint64_t>(static_cast<uint64_t>(count), room);
    Catalogue& catalogue = TheCatalogue();
    std::string original, translation;
    for (uint64_t i = 0; i < entries; ++i) {
        if (ReadString(file, originals + 8 * i, original) &&
            ReadString(file, translations + 8 * i, translation))
            catalogue[original] = translation;
    }
}

void LoadCatalogue(const std::string& folder, const std::string& language) {
    ReadCatalogue(CatalogueFileName(folder, language));
}

std::string Translate(const std::string& text) {
    if (text.empty()) return text;
    const Catalogue& catalogue = TheCatalogue();
    const auto found = catalogue.find(text);
    if (found == catalogue.end() || found->second.empty()) return text;
    return found->second;
}

void ReleaseCatalogue() { TheCatalogue().clear(); }

}  // namespace i18n
