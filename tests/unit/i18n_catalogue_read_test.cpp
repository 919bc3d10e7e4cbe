#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "i18n/catalogue.h"
#include "sandbox.h"

namespace {

using i18n::Translate;
using testsupport::ShellQuote;

void PutU32(std::string& bytes, size_t at, uint32_t value) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
}

// A little-endian MO file: 28-byte header, the two descriptor tables, then
// the strings, each followed by a NUL. Tests break it afterwards.
std::string BuildMo(const std::vector<std::pair<std::string, std::string>>& entries) {
    const size_t n = entries.size();
    const size_t originals = 28, translations = originals + 8 * n;
    std::string mo(translations + 8 * n, '\0');
    PutU32(mo, 0, 0x950412DE);
    PutU32(mo, 8, static_cast<uint32_t>(n));
    PutU32(mo, 12, static_cast<uint32_t>(originals));
    PutU32(mo, 16, static_cast<uint32_t>(translations));
    auto append = [&mo](size_t descriptor, const std::string& text) {
        PutU32(mo, descriptor, static_cast<uint32_t>(text.size()));
        PutU32(mo, descriptor + 4, static_cast<uint32_t>(mo.size()));
        mo += text;
        mo += '\0';
    };
    for (size_t i = 0; i < n; ++i) append(originals + 8 * i, entries[i].first);
    for (size_t i = 0; i < n; ++i) append(translations + 8 * i, entries[i].second);
    return mo;
}

class ReadCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override { i18n::ReleaseCatalogue(); }
    void TearDown() override { i18n::ReleaseCatalogue(); }

    // Reads `bytes` as a file into the catalogue, emptied first.
    void Read(const std::string& bytes, bool keep = false) {
        if (!keep) i18n::ReleaseCatalogue();
        testsupport::WriteFile(box_ / "test.mo", bytes);
        i18n::ReadCatalogue(box_ / "test.mo");
    }

    testsupport::Sandbox box_;
};

TEST_F(ReadCatalogueTest, CompiledCatalogueFromTheLocaleLooksUpExactSourceTextsAsUtf8) {
    // The header's charset is not obeyed: msgfmt copies the UTF-8 bytes through.
    testsupport::WriteFile(box_ / "test.po",
        "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n"
        "\"Plural-Forms: nplurals=2; plural=(n > 1);\\n\"\n\n"
        "msgid \"Delete\"\nmsgstr \"Suppression \xC3\xA9l\xC3\xA9ment\"\n\n"
        "msgid \"Add \"\nmsgstr \"Ajouter \"\n\n"
        "msgid \"%d file\"\nmsgid_plural \"%d files\"\n"
        "msgstr[0] \"%d fichier\"\nmsgstr[1] \"%d fichiers\"\n\n"
        "msgctxt \"menu\"\nmsgid \"Undo\"\nmsgstr \"Annuler\"\n");
    std::string out;
    testsupport::MakeDirs(box_ / "locale");
    ASSERT_EQ(testsupport::Run("msgfmt -o " + ShellQuote(box_ / "locale/fr.mo") + " " +
                                   ShellQuote(box_ / "test.po"), &out), 0) << out;
    testsupport::ScopedEnv messages("LC_MESSAGES", ""), lang("LANG", ""), all("LC_ALL", "C");
    i18n::LoadCatalogue(box_ / "locale/", "de");  // neither the setting nor the locale finds it
    EXPECT_EQ(Translate("Delete"), "Delete");
    testsupport::ScopedEnv french("LC_ALL", "fr_CA.UTF-8");  // found as fr.mo
    i18n::LoadCatalogue(box_ / "locale/", "");
    EXPECT_EQ(Translate("Delete"), "Suppression \xC3\xA9l\xC3\xA9ment");
    EXPECT_EQ(Translate("Add "), "Ajouter ");
    // Neither case nor trailing space is forgiven; a plural answers to its
    // singular with its first form; nothing is looked up with a context; the
    // header under the empty key is never returned.
    const std::pair<const char*, const char*> cases[] = {
        {"delete", "delete"}, {"Delete ", "Delete "}, {"Add", "Add"}, {"%d file", "%d fichier"},
        {"%d files", "%d files"}, {"Undo", "Undo"}, {"", ""}, {"Cleanup", "Cleanup"}};
    for (auto [text, shown] : cases) EXPECT_EQ(Translate(text), shown) << text;
}

