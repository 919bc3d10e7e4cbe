// Downloading and opening repository files over http:// from Apache httpd
// with mod_dav_svn on loopback, as a user with an HTTP repository does.
#include "app/repository_files.h"
#include "app_fixture.h"
#include "settings/settings.h"
#include "support/servers.h"

namespace apptest {
namespace {

using namespace app;

class HttpDownloadTest : public AppTest {};

TEST_F(HttpDownloadTest, SavesAndOpensFilesWhateverTheirNames) {
    testsupport::MakeRepository(
        box / "repo", {{"docs/readme.txt", "read me\n"}, {"docs/my file é#%?.txt", "odd name\n"}});
    testsupport::MakeDirs(box / "httpd");
    testsupport::HttpdServer httpd(box / "httpd", box / "repo");
    ASSERT_TRUE(httpd.Running()) << ReadFile(box / "httpd/error.log");
    // The URL as users often type it, without its final "/".
    const std::string url = httpd.Url();
    prefs["SVNRemoteRepositery"] = url.substr(0, url.size() - 1);
    Start();
    Click(ExploreRemoteButton);
    ClickRow("docs/", EventType::DoubleClick);
    ASSERT_EQ(TreeTexts(), (Texts{"docs/", "my file é#%?.txt", "readme.txt"}));

    scripted::AnswerSaveFile(box / "saved.txt");
    ClickRow("my file é#%?.txt", EventType::DoubleClick);
    EXPECT_EQ(ReadFile(box / "saved.txt"), "odd name\n");

    ClickRow("readme.txt", EventType::RightClick);
    Menu(OpenItem);
    EXPECT_EQ(ReadFile(box / "run/vellum/readme.txt"), "read me\n");
    ASSERT_TRUE(WaitForFile(box / "opened.txt"));
    EXPECT_EQ(ReadFile(box / "opened.txt"), box / "run/vellum/readme.txt\n");
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts()[0];

    // An HTTP error is a saving failure that leaves the file as it was.
    WriteFile(box / "gone.txt", "mine\n");
    EXPECT_FALSE(DownloadFile("docs/gone.txt", box / "gone.txt"));
    EXPECT_EQ(BoxTexts(), Texts{"Alert: Saving failed"});
    EXPECT_EQ(ReadFile(box / "gone.txt"), "mine\n");
}

// The URL fetch sends no credentials; a refused one goes through the client,
// which does: whatever the user can list, they can save, and a refusal says
// why without touching the old file.
TEST_F(HttpDownloadTest, ProtectedRepositoryFilesComeWithTheCredentials) {
    testsupport::MakeRepository(box / "repo", {{"docs/readme.txt", "read me\n"}});
    testsupport::MakeDirs(box / "httpd");
    testsupport::HttpdServer httpd(box / "httpd", box / "repo", "alice", "s3cret");
    ASSERT_TRUE(httpd.Running()) << ReadFile(box / "httpd/error.log");
    prefs["SVNRemoteRepositery"] = httpd.Url();
    prefs["SVNUsername"] = "alice";
    prefs["SVNPassword"] = "s3cret";
    Start();
    Click(ExploreRemoteButton);
    ClickRow("docs/", EventType::DoubleClick);
    scripted::AnswerSaveFile(box / "saved.txt");
    ClickRow("readme.txt", EventType::DoubleClick);
    EXPECT_EQ(ReadFile(box / "saved.txt"), "read me\n");
    ASSERT_TRUE(BoxTexts().empty()) << BoxTexts()[0];

    settings::g_settings.SVNPassword = "wrong";
    WriteFile(box / "mine.txt", "mine\n");
    EXPECT_FALSE(DownloadFile("docs/readme.txt", box / "mine.txt"));
    const Texts boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "Alert: Saving failed");
    EXPECT_NE(boxes[1].find("svn: E"), std::string::npos) << boxes[1];
    EXPECT_EQ(ReadFile(box / "mine.txt"), "mine\n");
}

}  // namespace
}  // namespace apptest
