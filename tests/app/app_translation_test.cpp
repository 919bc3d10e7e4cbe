// The catalogues shipped with the program: every text the sources translate
// has an entry, and the built catalogues turn the window into the language.
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "app_fixture.h"

namespace apptest {
namespace {

const std::string kLiteral = R"re("((?:[^"\\]|\\.)*)")re";

// The pieces of C or PO string literals in `code`, joined, escapes resolved.
std::string Joined(const std::string& code) {
    std::string out;
    const std::regex literal(kLiteral);
    for (std::sregex_iterator it(code.begin(), code.end(), literal), end; it != end; ++it) {
        const std::string body = (*it)[1];
        for (size_t i = 0; i < body.size(); ++i) {
            char c = body[i];
            if (c == '\\' && i + 1 < body.size()) {
                c = body[++i];
                c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
            out += c;
        }
    }
    return out;
}

TEST(CatalogueSources, EveryTranslatedLiteralHasATranslationInEachLanguage) {
    std::set<std::string> literals;
    const std::regex call("Translate\\(\\s*(" + kLiteral + ")\\s*\\)");
    for (const auto& f :
         std::filesystem::recursive_directory_iterator(std::string(VELLUM_SOURCE_DIR) + "/src")) {
        if (f.path().extension() != ".cpp" && f.path().extension() != ".h") continue;
        const std::string code = ReadFile(f.path().string());
        for (std::sregex_iterator it(code.begin(), code.end(), call), end; it != end; ++it)
            literals.insert(Joined((*it)[1]));
    }
    ASSERT_GT(literals.size(), 30u);  // the scan found the program's texts

    const std::regex entry("\nmsgid((?:\\s+" + kLiteral + ")+)\\s+msgstr((?:\\s+" + kLiteral +
                           ")+)");
    for (const char* lang : {"fr", "de", "es"}) {
        const std::string po =
            "\n" + ReadFile(std::string(VELLUM_SOURCE_DIR) + "/data/locale/" + lang + ".po");
        std::map<std::string, std::string> translations;
        for (std::sregex_iterator it(po.begin(), po.end(), entry), end; it != end; ++it)
            translations[Joined((*it)[1])] = Joined((*it)[3]);
        EXPECT_NE(translations[""].find("charset=UTF-8"), std::string::npos) << lang;
        for (const auto& text : literals)
            EXPECT_FALSE(translations[text].empty()) << lang << ".po lacks \"" << text << "\"";
    }
}

class TranslatedWindowTest : public AppTest {
protected:
    // The window's title, tooltip and captions as one run with `language` shows them.
    Texts ShownTexts(const std::string& language) {
        scripted::Reset();
        prefs["language"] = language;
        Start();
        Texts texts{scripted::MainWindow().title, scripted::Find(app::FolderField)->tooltip};
        for (const auto& c : scripted::Controls()) {
            if (c.kind != platform::ControlKind::Field && c.kind != platform::ControlKind::Tree)
                texts.push_back(c.text);
        }
        Stop();
        return texts;
    }
};

TEST_F(TranslatedWindowTest, BuiltCataloguesTranslateEveryCaption) {
    const auto english = ShownTexts("");
    EXPECT_EQ(english.front(), "Vellum SubVersion Tiny FrontEnd");
    for (const char* lang : {"fr", "de", "es"}) {
        const auto shown = ShownTexts(lang);
        ASSERT_EQ(shown.size(), english.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_FALSE(shown[i].empty());
            EXPECT_NE(shown[i], english[i]) << lang << " leaves \"" << english[i] << "\"";
        }
    }
}

}  // namespace
}  // namespace apptest
