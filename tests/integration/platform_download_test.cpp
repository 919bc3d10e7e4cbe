// Downloads over http:// from Apache httpd + mod_dav_svn and over file://.
#include <gtest/gtest.h>

#include "platform/download.h"
#include "platform/paths.h"
#include "sandbox.h"
#include "servers.h"

using namespace testsupport;
using platform::DownloadUrl;

TEST(Download, FetchesRepositoryFilesOverHttpAndFileAndReportsEveryFailure) {
    Sandbox box;
    MakeDirs(box / "httpd");
    std::string binary;
    for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    MakeRepository(box / "repo", {{"docs/readme.txt", "read me\n"}, {"data/blob.bin", binary}});
    HttpdServer httpd(box / "httpd", box / "repo");
    ASSERT_TRUE(httpd.Running()) << ReadFile(box / "httpd/error.log");

    ASSERT_TRUE(DownloadUrl(httpd.Url() + "docs/readme.txt", box / "readme.txt"));
    EXPECT_EQ(ReadFile(box / "readme.txt"), "read me\n");
    ASSERT_TRUE(DownloadUrl(httpd.Url() + "data/blob.bin", box / "blob.bin"));
    EXPECT_EQ(ReadFile(box / "blob.bin"), binary);
    ASSERT_TRUE(DownloadUrl("file://" + box.Path() + "/repo/format", box / "format"));
    EXPECT_EQ(ReadFile(box / "format"), ReadFile(box / "repo/format"));

    // An HTTP error status (not a saved error page), nobody listening, a
    // target that can't be written, a missing local file.
    EXPECT_FALSE(DownloadUrl(httpd.Url() + "missing.txt", box / "missing.txt"));
    EXPECT_FALSE(DownloadUrl("http://127.0.0.1:" + std::to_string(FreePort()) + "/x", box / "x"));
    EXPECT_FALSE(DownloadUrl(httpd.Url() + "docs/readme.txt", box / "no/such/folder/a.txt"));
    EXPECT_FALSE(DownloadUrl("file://" + box.Path() + "/nothing", box / "n"));
}
