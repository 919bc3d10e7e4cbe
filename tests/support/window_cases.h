// The window service's behaviour as one table, run on every backend: each
// case is the program's calls and the user's moves, and at each Then the
// events they gave and what the controls read back. A backend's test lends
// the user's hand (Hand); a move or a reading its hand can't make ends the
// case there for that backend, so cases put what every hand can do first.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/window.h"

namespace windowcases {

using namespace platform;

enum class Key { Return, CtrlReturn, Escape, Tab, Down, Space, ShiftTab };

// The user, on one backend. Moves answer false when the hand can't make them.
struct Hand {
    virtual ~Hand() = default;
    virtual void Fresh() = 0;  // no windows but an empty main window "Main", 450 x 430
    virtual bool Type(int id, const std::string& text) = 0;              // at the end of its text
    virtual bool Click(int id) = 0;                                      // a button, box or link
    virtual bool Press(int id, Key key) = 0;                             // with the focus on `id`
    virtual bool ClickCell(int id, int row, int column, int times) = 0;  // a list's
    virtual bool CloseBox(int window) = 0;
    // Shows the pop-up menu and picks item `pick`.
    virtual bool Menu(const std::vector<MenuItem>& items, int pick) = 0;
    virtual bool Answer(bool) { return false; }  // the next yes/no box's
    virtual bool Resize(int, int, int) { return false; }
    virtual std::string Place(int) { return "?"; }  // "x,y wxh" in its window
    virtual int StyleAt(int, int) { return -2; }    // a TextStyle, -1 mixed, -2 can't tell
    virtual int Focused() { return -2; }            // the focused control's id, -2 can't tell
    // The events the loop gives for what happened so far.
    virtual std::vector<Event> Events() = 0;
};

struct Run;
using Step = std::function<bool(Run&)>;
struct Case {
    const char* name;
    std::vector<int> watch;  // the controls each Then reads
    // In parts: one long list would be laid out a step a line.
    std::vector<std::vector<Step>> steps;
};

// The events as "id:type" for a control's, "menu id", "close", each with
// "@n" when it is for window `opened[n]` (n > 0) or "@handle" for another;
// the focus's only `withFocus`, as the desktop hands it round.
inline std::string Said(const std::vector<Event>& events, const std::vector<int>& opened = {0},
                        bool withFocus = false) {
    static const char* const kTypes[] = {"click", "right", "double",  "change",
                                         "in",    "out",   "activate"};
    std::string out;
    for (const Event& e : events) {
        const bool focus = e.type == EventType::FocusGained || e.type == EventType::FocusLost;
        if (e.kind == Event::Other || (focus && e.kind == Event::Control && !withFocus)) continue;
        out += out.empty() ? "" : " ";
        if (e.kind == Event::Menu) out += "menu " + std::to_string(e.id);
        if (e.kind == Event::Close) out += "close";
        if (e.kind == Event::Control) out += std::to_string(e.id) + ":" + kTypes[int(e.type)];
        const auto n = std::find(opened.begin(), opened.end(), e.window) - opened.begin();
        if (e.window != 0) out += "@" + std::to_string(n < std::ssize(opened) ? n : e.window);
    }
    return out;
}

struct Run {
    Hand& hand;
    const Case& c;
    std::vector<int> opened{0};  // handles of the windows the case opened, by number
    std::map<int, ControlKind> kinds;
    int then = 0;
};

// What a control reads back: "-" when gone; a list's selection, count and
// first cells; a drop-down's pick; a box's check; else its text. "(off)"
// when disabled.
inline std::string Reading(int id, ControlKind kind) {
    if (!ControlExists(id)) return "-";
    std::string out = GetText(id);
    if (kind == ControlKind::List) {
        out = std::to_string(ListSelectedRow(id)) + "/" + std::to_string(ListCount(id)) + " ";
        for (int row = 0; row < ListCount(id); ++row) out += ListText(id, row, 0) + ",";
    }
    if (kind == ControlKind::Choice) out = "#" + std::to_string(ChoiceSelected(id));
    if (kind == ControlKind::CheckBox) out = GetCheck(id) ? "[x]" : "[ ]";
    return IsEnabled(id) ? out : out + "(off)";
}

// The program's own calls.
template <class F, class... A>
Step Do(F f, A... args) {
    return [=](Run&) { return f(args...), true; };
}
using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;
using Columns = std::vector<ListColumn>;
// A window titled "W" and its handle, which a hand may look it up by.
inline Step Open(int w, int h, bool own = false) {
    return [=](Run& r) {
        const int handle = own ? OpenWindow("W", w, h) : OpenDialog("W", w, h);
        SetWindowTitle(handle, "W" + std::to_string(handle));
        r.opened.push_back(handle);
        return handle > 0;
    };
}
inline Step Shut(int window) {
    return [=](Run& r) { return CloseDialog(r.opened[window]), true; };
}
struct Box {
    int x = 10, y = 10, w = 200, h = 100;
};
inline Step Make(int window, int id, ControlKind kind, const char* caption = "", Box b = {},
                 unsigned anchors = 0) {
    return [=](Run& r) {
        if (!CreateControl(r.opened[window], id, kind, b.x, b.y, b.w, b.h, caption)) return false;
        if (anchors) SetAnchors(id, anchors);
        r.kinds[id] = kind;
        return true;
    };
}

// The user's moves.
inline Step TypeIn(int id, const char* text) {
    return [=](Run& r) { return r.hand.Type(id, text); };
}
inline Step ClickOn(int id) {
    return [=](Run& r) { return r.hand.Click(id); };
}
inline Step PressOn(int id, Key key) {
    return [=](Run& r) { return r.hand.Press(id, key); };
}
inline Step Cell(int id, int row, int column, int times = 1) {
    return [=](Run& r) { return r.hand.ClickCell(id, row, column, times); };
}
inline Step CloseBox(int window) {
    return [=](Run& r) { return r.hand.CloseBox(r.opened[window]); };
}
inline Step PickMenu(std::vector<MenuItem> items, int pick) {
    return [=](Run& r) { return r.hand.Menu(items, pick); };
}
inline Step ResizeTo(int window, int w, int h) {
    return [=](Run& r) { return r.hand.Resize(r.opened[window], w, h); };
}
// The answer the user gives the next yes/no box, and the program's question.
inline Step Asked(bool yes, bool noByDefault) {
    return [=](Run& r) {
        if (!r.hand.Answer(yes)) return false;
        EXPECT_EQ(AskYesNo("Delete", "Sure?", noByDefault), yes) << r.c.name;
        return true;
    };
}

// Checks: the events since the last Then and the watched controls' readings;
// with `focus` >= 0, the control that has the focus.
inline Step Then(std::string events, std::string readings = "?", int focus = -1) {
    return [=](Run& r) {
        const std::string at = std::string(r.c.name) + ", check " + std::to_string(++r.then);
        EXPECT_EQ(Said(r.hand.Events(), r.opened), events) << at;
        std::string read;
        for (int id : r.c.watch)
            read += (read.empty() ? "" : " ") + std::to_string(id) + "=" + Reading(id, r.kinds[id]);
        if (readings != "?") {
            EXPECT_EQ(read, readings) << at;
        }
        if (focus < 0) return true;
        const int focused = r.hand.Focused();
        if (focused != -2) {
            EXPECT_EQ(focused, focus) << at;
        }
        return focused != -2;
    };
}
// Each control's place: "id=x,y wxh" joined by spaces.
inline Step Placed(std::vector<int> ids, const char* places) {
    return [=](Run& r) {
        std::string got;
        for (int id : ids)
            got += (got.empty() ? "" : " ") + std::to_string(id) + "=" + r.hand.Place(id);
        if (got.find('?') != std::string::npos) return false;
        EXPECT_EQ(got, places) << r.c.name;
        return true;
    };
}
// A list's cells, `columns` a row, "|" between cells and ";" between rows.
inline Step Cells(int id, int columns, const char* cells) {
    return [=](Run& r) {
        std::string got;
        for (int row = 0; row < ListCount(id); ++row)
            for (int c = 0; c < columns; ++c)
                got += ListText(id, row, c) + (c + 1 < columns ? "|" : ";");
        EXPECT_EQ(got, cells) << r.c.name;
        return true;
    };
}
// The style at each character offset: P plain, A added, R removed, H heading.
inline Step Styled(int id, std::vector<int> offsets, const char* styles) {
    return [=](Run& r) {
        std::string got;
        for (int at : offsets) {
            const int style = r.hand.StyleAt(id, at);
            if (style == -2) return false;
            got += style >= 0 ? "PARH"[style] : '?';
        }
        EXPECT_EQ(got, styles) << r.c.name;
        return true;
    };
}

// Runs the case from a fresh main window; how far the hand could go.
inline size_t RunCase(Hand& hand, const Case& c) {
    hand.Fresh();
    Run run{hand, c, {0}, {}, 0};
    size_t done = 0;
    for (const std::vector<Step>& part : c.steps)
        for (const Step& step : part)
            if (!step(run) || testing::Test::HasFatalFailure())
                return done;
            else
                ++done;
    return done;
}

inline const std::vector<Case>& Cases() {
    using K = ControlKind;
    const unsigned all = AnchorLeft | AnchorTop | AnchorRight | AnchorBottom;
    const std::string cafe = "caf\xC3\xA9", lines = "Zeile 1\n\u00c4rger \u2713";
    const std::string odd = "Z\xC3\xBCrich {a}\\b\tc \xF0\x9F\x98\x80\nline 2";
    static const std::vector<Case> cases = {
        {"the program's calls say nothing; the user's clicks, typing and keys do",
         {1, 5, 18},
         {{Make(0, 0, K::Label, "Label"), Make(0, 1, K::Button, "One"),
           Make(0, 2, K::Button, "Two"), Make(0, 5, K::Field, "start", {80, 9, 330, 20}),
           Make(0, 18, K::CheckBox, "Box", {10, 370, 250, 20}),
           Make(0, 20, K::Link, "Go", {420, 11, 20, 20}), Then("", "1=One 5=start 18=[ ]"),
           Do(SetText, 5, cafe), Do(SetCheck, 18, 1), Do(SetText, 1, "Uno"),
           Then("", "1=Uno 5=caf\xC3\xA9 18=[x]")},
          {TypeIn(5, "x"), Then("5:change", "1=Uno 5=caf\xC3\xA9x 18=[x]"), ClickOn(1), ClickOn(18),
           ClickOn(20), Then("1:click 18:click 20:click", "1=Uno 5=caf\xC3\xA9x 18=[ ]"),
           Do(SetEnabled, 1, false), ClickOn(1), Then("", "1=Uno(off) 5=caf\xC3\xA9x 18=[ ]")},
          {PickMenu({{7, "Update"}, {8, "Off", false}}, 0), Then("menu 7"), CloseBox(0),
           Then("close", "1=Uno(off) 5=caf\xC3\xA9x 18=[ ]"), PressOn(5, Key::Escape),
           PressOn(5, Key::Return), Then("5:activate")}}},
        {"a dialog's controls go with it; Escape and the close box ask it to close",
         {3, 101},
         {{Make(0, 3, K::Button, "Main"), Open(300, 95), Make(1, 101, K::Field, "text"),
           Then("", "3=Main 101=text"), Shut(1), Then("", "3=Main 101=-"), Open(300, 95),
           Make(2, 101, K::Field, "", {10, 30, 280, 20}),
           Make(2, 102, K::DefaultButton, "OK", {60, 60, 80, 25}),
           Make(2, 103, K::Button, "Cancel", {150, 60, 80, 25}), CloseBox(2), Then("close@2"),
           PressOn(101, Key::Escape), Then("close@2")}}},
        {"beside a modal dialog a window of its own takes clicks, lines and picks; the main "
         "window takes none",
         {41, 52},
         {{Make(0, 32, K::Button, "Main"), Open(300, 200), Open(300, 320, true),
           Make(2, 40, K::Field, "", {10, 10, 280, 25}),
           Make(2, 41, K::Editor, "", {10, 50, 280, 80}),
           Make(2, 42, K::Button, "Go", {10, 140, 80, 25}),
           Make(2, 52, K::Choice, "Recent", {100, 140, 120, 25}), Do(SetText, 41, lines),
           Do(ChoiceSetItems, 52, Texts{"a", "b"}),
           Then("", "41=Zeile 1\n\u00c4rger \u2713 52=#-1"), ClickOn(42), Then("42:click@2"),
           TypeIn(41, "x"), Then("41:change@2", "41=Zeile 1\n\u00c4rger \u2713x 52=#-1")},
          {PressOn(41, Key::Return), Then("41:change@2", "41=Zeile 1\n\u00c4rger \u2713x\n 52=#-1"),
           PressOn(41, Key::CtrlReturn), PressOn(41, Key::Escape),
           Then("41:activate@2 close@2", "41=Zeile 1\n\u00c4rger \u2713x\n 52=#-1"),
           PressOn(41, Key::Tab), Then("", "?", 42), PressOn(41, Key::ShiftTab), Then("", "?", 40),
           PressOn(52, Key::Down), Then("52:change@2", "41=Zeile 1\n\u00c4rger \u2713x\n 52=#0"),
           ClickOn(32), Then("")}}},
        {"a list reports the user's moves, never the program's",
         {30},
         {{Make(0, 30, K::List, "Revisions", {10, 10, 430, 200}),
           Do(ListSetColumns, 30, Columns{{"Rev", 60}, {"Author", 80}, {"Message", 50}}),
           Do(ListAppend, 30, Rows{{"3", "anne", cafe}, {"2", "bob"}, {"1", "cy", "x"}}),
           Do(platform::SetFocus, 30), Then("", "30=-1/3 3,2,1,"),
           Cells(30, 4, "3|anne|caf\xC3\xA9|;2|bob||;1|cy|x|;"), Do(ListSelect, 30, 1),
           Do(ListAppend, 30, Rows{{"0", "dee", "root"}}), Then("", "30=1/4 3,2,1,0,"),
           Cell(30, 2, 1), Then("30:change", "30=2/4 3,2,1,0,")},
          {PressOn(30, Key::Down), Then("30:change", "30=3/4 3,2,1,0,"), PressOn(30, Key::Return),
           Then("30:double"), Cell(30, 0, 1, 2), Then("30:change 30:double", "30=0/4 3,2,1,0,"),
           Do(ListSelect, 30, -1), Then("", "30=-1/4 3,2,1,0,"), Do(ListSelect, 30, 3),
           Do(ListClear, 30), Then("", "30=-1/0 ")}}},
        {"tick boxes tick by a click on the box or Space, never by the row's double click",
         {43},
         {{Make(0, 43, K::List, "Changes", {10, 10, 430, 200}),
           Do(ListSetColumns, 43, Columns{{"", 24, true}, {"Path", 100}}),
           Do(ListAppend, 43, Rows{{"1", "a"}, {"0", "b"}, {"", "c"}}),
           Do(ListSetText, 43, 0, 0, "0"), Then("", "43=-1/3 0,0,,"), Cell(43, 1, 0),
           Then("43:change", "43=1/3 0,1,,"), Cell(43, 2, 0), Then("43:change", "43=2/3 0,1,,"),
           Cell(43, 0, 1), Then("43:change", "43=0/3 0,1,,"), PressOn(43, Key::Space),
           Then("", "43=0/3 1,1,,"), Cell(43, 0, 0, 2), Then("", "43=0/3 1,1,,"), Cell(43, 1, 1, 2),
           Then("43:change 43:double", "43=1/3 1,1,,")}}},
        {"the text keeps each run's style, takes no typing and is replaced whole",
         {31},
         {{Make(0, 31, K::Text, "Diff", {10, 10, 430, 300}),
           Do(TextAppend, 31, "Index: a\n", TextStyle::Heading),
           Do(TextAppend, 31, "-old\n", TextStyle::Removed),
           Do(TextAppend, 31, "+new\n", TextStyle::Added),
           Do(TextAppend, 31, " same\n", TextStyle::Plain), TypeIn(31, "x"),
           Then("", "31=Index: a\n-old\n+new\n same\n"), Styled(31, {0, 8, 9, 14, 19}, "HHRAP"),
           Do(SetText, 31, odd), Then("", "31=" + odd), Styled(31, {0}, "P")}}},
        {"a window of its own: closing asks, its anchored controls follow its size, never "
         "below the first",
         {40},
         {{Make(0, 3, K::Button, "Main"), Open(100, 100), Shut(1), Open(300, 200, true),
           Make(2, 40, K::List, "Log", {10, 10, 200, 100}, all),
           Make(2, 41, K::Text, "", {10, 115, 190, 50}, all & ~AnchorTop),
           Make(2, 42, K::Button, "Close", {210, 170, 80, 24}, AnchorRight | AnchorBottom),
           Make(2, 43, K::Button, "Stays", {220, 10, 70, 20}), CloseBox(2), ClickOn(3),
           Then("close@2 3:click"), Open(300, 95), ClickOn(43), Then("43:click@2")},
          {PressOn(40, Key::Tab), Then("", "?", 41), PressOn(41, Key::Tab), Then("", "?", 42),
           PressOn(40, Key::Escape), PressOn(41, Key::Escape), Then("close@2 close@2"),
           ResizeTo(2, 400, 250),
           Placed({40, 41, 42, 43},
                  "40=10,10 300x150 41=10,165 290x50 42=310,220 80x24 "
                  "43=220,10 70x20"),
           ResizeTo(2, 50, 50),
           Placed({40, 41, 42, 43},
                  "40=10,10 200x100 41=10,115 190x50 42=210,170 80x24 "
                  "43=220,10 70x20"),
           Shut(2), Then("", "40=-")}}},
        {"a yes/no box gives the user's answer", {}, {{Asked(true, false), Asked(false, true)}}},
    };
    return cases;
}

// Every case on `hand`, each a fresh main window; the steps each could make.
inline std::vector<size_t> RunAll(Hand& hand) {
    std::vector<size_t> done;
    for (const Case& c : Cases()) done.push_back(RunCase(hand, c));
    return done;
}

// Every case on a hand that makes every move but answering a modal box.
inline void ExpectEveryMove(Hand& hand) {
    const std::vector<size_t> done = RunAll(hand);
    for (size_t n = 0; n + 1 < done.size(); ++n) {  // the last answers a box
        size_t steps = 0;
        for (const auto& part : Cases()[n].steps) steps += part.size();
        EXPECT_EQ(done[n], steps) << Cases()[n].name;
    }
}

// A worker's queued calls run on the main thread in order, the waiting one
// before the worker goes on, and its event wakes a wait that would otherwise
// block for good (a watchdog's late post ends it, so the test fails instead
// of hanging).
inline void ExpectWorkersHandOver() {
    std::vector<int> order;  // written on the main thread until the event
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        RunOnMainThread([&order] { order.push_back(OnMainThread() ? 1 : -1); });
        RunOnMainThreadAndWait([&order] { order.push_back(OnMainThread() ? 2 : -2); });
        order.push_back(3);
        PostControlEvent(21, EventType::LeftClick);
        for (int i = 0; i < 1000 && !stop; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!stop) PostControlEvent(1000, EventType::LeftClick);
    });
    Event e;
    do e = WaitEvent();
    while (e.kind == Event::Other);
    stop = true;
    worker.join();
    EXPECT_EQ(std::pair(e.kind, e.id), std::pair(Event::Control, 21)) << "the wait was not woken";
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

}  // namespace windowcases