TEST_F(ReadCatalogueTest, EntryRulesWhateverTheOtherHeaderFields) {
    std::string mo = BuildMo({{"Cleanup", ""},
                              {"Search", "Chercher"},
                              {"Search", "Rechercher"},
                              {"Stop search", "Arr\xEAt"},
                              {"Open", "Ouvrir\xC3"}});
    PutU32(mo, 0, 0xDE120495);  // big-endian magic, a revision, a hash table past the end
    PutU32(mo, 4, 7);
    PutU32(mo, 20, 0xFFFFFFFF);
    PutU32(mo, 24, 0xFFFFFFFF);
    Read(mo);
    EXPECT_EQ(Translate("Cleanup"), "Cleanup");  // an empty translation leaves the text
    EXPECT_EQ(Translate("Search"), "Rechercher");  // the later entry wins
    // Bytes that are not UTF-8 become U+FFFD rather than broken text.
    EXPECT_EQ(Translate("Stop search"), "Arr\xEF\xBF\xBDt");
    EXPECT_EQ(Translate("Open"), "Ouvrir\xEF\xBF\xBD");

    // A second file adds to the first; Release empties everything.
    Read(BuildMo({{"Add", "Ajouter"}}), true);
    EXPECT_EQ(Translate("Add"), "Ajouter");
    EXPECT_EQ(Translate("Search"), "Rechercher");
    i18n::ReleaseCatalogue();
    EXPECT_EQ(Translate("Add"), "Add");
    EXPECT_EQ(Translate("Search"), "Search");
}

// Hand-broken files: only entries lying wholly inside the file load.
TEST_F(ReadCatalogueTest, BrokenFilesLoadOnlyWhatLiesInside) {
    const std::string good = BuildMo({{"Add", "Ajouter"}, {"Delete", "Supprimer"}, {"Cleanup", "Nettoyer"}});
    const uint32_t originals = 28, translations = 28 + 3 * 8, size = uint32_t(good.size());
    using Fields = std::initializer_list<std::pair<uint32_t, uint32_t>>;
    auto with = [&](Fields fields, const std::string& tail = "") {
        std::string mo = good;
        for (auto [at, value] : fields) PutU32(mo, at, value);
        return mo + tail;
    };
    const std::pair<std::string, const char*> cases[] = {
        {"", "Add|Delete|Cleanup"},
        {good.substr(0, 19), "Add|Delete|Cleanup"},  // shorter than the header
        {with({{12, size + 1}}), "Add|Delete|Cleanup"},  // a table past the end
        {with({{16, 0xFFFFFFF8}}), "Add|Delete|Cleanup"},
        {with({{8, 0}}), "Add|Delete|Cleanup"},  // no entries, negative counts
        {with({{8, 0xFFFFFFFF}}), "Add|Delete|Cleanup"},
        {with({{8, 0x80000000}}), "Add|Delete|Cleanup"},
        // An offset + length that wraps in 32 bits; a string one byte too long.
        {with({{originals + 8, 0x20}, {originals + 12, 0xFFFFFFF0}, {translations + 16, size - 7},
               {translations + 20, 8}}),
         "Ajouter|Delete|Cleanup"},
        {good.substr(0, size - 1), "Ajouter|Supprimer|Nettoyer"},  // no last NUL: still whole
        // The translation table moved to the end, its last descriptor cut short.
        {with({{16, size}}, good.substr(translations, 3 * 8 - 4)), "Ajouter|Supprimer|Cleanup"},
        {with({{8, 0x7FFFFFFF}}), "Ajouter|Supprimer|Nettoyer"},  // a huge count: what is there, fast
    };
    int index = 0;
    for (const auto& [bytes, shown] : cases) {
        Read(bytes);
        EXPECT_EQ(Translate("Add") + "|" + Translate("Delete") + "|" + Translate("Cleanup"), shown)
            << "case " << index++;
    }
    i18n::ReleaseCatalogue();
    i18n::ReadCatalogue("");
    i18n::ReadCatalogue(box_ / "missing.mo");
    i18n::ReadCatalogue(box_.Path());
    EXPECT_EQ(Translate("Add"), "Add");
}

}  // namespace
