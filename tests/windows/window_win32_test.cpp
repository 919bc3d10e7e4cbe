// The Win32 window service on real windows: the window service's table and
// the tree rows' table with Win32 messages for the user's moves, and what
// only Win32 has: the modal dialog's keys, the system's own ids and focus
// reports, fonts and pixels as drawn, the tree as its list view shows it,
// a hundred thousand lines, the worker's hand-over.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <thread>

#include "platform/window.h"
#include "support/tree_row_cases.h"
#include "window_fixture.h"

namespace {

using namespace platform;
using namespace windowtest;

TEST_F(Win32Window, KeepsTheWindowServicesTable) { windowcases::ExpectEveryMove(*this); }

TEST_F(Win32Window, TheDialogIsModalAndReturnPressesItsDefaultButtonOnce) {
    const int dialog = OpenDialog("Ask", 300, 95);
    HWND box = FindWindowW(L"VellumWindow", L"Ask");
    EXPECT_EQ(ClientSize(box), "300x95");
    EXPECT_FALSE(IsWindowEnabled(main_));
    ASSERT_TRUE(CreateControl(dialog, 101, ControlKind::Field, 10, 30, 280, 20, "text"));
    ASSERT_TRUE(CreateControl(dialog, 102, ControlKind::DefaultButton, 60, 60, 80, 25, "OK"));
    ASSERT_TRUE(CreateControl(dialog, 103, ControlKind::Button, 150, 60, 80, 25, "Cancel"));
    platform::SetFocus(101);
    Pending();
    // Tabbed onto Cancel, which the system then makes the default button:
    // Return still presses OK, once however long held.
    PostMessageW(GetDlgItem(box, 101), WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(GetDlgItem(box, 101), WM_KEYDOWN, VK_TAB, 0);
    Pending();
    HWND cancel = GetDlgItem(box, 103);
    ASSERT_EQ(GetFocus(), cancel);
    PostMessageW(cancel, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(cancel, WM_KEYDOWN, VK_RETURN, 0x40000000);
    EXPECT_EQ(Pending(), "102:click@" + std::to_string(dialog));
    CloseDialog(dialog);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(IsWindowEnabled(main_));
}

TEST_F(Win32Window, TheSystemsOwnIdsClickNothingAndFieldsReportTheirFocus) {
    // Buttons 1 and 2 share their ids with IDOK and IDCANCEL.
    ASSERT_TRUE(CreateControl(0, 1, ControlKind::Button, 10, 30, 80, 20, "One"));
    ASSERT_TRUE(CreateControl(0, 2, ControlKind::Button, 90, 30, 80, 20, "Two"));
    ASSERT_TRUE(CreateControl(0, 5, ControlKind::Field, 80, 9, 330, 20, "start"));
    ASSERT_TRUE(CreateControl(0, 6, ControlKind::Field, 80, 321, 280, 20, ""));
    ASSERT_TRUE(CreateControl(0, 50, ControlKind::Editor, 10, 60, 280, 100, ""));
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        PostMessageW(Item(1), WM_KEYDOWN, key, 0);
        PostMessageW(Item(1), WM_KEYUP, key, 0xC0000000);
    }
    EXPECT_EQ(Pending(), "");
    // Focus moving between fields is reported; onto a button it is not.
    platform::SetFocus(5);
    Pending();
    platform::SetFocus(6);
    platform::SetFocus(50);
    ::SetFocus(Item(1));
    EXPECT_EQ(Pending(), "5:out 6:in 6:out 50:in 50:out");
}

TEST_F(Win32Window, InputDuringACommandIsDroppedAndACloseEndsIt) {
    ASSERT_TRUE(CreateControl(0, 1, ControlKind::Button, 10, 30, 80, 20, "One"));
    ASSERT_TRUE(CreateControl(0, 5, ControlKind::Field, 80, 9, 330, 20, ""));
    platform::SetFocus(5);
    Pending();
    // Typed and clicked while the command runs: acted on neither then nor later.
    PostMessageW(Item(5), WM_CHAR, L'x', 0);
    PostMessageW(Item(1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(Item(1), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(KeepPainted());
    EXPECT_EQ(Pending(), "");
    EXPECT_EQ(GetText(5), "");
    // The close box ends the command; the dialog's wait and the main loop's
    // then both answer Close.
    PostMessageW(main_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(KeepPainted());
    for (int i = 0; i < 2; ++i) EXPECT_EQ(WaitEvent().kind, Event::Close);
}

TEST_F(Win32Window, OverlapsAndFocusFollowCreationOrder) {
    ASSERT_TRUE(CreateControl(0, 5, ControlKind::Label, 10, 323, 120, 20, "Local"));
    ASSERT_TRUE(CreateControl(0, 6, ControlKind::Field, 80, 321, 280, 20, "folder"));
    ASSERT_TRUE(CreateControl(0, 7, ControlKind::Button, 360, 321, 80, 20, "Choose"));
    // Where the two overlap, the field is drawn: the label lies below it.
    bool fieldAbove = false;
    for (HWND w = GetWindow(Item(6), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        fieldAbove |= w == Item(5);
    EXPECT_TRUE(fieldAbove);

    // A disabled control hands its focus on, in creation order.
    platform::SetFocus(6);
    SetEnabled(6, false);
    EXPECT_EQ(GetFocus(), Item(7));
}

// A control's caption in the font it draws with: its width and the font's height.
std::pair<int, LONG> Drawn(HWND control) {
    wchar_t text[128] = {};
    const int n = GetWindowTextW(control, text, 128);
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text, n, &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {size.cx, metrics.tmHeight - metrics.tmInternalLeading};
}

TEST_F(Win32Window, CaptionsTooLongForTheirControlTakeASmallerFont) {
    ASSERT_TRUE(CreateControl(0, 5, ControlKind::Label, 10, 323, 120, 20, "Local repositery"));
    ASSERT_TRUE(CreateControl(0, 6, ControlKind::Field, 80, 321, 280, 20, ""));
    ASSERT_TRUE(CreateControl(0, 12, ControlKind::Button, 350, 390, 90, 20, "Veuillez patienter"));
    ASSERT_TRUE(CreateControl(0, 13, ControlKind::Button, 350, 370, 90, 20, "Nettoyer"));
    ASSERT_TRUE(CreateControl(0, 18, ControlKind::CheckBox, 10, 370, 250, 20,
                              "Syst\xC3\xA8me d'authentification de SVN, bien entendu"));
    const LONG desktop = Drawn(Item(6)).second;  // a field keeps the dialog font
    HDC screen = GetDC(nullptr);
    const LONG minimum = MulDiv(7, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    RECT field;
    GetWindowRect(Item(6), &field);
    auto room = [](HWND w, LONG right) {
        RECT r;
        GetWindowRect(w, &r);
        return std::min(r.right, right) - r.left;
    };
    // Each fits the room left to it, a label up to the field over it, in the
    // dialog font where it can and never below 7 points.
    for (auto [id, right] :
         {std::pair(5, field.left), std::pair(12, LONG_MAX), std::pair(18, LONG_MAX)}) {
        const auto [width, height] = Drawn(Item(id));
        EXPECT_LE(width, room(Item(id), right)) << id;
        EXPECT_LT(height, desktop) << id;
        EXPECT_GE(height, minimum) << id;
    }
    EXPECT_EQ(Drawn(Item(13)).second, desktop);
    // A short caption again: the dialog font again.
    SetText(12, "OK");
    EXPECT_EQ(Drawn(Item(12)).second, desktop);
}

// The rows the tree's list view shows, as it asks for them: "text/depth".
// Each is indented one step per depth, and one more for the glyphs once any
// row has a parent.
std::vector<std::string> Shown(HWND tree, bool nested) {
    std::vector<std::string> out;
    for (int i = 0; i < ListView_GetItemCount(tree); ++i) {
        wchar_t text[64] = {};
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_INDENT;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = 64;
        ListView_GetItem(tree, &item);
        out.push_back(Narrowed(text) + "/" + std::to_string(item.iIndent - (nested ? 1 : 0)));
    }
    return out;
}

TEST_F(Win32Window, TreeKeepsTheTreeRowsContractInWhatItsListViewShows) {
    ASSERT_TRUE(CreateControl(0, 22, ControlKind::Tree, 10, 70, 430, 250, ""));
    EXPECT_GT(CreateImage(std::vector<uint32_t>(256, 0xFF00FF00u).data()), 0);
    Pending();
    treecases::ServiceRows rows{22};
    for (const treecases::Case& c : treecases::Cases()) {
        const std::string got = treecases::Run(rows, c);  // "?": a fold, which it can't
        EXPECT_EQ(got == "?" ? c.rows : got, c.rows) << c.name;
        // The rows whose parents are all open, as the service tells them.
        std::vector<std::string> told;
        std::vector<bool> open;  // per depth: the way down is open
        bool nested = false;
        int selected = -1;  // the selected row's place among those shown
        for (int r = 0; r < TreeCount(22); ++r) {
            const int depth = TreeDepth(22, r);
            nested = nested || depth > 0;
            open.resize(depth + 1);
            if (depth == 0 || open[depth - 1]) {
                if (r == TreeSelectedRow(22)) selected = static_cast<int>(told.size());
                told.push_back(TreeText(22, r) + "/" + std::to_string(depth));
            }
            open[depth] = (depth == 0 || open[depth - 1]) && TreeExpanded(22, r);
        }
        EXPECT_EQ(Pending(), "") << c.name;  // the program's own changes say nothing
        EXPECT_EQ(Shown(Item(22), nested), told) << c.name;
        EXPECT_EQ(ListView_GetNextItem(Item(22), -1, LVNI_SELECTED), selected) << c.name;
    }
}

TEST_F(Win32Window, ClicksInTheTreeSelectTheItemUnderThePointerFirst) {
    ASSERT_TRUE(CreateControl(0, 22, ControlKind::Tree, 10, 70, 430, 250, ""));
    TreeAddItem(22, 0, "first", 0, 0);
    TreeAddItem(22, 1, "second", 0, 0);
    HWND tree = Item(22);
    ShowWindow(main_, SW_SHOW);
    EXPECT_EQ(ClickTreeAt(1, NM_RCLICK), "22:change 22:right");
    EXPECT_EQ(TreeSelectedRow(22), 1);
    // Return on the row is its double click; the Menu key (a context menu
    // asked for with no place) its right click. The mouse's has its own
    // notification, above.
    PostMessageW(tree, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(tree, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree), MAKELPARAM(-1, -1));
    PostMessageW(tree, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree), MAKELPARAM(5, 5));
    EXPECT_EQ(Pending(), "22:double 22:right");
    EXPECT_EQ(TreeSelectedRow(22), 1);
    // A double click on empty space reports the click with nothing selected.
    EXPECT_EQ(ClickTreeAt(1, NM_DBLCLK, 100), "22:change 22:double");
    EXPECT_EQ(TreeSelectedRow(22), -1);
}

TEST_F(Win32Window, AWindowOfItsOwnStaysBesideTheMainOneItsListFillingItsWidth) {
    const int own = OpenWindow("Log", 300, 200);
    HWND w = FindWindowW(L"VellumWindow", L"Log");
    EXPECT_EQ(ClientSize(w), "300x200");
    EXPECT_TRUE(IsWindowEnabled(main_));
    ASSERT_TRUE(CreateControl(own, 40, ControlKind::List, 10, 10, 280, 100, "Revisions"));
    SetAnchors(40, AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);
    ListSetColumns(40, {{"Rev", 60}, {"Author", 100}, {"Message", 50}});
    ListAppend(40, {{"3", "anne", "caf\xC3\xA9"}, {"2", "bob"}});
    HWND list = GetDlgItem(w, 40);
    // The last column takes what is left, as the window grows too; the
    // cells as drawn are what the program reads.
    for (int grown : {0, 100}) {
        if (grown) Resize(own, 300 + grown, 200);
        RECT client;
        GetClientRect(list, &client);
        EXPECT_EQ(ListView_GetColumnWidth(list, 2), client.right - 160) << grown;
    }
    for (auto [row, column] : {std::pair(0, 2), std::pair(1, 1), std::pair(1, 2)}) {
        wchar_t drawn[64] = {};
        ListView_GetItemText(list, row, column, drawn, 64);
        EXPECT_EQ(Narrowed(drawn), ListText(40, row, column)) << row << "," << column;
    }
    ListClear(40);
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    SetForegroundWindow(main_);
    RaiseWindow(own);
    EXPECT_EQ(GetForegroundWindow(), w);
    EXPECT_TRUE(IsChild(w, GetFocus()));
    // Closed beside a modal dialog, it leaves the main window disabled.
    const int dialog = OpenDialog("Ask", 300, 95);
    CloseDialog(own);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(IsWindowEnabled(main_));
    CloseDialog(dialog);
}

TEST_F(Win32Window, TheTextReadsBackWithLineFeedsKeepsTheFocusAndHasAFixedPitch) {
    ASSERT_TRUE(CreateControl(0, 31, ControlKind::Text, 10, 10, 430, 300, "Differences"));
    TextAppend(31, "-old\r\n", TextStyle::Removed);
    Pending();  // the loop puts the runs in
    EXPECT_EQ(GetText(31), "-old\n");
    platform::SetFocus(31);
    SetText(31, "new");
    EXPECT_EQ(GetFocus(), Item(31));
    CHARFORMAT2W f{};
    f.cbSize = sizeof f;
    SendMessageW(Item(31), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    HFONT font =
        CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, f.szFaceName);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    DeleteObject(SelectObject(dc, old));
    ReleaseDC(nullptr, dc);
    // The flag's name says the opposite of what it means.
    EXPECT_FALSE(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) << Narrowed(f.szFaceName);
}

TEST_F(Win32Window, TheEditorKeepsWindowsLinesAndADroppedListTakesEscape) {
    const int dialog = OpenDialog("Comment", 300, 200);
    ASSERT_TRUE(CreateControl(dialog, 50, ControlKind::Editor, 10, 10, 280, 100, "Comment"));
    ASSERT_TRUE(CreateControl(dialog, 52, ControlKind::Choice, 100, 120, 80, 25, "Recent"));
    HWND box = FindWindowW(L"VellumWindow", L"Comment"), choice = GetDlgItem(box, 52);
    SetText(50, "caf\xC3\xA9\n2\n");
    wchar_t inside[16] = {};
    GetWindowTextW(GetDlgItem(box, 50), inside, 16);
    EXPECT_STREQ(inside, L"caf\u00E9\r\n2\r\n");
    ChoiceSetItems(52, {"first", "second"});
    Pending();
    SendMessageW(choice, CB_SHOWDROPDOWN, TRUE, 0);
    PostMessageW(choice, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(choice, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Pending(), "close@" + std::to_string(dialog));
}

// Row `row`'s tick box as drawn: a box with its tick has more ink than an
// empty one, no box none; the "1" is never drawn.
TEST_F(Win32Window, TickBoxesAreDrawnAsBoxesNotTexts) {
    ASSERT_TRUE(CreateControl(0, 30, ControlKind::List, 10, 10, 430, 200, "Changes"));
    ListSetColumns(30, {{"", 24, true}, {"Path", 200}});
    ListAppend(30, {{"1", "a"}, {"0", "b"}, {"", "c"}});
    HWND list = Item(30);
    ShowWindow(main_, SW_SHOW);
    Pending();
    UpdateWindow(list);
    int inked[3] = {};
    HDC dc = GetDC(list);
    for (int row = 0; row < 3; ++row)
        for (RECT r = CellRect(list, row, 0); r.left < r.right; ++r.left)
            for (int y = r.top; y < r.bottom; ++y)
                inked[row] += GetPixel(dc, r.left, y) != ListView_GetBkColor(list);
    ReleaseDC(list, dc);
    EXPECT_TRUE(inked[0] > inked[1] && inked[1] > 0 && inked[2] == 0);
    wchar_t drawn[4] = L"?";
    ListView_GetItemText(list, 0, 0, drawn, 4);
    EXPECT_STREQ(drawn, L"");
}

TEST_F(Win32Window, AHundredThousandLinesGoInAndOutQuickly) {
    ASSERT_TRUE(CreateControl(0, 30, ControlKind::List, 10, 10, 430, 150, "Log"));
    ASSERT_TRUE(CreateControl(0, 31, ControlKind::Text, 10, 170, 430, 150, "Differences"));
    ListSetColumns(30, {{"Rev", 60}, {"Message", 100}});
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 2000; ++i) rows.push_back({std::to_string(i), "a message"});
    const TextStyle styles[] = {TextStyle::Plain, TextStyle::Added, TextStyle::Removed};
    // Batches of 2,000 lines, a run each, the loop coming round after each.
    auto timed = [this](auto batch) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 50; ++i) {
            batch();
            Pending();
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    const double text = timed([&] {
        for (int line = 0; line < 2000; ++line)
            TextAppend(31, "+ a line of a long file, number " + std::to_string(line) + "\n",
                       styles[line % 3]);
    });
    const double list = timed([&] { ListAppend(30, rows); });
    EXPECT_GE(SendMessageW(Item(31), EM_GETLIMITTEXT, 0, 0), 100000 * 40);
    const std::string all = GetText(31);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 100000);
    EXPECT_EQ(ListView_GetItemCount(Item(30)), 100000);
    EXPECT_EQ(ListText(30, 99999, 0), "1999");
    const auto start = std::chrono::steady_clock::now();
    SetText(31, "");
    EXPECT_EQ(GetText(31), "");
    const auto end = std::chrono::steady_clock::now();
    const double cleared = std::chrono::duration<double>(end - start).count();
    std::printf("100,000 lines: text %.2f s, list %.2f s; text cleared in %.2f s\n", text, list,
                cleared);
    // Seconds, even on a busy machine; a message per run took minutes under Wine.
    EXPECT_LT(text + list + cleared, 60.0);
}

TEST_F(Win32Window, WorkersHandOverToTheMainThread) { windowcases::ExpectWorkersHandOver(); }

}  // namespace
