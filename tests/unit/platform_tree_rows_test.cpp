// Items appended to a tree are placed without a walk over its rows; the
// places must be exactly those the full rule gives, whatever came before.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/tree_placement.h"

namespace {

struct Row {
    int depth;
    int id;
};

void ExpectSame(const platform::TreePlacement& got, const platform::TreePlacement& want) {
    EXPECT_EQ(got.at, want.at);
    EXPECT_EQ(got.depth, want.depth);
    EXPECT_EQ(got.parent, want.parent);
    EXPECT_EQ(got.lastSiblingAbove, want.lastSiblingAbove);
}

TEST(TreeRowsTest, AppendsAndInsertsPlaceItemsAsTheFullRuleDoes) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        platform::TreeRows<Row> rows;
        std::vector<Row> reference;
        for (int id = 0; id < 200; ++id) {
            const int n = rows.size();
            const int last = n > 0 ? reference.back().depth : 0;
            // Mostly appends at the depths a listing uses, some insertions
            // higher up that shift the rows, some depths nothing can hold.
            const bool append = random() % 4 != 0;
            const int row =
                append ? n + static_cast<int>(random() % 2) : static_cast<int>(random() % (n + 1));
            const int depth = static_cast<int>(random() % (last + 3));
            const platform::TreePlacement want = platform::PlaceTreeItem(reference, row, depth);
            const platform::TreePlacement got = rows.Place(row, depth);
            ExpectSame(got, want);
            rows.Insert(got, Row{got.depth, id});
            reference.insert(reference.begin() + want.at, Row{want.depth, id});
            if (testing::Test::HasFailure()) return;
        }
        ASSERT_EQ(rows.size(), static_cast<int>(reference.size()));
        for (int i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].id, reference[i].id);
        rows.clear();
        EXPECT_EQ(rows.Place(3, 2).at, 0);  // a cleared tree starts at the top again
        EXPECT_EQ(rows.Place(3, 2).depth, 0);
    }
}

TEST(TreeRowsTest, ChildrenAppendedUnderAFolderFollowTheirLastSibling) {
    platform::TreeRows<Row> rows;
    auto add = [&](int depth) {
        const platform::TreePlacement p = rows.Place(rows.size(), depth);
        rows.Insert(p, Row{p.depth, rows.size()});
        return p;
    };
    add(0);                                  // folder
    EXPECT_EQ(add(1).lastSiblingAbove, -1);  // its first child
    add(2);                                  // a grandchild
    const platform::TreePlacement third = add(1);
    EXPECT_EQ(third.parent, 0);
    EXPECT_EQ(third.lastSiblingAbove, 1);
    const platform::TreePlacement top = add(0);
    EXPECT_EQ(top.parent, -1);
    EXPECT_EQ(top.lastSiblingAbove, 0);
}

}  // namespace
