// The client's reading loop on Windows: the stand-in client is copied to
// "svn\bin\svn.exe" below the current folder, where the program looks for the
// real one, and started through RunSvn.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "platform/paths.h"
#include "platform/win32/utf16.h"
#include "sandbox.h"
#include "settings/settings.h"
#include "svnclient/client.h"

namespace {

using namespace svnclient;
using platform::win32::Widen;

class WindowsClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::MakeDirectories(box_ / "svn\\bin"));
        ASSERT_TRUE(CopyFileW(Widen(testsupport::StandinClient()).c_str(),
                              Widen(box_ / "svn\\bin\\svn.exe").c_str(), FALSE));
        cwd_.emplace(box_.Path());
        settings::g_settings = settings::Settings{};
    }

    struct Seen {
        std::vector<std::string> lines;
        ClientResult result;
    };

    Seen Run(const ArgumentList& args, int credentials = 1) {
        Seen seen;
        seen.result = RunClient(args, "", credentials,
                                [&](const std::string& l) { if (!l.empty()) seen.lines.push_back(l); });
        return seen;
    }

    testsupport::Sandbox box_;
    std::optional<testsupport::ScopedCwd> cwd_;
};

TEST_F(WindowsClient, LinesAreCutTrimmedAndDecoded) {
    // CR LF, a CR inside, blanks trimmed, tabs kept, a NUL: the pipe must
    // not translate a byte.
    Seen seen = Run({Plain("blanks")});
    EXPECT_EQ(seen.lines, (std::vector<std::string>{"A    x", "B", "ab", "x", "\tt\t", "ab"}));
    seen = Run({Plain("split"), Plain("200")});
    EXPECT_EQ(seen.lines, (std::vector<std::string>{"alpha beta", "end"}));
    seen = Run({Plain("longline")});
    ASSERT_EQ(seen.lines.size(), 2u);
    EXPECT_EQ(seen.lines[0], std::string(100000, 'x'));
    if (GetACP() == 1252) {
        EXPECT_EQ(Run({Plain("latin1")}).lines, (std::vector<std::string>{"caf\xC3\xA9"}));
    }
}

TEST_F(WindowsClient, ErrorsAreDrainedAndAMissingClientIsQuiet) {
    // 1 MB on the error pipe, far more than it holds: drained on every pass,
    // so the client gets to print "done" and end.
    Seen seen = Run({Plain("errflood")});
    EXPECT_EQ(seen.lines, (std::vector<std::string>{"done"}));
    EXPECT_EQ(seen.result.errors.size(), 1024u * 1024u);

    ASSERT_TRUE(DeleteFileW(Widen(box_ / "svn\\bin\\svn.exe").c_str()));
    seen = Run({Plain("argv"), Plain("x")});
    EXPECT_FALSE(seen.result.started);
    EXPECT_TRUE(seen.lines.empty());
}

}  // namespace
