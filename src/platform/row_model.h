// The rows of a tree or a report list as the program keeps them: texts (one
// per column), an image, a value, a depth and an expanded flag per row, in
// pre-order, counted from the top across all depths. A view asks this for
// what it shows (a row's parent, children and path, the rows a collapsed
// folder leaves visible) instead of holding copies. Appending, expanding and
// collapsing cost the rows they change (times a logarithm), never a walk over
// the rows there are; an insertion higher up shifts the rows below it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tree_placement.h"

namespace platform {

class RowModel {
public:
    explicit RowModel(int columns = 1);

    int size() const { return static_cast<int>(rows_.size()); }
    int Columns() const { return columns_; }
    // No rows, nothing selected; the columns stay.
    void Clear();

    // Where PlaceTreeItem puts an item at `row` with `depth`. An append at
    // the end looks at the last row's ancestors only.
    TreePlacement Place(int row, int depth) const;
    // Inserts an item where `p` (from Place, with no change since) says.
    void Insert(const TreePlacement& p, std::string_view text, int image = 0);
    // Both: the item at `row` with `depth`, placed by the rule; where it went.
    TreePlacement Add(int row, int depth, std::string_view text, int image = 0) {
        const TreePlacement p = Place(row, depth);
        Insert(p, text, image);
        return p;
    }
    // A top-level row at the end, one text per column; missing ones are empty.
    void Append(const std::vector<std::string_view>& cells);

    // The cell's text, valid until the next change of the model.
    const char* Text(int row, int column = 0) const {
        return bytes_.data() + starts_[Cell(row, column)];
    }
    void SetText(int row, int column, std::string_view text);
    int Image(int row) const { return rows_[row].image; }
    int Value(int row) const { return rows_[row].value; }
    void SetValue(int row, int value) { rows_[row].value = value; }
    int Depth(int row) const { return rows_[row].depth; }

    // The structure; -1 stands for the root above the top-level rows.
    int Parent(int row) const { return rows_[row].parent; }
    int ChildCount(int parent) const;
    int NthChild(int parent, int n) const;  // -1 when there is none
    int IndexInParent(int row) const { return rows_[row].index; }
    int NextSibling(int row) const { return NthChild(Parent(row), IndexInParent(row) + 1); }
    // The child indices from the top down to `row`, and back.
    std::vector<int> Path(int row) const;
    int RowAt(const int* indices, int depth) const;  // -1 when the path leads nowhere

    // An expanded row shows its children. Expanding opens the way to the row
    // too, as a view does; a row without children stays closed. Collapsing
    // closes the rows below it as well: reopened, it shows its children only.
    bool Expanded(int row) const { return rows_[row].expanded; }
    void Expand(int row);
    void Collapse(int row);
    // Visible: every ancestor is expanded.
    bool Visible(int row) const { return rows_[row].visible; }
    int VisibleCount() const;
    int VisibleRow(int n) const;      // the n-th visible row from the top, -1 past them
    int VisibleIndex(int row) const;  // -1 for a hidden row

    // The selected row, -1 for none; it stays on its item through insertions.
    // Selecting a hidden row opens its ancestors.
    int Selected() const { return selected_; }
    void Select(int row);

private:
    // 20 bytes a row: a hundred thousand rows cost less than their views'
    // own nodes. Images count below 65,536 and depths below 16,384.
    struct Row {
        int parent = -1;
        int index = 0;      // among its parent's children
        int children = -1;  // its list in lists_, -1 until its first child
        int value = 0;
        uint32_t image : 16 = 0;
        uint32_t depth : 14 = 0;
        uint32_t expanded : 1 = 0;
        uint32_t visible : 1 = 1;
    };

    size_t Cell(int row, int column) const { return static_cast<size_t>(row) * columns_ + column; }
    uint32_t Store(std::string_view text);
    const std::vector<int>& Children(int parent) const;
    std::vector<int>& OwnChildren(int parent);
    void Show(int row, bool visible);
    void CountVisible() const;

    int columns_;
    std::vector<Row> rows_;
    std::vector<std::vector<int>> lists_;  // [0] the top level, then one per parent
    // Each cell's text, NUL-ended, back to back; a replaced text stays until
    // the rows are cleared or the dead ones outweigh the live.
    std::string bytes_;
    std::vector<uint32_t> starts_;  // per cell, row by row: the text stays below 4 GiB
    size_t dead_ = 0;
    int selected_ = -1;
    // Visible rows counted in a Fenwick tree, rebuilt after rows shifted.
    mutable std::vector<int> counts_;
    mutable bool countsKnown_ = true;
};

}  // namespace platform
