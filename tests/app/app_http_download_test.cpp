// Downloading and opening repository files over http:// from Apache httpd
// with mod_dav_svn on loopback, as a user with an HTTP repository does.
#include <algorithm>

#include "app/repository_files.h"
#include "app_fixture.h"
#include "support/servers.h"

namespace apptest {
namespace {

using namespace app;

class HttpDownloadTest : public AppTest {
protected:
    std::unique_ptr<testsupport::HttpdServer> httpd;

    void SetUp() override {
        AppTest::SetUp();
        testsupport::MakeRepository(box / "repo", {{"docs/readme.txt", "read me\n"},
                                                   {"docs/my file é#%?.txt", "odd name\n"}});
        testsupport::MakeDirs(box / "httpd");
        httpd = std::make_unique<testsupport::HttpdServer>(box / "httpd", box / "repo");
        ASSERT_TRUE(httpd->Running()) << ReadFile(box / "httpd/error.log");
        tmp_ = std::make_unique<testsupport::ScopedEnv>("TMPDIR", box / "tmp");
        testsupport::MakeDirs(box / "tmp");
    }

    void ClickRow(const std::string& text, platform::EventType type) {
        const auto texts = TreeTexts();
        auto it = std::find(texts.begin(), texts.end(), text);
        ASSERT_NE(it, texts.end()) << "no row " << text;
        platform::TreeSelect(EntryTree, static_cast<int>(it - texts.begin()));
        Click(EntryTree, type);
    }

private:
    std::unique_ptr<testsupport::ScopedEnv> tmp_;
};

TEST_F(HttpDownloadTest, SavesAndOpensFilesWhateverTheirNames) {
    // The URL as users often type it, without its final "/".
    std::string url = httpd->Url();
    prefs["SVNRemoteRepositery"] = url.substr(0, url.size() - 1);
    Start();
    Click(ExploreRemoteButton);
    ClickRow("docs/", platform::EventType::DoubleClick);
    ASSERT_EQ(TreeTexts(),
              (std::vector<std::string>{"docs/", "my file é#%?.txt", "readme.txt"}));

    scripted::AnswerSaveFile(box / "saved.txt");
    ClickRow("my file é#%?.txt", platform::EventType::DoubleClick);
    EXPECT_EQ(ReadFile(box / "saved.txt"), "odd name\n");

    ClickRow("readme.txt", platform::EventType::RightClick);
    scripted::PushMenu(OpenItem);
    Settle();
    EXPECT_EQ(ReadFile(box / "tmp/readme.txt"), "read me\n");
    ASSERT_TRUE(WaitForFile(box / "opened.txt"));
    EXPECT_EQ(Opened(), box / "tmp/readme.txt\n");
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts()[0];
}

TEST_F(HttpDownloadTest, AnHttpErrorIsASavingFailure) {
    prefs["SVNRemoteRepositery"] = httpd->Url();
    Start();
    EXPECT_FALSE(DownloadFile("docs/gone.txt", box / "gone.txt"));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Alert: Saving failed"});
    EXPECT_TRUE(DownloadFile("docs/readme.txt", box / "r.txt"));
    EXPECT_EQ(ReadFile(box / "r.txt"), "read me\n");
}

}  // namespace
}  // namespace apptest
