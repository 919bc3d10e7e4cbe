// The local browser on a real working copy, the remote one on a real repository.
#include <gtest/gtest.h>

#include "browse/local_browser.h"
#include "browse/remote_browser.h"
#include "browse/status_codes.h"
#include "command_env.h"

using namespace testsupport;
using Rows = std::vector<std::string>;

namespace {

// The entries as "depth folder name [status] path", `base` cut off the paths;
// rows must be positions.
Rows Listed(const std::string& base = "") {
    Rows out;
    int position = 0;
    for (const auto& e : browse::g_entries.Entries()) {
        EXPECT_EQ(position++, e.row) << e.name;
        std::string path = e.path.rfind(base, 0) == 0 ? e.path.substr(base.size()) : "?" + e.path;
        out.push_back(std::to_string(e.depth) + " " + std::to_string(e.isFolder) + " " + e.name + " [" +
                      e.status + "] " + path);
    }
    return out;
}

TEST(LocalBrowser, ListsFoldersFirstWithStatusSkipsDotNamesAndExpandsInPlace) {
    CommandEnv env;
    std::string url = MakeRepository(env.box / "repo", {{"src/util/u.c", "u\n"}, {"src/x.c", "x\n"},
                                                        {"b.c", "b\n"}, {"A.txt", "a\n"},
                                                        {".dotted", "d\n"}});
    std::string wc = env.box / "wc";
    Checkout(url, wc);
    WriteFile(wc + "/b.c", "changed\n");
    WriteFile(wc + "/src/util/u.c", "changed\n");
    WriteFile(wc + "/_new.txt", "n\n");
    MakeDirs(wc + "/.hidden-folder");

    const Rows top = {"0 1 src [M] /src", "0 0 _new.txt [?] /_new.txt", "0 0 A.txt [] /A.txt",
                      "0 0 b.c [M] /b.c"};
    for (std::string local : {wc, wc + "/"}) {
        settings::g_settings.SVNLocalRepositery = local;
        browse::g_entries.Clear();
        browse::ListLocalFolder(0, 0, "");
        EXPECT_EQ(top, Listed(wc)) << local;
    }
    browse::ShowEntries();
    ASSERT_EQ(4u, scripted::Tree().size());
    EXPECT_EQ(browse::StatusIcon("M", 1), scripted::Tree()[0].image);

    // Children go below their folder, one level deeper; the rows after it move.
    browse::ListLocalFolder(1, 1, "src");
    browse::ListLocalFolder(2, 2, "src/util");
    EXPECT_EQ((Rows{top[0], "1 1 util [M] /src/util", "2 0 u.c [M] /src/util/u.c", "1 0 x.c [] /src/x.c",
                    top[1], top[2], top[3]}),
              Listed(wc));

    // Listed again once emptied (or gone), a folder loses children and grandchildren.
    ASSERT_EQ(0, testsupport::Run("svn delete -q --force " + ShellQuote(wc + "/src/x.c") + " " +
                                  ShellQuote(wc + "/src/util")));
    browse::ListLocalFolder(1, 1, "src/");
    EXPECT_EQ(top, Listed(wc));
    browse::ListLocalFolder(1, 1, "gone");
    EXPECT_EQ(4, browse::g_entries.Size());
}

TEST(RemoteBrowser, ListsFoldersFirstAndExpandsInPlaceWithOrWithoutFinalSlash) {
    CommandEnv env;
    std::string url = MakeRepository(env.box / "repo", {{"zeta.txt", "z\n"}, {"README", "r\n"},
                                                        {"branches/", ""}, {"tags/", ""}, {"Alpha/", ""},
                                                        {"trunk/src/main.c", "m\n"}, {"trunk/b.txt", "b\n"},
                                                        {"trunk/a b.txt", "ab\n"}});
    for (std::string base : {url, url.substr(0, url.size() - 1)}) {
        SCOPED_TRACE(base);
        settings::g_settings.SVNRemoteRepositery = base;
        Rows expected = {"0 1 Alpha/ [] Alpha/", "0 1 branches/ [] branches/", "0 1 tags/ [] tags/",
                         "0 1 trunk/ [] trunk/", "0 0 README [] README", "0 0 zeta.txt [] zeta.txt"};
        browse::ListRemoteFolder(0, 0, "");
        EXPECT_EQ(expected, Listed());

        browse::ListRemoteFolder(4, 1, "trunk/");
        browse::ListRemoteFolder(5, 2, "trunk/src/");
        expected.insert(expected.begin() + 4, {"1 1 src/ [] trunk/src/", "2 0 main.c [] trunk/src/main.c",
                                               "1 0 a b.txt [] trunk/a b.txt", "1 0 b.txt [] trunk/b.txt"});
        EXPECT_EQ(expected, Listed());
        EXPECT_TRUE(scripted::Boxes().empty());
    }

    // The folder emptied in the repository: listed again, it has no children.
    ASSERT_EQ(0, testsupport::Run("svn delete -q -m d " + ShellQuote(url + "trunk/src/main.c")));
    browse::ListRemoteFolder(5, 2, "trunk/src/");
    EXPECT_EQ(9, browse::g_entries.Size());
    EXPECT_EQ("1 0 a b.txt [] trunk/a b.txt", Listed()[5]);
}

TEST(RemoteBrowser, AWrongUrlShowsTheClientErrorAndAnEmptyFolder) {
    CommandEnv env;
    settings::g_settings.SVNRemoteRepositery =
        MakeRepository(env.box / "repo", {{"trunk/a.txt", "a\n"}, {"z.txt", "z\n"}});
    browse::ListRemoteFolder(0, 0, "");
    browse::ListRemoteFolder(1, 1, "trunk/");
    ASSERT_EQ(3, browse::g_entries.Size());
    browse::ListRemoteFolder(1, 1, "trunk/missing/");
    EXPECT_EQ((Rows{"0 1 trunk/ [] trunk/", "0 0 z.txt [] z.txt"}), Listed());
    auto alerts = BoxTexts("Alert");
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(0u, alerts[0].find("The Subversion client reported an error:\n\nsvn: ")) << alerts[0];
    EXPECT_NE(std::string::npos, alerts[0].find("missing")) << alerts[0];

    scripted::ClearBoxes();
    settings::g_settings.SVNRemoteRepositery = "file://" + env.box / "elsewhere/";
    browse::ListRemoteFolder(0, 0, "");
    EXPECT_TRUE(browse::g_entries.Empty());
    EXPECT_EQ(1u, BoxTexts("Alert").size());
}

}  // namespace
