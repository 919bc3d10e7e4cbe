// Which catalogue file the language setting or the locale picks.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "i18n/catalogue.h"
#include "platform/locale.h"
#include "sandbox.h"

namespace {

using testsupport::ScopedEnv;

TEST(CatalogueFileName, FirstShippedCandidateOfTheSettingElseOfTheLocale) {
    struct Case {
        const char* locale;
        const char* setting;
        std::vector<std::string> shipped;  // "x.mo" one byte, "x.mo=" empty, "x.mo/" a folder
        const char* found;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", "fr", {"fr_FR.mo"}, "fr_FR.mo"},
        {"de_DE.UTF-8", "fr", {"fr_FR.mo", "fr.mo"}, "fr.mo"},
        {"de_DE.UTF-8", "fr", {"fr.mo=", "fr_FR.mo"}, "fr_FR.mo"},
        {"de_DE.UTF-8", "it", {"de_DE.mo", "it.mo/", "it_IT.mo/"}, ""},  // the locale is not asked
        {"de_DE.UTF-8", "fr", {}, ""},                                   // no folder at all
        {"de_DE.UTF-8", "C", {"C_C.mo", "C.mo"}, "C.mo"},                // a setting of C is a name
        {"fr_CA.UTF-8", "", {"fr.mo"}, "fr.mo"},
        {"fr_FR.UTF-8", "", {"fr.mo", "fr_FR_FR_FR.mo"}, "fr_FR_FR_FR.mo"},
        {"de_AT", "", {"de.mo="}, ""},
        {"C.UTF-8", "", {"C.mo", "C_C.mo"}, ""},
    };
    for (const Case& c : cases) {
        testsupport::Sandbox box;
        const std::string folder = box / "locale/";
        for (std::string name : c.shipped) {
            if (name.back() == '/')
                testsupport::MakeDirs(folder + name);
            else if (name.back() == '=')
                testsupport::WriteFile(folder + name.substr(0, name.size() - 1), "");
            else
                testsupport::WriteFile(folder + name, "x");
        }
        ScopedEnv all("LC_ALL", c.locale), messages("LC_MESSAGES", ""), lang("LANG", "");
        EXPECT_EQ(i18n::CatalogueFileName(folder, c.setting), *c.found ? folder + c.found : "")
            << "locale " << c.locale << ", setting " << c.setting << ", " << c.shipped.size()
            << " files";
    }
}

// The first non-empty of LC_ALL, LC_MESSAGES and LANG, without its codeset.
TEST(CurrentLocaleName, FirstNonEmptyVariableWithoutTheCodesetAndNoLocaleIsC) {
    const std::pair<const char*, const char*> names[] = {{"de_DE.UTF-8@euro", "de_DE@euro"},
                                                         {"de_DE@euro", "de_DE@euro"},
                                                         {"fr", "fr"},
                                                         {"", "C"},
                                                         {"C", "C"},
                                                         {"POSIX", "C"},
                                                         {"C.UTF-8", "C"}};
    for (auto [value, name] : names) EXPECT_EQ(platform::PosixLocaleName(value), name) << value;
    struct Case {
        const char *all, *messages, *lang, *expected;
    };
    for (const Case& c : {Case{"it_IT.UTF-8", "fr_FR", "de_DE", "it_IT"},
                          Case{"", "fr_FR.ISO-8859-1", "de_DE", "fr_FR"},
                          Case{"", "", "de_DE.UTF-8", "de_DE"}, Case{"", "", "", "C"}}) {
        ScopedEnv all("LC_ALL", c.all), messages("LC_MESSAGES", c.messages), lang("LANG", c.lang);
        EXPECT_EQ(platform::CurrentLocaleName(), c.expected) << c.all << "|" << c.messages;
    }
}

}  // namespace
