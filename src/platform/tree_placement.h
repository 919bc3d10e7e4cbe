// Where a new tree item goes, given the depths of the rows already there.
// The row model keeps one record per row in pre-order.
#pragma once
#include <algorithm>
#include <vector>

namespace platform {

struct TreePlacement {
    int row = 0;                // the requested row, clamped to the rows there are
    int depth = 0;              // 0 when no item above can be its parent
    int parent = -1;            // the parent's row, -1 at the top level
    bool fits = true;           // the item can stand exactly at `row`
    int lastSiblingAbove = -1;  // the parent's last child above the item, -1 when none
    int at = 0;                 // the row the item gets
};

// The parent is the closest item above `row` with depth - 1. The item lands at
// `row` when that keeps the tree's order: all between its parent and `row`
// lies below the parent, and the item now at `row` is no child of an item
// above. Otherwise it becomes the parent's last child.
template <class Row>
TreePlacement PlaceTreeItem(const std::vector<Row>& rows, int row, int depth) {
    TreePlacement p;
    const int n = static_cast<int>(rows.size());
    p.row = std::clamp(row, 0, n);
    p.depth = std::max(depth, 0);
    for (int i = p.row - 1; p.depth > 0 && i >= 0 && p.parent < 0; --i)
        if (rows[i].depth == p.depth - 1) p.parent = i;
    if (p.parent < 0) p.depth = 0;
    p.fits = p.row == n || rows[p.row].depth <= p.depth;
    for (int i = p.parent + 1; i < p.row; ++i)
        if (rows[i].depth < p.depth) p.fits = false;
    p.at = p.row;
    if (!p.fits) {  // after the parent's last descendant
        p.at = p.parent < 0 ? n : p.parent + 1;
        while (p.at < n && rows[p.at].depth >= p.depth) ++p.at;
    }
    for (int i = p.parent + 1; i < p.at; ++i)
        if (rows[i].depth == p.depth) p.lastSiblingAbove = i;
    return p;
}

}  // namespace platform
