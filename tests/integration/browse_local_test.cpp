// The local browser on a real working copy.
#include <gtest/gtest.h>

#include "browse/local_browser.h"
#include "browse/status_codes.h"
#include "command_env.h"

using namespace testsupport;

namespace {

struct Seen {
    int row, depth, isFolder;
    std::string name, status, path;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << "{" << s.row << "," << s.depth << "," << s.isFolder << "," << s.name << ","
              << s.status << "," << s.path << "}";
}

std::vector<Seen> Listed() {
    std::vector<Seen> out;
    for (const auto& e : browse::g_entries.Entries())
        out.push_back({e.row, e.depth, e.isFolder, e.name, e.status, e.path});
    return out;
}

class LocalBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string url = MakeRepository(box / "repo", {{"src/util/u.c", "u\n"},
                                                        {"src/x.c", "x\n"},
                                                        {"b.c", "b\n"},
                                                        {"A.txt", "a\n"},
                                                        {".dotted", "d\n"}});
        wc = box / "wc";
        Checkout(url, wc);
        WriteFile(wc + "/b.c", "changed\n");
        WriteFile(wc + "/src/util/u.c", "changed\n");
        WriteFile(wc + "/_new.txt", "n\n");
        MakeDirs(wc + "/.hidden-folder");
    }

    CommandEnv env;
    Sandbox& box = env.box;
    std::string wc;
};

TEST_F(LocalBrowserTest, ListsFoldersFirstWithStatusAndSkipsDotNames) {
    for (std::string local : {wc + "/", wc}) {
        SCOPED_TRACE(local);
        settings::g_settings.SVNLocalRepositery = local;
        browse::g_entries.Clear();
        browse::ListLocalFolder(0, 0, "");
        EXPECT_EQ((std::vector<Seen>{{0, 0, 1, "src", "M", wc + "/src"},
                                     {1, 0, 0, "_new.txt", "?", wc + "/_new.txt"},
                                     {2, 0, 0, "A.txt", "", wc + "/A.txt"},
                                     {3, 0, 0, "b.c", "M", wc + "/b.c"}}),
                  Listed());
    }

    browse::ShowEntries();
    auto items = scripted::Tree();
    ASSERT_EQ(4u, items.size());
    EXPECT_EQ(browse::StatusIcon("M", 1), items[0].image);
    EXPECT_EQ(browse::StatusIcon("M", 0), items[3].image);
    EXPECT_NE(items[0].image, items[3].image);
    EXPECT_EQ(browse::StatusIcon("", 0), items[2].image);
    EXPECT_EQ(1, items[0].value);
    EXPECT_EQ(0, items[3].value);
}

// Expanding a folder puts its children below it, one level deeper, and the
// rows after it move; listing it again after it emptied removes them.
TEST_F(LocalBrowserTest, SubFoldersListInPlaceAndEmptyFoldersLoseTheirChildren) {
    settings::g_settings.SVNLocalRepositery = wc + "/";
    browse::ListLocalFolder(0, 0, "");
    browse::ListLocalFolder(1, 1, "src");
    browse::ListLocalFolder(2, 2, "src/util");
    EXPECT_EQ((std::vector<Seen>{{0, 0, 1, "src", "M", wc + "/src"},
                                 {1, 1, 1, "util", "M", wc + "/src/util"},
                                 {2, 2, 0, "u.c", "M", wc + "/src/util/u.c"},
                                 {3, 1, 0, "x.c", "", wc + "/src/x.c"},
                                 {4, 0, 0, "_new.txt", "?", wc + "/_new.txt"},
                                 {5, 0, 0, "A.txt", "", wc + "/A.txt"},
                                 {6, 0, 0, "b.c", "M", wc + "/b.c"}}),
              Listed());

    ASSERT_EQ(0, testsupport::Run("svn delete -q " + ShellQuote(wc + "/src/x.c") + " " +
                     ShellQuote(wc + "/src/util") + " --force"));
    browse::ListLocalFolder(1, 1, "src/");  // the folder itself is not asked again
    EXPECT_EQ((std::vector<Seen>{{0, 0, 1, "src", "M", wc + "/src"},
                                 {1, 0, 0, "_new.txt", "?", wc + "/_new.txt"},
                                 {2, 0, 0, "A.txt", "", wc + "/A.txt"},
                                 {3, 0, 0, "b.c", "M", wc + "/b.c"}}),
              Listed());

    // A folder that no longer exists lists as empty too.
    browse::ListLocalFolder(1, 1, "gone");
    EXPECT_EQ(4, browse::g_entries.Size());
}

}  // namespace
