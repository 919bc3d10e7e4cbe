#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "i18n/catalogue.h"
#include "sandbox.h"

namespace {

using i18n::CatalogueFileName;
using testsupport::MakeDirs;
using testsupport::Sandbox;
using testsupport::ScopedEnv;
using testsupport::ShellQuote;
using testsupport::WriteFile;

// The user's locale as the environment gives it, with nothing else set.
struct ScopedLocale {
    explicit ScopedLocale(const std::string& value)
        : all("LC_ALL", value), messages("LC_MESSAGES", ""), lang("LANG", "") {}
    ScopedEnv all, messages, lang;
};

class CatalogueFileTest : public ::testing::Test {
protected:
    // Fills the locale folder with these files, each one byte long.
    void Ship(std::initializer_list<const char*> names) {
        for (const char* name : names) WriteFile(folder_ + name, "x");
    }

    Sandbox box_;
    const std::string folder_ = box_ / "locale/";
};

TEST_F(CatalogueFileTest, LanguageSettingCandidates) {
    ScopedLocale locale("de_DE.UTF-8");
    Ship({"fr_FR.mo"});
    EXPECT_EQ(CatalogueFileName(folder_, "fr"), folder_ + "fr_FR.mo");
    Ship({"fr.mo"});
    EXPECT_EQ(CatalogueFileName(folder_, "fr"), folder_ + "fr.mo");
    // Nothing for the setting's language: the locale is not consulted.
    Ship({"de_DE.mo"});
    EXPECT_EQ(CatalogueFileName(folder_, "it"), "");
    // A setting of C is just a name.
    EXPECT_EQ(CatalogueFileName(folder_, "C"), "");
    Ship({"C_C.mo"});
    EXPECT_EQ(CatalogueFileName(folder_, "C"), folder_ + "C_C.mo");
    Ship({"C.mo"});
    EXPECT_EQ(CatalogueFileName(folder_, "C"), folder_ + "C.mo");
}

TEST_F(CatalogueFileTest, EmptyFilesAndFoldersAreNotCatalogues) {
    WriteFile(folder_ + "fr.mo", "");
    Ship({"fr_FR.mo"});
    EXPECT_EQ(CatalogueFileName(folder_, "fr"), folder_ + "fr_FR.mo");
    MakeDirs(folder_ + "it.mo");
    MakeDirs(folder_ + "it_IT.mo");
    EXPECT_EQ(CatalogueFileName(folder_, "it"), "");
    EXPECT_EQ(CatalogueFileName(box_ / "nowhere/", "fr"), "");
}

TEST_F(CatalogueFileTest, LocaleCandidatesEndWithTheBareLanguage) {
    Ship({"fr.mo"});
    {
        ScopedLocale locale("fr_CA.UTF-8");
        EXPECT_EQ(CatalogueFileName(folder_, ""), folder_ + "fr.mo");
    }
    {
        ScopedLocale locale("fr_FR.UTF-8@euro");
        EXPECT_EQ(CatalogueFileName(folder_, ""), folder_ + "fr.mo");
    }
    ScopedLocale locale("fr_FR.UTF-8");
    EXPECT_EQ(CatalogueFileName(folder_, ""), folder_ + "fr.mo");
    // The exact and the doubled names come before the bare language.
    Ship({"fr_FR_FR_FR.mo"});
    EXPECT_EQ(CatalogueFileName(folder_, ""), folder_ + "fr_FR_FR_FR.mo");
    Ship({"fr_FR.mo"});
    EXPECT_EQ(CatalogueFileName(folder_, ""), folder_ + "fr_FR.mo");
    // An empty bare-language file is passed over like the others.
    WriteFile(folder_ + "de.mo", "");
    ScopedLocale german("de_AT");
    EXPECT_EQ(CatalogueFileName(folder_, ""), "");
}

TEST_F(CatalogueFileTest, CLocaleLooksForNothing) {
    Ship({"C.mo", "C_C.mo", "POSIX.mo"});
    for (const char* value : {"C", "POSIX", "C.UTF-8", ""}) {
        ScopedLocale locale(value);
        EXPECT_EQ(CatalogueFileName(folder_, ""), "") << '"' << value << '"';
    }
}

TEST_F(CatalogueFileTest, LoadCatalogueFromTheLocale) {
    i18n::ReleaseCatalogue();
    WriteFile(box_ / "fr.po", "msgid \"Receive update\"\nmsgstr \"Recevoir la mise \xC3\xA0 jour\"\n");
    MakeDirs(folder_);
    std::string out;
    ASSERT_EQ(testsupport::Run("msgfmt -o " + ShellQuote(folder_ + "fr.mo") + " " + ShellQuote(box_ / "fr.po"),
                  &out), 0) << out;
    {
        ScopedLocale locale("C");
        i18n::LoadCatalogue(folder_, "");
        EXPECT_EQ(i18n::Translate("Receive update"), "Receive update");
        i18n::LoadCatalogue(folder_, "de");
        EXPECT_EQ(i18n::Translate("Receive update"), "Receive update");
    }
    ScopedLocale locale("fr_CA.UTF-8");
    i18n::LoadCatalogue(folder_, "");
    EXPECT_EQ(i18n::Translate("Receive update"), "Recevoir la mise \xC3\xA0 jour");
    i18n::ReleaseCatalogue();
}

}  // namespace
