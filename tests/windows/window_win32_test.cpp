// The Win32 window service on real windows: controls and their events, the
// tree against what its list view shows, the modal dialog, windows of their
// own, the report list and the styled text, thread hand-over.
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
#include "window_fixture.h"

namespace {

using namespace platform;
using namespace windowtest;

TEST_F(Win32Window, TheDialogIsModalAndAnswersOnlyByItsButtonsAndReturn) {
    ASSERT_TRUE(CreateControl(0, 3, ControlKind::Button, 310, 30, 130, 20, "Main"));
    const int dialog = OpenDialog("Ask", 300, 95);
    ASSERT_GT(dialog, 0);
    HWND box = FindWindowW(L"VellumWindow", L"Ask");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ClientSize(box), "300x95");
    EXPECT_FALSE(IsWindowEnabled(main_));
    ASSERT_TRUE(CreateControl(dialog, 101, ControlKind::Field, 10, 30, 280, 20, "text"));
    ASSERT_TRUE(CreateControl(dialog, 102, ControlKind::DefaultButton, 60, 60, 80, 25, "OK"));
    ASSERT_TRUE(CreateControl(dialog, 103, ControlKind::Button, 150, 60, 80, 25, "Cancel"));
    platform::SetFocus(101);
    Pending();
    // Tabbed onto Cancel, which the system then makes the default button:
    // Return still presses OK, once however long held; Escape asks to close.
    PostMessageW(GetDlgItem(box, 101), WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(GetDlgItem(box, 101), WM_KEYDOWN, VK_TAB, 0);
    Pending();
    HWND cancel = GetDlgItem(box, 103);
    ASSERT_EQ(GetFocus(), cancel);
    PostMessageW(cancel, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(cancel, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(cancel, WM_KEYDOWN, VK_RETURN, 0x40000000);
    PostMessageW(box, WM_CLOSE, 0, 0);
    const std::string d = std::to_string(dialog);
    EXPECT_EQ(Pending(), "close@" + d + " 102:click@" + d + " close@" + d);

    CloseDialog(dialog);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_FALSE(ControlExists(101));
    EXPECT_TRUE(ControlExists(3));
    EXPECT_TRUE(IsWindowEnabled(main_));
}

TEST_F(Win32Window, ControlsReportTheUsersActsAndNotTheProgramsOwn) {
    // Buttons 1 and 2 share their ids with IDOK and IDCANCEL.
    ASSERT_TRUE(CreateControl(0, 0, ControlKind::Label, 10, 11, 80, 20, "Label"));
    ASSERT_TRUE(CreateControl(0, 1, ControlKind::Button, 10, 30, 80, 20, "One"));
    ASSERT_TRUE(CreateControl(0, 2, ControlKind::Button, 90, 30, 80, 20, "Two"));
    ASSERT_TRUE(CreateControl(0, 5, ControlKind::Field, 80, 9, 330, 20, "start"));
    ASSERT_TRUE(CreateControl(0, 6, ControlKind::Field, 80, 321, 280, 20, ""));
    ASSERT_TRUE(CreateControl(0, 18, ControlKind::CheckBox, 10, 370, 250, 20, "Box"));
    ASSERT_TRUE(CreateControl(0, 20, ControlKind::Link, 420, 11, 20, 20, "Go"));
    Pending();

    SetText(5, "caf\xC3\xA9");
    SetCheck(18, 1);
    EXPECT_EQ(Pending(), "");
    EXPECT_EQ(GetText(5), "caf\xC3\xA9");
    EXPECT_EQ(GetCheck(18), 1);

    SetWindowTextW(Item(5), L"typed");  // as the edit control does for a keystroke
    SendMessageW(Item(1), BM_CLICK, 0, 0);
    SendMessageW(Item(18), BM_CLICK, 0, 0);
    SendMessageW(Item(20), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(Pending(), "5:change 1:click 18:click 20:click");
    EXPECT_EQ(GetCheck(18), 0);  // the box toggles itself

    // Focus moving between fields is reported; onto a button it is not.
    platform::SetFocus(5);
    Pending();
    platform::SetFocus(6);
    ::SetFocus(Item(1));
    EXPECT_EQ(Pending(), "5:out 6:in 6:out");

    // Return and Escape on button 1 click nothing, Return in a field reports
    // it; then a menu choice and the close box, which leaves the closing to
    // the program.
    for (HWND target : {Item(1), Item(5)}) {
        for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
            PostMessageW(target, WM_KEYDOWN, key, 0);
            PostMessageW(target, WM_KEYUP, key, 0xC0000000);
        }
    }
    PostMessageW(main_, WM_COMMAND, MAKEWPARAM(7, 0), 0);
    PostMessageW(main_, WM_CLOSE, 0, 0);
    EXPECT_EQ(Pending(), "5:activate menu 7 close");
    EXPECT_TRUE(IsWindow(main_));
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

// The rows the tree's list view shows, as it asks for them: "text/indent".
std::vector<std::string> Shown(HWND tree) {
    std::vector<std::string> out;
    for (int i = 0; i < ListView_GetItemCount(tree); ++i) {
        wchar_t text[64] = {};
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_INDENT;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = 64;
        ListView_GetItem(tree, &item);
        out.push_back(Narrowed(text) + "/" + std::to_string(item.iIndent));
    }
    return out;
}

TEST_F(Win32Window, TreeRowsFollowTheTreeViewsOwnOrder) {
    ASSERT_TRUE(CreateControl(0, 22, ControlKind::Tree, 10, 70, 430, 250, ""));
    const ImageHandle image = CreateImage(std::vector<uint32_t>(256, 0xFF00FF00u).data());
    EXPECT_GT(image, 0);
    // Folders listed, one opened in the middle, one of its children opened in
    // turn, an item whose parent is missing, and a row that would cut a parent
    // from its children (it goes after the parent's last descendant).
    struct {
        int row;
        const char* text;
        ImageHandle image;
        int depth;
    } const added[] = {{0, "a", image, 0},  {1, "b", image, 0},  {2, "c", 0, 0},
                       {2, "b1", image, 1}, {3, "b2", image, 1}, {3, "b1x", 0, 2},
                       {1, "a1", 0, 1},     {0, "orphan", 0, 3}, {5, "b3", 0, 1}};
    for (const auto& a : added) TreeAddItem(22, a.row, a.text, a.image, a.depth);

    const std::vector<std::string> expected = {"orphan/0", "a/0",  "a1/1", "b/0", "b1/1",
                                               "b1x/2",    "b2/1", "b3/1", "c/0"};
    std::vector<std::string> rows;
    for (int r = 0; r < TreeCount(22); ++r)
        rows.push_back(TreeText(22, r) + "/" + std::to_string(TreeDepth(22, r)));
    EXPECT_EQ(rows, expected);

    // Selecting from the program opens the way to the row and says nothing;
    // the list view shows the open rows, each indented one step for the
    // glyphs and one per depth.
    Pending();
    TreeSelect(22, 5);
    EXPECT_EQ(TreeSelectedRow(22), 5);
    EXPECT_TRUE(TreeExpanded(22, 4));
    EXPECT_EQ(Pending(), "");
    EXPECT_EQ(Shown(Item(22)), (std::vector<std::string>{"orphan/1", "a/1", "b/1", "b1/2", "b1x/3",
                                                         "b2/2", "b3/2", "c/1"}));
    EXPECT_EQ(ListView_GetNextItem(Item(22), -1, LVNI_SELECTED), 4);
    TreeClear(22);
    EXPECT_EQ(TreeCount(22), 0);
    EXPECT_EQ(TreeSelectedRow(22), -1);
}

TEST_F(Win32Window, ClicksInTheTreeSelectTheItemUnderThePointerFirst) {
    ASSERT_TRUE(CreateControl(0, 22, ControlKind::Tree, 10, 70, 430, 250, ""));
    TreeAddItem(22, 0, "first", 0, 0);
    TreeAddItem(22, 1, "second", 0, 0);
    HWND tree = Item(22);
    ShowWindow(main_, SW_SHOW);
    Pending();  // the list view hears of the rows once the loop comes round
    RECT item;
    ListView_GetItemRect(tree, 1, &item, LVIR_LABEL);
    // The tree's notification with the pointer at (x, y); the last event it gave.
    auto clickAt = [&](LONG x, LONG y, int code) {
        POINT at{x, y};
        ClientToScreen(tree, &at);
        SetCursorPos(at.x, at.y);
        Pending();
        NMHDR click{tree, 22, static_cast<UINT>(code)};
        SendMessageW(main_, WM_NOTIFY, 22, reinterpret_cast<LPARAM>(&click));
        const std::string seen = Pending();
        return seen.substr(seen.find_last_of(' ') + 1);
    };
    EXPECT_EQ(clickAt((item.left + item.right) / 2, (item.top + item.bottom) / 2, NM_RCLICK),
              "22:right");
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
    EXPECT_EQ(clickAt(item.left + 5, item.bottom + 100, NM_DBLCLK), "22:double");
    EXPECT_EQ(TreeSelectedRow(22), -1);
}

TEST_F(Win32Window, AWindowOfItsOwnStaysBesideTheMainOneAndLaysOutItsControls) {
    const int own = OpenWindow("Log", 300, 200);
    ASSERT_GT(own, 0);
    HWND w = FindWindowW(L"VellumWindow", L"Log");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ClientSize(w), "300x200");
    EXPECT_TRUE(IsWindowEnabled(main_));
    ASSERT_TRUE(CreateControl(own, 40, ControlKind::List, 10, 10, 280, 100, "Revisions"));
    ASSERT_TRUE(CreateControl(own, 41, ControlKind::Text, 10, 115, 280, 50, "Message"));
    ASSERT_TRUE(CreateControl(own, 42, ControlKind::Button, 210, 170, 80, 20, "Close"));
    ASSERT_TRUE(CreateControl(own, 43, ControlKind::Button, 10, 170, 80, 20, "Stays"));
    SetAnchors(40, AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);
    SetAnchors(41, AnchorLeft | AnchorRight | AnchorBottom);
    SetAnchors(42, AnchorRight | AnchorBottom);
    ListSetColumns(40, {{"Rev", 60}, {"Message", 50}});
    RECT outer;
    GetWindowRect(w, &outer);
    const int frameW = outer.right - outer.left - 300, frameH = outer.bottom - outer.top - 200;
    // 100 wider and 50 taller; then smaller than it opened, which it refuses.
    SetWindowPos(w, nullptr, 0, 0, 400 + frameW, 250 + frameH, SWP_NOMOVE | SWP_NOZORDER);
    const struct {
        int id;
        const char* place;
    } placed[] = {
        {40, "10,10 380x150"}, {41, "10,165 380x50"}, {42, "310,220 80x20"}, {43, "10,170 80x20"}};
    for (const auto& p : placed) EXPECT_EQ(Place(GetDlgItem(w, p.id)), p.place) << p.id;
    RECT listClient;
    GetClientRect(GetDlgItem(w, 40), &listClient);
    EXPECT_EQ(ListView_GetColumnWidth(GetDlgItem(w, 40), 1), listClient.right - 60);
    SetWindowPos(w, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(ClientSize(w), "300x200");

    // Tab goes on from the list and from the text; Escape in either and the
    // close box ask it to close.
    platform::SetFocus(40);
    PostMessageW(GetDlgItem(w, 40), WM_KEYDOWN, VK_TAB, 0);
    Pending();
    EXPECT_EQ(GetFocus(), GetDlgItem(w, 41));
    PostMessageW(GetDlgItem(w, 41), WM_KEYDOWN, VK_TAB, 0);
    Pending();
    EXPECT_EQ(GetFocus(), GetDlgItem(w, 42));
    PostMessageW(GetDlgItem(w, 41), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(GetDlgItem(w, 40), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(w, WM_CLOSE, 0, 0);
    const std::string o = "close@" + std::to_string(own);
    EXPECT_EQ(Pending(), o + " " + o + " " + o);

    SetWindowTitle(own, "Log 2");
    wchar_t title[16] = {};
    GetWindowTextW(w, title, 16);
    EXPECT_STREQ(title, L"Log 2");
    SetForegroundWindow(main_);
    RaiseWindow(own);
    EXPECT_EQ(GetForegroundWindow(), w);
    EXPECT_TRUE(IsChild(w, GetFocus()));

    // Beside a modal dialog it still takes input; closed, it leaves the main
    // window disabled.
    const int dialog = OpenDialog("Ask", 300, 95);
    EXPECT_NE(dialog, own);
    PostMessageW(GetDlgItem(w, 43), BM_CLICK, 0, 0);
    EXPECT_EQ(Pending(), "43:click@" + std::to_string(own));
    CloseDialog(own);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(ControlExists(40));
    EXPECT_FALSE(IsWindowEnabled(main_));
    CloseDialog(dialog);
}

TEST_F(Win32Window, TheListShowsItsRowsAndReportsOnlyTheUsersMoves) {
    ASSERT_TRUE(CreateControl(0, 30, ControlKind::List, 10, 10, 430, 200, "Revisions"));
    ListSetColumns(30, {{"Rev", 60}, {"Author", 100}, {"Message", 50}});
    ListAppend(30, {{"3", "anne", "caf\xC3\xA9"}, {"2", "bob"}, {"1", "cy", "first"}});
    HWND list = Item(30);
    RECT client;
    GetClientRect(list, &client);
    EXPECT_EQ(ListView_GetColumnWidth(list, 2), client.right - 160);
    // As the list view draws them and as the program reads them.
    const struct {
        int row, column;
        const char* text;
    } cells[] = {{0, 2, "caf\xC3\xA9"}, {1, 1, "bob"}, {1, 2, ""}, {2, 0, "1"}};
    for (const auto& c : cells) {
        wchar_t drawn[64] = {};
        ListView_GetItemText(list, c.row, c.column, drawn, 64);
        EXPECT_EQ(Narrowed(drawn), c.text) << c.row << "," << c.column;
        EXPECT_EQ(ListText(30, c.row, c.column), c.text) << c.row << "," << c.column;
    }
    platform::SetFocus(30);
    Pending();
    // The program's own selection and rows say nothing and move nothing.
    ListSelect(30, 1);
    ListAppend(30, {{"0", "dee", "root"}});
    EXPECT_EQ(Pending(), "");
    EXPECT_EQ(ListCount(30), 4);
    EXPECT_EQ(ListSelectedRow(30), 1);
    // Down moves the selection, Return and a double click act on it.
    PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(Pending(), "30:change 30:double");
    EXPECT_EQ(ListSelectedRow(30), 2);
    NMHDR click{list, 30, static_cast<UINT>(NM_DBLCLK)};
    SendMessageW(main_, WM_NOTIFY, 30, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(Pending(), "30:double");
    ListSelect(30, -1);
    EXPECT_EQ(ListSelectedRow(30), -1);
    ListSelect(30, 3);
    ListClear(30);
    EXPECT_EQ(Pending(), "");
    EXPECT_EQ(ListCount(30), 0);
    EXPECT_EQ(ListView_GetItemCount(list), 0);
}

TEST_F(Win32Window, TheTextDrawsEachRunInItsStyleAndReadsBackWithLineFeeds) {
    ASSERT_TRUE(CreateControl(0, 31, ControlKind::Text, 10, 10, 430, 300, "Differences"));
    TextAppend(31, "Index: a\n", TextStyle::Heading);
    TextAppend(31, "-old\r\n", TextStyle::Removed);
    TextAppend(31, "+new\n", TextStyle::Added);
    TextAppend(31, " same\n", TextStyle::Plain);
    // Characters of each run, as drawn.
    const struct {
        LONG at;
        const char* look;
    } runs[] = {{0, "blue bold"}, {8, "blue bold"}, {9, "red"}, {14, "green"}, {19, "plain"}};
    Pending();  // the loop puts the runs in
    for (const auto& run : runs) EXPECT_EQ(Look(Item(31), run.at), run.look) << run.at;
    // The user can't type into it; the program replaces it all, plain.
    PostMessageW(Item(31), WM_CHAR, L'x', 0);
    Pending();
    EXPECT_EQ(GetText(31), "Index: a\n-old\n+new\n same\n");
    const std::string replaced = "Z\xC3\xBCrich {a}\\b\tc \xF0\x9F\x98\x80\nline 2";
    platform::SetFocus(31);
    SetText(31, replaced);
    EXPECT_EQ(GetFocus(), Item(31));
    EXPECT_EQ(GetText(31), replaced);
    EXPECT_EQ(Look(Item(31), 0), "plain");
    // In a font of fixed pitch.
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
    EXPECT_FALSE(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) << Narrowed(f.szFaceName);
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

TEST_F(Win32Window, WorkersHandOverToTheMainThread) {
    // A worker's event wakes a wait that would otherwise block for good; its
    // calls run on the main thread, in order, the waiting one before it goes on.
    std::vector<int> order;  // written on the main thread until the event
    std::thread worker([&order] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        RunOnMainThread([&order] { order.push_back(OnMainThread() ? 1 : -1); });
        RunOnMainThreadAndWait([&order] { order.push_back(OnMainThread() ? 2 : -2); });
        order.push_back(3);
        PostControlEvent(21, EventType::LeftClick);
    });
    Event e;
    do e = WaitEvent();
    while (e.kind == Event::Other);
    worker.join();
    EXPECT_TRUE(e.kind == Event::Control && e.id == 21);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

}  // namespace
