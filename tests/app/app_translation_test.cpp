// The catalogues shipped with the program: every text the sources translate
// has an entry, and the built catalogues turn the window into the language.
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "app_fixture.h"
#include "browse/status_codes.h"

namespace apptest {
namespace {

using namespace app;

// The body of a C or PO string literal with its escapes resolved.
std::string Unescape(const std::string& body) {
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\' || i + 1 == body.size()) {
            out += body[i];
            continue;
        }
        const char c = body[++i];
        out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    return out;
}

// msgid -> msgstr of a .po file (multi-line strings joined).
std::map<std::string, std::string> ReadPo(const std::string& path) {
    std::ifstream in(path);
    std::map<std::string, std::string> entries;
    std::string line, id, str, *target = nullptr;
    const std::regex quoted(R"re(^\s*(msgid|msgstr)?\s*"((?:[^"\\]|\\.)*)"\s*$)re");
    auto flush = [&] {
        if (target) entries[id] = str;
        id.clear();
        str.clear();
    };
    while (std::getline(in, line)) {
        std::smatch m;
        if (!std::regex_match(line, m, quoted)) continue;
        if (m[1] == "msgid") {
            flush();
            target = &id;
        } else if (m[1] == "msgstr") {
            target = &str;
        }
        if (target) *target += Unescape(m[2]);
    }
    flush();
    return entries;
}

// Every Translate("literal") in the sources.
std::set<std::string> TranslatedLiterals() {
    std::set<std::string> texts;
    const std::regex call(R"re(Translate\(\s*"((?:[^"\\]|\\.)*)"\s*\))re");
    for (const auto& f : std::filesystem::recursive_directory_iterator(
             std::string(VELLUM_SOURCE_DIR) + "/src")) {
        const auto ext = f.path().extension();
        if (ext != ".cpp" && ext != ".h") continue;
        const std::string code = ReadFile(f.path().string());
        for (std::sregex_iterator it(code.begin(), code.end(), call), end; it != end; ++it)
            texts.insert(Unescape((*it)[1]));
    }
    return texts;
}

TEST(CatalogueSources, EveryTranslatedLiteralHasATranslationInEachLanguage) {
    const auto literals = TranslatedLiterals();
    ASSERT_GT(literals.size(), 30u);  // the scan found the program's texts
    for (const char* lang : {"fr", "de", "es"}) {
        const auto po = ReadPo(std::string(VELLUM_SOURCE_DIR) + "/data/locale/" + lang + ".po");
        EXPECT_NE(po.count(""), 0u) << lang << ": header entry missing";
        EXPECT_NE(po.at("").find("charset=UTF-8"), std::string::npos) << lang;
        for (const auto& text : literals) {
            auto it = po.find(text);
            EXPECT_TRUE(it != po.end() && !it->second.empty())
                << lang << ".po lacks \"" << text << "\"";
        }
    }
}

class TranslatedWindowTest : public AppTest {
protected:
    // The window's visible texts (captions, tooltip, title) and the status
    // descriptions, as one run with `language` shows them.
    std::vector<std::string> ShownTexts(const std::string& language) {
        scripted::Reset();
        prefs["language"] = language;
        Start();
        std::vector<std::string> texts{scripted::MainWindow().title,
                                       scripted::Find(FolderField)->tooltip};
        for (const auto& c : scripted::Controls()) {
            if (c.kind != platform::ControlKind::Field && c.kind != platform::ControlKind::Tree)
                texts.push_back(c.text);
        }
        for (const char* code : {"A", "B", "C", "D", "E", "G", "I", "K", "L", "M", "O", "R", "S",
                                 "T", "U", "X", "?", "!", "~", "+"})
            texts.push_back(browse::StatusDescription(code));
        Stop();
        return texts;
    }
};

TEST_F(TranslatedWindowTest, BuiltCataloguesTranslateEveryCaptionAndStatus) {
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
