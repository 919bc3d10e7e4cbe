#include "platform/row_model.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// Fenwick tree over 0/1 entries, 1-based; t[0] is unused.
int Prefix(const std::vector<int>& t, int k) {
    int sum = 0;
    for (; k > 0; k -= k & -k) sum += t[k];
    return sum;
}

void AddAt(std::vector<int>& t, int row, int delta) {
    for (int k = row + 1; k < static_cast<int>(t.size()); k += k & -k) t[k] += delta;
}

void PushBack(std::vector<int>& t, int value) {
    const int k = static_cast<int>(t.size());
    t.push_back(value + Prefix(t, k - 1) - Prefix(t, k - (k & -k)));
}

}  // namespace

RowModel::RowModel(int columns) : columns_(std::max(columns, 1)) { Clear(); }

// Fresh containers rather than clear(): a hundred thousand rows give their
// memory back.
void RowModel::Clear() {
    rows_ = {};
    lists_ = std::vector<std::vector<int>>(1);
    bytes_ = std::string(1, '\0');  // offset 0: the empty text every empty cell shares
    starts_ = {};
    dead_ = 0;
    selected_ = -1;
    counts_ = std::vector<int>(1, 0);
    countsKnown_ = true;
}

TreePlacement RowModel::Place(int row, int depth) const {
    const int n = size();
    const int lastDepth = n > 0 ? rows_[n - 1].depth : -1;
    if (row < n || std::max(depth, 0) > lastDepth + 1) return PlaceTreeItem(rows_, row, depth);
    // At the end the parent is the last row's ancestor one level up, the
    // sibling above its ancestor at the item's own depth.
    TreePlacement p;
    p.row = p.at = n;
    p.depth = std::max(depth, 0);
    int up = n - 1;
    while (up >= 0 && rows_[up].depth > p.depth) up = rows_[up].parent;
    if (up >= 0 && rows_[up].depth == p.depth) {
        p.lastSiblingAbove = up;
        p.parent = rows_[up].parent;
    } else {
        p.parent = up;
    }
    return p;
}

void RowModel::Insert(const TreePlacement& p, std::string_view text, int image) {
    const int at = p.at;
    if (at < size()) {  // the rows below move down one
        for (Row& r : rows_)
            if (r.parent >= at) ++r.parent;
        for (std::vector<int>& list : lists_)
            for (int& child : list)
                if (child >= at) ++child;
        if (selected_ >= at) ++selected_;
        countsKnown_ = false;
    }
    Row row;
    row.parent = p.parent;
    row.depth = p.depth;
    row.image = image >= 0 && image <= 0xFFFF ? image : 0;
    row.visible = p.parent < 0 || (rows_[p.parent].visible && rows_[p.parent].expanded);
    row.index = p.lastSiblingAbove >= 0 ? rows_[p.lastSiblingAbove].index + 1 : 0;
    rows_.insert(rows_.begin() + at, row);
    std::vector<int>& siblings = OwnChildren(p.parent);
    siblings.insert(siblings.begin() + row.index, at);
    for (size_t k = row.index + 1; k < siblings.size(); ++k)
        rows_[siblings[k]].index = static_cast<int>(k);

    std::vector<uint32_t> cells(columns_, 0);
    cells[0] = Store(text);
    starts_.insert(starts_.begin() + Cell(at, 0), cells.begin(), cells.end());
    if (countsKnown_ && at == size() - 1)
        PushBack(counts_, row.visible ? 1 : 0);
    else
        countsKnown_ = false;
}

void RowModel::Append(const std::vector<std::string_view>& cells) {
    Insert(Place(size(), 0), cells.empty() ? std::string_view() : cells[0]);
    const int row = size() - 1;
    for (int c = 1; c < columns_ && c < static_cast<int>(cells.size()); ++c)
        starts_[Cell(row, c)] = Store(cells[c]);
}

void RowModel::SetText(int row, int column, std::string_view text) {
    uint32_t& start = starts_[Cell(row, column)];
    if (start != 0) dead_ += std::strlen(bytes_.data() + start) + 1;
    start = Store(text);
    if (dead_ < 4096 || dead_ < bytes_.size() / 2) return;
    std::string live(1, '\0');
    for (uint32_t& s : starts_) {
        if (s == 0) continue;
        const size_t length = std::strlen(bytes_.data() + s) + 1;
        live.append(bytes_.data() + s, length);
        s = static_cast<uint32_t>(live.size() - length);
    }
    bytes_.swap(live);
    dead_ = 0;
}

