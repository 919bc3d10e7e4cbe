#include "browse/entry_list.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace browse {

void EntryList::Clear() {
    entries_.clear();
    current_ = entries_.end();
}

bool EntryList::MakeCurrent(int position) {
    if (position < 0 || position >= Size()) {
        current_ = entries_.end();
        return false;
    }
    current_ = std::next(entries_.begin(), position);
    return true;
}

bool EntryList::Next() {
    auto next = current_ == entries_.end() ? entries_.begin() : std::next(current_);
    if (next == entries_.end()) return false;
    current_ = next;
    return true;
}

bool EntryList::Previous() {
    if (current_ == entries_.end() || current_ == entries_.begin()) return false;
    --current_;
    return true;
}

void EntryList::BeforeFirst() { current_ = entries_.end(); }

ListEntry* EntryList::Current() { return current_ == entries_.end() ? nullptr : &*current_; }

ListEntry& EntryList::InsertAfterCurrent(ListEntry e) {
    auto at = current_ == entries_.end() ? entries_.begin() : std::next(current_);
    current_ = entries_.insert(at, std::move(e));
    return *current_;
}

void EntryList::DeleteCurrent() {
    if (current_ == entries_.end()) return;
    auto before = current_ == entries_.begin() ? entries_.end() : std::prev(current_);
    entries_.erase(current_);
    current_ = before;
}

void EntryList::Append(ListEntry e) {
    entries_.push_back(std::move(e));
    current_ = std::prev(entries_.end());
}

void EntryList::Renumber() {
    int row = 0;
    for (auto& e : entries_) e.row = row++;
}

namespace {

// Folders first, then by name. Stable, so names equal under the folding
// keep the order the source produced them in.
void OrderBlock(std::list<ListEntry>::iterator first, int count) {
    std::vector<ListEntry> block;
    block.reserve(count);
    auto it = first;
    for (int i = 0; i < count; ++i, ++it) block.push_back(std::move(*it));
    std::stable_sort(block.begin(), block.end(), [](const ListEntry& a, const ListEntry& b) {
        if ((a.isFolder == 1) != (b.isFolder == 1)) return a.isFolder == 1;
        return CompareNames(a.name, b.name) < 0;
    });
    // Values move back into the same nodes, so the cursor stays valid.
    it = first;
    for (auto& e : block) *it++ = std::move(e);
}

}  // namespace

void ReplaceChildren(EntryList& list, int R, int D,
                     const std::function<void(const EntrySink& add)>& produce) {
    if (R > 0) {
        if (!list.MakeCurrent(R - 1)) {  // no such parent: nothing to list under
            list.Renumber();
            return;
        }
        while (list.Next()) {
            if (list.Current()->depth < D) break;
            list.DeleteCurrent();
        }
        list.MakeCurrent(R - 1);
    } else {
        list.Clear();
    }

    int added = 0;
    std::list<ListEntry>::iterator first;
    produce([&](ListEntry e) {
        e.row = R + added;
        e.depth = D;
        list.InsertAfterCurrent(std::move(e));
        if (added++ == 0) first = std::next(list.Entries().begin(), R);
    });
    if (added > 0) OrderBlock(first, added);
    list.Renumber();
}

}  // namespace browse
