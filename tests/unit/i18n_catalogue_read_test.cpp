#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "i18n/catalogue.h"
#include "sandbox.h"

namespace {

using testsupport::Sandbox;
using testsupport::ShellQuote;
using testsupport::WriteFile;
using i18n::Translate;

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

    // Writes `bytes` as a file and reads it into the catalogue.
    void Read(const std::string& bytes) {
        const std::string path = box_ / "test.mo";
        WriteFile(path, bytes);
        i18n::ReadCatalogue(path);
    }

    // Compiles a .po text with msgfmt and reads the result.
    void ReadCompiled(const std::string& po) {
        WriteFile(box_ / "test.po", po);
        std::string out;
        ASSERT_EQ(testsupport::Run("msgfmt -o " + ShellQuote(box_ / "test.mo") + " " +
                      ShellQuote(box_ / "test.po"), &out), 0) << out;
        i18n::ReadCatalogue(box_ / "test.mo");
    }

    Sandbox box_;
};

const char kHeader[] =
    "msgid \"\"\n"
    "msgstr \"\"\n"
    "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
    "\"Plural-Forms: nplurals=2; plural=(n > 1);\\n\"\n\n";

TEST_F(ReadCatalogueTest, CompiledCatalogueLooksUpExactSourceTexts) {
    ReadCompiled(std::string(kHeader) +
                 "msgid \"Delete\"\nmsgstr \"Supprimer\"\n\n"
                 "msgid \"Add \"\nmsgstr \"Ajouter \"\n\n"
                 "msgid \"%d file\"\nmsgid_plural \"%d files\"\n"
                 "msgstr[0] \"%d fichier\"\nmsgstr[1] \"%d fichiers\"\n\n"
                 "msgctxt \"menu\"\nmsgid \"Undo\"\nmsgstr \"Annuler\"\n");
    EXPECT_EQ(Translate("Delete"), "Supprimer");
    EXPECT_EQ(Translate("Add "), "Ajouter ");
    // Neither case nor trailing space is forgiven.
    EXPECT_EQ(Translate("delete"), "delete");
    EXPECT_EQ(Translate("Delete "), "Delete ");
    EXPECT_EQ(Translate("Add"), "Add");
    // A plural entry answers to its singular with its first form only.
    EXPECT_EQ(Translate("%d file"), "%d fichier");
    EXPECT_EQ(Translate("%d files"), "%d files");
    // Texts are never looked up with a context.
    EXPECT_EQ(Translate("Undo"), "Undo");
    // The header entry sits under the empty key but is never returned.
    EXPECT_EQ(Translate(""), "");
    EXPECT_EQ(Translate("Cleanup"), "Cleanup");
}

TEST_F(ReadCatalogueTest, BytesAreUtf8WhateverTheHeaderSays) {
    // msgfmt copies the bytes through; the header's charset is not obeyed.
    ReadCompiled("msgid \"\"\nmsgstr \"\"\n"
                 "\"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n\n"
                 "msgid \"Deletion\"\nmsgstr \"Suppression \xC3\xA9l\xC3\xA9ment\"\n\n"
                 "msgid \"Alert\"\nmsgstr \"\xD0\x92\xD0\xBD\xD0\xB8\xD0\xBC\xD0\xB0\xD0\xBD\xD0\xB8\xD0\xB5\"\n");
    EXPECT_EQ(Translate("Deletion"), "Suppression \xC3\xA9l\xC3\xA9ment");
    EXPECT_EQ(Translate("Alert"), "\xD0\x92\xD0\xBD\xD0\xB8\xD0\xBC\xD0\xB0\xD0\xBD\xD0\xB8\xD0\xB5");
}

TEST_F(ReadCatalogueTest, EntryRules) {
    Read(BuildMo({{"Cleanup", ""},
                  {"Search", "Chercher"},
                  {"Search", "Rechercher"},
                  {"Stop search", "Arr\xEAt"},
                  {"Open", "Ouvrir\xC3"}}));
    // An empty translation leaves the text as it is.
    EXPECT_EQ(Translate("Cleanup"), "Cleanup");
    // The later of two entries wins.
    EXPECT_EQ(Translate("Search"), "Rechercher");
    // Bytes that are not UTF-8 become U+FFFD rather than broken text.
    EXPECT_EQ(Translate("Stop search"), "Arr\xEF\xBF\xBDt");
    EXPECT_EQ(Translate("Open"), "Ouvrir\xEF\xBF\xBD");

    // A second file adds to the first; Release empties everything.
    Read(BuildMo({{"Add", "Ajouter"}}));
    EXPECT_EQ(Translate("Add"), "Ajouter");
    EXPECT_EQ(Translate("Search"), "Rechercher");
    i18n::ReleaseCatalogue();
    EXPECT_EQ(Translate("Add"), "Add");
    EXPECT_EQ(Translate("Search"), "Search");
}

