// Client output is decoded from the locale's character set into UTF-8.
#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <optional>

#include "platform/text.h"
#include "settings/settings.h"
#include "support/sandbox.h"
#include "svnclient/client.h"

namespace {

using platform::SystemToUtf8;
using testsupport::Sandbox;

const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

// Switches the process to a locale for one test and back to "C" after.
class ScopedLocale {
public:
    ~ScopedLocale() { setlocale(LC_ALL, "C"); }

    bool Use(const char* name) { return setlocale(LC_ALL, name) != nullptr; }

    // Latin-1: the system's when scripts/setup made it, else one made in the
    // sandbox (localedef needs no privileges for that).
    bool UseLatin1(const Sandbox& box) {
        const char* name = "fr_FR.ISO-8859-1";
        if (Use(name)) return true;
        if (testsupport::Run("localedef -i fr_FR -f ISO-8859-1 " +
                             testsupport::ShellQuote(box / name)) != 0)
            return false;
        locpath_.emplace("LOCPATH", box.Path());
        return Use(name);
    }

private:
    std::optional<testsupport::ScopedEnv> locpath_;
};

TEST(SystemToUtf8, Utf8PassesAndEveryMalformedSequenceIsReplaced) {
    ScopedLocale locale;
    ASSERT_TRUE(locale.Use("C.UTF-8"));
    const std::string good = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\x81 \xED\x9F\xBF \xF4\x8F\xBF\xBF";
    EXPECT_EQ(SystemToUtf8(good), good);
    EXPECT_EQ(SystemToUtf8("caf\xE9"), "caf" + kBad);                          // Latin-1 byte
    EXPECT_EQ(SystemToUtf8("\xC0\xAF"), kBad + kBad);                          // overlong "/"
    EXPECT_EQ(SystemToUtf8("\xED\xA0\x80"), kBad + kBad + kBad);               // surrogate
    EXPECT_EQ(SystemToUtf8("\xF4\x90\x80\x80"), kBad + kBad + kBad + kBad);    // past U+10FFFF
    EXPECT_EQ(SystemToUtf8("a\xE2\x82"), "a" + kBad + kBad);                   // cut short
    EXPECT_EQ(SystemToUtf8("\xE2\x82z"), kBad + kBad + "z");                   // broken off
    EXPECT_EQ(SystemToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(SystemToUtf8, AsciiLocaleReplacesEveryHighByte) {
    ScopedLocale locale;
    ASSERT_TRUE(locale.Use("C"));
    EXPECT_EQ(SystemToUtf8("ok\xE9\xC3\xA9!"), "ok" + kBad + kBad + kBad + "!");
}

TEST(SystemToUtf8, Latin1MapsEveryByteToItsCodePoint) {
    Sandbox box;
    ScopedLocale locale;
    if (!locale.UseLatin1(box)) GTEST_SKIP() << "no Latin-1 locale and localedef could not make one";
    std::string all, expected;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
        if (b < 0x80) {
            expected += static_cast<char>(b);
        } else {
            expected += static_cast<char>(0xC0 | (b >> 6));
            expected += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    EXPECT_EQ(SystemToUtf8(all), expected);
    // Large input goes through in one piece.
    EXPECT_EQ(SystemToUtf8(std::string(20000, '\xE9')).size(), 40000u);
}

TEST(ClientEncoding, OutputBytesAreReadInTheLocaleCharset) {
    Sandbox box;
    testsupport::MakeDirs(box / "svn/bin");
    ASSERT_EQ(symlink(testsupport::StandinClient().c_str(), (box / "svn/bin/svn").c_str()), 0);
    testsupport::ScopedCwd cwd(box.Path());
    settings::g_settings = settings::Settings{};
    auto lines = [] {
        std::vector<std::string> out;
        svnclient::RunClient({svnclient::Plain("latin1")}, "", 1,
                             [&](const std::string& l) { out.push_back(l); });
        return out;
    };
    ScopedLocale locale;
    ASSERT_TRUE(locale.Use("C.UTF-8"));
    EXPECT_EQ(lines(), std::vector<std::string>{"caf" + kBad});
    if (!locale.UseLatin1(box)) GTEST_SKIP() << "no Latin-1 locale and localedef could not make one";
    EXPECT_EQ(lines(), std::vector<std::string>{"caf\xC3\xA9"});
}

}  // namespace
