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
using testsupport::ReadFile;
using testsupport::WriteFile;
using Messages = std::vector<std::string>;

namespace {

class MessageHistory : public ::testing::Test {
protected:
    testsupport::Sandbox box;
    const std::string folder = box / "config";
    const std::string file = folder + "/Vellum.messages";
    testsupport::ScopedEnv home{"XDG_CONFIG_HOME", folder};

    std::string Listing(const std::string& dir) {
        std::string out;
        testsupport::Run("ls -A " + testsupport::ShellQuote(dir), &out);
        return out;
    }
};

// Any bytes, newest first, a repeat moved to the front, ten kept; a new file
// (and its folder) made for its user only.
TEST_F(MessageHistory, NewestFirstOnceEachTenKeptWhateverTheirBytes) {
    EXPECT_EQ(LoadMessages(), Messages{});
    const Messages odd = {"two\nlines", "cr\r\nlf\r", "back\\slash\\", "\\n not a break",
                          std::string("nul\0byte", 8), "\xC3\xA9t\xC3\xA9 \xFF", "  blanks  "};
    for (const std::string& m : odd) ASSERT_TRUE(RememberMessage(m));
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const Messages loaded = LoadMessages();
    EXPECT_EQ(Messages(loaded.rbegin(), loaded.rend()), odd);

    for (int i = 0; i < 12; ++i) RememberMessage("m" + std::to_string(i));
    RememberMessage("m5");
    RememberMessage("");  // nothing to offer
    EXPECT_EQ(LoadMessages(), (Messages{"m5", "m11", "m10", "m9", "m8", "m7", "m6", "m4", "m3", "m2"}));
    chmod(file.c_str(), 0640);  // the user's own choice of mode stays
    RememberMessage("m3");
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(LoadMessages().size(), settings::kMessagesKept);
    EXPECT_EQ(Listing(folder), "Vellum.messages\n");
}

// Whatever a file holds reads as what can be made of it, never more than ten.
TEST_F(MessageHistory, AnyFileReadsAsWhatCanBeMadeOfIt) {
    testsupport::MakeDirs(folder);
    const std::pair<std::string, Messages> cases[] = {
        {"a\r\n\r\n\nb\\q\\\ra\nlast\\", {"a", "b\\q\\\ra", "last\\"}},
        {std::string("\0\xFF\\\n", 4) + "dup\ndup\n", {std::string("\0\xFF\\", 3), "dup"}},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {"", {}},
    };
    for (const auto& [content, messages] : cases) {
        WriteFile(file, content);
        EXPECT_EQ(LoadMessages(), messages) << content;
    }
    // A folder where the file should be: nothing read, nothing written.
    testsupport::Run("rm " + testsupport::ShellQuote(file));
    testsupport::MakeDirs(file);
    EXPECT_EQ(LoadMessages(), Messages{});
    EXPECT_FALSE(RememberMessage("x"));
}

// A folder that may not be written, a write that fails part-way (a file-size
// limit, as a full disk would): the old file stays whole, nothing beside it.
TEST_F(MessageHistory, AFailedRewriteLeavesTheOldFileWhole) {
    ASSERT_TRUE(RememberMessage("old"));
    const std::string before = ReadFile(file);
    chmod(box.Path().c_str(), 0755);
    chmod(folder.c_str(), 0555);
    chmod(file.c_str(), 0666);  // only the folder's mode may stop the writer
    pid_t pid = fork();
    if (pid == 0) {  // root ignores permission bits: the writer runs as "nobody"
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        const bool refused = !RememberMessage("new");
        _exit(refused && LoadMessages() == Messages{"old"} ? 0 : 3);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    chmod(folder.c_str(), 0700);

    pid = fork();
    if (pid == 0) {
        struct rlimit small = {64, 64};
        signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        _exit(RememberMessage(std::string(4096, 'x')) ? 3 : 0);
    }
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(Listing(folder), "Vellum.messages\n");
}

}  // namespace