TEST_F(ReadCatalogueTest, HeaderFieldsOtherThanTheCountsAreIgnored) {
    std::string mo = BuildMo({{"Add", "Ajouter"}});
    PutU32(mo, 0, 0xDE120495);  // big-endian magic
    PutU32(mo, 4, 7);
    PutU32(mo, 20, 0xFFFFFFFF);
    PutU32(mo, 24, 0xFFFFFFFF);
    Read(mo);
    EXPECT_EQ(Translate("Add"), "Ajouter");
}

TEST_F(ReadCatalogueTest, UnusableFilesLoadNothing) {
    const std::string good = BuildMo({{"Add", "Ajouter"}, {"Delete", "Supprimer"}});
    auto expectEmpty = [&](const std::string& bytes, const char* what) {
        Read(bytes);
        EXPECT_EQ(Translate("Add"), "Add") << what;
        EXPECT_EQ(Translate("Delete"), "Delete") << what;
        i18n::ReleaseCatalogue();
    };
    expectEmpty("", "empty file");
    expectEmpty(good.substr(0, 19), "shorter than the header");

    std::string mo = good;
    PutU32(mo, 12, static_cast<uint32_t>(mo.size() + 1));
    expectEmpty(mo, "original table past the end");
    mo = good;
    PutU32(mo, 16, 0xFFFFFFF8);
    expectEmpty(mo, "translation table past the end");
    mo = good;
    PutU32(mo, 8, 0);
    expectEmpty(mo, "no entries");
    mo = good;
    PutU32(mo, 8, 0xFFFFFFFF);
    expectEmpty(mo, "negative count");
    mo = good;
    PutU32(mo, 8, 0x80000000);
    expectEmpty(mo, "most negative count");

    i18n::ReadCatalogue("");
    i18n::ReadCatalogue(box_ / "missing.mo");
    i18n::ReadCatalogue(box_.Path());
    EXPECT_EQ(Translate("Add"), "Add");
}

TEST_F(ReadCatalogueTest, EntriesReachingPastTheEndAreSkipped) {
    const std::string good = BuildMo({{"Add", "Ajouter"}, {"Delete", "Supprimer"},
                                      {"Cleanup", "Nettoyer"}});
    const size_t originals = 28, translations = 28 + 3 * 8;

    std::string mo = good;
    // Offset + length wraps to a small number in 32 bits.
    PutU32(mo, originals + 8, 0x20);
    PutU32(mo, originals + 8 + 4, 0xFFFFFFF0);
    // One byte too long.
    PutU32(mo, translations + 16, static_cast<uint32_t>(mo.size() - 8 + 1));
    PutU32(mo, translations + 16 + 4, 8);
    Read(mo);
    EXPECT_EQ(Translate("Add"), "Ajouter");
    EXPECT_EQ(Translate("Delete"), "Delete");
    EXPECT_EQ(Translate("Cleanup"), "Cleanup");
    i18n::ReleaseCatalogue();

    // A string that ends exactly at the end of the file is whole.
    mo = good;
    mo.pop_back();  // the last NUL
    Read(mo);
    EXPECT_EQ(Translate("Cleanup"), "Nettoyer");
    i18n::ReleaseCatalogue();

    // A translation table moved to the end of the file, its last descriptor
    // cut short: the entries before it still load.
    mo = good;
    PutU32(mo, 16, static_cast<uint32_t>(mo.size()));
    mo += good.substr(translations, 3 * 8 - 4);
    Read(mo);
    EXPECT_EQ(Translate("Add"), "Ajouter");
    EXPECT_EQ(Translate("Delete"), "Supprimer");
    EXPECT_EQ(Translate("Cleanup"), "Cleanup");
    i18n::ReleaseCatalogue();

    // A huge count reads only the descriptors inside the file, and fast.
    mo = good;
    PutU32(mo, 8, 0x7FFFFFFF);
    Read(mo);
    EXPECT_EQ(Translate("Add"), "Ajouter");
    EXPECT_EQ(Translate("Delete"), "Supprimer");
    EXPECT_EQ(Translate("Cleanup"), "Nettoyer");
}

}  // namespace
