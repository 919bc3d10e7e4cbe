// The remote browser on a real repository.
#include <gtest/gtest.h>

#include "browse/remote_browser.h"
#include "command_env.h"

using namespace testsupport;

namespace {

using Row = std::tuple<int, int, int, std::string, std::string>;  // row, depth, folder, name, path

std::vector<Row> Listed() {
    std::vector<Row> out;
    for (const auto& e : browse::g_entries.Entries()) {
        EXPECT_EQ("", e.status);
        out.emplace_back(e.row, e.depth, e.isFolder, e.name, e.path);
    }
    return out;
}

class RemoteBrowserTest : public ::testing::Test {
protected:
    CommandEnv env;
    Sandbox& box = env.box;
};

TEST_F(RemoteBrowserTest, ListsFoldersFirstAndExpandsInPlaceWithOrWithoutFinalSlash) {
    std::string url = MakeRepository(box / "repo", {{"zeta.txt", "z\n"},
                                                    {"README", "r\n"},
                                                    {"branches/", ""},
                                                    {"tags/", ""},
                                                    {"Alpha/", ""},
                                                    {"trunk/src/main.c", "m\n"},
                                                    {"trunk/b.txt", "b\n"},
                                                    {"trunk/a b.txt", "ab\n"}});
    for (std::string base : {url, url.substr(0, url.size() - 1)}) {
        SCOPED_TRACE(base);
        settings::g_settings.SVNRemoteRepositery = base;
        browse::ListRemoteFolder(0, 0, "");
        EXPECT_EQ((std::vector<Row>{{0, 0, 1, "Alpha/", "Alpha/"},
                                    {1, 0, 1, "branches/", "branches/"},
                                    {2, 0, 1, "tags/", "tags/"},
                                    {3, 0, 1, "trunk/", "trunk/"},
                                    {4, 0, 0, "README", "README"},
                                    {5, 0, 0, "zeta.txt", "zeta.txt"}}),
                  Listed());

        browse::ListRemoteFolder(4, 1, "trunk/");
        browse::ListRemoteFolder(5, 2, "trunk/src/");
        EXPECT_EQ((std::vector<Row>{{0, 0, 1, "Alpha/", "Alpha/"},
                                    {1, 0, 1, "branches/", "branches/"},
                                    {2, 0, 1, "tags/", "tags/"},
                                    {3, 0, 1, "trunk/", "trunk/"},
                                    {4, 1, 1, "src/", "trunk/src/"},
                                    {5, 2, 0, "main.c", "trunk/src/main.c"},
                                    {6, 1, 0, "a b.txt", "trunk/a b.txt"},
                                    {7, 1, 0, "b.txt", "trunk/b.txt"},
                                    {8, 0, 0, "README", "README"},
                                    {9, 0, 0, "zeta.txt", "zeta.txt"}}),
                  Listed());
        EXPECT_TRUE(scripted::Boxes().empty());
    }

    // The folder emptied in the repository: listed again, it has no children.
    ASSERT_EQ(0, testsupport::Run("svn delete -q -m d " + ShellQuote(url + "trunk/src/main.c")));
    browse::ListRemoteFolder(5, 2, "trunk/src/");
    EXPECT_EQ(9, browse::g_entries.Size());
    EXPECT_EQ(Row(5, 1, 0, "a b.txt", "trunk/a b.txt"), Listed()[5]);
}

TEST_F(RemoteBrowserTest, AWrongUrlShowsTheClientErrorAndAnEmptyFolder) {
    std::string url = MakeRepository(box / "repo", {{"trunk/a.txt", "a\n"}, {"z.txt", "z\n"}});
    settings::g_settings.SVNRemoteRepositery = url;
    browse::ListRemoteFolder(0, 0, "");
    browse::ListRemoteFolder(1, 1, "trunk/");
    ASSERT_EQ(3, browse::g_entries.Size());

    browse::ListRemoteFolder(1, 1, "trunk/missing/");
    EXPECT_EQ((std::vector<Row>{{0, 0, 1, "trunk/", "trunk/"}, {1, 0, 0, "z.txt", "z.txt"}}),
              Listed());
    auto alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find("The Subversion client reported an error:\n\nsvn: "))
        << alerts[0];
    EXPECT_NE(std::string::npos, alerts[0].find("missing")) << alerts[0];

    scripted::ClearBoxes();
    settings::g_settings.SVNRemoteRepositery = "file://" + box / "elsewhere/";
    browse::ListRemoteFolder(0, 0, "");
    EXPECT_TRUE(browse::g_entries.Empty());
    EXPECT_EQ(1u, BoxTexts("Alert").size());
}

}  // namespace