uint32_t RowModel::Store(std::string_view text) {
    if (text.empty()) return 0;
    const auto start = static_cast<uint32_t>(bytes_.size());
    bytes_.append(text);
    bytes_.push_back('\0');
    return start;
}

const std::vector<int>& RowModel::Children(int parent) const {
    static const std::vector<int> none;
    if (parent < 0) return lists_[0];
    const int list = rows_[parent].children;
    return list < 0 ? none : lists_[list];
}

std::vector<int>& RowModel::OwnChildren(int parent) {
    if (parent < 0) return lists_[0];
    if (rows_[parent].children < 0) {
        rows_[parent].children = static_cast<int>(lists_.size());
        lists_.emplace_back();
    }
    return lists_[rows_[parent].children];
}

int RowModel::ChildCount(int parent) const { return static_cast<int>(Children(parent).size()); }

int RowModel::NthChild(int parent, int n) const {
    const std::vector<int>& children = Children(parent);
    return n >= 0 && n < static_cast<int>(children.size()) ? children[n] : -1;
}

std::vector<int> RowModel::Path(int row) const {
    std::vector<int> path;
    for (; row >= 0; row = rows_[row].parent) path.push_back(rows_[row].index);
    std::reverse(path.begin(), path.end());
    return path;
}

int RowModel::RowAt(const int* indices, int depth) const {
    int row = -1;
    for (int i = 0; i < depth; ++i)
        if ((row = NthChild(row, indices[i])) < 0) return -1;
    return row;
}

void RowModel::Expand(int row) {
    std::vector<int> way;
    for (; row >= 0; row = rows_[row].parent) way.push_back(row);
    // From the top down, so each row opened is visible already.
    for (auto it = way.rbegin(); it != way.rend(); ++it) {
        Row& r = rows_[*it];
        if (r.expanded || ChildCount(*it) == 0) continue;
        r.expanded = true;
        for (int child : Children(*it)) Show(child, true);
    }
}

void RowModel::Collapse(int row) {
    if (!rows_[row].expanded) return;
    std::vector<int> open{row};
    while (!open.empty()) {
        const int r = open.back();
        open.pop_back();
        rows_[r].expanded = false;
        for (int child : Children(r)) {
            Show(child, false);
            if (rows_[child].expanded) open.push_back(child);
        }
    }
}

void RowModel::Show(int row, bool visible) {
    if (rows_[row].visible == visible) return;
    rows_[row].visible = visible;
    if (countsKnown_) AddAt(counts_, row, visible ? 1 : -1);
}

void RowModel::CountVisible() const {
    if (countsKnown_) return;
    const int n = size();
    counts_.assign(n + 1, 0);
    for (int k = 1; k <= n; ++k) {
        counts_[k] += rows_[k - 1].visible ? 1 : 0;
        if (const int up = k + (k & -k); up <= n) counts_[up] += counts_[k];
    }
    countsKnown_ = true;
}

int RowModel::VisibleCount() const {
    CountVisible();
    return Prefix(counts_, size());
}

int RowModel::VisibleRow(int n) const {
    CountVisible();
    if (n < 0) return -1;
    // The last place whose prefix is at most n: the row after it is the one.
    int at = 0, left = n + 1;
    int step = 1;
    while (step * 2 <= size()) step *= 2;
    for (; step > 0; step /= 2) {
        if (at + step <= size() && counts_[at + step] < left) {
            at += step;
            left -= counts_[at];
        }
    }
    return at < size() ? at : -1;
}

int RowModel::VisibleIndex(int row) const {
    if (!rows_[row].visible) return -1;
    CountVisible();
    return Prefix(counts_, row + 1) - 1;
}

void RowModel::Select(int row) {
    if (row < 0 || row >= size()) {
        selected_ = -1;
        return;
    }
    if (!rows_[row].visible) Expand(rows_[row].parent);
    selected_ = row;
}

}  // namespace platform
