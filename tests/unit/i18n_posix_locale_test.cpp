#include <gtest/gtest.h>

#include "platform/locale.h"
#include "sandbox.h"

namespace {

using testsupport::ScopedEnv;

TEST(PosixLocaleName, DropsTheCodesetOnly) {
    EXPECT_EQ(platform::PosixLocaleName("fr_FR.UTF-8"), "fr_FR");
    EXPECT_EQ(platform::PosixLocaleName("de_DE.UTF-8@euro"), "de_DE@euro");
    EXPECT_EQ(platform::PosixLocaleName("de_DE@euro"), "de_DE@euro");
    EXPECT_EQ(platform::PosixLocaleName("pt_BR"), "pt_BR");
    EXPECT_EQ(platform::PosixLocaleName("fr"), "fr");
}

TEST(PosixLocaleName, NoLocaleIsC) {
    EXPECT_EQ(platform::PosixLocaleName(""), "C");
    EXPECT_EQ(platform::PosixLocaleName("C"), "C");
    EXPECT_EQ(platform::PosixLocaleName("POSIX"), "C");
    EXPECT_EQ(platform::PosixLocaleName("C.UTF-8"), "C");
}

TEST(CurrentLocaleName, FirstNonEmptyOfAllMessagesLang) {
    {
        ScopedEnv all("LC_ALL", "it_IT.UTF-8"), messages("LC_MESSAGES", "fr_FR"),
            lang("LANG", "de_DE");
        EXPECT_EQ(platform::CurrentLocaleName(), "it_IT");
    }
    {
        ScopedEnv all("LC_ALL", ""), messages("LC_MESSAGES", "fr_FR.ISO-8859-1"),
            lang("LANG", "de_DE");
        EXPECT_EQ(platform::CurrentLocaleName(), "fr_FR");
    }
    {
        ScopedEnv all("LC_ALL", ""), messages("LC_MESSAGES", ""), lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(platform::CurrentLocaleName(), "de_DE");
    }
    {
        ScopedEnv all("LC_ALL", ""), messages("LC_MESSAGES", ""), lang("LANG", "");
        EXPECT_EQ(platform::CurrentLocaleName(), "C");
    }
    {
        ScopedEnv all("LC_ALL", "POSIX"), lang("LANG", "de_DE");
        EXPECT_EQ(platform::CurrentLocaleName(), "C");
    }
}

}  // namespace
