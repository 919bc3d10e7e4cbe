// The commit messages kept beside the preferences file.
#include "settings/message_history.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sandbox.h"

using settings::LoadMessages;
using settings::RememberMessage;
using Messages = std::vector<std::string>;

namespace {

struct MessageHistory : ::testing::Test {
    testsupport::Sandbox box;
    const std::string file = box / "config/Vellum.messages";
    testsupport::ScopedEnv home{"XDG_CONFIG_HOME", box / "config"};
};

// Any bytes, newest first, once each, ten kept; the file (and its folder)
// made for its user only; whatever a file holds reads as what can be made of it.
TEST_F(MessageHistory, NewestFirstOnceEachTenKeptWhateverTheirBytes) {
    const Messages odd = {
        "two\nlines",   "cr\r\nlf\r", "back\\slash\\", "\\n", std::string("nul\0", 4),
        "\xC3\xA9 \xFF"};
    for (const std::string& m : odd) ASSERT_TRUE(RememberMessage(m));
    struct stat st;
    EXPECT_TRUE(stat(file.c_str(), &st) == 0 && (st.st_mode & 0777) == 0600);
    EXPECT_EQ(LoadMessages(), Messages(odd.rbegin(), odd.rend()));
    for (int i = 0; i < 12; ++i) RememberMessage("m" + std::to_string(i));
    RememberMessage("m5");
    EXPECT_EQ(LoadMessages(),
              (Messages{"m5", "m11", "m10", "m9", "m8", "m7", "m6", "m4", "m3", "m2"}));
    const std::pair<std::string, Messages> files[] = {
        {"a\r\n\r\n\nb\\q\\\ra\nlast\\", {"a", "b\\q\\\ra", "last\\"}},
        {std::string("\0\xFF\\\n", 4) + "dup\ndup", {std::string("\0\xFF\\", 3), "dup"}},
    };
    for (const auto& [content, messages] : files) {
        testsupport::WriteFile(file, content);
        EXPECT_EQ(LoadMessages(), messages) << content;
    }
}

// A rewrite that fails part-way (a file-size limit, as a full disk would)
// leaves the old file whole and nothing beside it.
TEST_F(MessageHistory, AFailedRewriteLeavesTheOldFileWhole) {
    ASSERT_TRUE(RememberMessage("old"));
    if (fork() == 0) {
        struct rlimit small = {64, 64};
        signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        _exit(RememberMessage(std::string(4096, 'x')) ? 3 : 0);
    }
    int status = 0;
    wait(&status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(LoadMessages(), Messages{"old"});
    std::string listing;
    testsupport::Run("ls -A " + testsupport::ShellQuote(box / "config"), &listing);
    EXPECT_EQ(listing, "Vellum.messages\n");
}

}  // namespace
