#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "browse/entry_list.h"

using browse::CompareNames;
using browse::ListEntry;

namespace {

ListEntry Entry(const std::string& name, int depth = 0, int isFolder = 0,
                const std::string& status = "") {
    return {0, name, depth, isFolder, status, "/wc/" + name};
}

browse::EntryList tree;

// The list as "name:depth" texts, checking on the way that rows are positions.
std::vector<std::string> Shape() {
    std::vector<std::string> out;
    int position = 0;
    for (const auto& e : tree.Entries()) {
        EXPECT_EQ(e.row, position++) << e.name;
        out.push_back(e.name + ":" + std::to_string(e.depth));
    }
    return out;
}

void Fill(const std::vector<ListEntry>& entries) {
    tree.Clear();
    for (const auto& e : entries) tree.Append(e);
    tree.Renumber();
}

// A source that yields `entries` in the given order.
auto Source(std::vector<ListEntry> entries) {
    return [entries](const browse::EntrySink& add) {
        for (const auto& e : entries) add(e);
    };
}

}  // namespace

TEST(EntryList, CursorMovesInsertsAndDeletes) {
    browse::EntryList list;
    EXPECT_FALSE(list.Next());
    EXPECT_EQ(list.Current(), nullptr);
    list.InsertAfterCurrent(Entry("b"));
    list.BeforeFirst();
    list.InsertAfterCurrent(Entry("a"));   // before the first: at the front
    list.InsertAfterCurrent(Entry("a2"));  // after the current one
    ASSERT_EQ(list.Size(), 3);
    EXPECT_EQ(list.Current()->name, "a2");
    ASSERT_TRUE(list.MakeCurrent(0));
    EXPECT_FALSE(list.Previous());
    ASSERT_TRUE(list.Next() && list.Next());
    EXPECT_FALSE(list.Next());
    EXPECT_EQ(list.Current()->name, "b");  // still the last
    list.DeleteCurrent();                  // the one before becomes current
    EXPECT_EQ(list.Current()->name, "a2");
    list.MakeCurrent(0);
    list.DeleteCurrent();  // the first: nothing before it
    EXPECT_EQ(list.Current(), nullptr);
    ASSERT_TRUE(list.Next());
    EXPECT_EQ(list.Current()->name, "a2");
    EXPECT_FALSE(list.MakeCurrent(1));
    EXPECT_EQ(list.Current(), nullptr);
}

TEST(ReplaceChildren, ReplacesTheWholeOldSubtreeAndRenumbersWhatFollows) {
    Fill({Entry("a", 0, 1), Entry("b", 0, 1), Entry("c", 0), Entry("src", 0, 1),
          Entry("old1", 1, 1), Entry("deep1", 2), Entry("deep2", 2), Entry("old2", 1, 1),
          Entry("deep3", 2), Entry("old3", 1), Entry("tail", 0, 1), Entry("tail2", 0)});
    browse::ReplaceChildren(tree, 4, 1, Source({Entry("y.c"), Entry("x", 5, 1)}));
    EXPECT_EQ(Shape(), (std::vector<std::string>{"a:0", "b:0", "c:0", "src:0", "x:1", "y.c:1",
                                                 "tail:0", "tail2:0"}));
    auto it = std::next(tree.Entries().begin(), 4);
    EXPECT_EQ(it->path, "/wc/x");  // the source's fields are kept
    EXPECT_EQ(it->isFolder, 1);

    // Listing x (row 4, depth 1) adds grandchildren; listing src again with
    // nothing removes children and grandchildren alike.
    browse::ReplaceChildren(tree, 5, 2, Source({Entry("z", 0, 0)}));
    EXPECT_EQ(Shape()[5], "z:2");
    browse::ReplaceChildren(tree, 4, 1, Source({}));
    EXPECT_EQ(Shape(),
              (std::vector<std::string>{"a:0", "b:0", "c:0", "src:0", "tail:0", "tail2:0"}));

    // The last entry's children run to the end of the list.
    browse::ReplaceChildren(tree, 6, 1, Source({Entry("t1"), Entry("t2")}));
    browse::ReplaceChildren(tree, 6, 1, Source({Entry("t3")}));
    EXPECT_EQ(Shape().back(), "t3:1");
    EXPECT_EQ(tree.Size(), 7);

    // No parent at row R-1: nothing is listed under it.
    browse::ReplaceChildren(tree, 8, 1, Source({Entry("stray")}));
    EXPECT_EQ(tree.Size(), 7);
    browse::ReplaceChildren(tree, 0, 0, Source({Entry("only")}));
    EXPECT_EQ(Shape(), std::vector<std::string>{"only:0"});
}

TEST(ReplaceChildren, OrdersFoldersFirstThenByFoldedNameKeepingTies) {
    tree.Clear();
    browse::ReplaceChildren(
        tree, 0, 0, Source({Entry("b.txt"), Entry("B", 0, 1), Entry("a.txt"), Entry("A", 0, 1)}));
    EXPECT_EQ(Shape(), (std::vector<std::string>{"A:0", "B:0", "a.txt:0", "b.txt:0"}));

    browse::ReplaceChildren(tree, 0, 0,
                            Source({Entry("zeta"), Entry("READ"), Entry("_x"), Entry("read"),
                                    Entry("Alpha"), Entry("ReAd")}));
    EXPECT_EQ(Shape(), (std::vector<std::string>{"_x:0", "Alpha:0", "READ:0", "read:0", "ReAd:0",
                                                 "zeta:0"}));

    // Only the new block is ordered: the entries around it stay where they are.
    Fill({Entry("z", 0, 1), Entry("a", 0, 0)});
    browse::ReplaceChildren(tree, 1, 1, Source({Entry("n"), Entry("m", 0, 1)}));
    EXPECT_EQ(Shape(), (std::vector<std::string>{"z:0", "m:1", "n:1", "a:0"}));
}

// Letters fold down, so the signs between 'Z' and 'a' sort before letters.
// Beyond ASCII nothing folds; U+1F600 (D83D DE00) sorts before U+E000 but
// after U+D7FF.
TEST(CompareNames, FoldsOnlyAsciiLettersAndComparesUtf16Units) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"Readme", "README", 0},
        {"alpha", "Zeta", -1},
        {"_x", "a", -1},
        {"_x", "A", -1},
        {"[", "B", -1},
        {"abc", "abcd", -1},
        {"abcd", "ABC", 1},
        {"", "", 0},
        {"", "a", -1},
        {"\xC3\xA9", "z", 1},
        {"\xC3\xA9", "\xC3\x89", 1},
        {"\xF0\x9F\x98\x80", "\xEE\x80\x80", -1},
        {"\xF0\x9F\x98\x80", "\xED\x9F\xBF", 1}};
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (auto [a, b, order] : cases) {
        EXPECT_EQ(sign(CompareNames(a, b)), order) << a << " vs " << b;
        EXPECT_EQ(sign(CompareNames(b, a)), -order) << b << " vs " << a;
    }
}

TEST(CompareNames, SurvivesBrokenUtf8) {
    const std::vector<std::string> broken = {
        "\xFF",     "\xC3",         "a\xE2\x82",        "\xF0\x9F\x98",
        "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80\x80"};
    for (const auto& a : broken) {
        EXPECT_EQ(CompareNames(a, a), 0);
        for (const auto& b : broken) EXPECT_EQ(CompareNames(a, b), -CompareNames(b, a));
        EXPECT_GT(CompareNames(a, "a"), 0);  // each bad byte stands for U+FFFD
    }
}
