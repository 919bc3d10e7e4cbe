// The row model keeps the tree rows' contract (the table all keepers of rows
// share), places items exactly as the full rule does, and answers a view's
// questions (parents, children, paths, visible rows) as a walk over all rows
// would, through insertions anywhere, expanding and collapsing.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/row_model.h"
#include "support/tree_row_cases.h"

namespace {

using platform::RowModel;

class ModelDriver : public treecases::RowDriver {
public:
    RowModel rows;
    void Clear() override { rows.Clear(); }
    void Add(int row, const std::string& text, int depth) override {
        rows.Insert(rows.Place(row, depth), text);
    }
    void SetValue(int row, int value) override { rows.SetValue(row, value); }
    void Expand(int row) override { rows.Expand(row); }
    bool Collapse(int row) override {
        rows.Collapse(row);
        return true;
    }
    void Select(int row) override { rows.Select(row); }
    int Count() override { return rows.size(); }
    std::string Text(int row) override { return rows.Text(row); }
    int Depth(int row) override { return rows.Depth(row); }
    int Value(int row) override { return rows.Value(row); }
    bool Expanded(int row) override { return rows.Expanded(row); }
    int Selected() override { return rows.Selected(); }
};

// What a walk over all rows finds: each row's parent, its place among the
// parent's children, its path, whether it shows; and the rows that show.
void ExpectWalkAgrees(const RowModel& m) {
    std::vector<int> ancestors, parents, found, visible, shown, children(m.size() + 1, 0);
    std::vector<int> wantParents, wantFound, wantVisible, wantShown, wantChildren(m.size() + 1, 0);
    for (int row = 0; row < m.size(); ++row) {
        const int depth = m.Depth(row);
        const int parent = depth > 0 ? ancestors[depth - 1] : -1;
        ancestors.resize(depth);
        ancestors.push_back(row);
        wantParents.push_back(parent);
        parents.push_back(m.Parent(row));
        ++wantChildren[parent + 1];
        const std::vector<int> path = m.Path(row);
        wantFound.push_back(row);
        found.push_back(m.NthChild(parent, m.IndexInParent(row)) == row
                            ? m.RowAt(path.data(), static_cast<int>(path.size()))
                            : -2);
        const bool show = parent < 0 || (m.Visible(parent) && m.Expanded(parent));
        if (show) wantShown.push_back(row);
        wantVisible.push_back(show ? static_cast<int>(wantShown.size()) - 1 : -1);
        visible.push_back(m.Visible(row) == show ? m.VisibleIndex(row) : -2);
        EXPECT_TRUE(!m.Expanded(row) || (show && m.ChildCount(row) > 0)) << "row " << row;
    }
    for (int p = -1; p < m.size(); ++p) children[p + 1] = m.ChildCount(p);
    for (int k = 0; k <= m.VisibleCount(); ++k) shown.push_back(m.VisibleRow(k));
    wantShown.push_back(-1);  // past the last
    EXPECT_EQ(parents, wantParents);
    EXPECT_EQ(found, wantFound);
    EXPECT_EQ(children, wantChildren);
    EXPECT_EQ(visible, wantVisible);
    EXPECT_EQ(shown, wantShown);
}

TEST(RowModelTest, KeepsTheTreeRowsContract) {
    ModelDriver driver;
    for (const treecases::Case& c : treecases::Cases()) {
        EXPECT_EQ(treecases::Run(driver, c).value_or("?"), c.rows) << c.name;
        ExpectWalkAgrees(driver.rows);
    }
}

struct Ref {
    int depth;
    int id;
};

TEST(RowModelTest, PlacesAsTheFullRuleAndAnswersAsAWalkThroughRandomChanges) {
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        RowModel m;
        std::vector<Ref> reference;
        for (int id = 0; id < 120; ++id) {
            const int n = m.size();
            const int what = static_cast<int>(random() % 10);
            if (what >= 7 && n > 0) {
                const int row = static_cast<int>(random() % n);
                if (what == 9) m.Collapse(row);
                else m.Expand(row);
            } else {
                // Mostly appends, some insertions higher up, some depths
                // nothing can hold.
                const bool append = random() % 3 != 0;
                const int row = append ? n : static_cast<int>(random() % (n + 1));
                const int depth = static_cast<int>(random() % ((n > 0 ? m.Depth(n - 1) : 0) + 3));
                const platform::TreePlacement want = platform::PlaceTreeItem(reference, row, depth);
                const platform::TreePlacement got = m.Place(row, depth);
                ASSERT_EQ(std::tuple(got.at, got.depth, got.parent, got.lastSiblingAbove),
                          std::tuple(want.at, want.depth, want.parent, want.lastSiblingAbove))
                    << "round " << round << ", item " << id;
                m.Insert(got, std::to_string(id));
                reference.insert(reference.begin() + want.at, Ref{want.depth, id});
            }
            ExpectWalkAgrees(m);
            if (testing::Test::HasFailure()) return;
        }
        for (int row = 0; row < m.size(); ++row)
            EXPECT_EQ(m.Text(row), std::to_string(reference[row].id));
    }
}

TEST(RowModelTest, CellsKeepTheirTextsThroughAppendsAndChanges) {
    RowModel m(3);
    m.Append({"a", "b", "c"});
    m.Append({"d"});  // the missing cells are empty
    m.Append({});
    // Far more replaced text than live: the dead is dropped on the way.
    for (int i = 0; i < 5000; ++i) m.SetText(i % 2, 1, std::to_string(i) + "x");
    m.SetText(2, 2, "");
    const std::vector<std::vector<std::string>> want = {
        {"a", "4998x", "c"}, {"d", "4999x", ""}, {"", "", ""}};
    for (int row = 0; row < 3; ++row)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(m.Text(row, c), want[row][c]) << row << "," << c;
    m.Clear();
    EXPECT_EQ(m.size(), 0);
    EXPECT_EQ(m.Columns(), 3);
}

}  // namespace
