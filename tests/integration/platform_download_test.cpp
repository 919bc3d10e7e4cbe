// Downloads over http:// from Apache httpd + mod_dav_svn and over file://.
#include <gtest/gtest.h>

#include "platform/download.h"
#include "platform/paths.h"
#include "sandbox.h"
#include "servers.h"

using namespace testsupport;

TEST(Download, FetchesRepositoryFilesOverHttpAndFile) {
    Sandbox box;
    MakeDirs(box / "httpd");
    std::string binary;
    for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    std::string fileUrl = MakeRepository(box / "repo", {{"docs/readme.txt", "read me\n"},
                                                        {"data/blob.bin", binary}});
    HttpdServer httpd(box / "httpd", box / "repo");
    ASSERT_TRUE(httpd.Running()) << ReadFile(box / "httpd/error.log");

    ASSERT_TRUE(platform::DownloadUrl(httpd.Url() + "docs/readme.txt", box / "readme.txt"));
    EXPECT_EQ(ReadFile(box / "readme.txt"), "read me\n");
    ASSERT_TRUE(platform::DownloadUrl(httpd.Url() + "data/blob.bin", box / "blob.bin"));
    EXPECT_EQ(ReadFile(box / "blob.bin"), binary);

    // A file of the repository is a plain file:// download as well.
    ASSERT_TRUE(platform::DownloadUrl("file://" + box.Path() + "/repo/format", box / "format"));
    EXPECT_EQ(ReadFile(box / "format"), ReadFile(box / "repo/format"));
    (void)fileUrl;
}

TEST(Download, ReportsEveryFailure) {
    Sandbox box;
    MakeDirs(box / "httpd");
    MakeRepository(box / "repo", {{"a.txt", "a\n"}});
    HttpdServer httpd(box / "httpd", box / "repo");
    ASSERT_TRUE(httpd.Running());

    // An HTTP error status is a failure, not a saved error page.
    EXPECT_FALSE(platform::DownloadUrl(httpd.Url() + "missing.txt", box / "missing.txt"));
    // Nobody listening.
    EXPECT_FALSE(platform::DownloadUrl("http://127.0.0.1:" + std::to_string(FreePort()) + "/x",
                                       box / "x"));
    // A target that can't be written.
    EXPECT_FALSE(platform::DownloadUrl(httpd.Url() + "a.txt", box / "no/such/folder/a.txt"));
    // A missing local file.
    EXPECT_FALSE(platform::DownloadUrl("file://" + box.Path() + "/nothing", box / "n"));
}

TEST(Download, NeedsCredentialsTheSettingsDoNotGive) {
    // The download applies neither the settings' credentials nor the proxy:
    // a repository behind basic auth refuses it.
    Sandbox box;
    MakeDirs(box / "httpd");
    MakeRepository(box / "repo", {{"a.txt", "a\n"}});
    HttpdServer httpd(box / "httpd", box / "repo", "alice", "secret");
    ASSERT_TRUE(httpd.Running());
    EXPECT_FALSE(platform::DownloadUrl(httpd.Url() + "a.txt", box / "a.txt"));
}
