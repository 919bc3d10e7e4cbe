#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "i18n/catalogue.h"
#include "sandbox.h"

namespace {

using i18n::Translate;

void PutU32(std::string& bytes, size_t at, uint32_t value) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
}

// A little-endian MO file: 28-byte header, the two descriptor tables, then
// the strings, each followed by a NUL. Tests break it afterwards.
std::string BuildMo(const std::vector<std::pair<std::string, std::string>>& entries) {
    const size_t n = entries.size();
    std::string mo(28 + 16 * n, '\0');
    PutU32(mo, 0, 0x950412DE);
    PutU32(mo, 8, static_cast<uint32_t>(n));
    PutU32(mo, 12, 28);
    PutU32(mo, 16, static_cast<uint32_t>(28 + 8 * n));
    for (size_t i = 0; i < 2 * n; ++i) {
        const std::string& text = i < n ? entries[i].first : entries[i - n].second;
        PutU32(mo, 28 + 8 * i, static_cast<uint32_t>(text.size()));
        PutU32(mo, 32 + 8 * i, static_cast<uint32_t>(mo.size()));
        mo += text + '\0';
    }
    return mo;
}

class ReadCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override { i18n::ReleaseCatalogue(); }
    void TearDown() override { i18n::ReleaseCatalogue(); }

    // Adds `bytes`, read as a file, to the catalogue.
    void Read(const std::string& bytes) {
        testsupport::WriteFile(box_ / "test.mo", bytes);
        i18n::ReadCatalogue(box_ / "test.mo");
    }

    testsupport::Sandbox box_;
};

// Whatever the other header fields. An empty translation leaves the text, a
// later entry wins, files add up; bytes that are not UTF-8 become U+FFFD; a
// plural answers to its singular with its first form; neither case nor
// trailing space is forgiven; the header under the empty key is never returned.
TEST_F(ReadCatalogueTest, EntriesAreLookedUpByTheirExactSourceText) {
    using namespace std::string_literals;
    std::string mo = BuildMo({{"", "Content-Type: text/plain; charset=UTF-8\n"},
                              {"Cleanup", ""},
                              {"Search", "Chercher"},
                              {"Search", "Rechercher"},
                              {"Stop search", "Arr\xEAt"},
                              {"Open", "Ouvrir\xC3"},
                              {"%d file\0%d files"s, "%d fichier\0%d fichiers"s}});
    PutU32(mo, 0, 0xDE120495);  // big-endian magic, a revision, a hash table past the end
    PutU32(mo, 4, 7);
    PutU32(mo, 20, 0xFFFFFFFF);
    PutU32(mo, 24, 0xFFFFFFFF);
    Read(mo);
    Read(BuildMo({{"Add ", "Ajouter "}}));
    const char* texts[] = {"",        "Cleanup",  "Search", "Stop search", "Open",
                           "%d file", "%d files", "Add ",   "Add",         "search"};
    auto shown = [&texts] {
        std::string all;
        for (const char* text : texts) all += Translate(text) + "|";
        return all;
    };
    EXPECT_EQ(shown(),
              "|Cleanup|Rechercher|Arr\xEF\xBF\xBDt|Ouvrir\xEF\xBF\xBD|"
              "%d fichier|%d files|Ajouter |Add|search|");
    i18n::ReleaseCatalogue();
    EXPECT_EQ(shown(), "|Cleanup|Search|Stop search|Open|%d file|%d files|Add |Add|search|");
}

// Hand-broken files: only entries lying wholly inside the file load.
TEST_F(ReadCatalogueTest, BrokenFilesLoadOnlyWhatLiesInside) {
    const std::string good =
        BuildMo({{"Add", "Ajouter"}, {"Delete", "Supprimer"}, {"Cleanup", "Nettoyer"}});
    const uint32_t originals = 28, translations = 28 + 3 * 8, size = uint32_t(good.size());
    using Fields = std::initializer_list<std::pair<uint32_t, uint32_t>>;
    auto with = [&](Fields fields, const std::string& tail = "") {
        std::string mo = good;
        for (auto [at, value] : fields) PutU32(mo, at, value);
        return mo + tail;
    };
    const std::pair<std::string, const char*> cases[] = {
        {"", "Add|Delete|Cleanup"},
        {good.substr(0, 19), "Add|Delete|Cleanup"},      // shorter than the header
        {with({{12, size + 1}}), "Add|Delete|Cleanup"},  // a table past the end
        {with({{16, 0xFFFFFFF8}}), "Add|Delete|Cleanup"},
        {with({{8, 0xFFFFFFFF}}), "Add|Delete|Cleanup"},  // a negative count
        // An offset + length that wraps in 32 bits; a string one byte too long.
        {with({{originals + 8, 0x20},
               {originals + 12, 0xFFFFFFF0},
               {translations + 16, size - 7},
               {translations + 20, 8}}),
         "Ajouter|Delete|Cleanup"},
        {good.substr(0, size - 1), "Ajouter|Supprimer|Nettoyer"},  // no last NUL: still whole
        // The translation table moved to the end, its last descriptor cut short.
        {with({{16, size}}, good.substr(translations, 3 * 8 - 4)), "Ajouter|Supprimer|Cleanup"},
        {with({{8, 0x7FFFFFFF}}),
         "Ajouter|Supprimer|Nettoyer"},  // a huge count: what is there, fast
    };
    int index = 0;
    for (const auto& [bytes, shown] : cases) {
        i18n::ReleaseCatalogue();
        Read(bytes);
        EXPECT_EQ(Translate("Add") + "|" + Translate("Delete") + "|" + Translate("Cleanup"), shown)
            << "case " << index++;
    }
    i18n::ReleaseCatalogue();
    for (std::string path : {std::string(), box_ / "missing.mo", box_.Path()})
        i18n::ReadCatalogue(path);
    EXPECT_EQ(Translate("Add"), "Add");
}

}  // namespace
