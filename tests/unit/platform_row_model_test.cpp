// The row model keeps the tree rows' contract (the table every keeper of
// rows shares), places items exactly as the full rule does, and answers a
// view's questions (parents, children, paths, visible rows) as a walk over
// all rows would, through insertions anywhere, expanding and collapsing.
// The scripted window, the other portable backend, keeps the tree rows'
// contract and the window service's table with its own simulated user.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/row_model.h"
#include "support/scripted_window.h"
#include "support/tree_row_cases.h"
#include "support/window_cases.h"

namespace {

using platform::RowModel;

// Per row: its parent, whether the parent's n-th child and the path lead
// back to it, its place among the visible rows (-1 hidden); then the
// visible rows by their places, and each parent's child count.
std::vector<int> Walk(const RowModel& m, bool asked) {
    std::vector<int> ancestors, out, shown, children(m.size() + 1, 0);
    for (int row = 0; row < m.size(); ++row) {
        const int depth = m.Depth(row);
        const int parent = depth > 0 ? ancestors[depth - 1] : -1;
        ancestors.resize(depth);
        ancestors.push_back(row);
        const bool show = parent < 0 || (m.Visible(parent) && m.Expanded(parent));
        if (!asked) {
            out.insert(out.end(), {parent, row, show ? int(shown.size()) : -1});
            if (show) shown.push_back(row);
            ++children[parent + 1];
            continue;
        }
        const std::vector<int> path = m.Path(row);
        out.insert(out.end(), {m.Parent(row),
                               m.NthChild(parent, m.IndexInParent(row)) == row
                                   ? m.RowAt(path.data(), int(path.size()))
                                   : -2,
                               m.Visible(row) == show ? m.VisibleIndex(row) : -2});
        EXPECT_TRUE(!m.Expanded(row) || (show && m.ChildCount(row) > 0)) << "row " << row;
    }
    for (int k = 0; asked && k <= m.VisibleCount(); ++k) shown.push_back(m.VisibleRow(k));
    if (!asked) shown.push_back(-1);  // past the last
    for (int p = -1; asked && p < m.size(); ++p) children[p + 1] = m.ChildCount(p);
    out.insert(out.end(), shown.begin(), shown.end());
    out.insert(out.end(), children.begin(), children.end());
    return out;
}

TEST(RowModelTest, KeepsTheTreeRowsContract) {
    RowModel rows;
    for (const treecases::Case& c : treecases::Cases()) {
        EXPECT_EQ(treecases::Run(rows, c), c.rows) << c.name;
        EXPECT_EQ(Walk(rows, true), Walk(rows, false)) << c.name;
    }
}

// The scripted window's user: its own simulate calls; it has no keys, no
// sizes and no focus.
struct ScriptedHand : windowcases::Hand {
    void Fresh() override { scripted::Reset(), platform::OpenMainWindow("Main", 450, 430); }
    bool Type(int id, const std::string& text) override {
        return scripted::Type(id, platform::GetText(id) + text), true;
    }
    bool Click(int id) override {
        const scripted::Control* c = scripted::Find(id);
        if (c && c->enabled && c->kind == platform::ControlKind::CheckBox)
            platform::SetCheck(id, !c->check);  // a real box ticks itself
        return scripted::PushClick(id), true;
    }
    bool Press(int, windowcases::Key) override { return false; }
    bool ClickCell(int id, int row, int column, int times) override {
        scripted::SelectListRow(id, row);
        scripted::ToggleListTick(id, row, column);
        return times == 1;
    }
    bool CloseBox(int window) override { return scripted::PushClose(window), true; }
    bool Menu(const std::vector<platform::MenuItem>& items, int pick) override {
        platform::ShowPopupMenu(items);
        return scripted::PushMenu(scripted::LastMenu().at(pick).id), true;
    }
    bool Answer(bool yes) override { return scripted::AnswerYesNo(yes), true; }
    int StyleAt(int id, int offset) override {
        for (const scripted::TextRun& run : scripted::TextRuns(id))
            if ((offset -= static_cast<int>(run.text.size())) < 0) return int(run.style);
        return -1;
    }
    std::vector<platform::Event> Events() override {
        platform::PostControlEvent(-1, platform::EventType::LeftClick);  // the end
        std::vector<platform::Event> out;
        for (platform::Event e; (e = platform::WaitEvent()).id != -1 || e.kind != e.Control;)
            out.push_back(e);
        return out;
    }
};

TEST(ScriptedWindowTest, KeepsTheWindowServicesTablesAsFarAsItsUserGoes) {
    ScriptedHand hand;
    EXPECT_EQ(windowcases::RunAll(hand), (std::vector<size_t>{24, 12, 14, 11, 11, 11, 14, 2}));
    hand.Fresh();
    platform::CreateControl(0, 22, platform::ControlKind::Tree, 10, 70, 430, 250, "");
    treecases::ServiceRows rows{22};
    for (const treecases::Case& c : treecases::Cases()) {
        const std::string got = treecases::Run(rows, c);  // "?": a fold, which it can't
        EXPECT_EQ(got == "?" ? c.rows : got, c.rows) << c.name;
    }
}

TEST(RowModelTest, PlacesAsTheFullRuleAndAnswersAsAWalkThroughRandomChanges) {
    struct Ref {
        int depth;
        int id;
    };
    std::mt19937 random(11);
    for (int round = 0; round < 40 && !testing::Test::HasFailure(); ++round) {
        RowModel m;
        std::vector<Ref> reference;
        for (int id = 0; id < 120 && !testing::Test::HasFailure(); ++id) {
            const int n = m.size(), what = static_cast<int>(random() % 10);
            if (what >= 7 && n > 0) {
                const int row = static_cast<int>(random() % n);
                what == 9 ? m.Collapse(row) : m.Expand(row);
            } else {  // mostly appends, some higher up, some too deep for any parent
                const int row = random() % 3 ? n : static_cast<int>(random() % (n + 1));
                const int depth = static_cast<int>(random() % ((n ? m.Depth(n - 1) : 0) + 3));
                const platform::TreePlacement want = platform::PlaceTreeItem(reference, row, depth);
                const platform::TreePlacement got = m.Add(row, depth, std::to_string(id));
                ASSERT_EQ(std::tuple(got.at, got.depth, got.parent, got.lastSiblingAbove),
                          std::tuple(want.at, want.depth, want.parent, want.lastSiblingAbove));
                reference.insert(reference.begin() + want.at, Ref{want.depth, id});
            }
            EXPECT_EQ(Walk(m, true), Walk(m, false)) << "round " << round << ", step " << id;
        }
        for (int row = 0; row < m.size(); ++row)
            EXPECT_EQ(m.Text(row), std::to_string(reference[row].id));
    }
}

TEST(RowModelTest, CellsKeepTheirTextsThroughAppendsAndChanges) {
    RowModel m(3);
    m.Append({"a", "b", "c"});
    m.Append({"d"});  // the missing cells are empty
    // Far more replaced text than live: the dead is dropped on the way.
    for (int i = 0; i < 5000; ++i) m.SetText(i % 2, 1, std::to_string(i) + "x");
    m.SetText(0, 2, "");
    std::string cells;
    for (int row = 0; row < 2; ++row)
        for (int c = 0; c < 3; ++c) cells += std::string(m.Text(row, c)) + "|";
    EXPECT_EQ(cells, "a|4998x||d|4999x||");
}

}  // namespace
