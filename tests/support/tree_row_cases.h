// The contract of a tree's rows as one table, for every keeper of them: the
// portable row model and each window backend's tree control. A driver does
// the steps; the rows are read back as one line, each row its text preceded
// by a dot per depth, then "+" when expanded, "=N" for a value, "*" when
// selected.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace treecases {

class RowDriver {
public:
    virtual ~RowDriver() = default;
    virtual void Clear() = 0;
    virtual void Add(int row, const std::string& text, int depth) = 0;
    virtual void SetValue(int row, int value) = 0;
    virtual void Expand(int row) = 0;
    // The user folding a row; false when the driver can't.
    virtual bool Collapse(int) { return false; }
    virtual void Select(int row) = 0;
    virtual int Count() = 0;
    virtual std::string Text(int row) = 0;
    virtual int Depth(int row) = 0;
    virtual int Value(int row) = 0;
    virtual bool Expanded(int row) = 0;
    virtual int Selected() = 0;
};

// The window service's tree `id` (the user's folding is the backend's own).
class ServiceDriver : public RowDriver {
public:
    explicit ServiceDriver(int id) : id_(id) {}
    void Clear() override { platform::TreeClear(id_); }
    void Add(int row, const std::string& text, int depth) override {
        platform::TreeAddItem(id_, row, text, 0, depth);
    }
    void SetValue(int row, int value) override { platform::TreeSetValue(id_, row, value); }
    void Expand(int row) override { platform::TreeExpand(id_, row); }
    void Select(int row) override { platform::TreeSelect(id_, row); }
    int Count() override { return platform::TreeCount(id_); }
    std::string Text(int row) override { return platform::TreeText(id_, row); }
    int Depth(int row) override { return platform::TreeDepth(id_, row); }
    int Value(int row) override { return platform::TreeValue(id_, row); }
    bool Expanded(int row) override { return platform::TreeExpanded(id_, row); }
    int Selected() override { return platform::TreeSelectedRow(id_); }

protected:
    int id_;
};

struct Step {
    enum Op { Add, Value, Expand, Collapse, Select, Clear } op;
    int row = 0;
    const char* text = "";
    int number = 0;  // Add: the depth; Value: the value
};
inline Step Add(int row, const char* text, int depth) { return {Step::Add, row, text, depth}; }
inline Step Val(int row, int value) { return {Step::Value, row, "", value}; }
inline Step Open(int row) { return {Step::Expand, row}; }
inline Step Fold(int row) { return {Step::Collapse, row}; }
inline Step Pick(int row) { return {Step::Select, row}; }
inline Step Empty() { return {Step::Clear}; }

struct Case {
    const char* name;
    std::vector<Step> steps;
    const char* rows;
};

inline std::string Render(RowDriver& d) {
    std::string out;
    for (int row = 0; row < d.Count(); ++row) {
        if (row > 0) out += ' ';
        out += std::string(d.Depth(row), '.') + d.Text(row);
        if (d.Expanded(row)) out += '+';
        if (d.Value(row) != 0) out += '=' + std::to_string(d.Value(row));
        if (d.Selected() == row) out += '*';
    }
    return out;
}

// The rows after the case's steps from empty; nothing when the driver can't
// do one of them.
inline std::optional<std::string> Run(RowDriver& d, const Case& c) {
    d.Clear();
    for (const Step& s : c.steps) {
        switch (s.op) {
        case Step::Add: d.Add(s.row, s.text, s.number); break;
        case Step::Value: d.SetValue(s.row, s.number); break;
        case Step::Expand: d.Expand(s.row); break;
        case Step::Collapse:
            if (!d.Collapse(s.row)) return std::nullopt;
            break;
        case Step::Select: d.Select(s.row); break;
        case Step::Clear: d.Clear(); break;
        }
    }
    return Render(d);
}

// A, its children A1 (with A1a) and A2, then B.
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
        {"insertions higher up keep the tree's order; values move with their items",
         {Add(0, "A", 0), Add(1, "B", 0), Val(1, 7), Add(1, "A1", 1), Add(2, "A2", 1),
          Add(2, "A1a", 2), Add(1, "A0", 1),
          // Row 3 holds A1a, A1's child: X there would split them, so it
          // follows A's last descendant.
          Add(3, "X", 1), Add(0, "Top", 3)},
         "Top A .A0 .A1 ..A1a .A2 .X B=7"},
        {"appends after an insertion higher up",
         {Add(0, "A", 0), Add(1, "A1", 1), Add(2, "B", 0), Add(2, "A2", 1), Add(4, "B1", 1),
          Add(5, "B1a", 2), Add(6, "B2", 1)},
         "A .A1 .A2 B .B1 ..B1a .B2"},
        {"expanding opens the way to the row; a row without children stays closed",
         Nested({Open(2)}),
         "A+ .A1+ ..A1a .A2 B"},
        {"collapsing closes the rows below: reopened, only the children show",
         Nested({Open(2), Fold(0), Open(0)}),
         "A+ .A1 ..A1a .A2 B"},
        {"items added under an expanded row, and a first child under a closed one",
         Nested({Open(0), Add(4, "A3", 1), Add(5, "A3a", 2)}),
         "A+ .A1 ..A1a .A2 .A3 ..A3a B"},
        {"the selection stays on its item through insertions above",
         {Add(0, "A", 0), Add(1, "B", 0), Add(2, "C", 0), Pick(2), Add(0, "Z", 0), Add(4, "C1", 1)},
         "Z A B C* .C1"},
        {"selecting a hidden row opens its ancestors only",
         Nested({Val(2, 3), Pick(2)}),
         "A+ .A1+ ..A1a=3* .A2 B"},
        {"a row past the end selects none",
         {Add(0, "A", 0), Pick(0), Pick(5)},
         "A"},
        {"clearing forgets rows, values, expansion and selection",
         Nested({Val(0, 3), Open(1), Pick(2), Empty(), Add(3, "X", 2), Add(1, "Y", 1)}),
         "X .Y"},
    };
    return cases;
}

}  // namespace treecases
