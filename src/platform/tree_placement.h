// Where a new tree item goes, given the depths of the rows already there.
// Shared by the window backends, which keep one record per row in pre-order.
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

// A tree's rows in pre-order. Items appended after the last row (a listing,
// search results pouring in) are placed without a walk over the rows: the
// last row's ancestors, one per depth, are kept.
template <class Row>
class TreeRows {
public:
    int size() const { return static_cast<int>(rows_.size()); }
    const Row& operator[](int row) const { return rows_[row]; }
    Row& operator[](int row) { return rows_[row]; }
    typename std::vector<Row>::const_iterator begin() const { return rows_.begin(); }
    typename std::vector<Row>::const_iterator end() const { return rows_.end(); }

    void clear() {
        rows_.clear();
        tail_.clear();
        tailKnown_ = true;
    }

    // Where PlaceTreeItem puts an item at `row` with `depth`.
    TreePlacement Place(int row, int depth) {
        const int n = size();
        if (row < n) return PlaceTreeItem(rows_, row, depth);
        KnowTail();
        TreePlacement p;
        p.row = p.at = n;
        p.depth = std::max(depth, 0);
        const int lastDepth = static_cast<int>(tail_.size()) - 1;
        // Deeper than a child of the last row: a parent further up decides.
        if (p.depth > lastDepth + 1) return PlaceTreeItem(rows_, row, depth);
        p.parent = p.depth > 0 ? tail_[p.depth - 1] : -1;
        p.lastSiblingAbove = p.depth <= lastDepth ? tail_[p.depth] : -1;
        return p;
    }

    void Insert(const TreePlacement& p, Row row) {
        const bool appended = p.at == size();
        rows_.insert(rows_.begin() + p.at, std::move(row));
        if (appended && tailKnown_ && p.depth <= static_cast<int>(tail_.size())) {
            tail_.resize(p.depth);
            tail_.push_back(p.at);
        } else {
            tailKnown_ = false;  // rows shifted: found again at the next append
        }
    }

private:
    void KnowTail() {
        if (tailKnown_) return;
        tail_.clear();
        const int n = size();
        if (n > 0) {
            tail_.resize(rows_[n - 1].depth + 1);
            int depth = rows_[n - 1].depth;
            tail_[depth] = n - 1;
            for (int i = n - 2; i >= 0 && depth > 0; --i)
                if (rows_[i].depth < depth) tail_[depth = rows_[i].depth] = i;
        }
        tailKnown_ = true;
    }

    std::vector<Row> rows_;
    std::vector<int> tail_;  // tail_[d]: the last row's ancestor at depth d; back() is the last row
    bool tailKnown_ = true;
};

}  // namespace platform
