// The contract of a tree's rows as one table, for every keeper of them: the
// portable row model itself and, through ServiceRows, each window backend's
// tree control. The rows read back as one line: each row's text after a dot
// per depth, then "+" when expanded, "=N" for a value, "*" when selected.
#pragma once
#include <string>
#include <vector>

#include "platform/window.h"

namespace treecases {

// The window service's tree `id`, called as the row model is. A backend's
// test adds Collapse(row), the user folding a row, when it can.
struct ServiceRows {
    int id;
    void Clear() { platform::TreeClear(id); }
    void Add(int row, int depth, const char* text) {
        platform::TreeAddItem(id, row, text, 0, depth);
    }
    void SetValue(int row, int value) { platform::TreeSetValue(id, row, value); }
    void Expand(int row) { platform::TreeExpand(id, row); }
    void Select(int row) { platform::TreeSelect(id, row); }
    int size() { return platform::TreeCount(id); }
    std::string Text(int row) { return platform::TreeText(id, row); }
    int Depth(int row) { return platform::TreeDepth(id, row); }
    int Value(int row) { return platform::TreeValue(id, row); }
    bool Expanded(int row) { return platform::TreeExpanded(id, row); }
    int Selected() { return platform::TreeSelectedRow(id); }
};

struct Step {
    char op;  // Add, Value, Open (expand), Fold (collapse), Pick (select), Empty (clear)
    int row = 0;
    const char* text = "";
    int number = 0;  // the depth to add at, the value to set
};
inline Step Add(int row, const char* text, int depth) { return {'a', row, text, depth}; }
inline Step Val(int row, int value) { return {'v', row, "", value}; }
inline Step Open(int row) { return {'o', row}; }
inline Step Fold(int row) { return {'f', row}; }
inline Step Pick(int row) { return {'p', row}; }
inline Step Empty() { return {'e'}; }

struct Case {
    const char* name;
    std::vector<Step> steps;
    const char* rows;
};

// The rows after the case's steps from none; "?" when `rows` can't fold.
template <class Rows>
std::string Run(Rows& rows, const Case& c) {
    rows.Clear();
    for (const Step& s : c.steps) {
        if (s.op == 'a') rows.Add(s.row, s.number, s.text);
        if (s.op == 'v') rows.SetValue(s.row, s.number);
        if (s.op == 'o') rows.Expand(s.row);
        if (s.op == 'p') rows.Select(s.row);
        if (s.op == 'e') rows.Clear();
        if (s.op == 'f') {
            if constexpr (requires { rows.Collapse(0); })
                rows.Collapse(s.row);
            else
                return "?";
        }
    }
    std::string out;
    for (int row = 0; row < rows.size(); ++row) {
        out += (row > 0 ? " " : "") + std::string(rows.Depth(row), '.') + rows.Text(row);
        if (rows.Expanded(row)) out += '+';
        if (rows.Value(row) != 0) out += '=' + std::to_string(rows.Value(row));
        if (rows.Selected() == row) out += '*';
    }
    return out;
}

// A, its children A1 (with A1a) and A2, then B; then `more`.
inline std::vector<Step> Nested(std::vector<Step> more = {}) {
    std::vector<Step> steps{Add(0, "A", 0), Add(1, "A1", 1), Add(2, "A1a", 2), Add(3, "A2", 1),
                            Add(4, "B", 0)};
    steps.insert(steps.end(), more.begin(), more.end());
    return steps;
}

inline const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"flat rows in order, a value on its row",
         {Add(0, "A", 0), Add(1, "B", 0), Add(2, "C", 0), Val(1, 7)},
         "A B=7 C"},
        {"appended items hang under the last row's ancestors",
         Nested({Add(5, "B1", 1), Add(6, "B1a", 2), Add(7, "B2", 1)}),
         "A .A1 ..A1a .A2 B .B1 ..B1a .B2"},
        {"an item with no parent above goes to the top",
         {Add(0, "A", 2), Add(1, "B", 0), Add(2, "C", 3), Add(9, "D", 1)},
         "A B C .D"},
        // Row 3 holds A1a, A1's child: X there would split them, so it
        // follows A's last descendant.
        {"insertions higher up keep the tree's order; values move with their items",
         {Add(0, "A", 0), Add(1, "B", 0), Val(1, 7), Add(1, "A1", 1), Add(2, "A2", 1),
          Add(2, "A1a", 2), Add(1, "A0", 1), Add(3, "X", 1), Add(0, "Top", 3)},
         "Top A .A0 .A1 ..A1a .A2 .X B=7"},
        {"appends after an insertion higher up",
         {Add(0, "A", 0), Add(1, "A1", 1), Add(2, "B", 0), Add(2, "A2", 1), Add(4, "B1", 1),
          Add(5, "B1a", 2), Add(6, "B2", 1)},
         "A .A1 .A2 B .B1 ..B1a .B2"},
        {"expanding opens the way to the row; a row without children stays closed",
         Nested({Open(2)}), "A+ .A1+ ..A1a .A2 B"},
        {"collapsing closes the rows below: reopened, only the children show",
         Nested({Open(2), Fold(0), Open(0)}), "A+ .A1 ..A1a .A2 B"},
        {"items added under an expanded row, and a first child under a closed one",
         Nested({Open(0), Add(4, "A3", 1), Add(5, "A3a", 2)}), "A+ .A1 ..A1a .A2 .A3 ..A3a B"},
        {"the selection stays on its item through insertions above and at its row",
         {Add(0, "A", 0), Add(1, "B", 0), Add(2, "C", 0), Pick(2), Add(0, "Z", 0), Add(3, "Y", 0),
          Add(5, "C1", 1)},
         "Z A B Y C* .C1"},
        {"selecting a hidden row opens its ancestors only", Nested({Val(2, 3), Pick(2)}),
         "A+ .A1+ ..A1a=3* .A2 B"},
        {"a row past the end selects none", {Add(0, "A", 0), Pick(0), Pick(5)}, "A"},
        {"clearing forgets rows, values, expansion and selection",
         Nested({Val(0, 3), Open(1), Pick(2), Empty(), Add(3, "X", 2), Add(1, "Y", 1)}), "X .Y"},
    };
    return cases;
}

}  // namespace treecases
