// The ordered list of browsable entries behind the tree, in display order.
#pragma once
#include <functional>
#include <list>
#include <string>

namespace browse {

struct ListEntry {
    int row = 0;
    std::string name;
    int depth = 0;
    int isFolder = 0;
    std::string status;
    std::string path;
};

class EntryList {
public:
    void Clear();
    int Size() const { return static_cast<int>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }
    // Makes the entry at `position` current; false (no current) when out of range.
    bool MakeCurrent(int position);
    bool Next();      // false when there was no next entry
    bool Previous();  // false when there was no previous entry
    void BeforeFirst();
    ListEntry* Current();  // null when before the first entry
    // Inserts after the current entry (at the front when before the first)
    // and makes it current.
    ListEntry& InsertAfterCurrent(ListEntry e);
    // Deletes the current entry; the one before it becomes current.
    void DeleteCurrent();
    void Append(ListEntry e);
    void Renumber();
    std::list<ListEntry>& Entries() { return entries_; }
    const std::list<ListEntry>& Entries() const { return entries_; }

private:
    std::list<ListEntry> entries_;
    std::list<ListEntry>::iterator current_ = entries_.end();  // end() = before first
};

// Orders names by folding only A-Z onto a-z and comparing UTF-16 code units;
// negative, zero or positive.
int CompareNames(const std::string& a, const std::string& b);

// Where a listing hands its entries, one call per entry.
using EntrySink = std::function<void(ListEntry)>;

// Removes the old children below row R-1 of `list` (everything for R = 0),
// inserts what `produce` yields (it calls `add` per entry) at depth D, orders
// the new block folders first, each group by name (stable), and renumbers.
void ReplaceChildren(EntryList& list, int R, int D,
                     const std::function<void(const EntrySink& add)>& produce);

}  // namespace browse
