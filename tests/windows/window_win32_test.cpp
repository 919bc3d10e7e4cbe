// The Win32 window service on real windows: the frame, the controls and the
// events they report, the tree's rows against the tree view's own order, the
// dialog's modality, and the hand-over between threads.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/window.h"

namespace {

using namespace platform;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Marks the end of the messages posted so far: its procedure sets the flag
// the message points to.
LRESULT CALLBACK MarkerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) *reinterpret_cast<bool*>(lParam) = true;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class Win32Window : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(InitWindowing());
        WNDCLASSW wc{};
        wc.lpfnWndProc = MarkerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VellumTestMarker";
        RegisterClassW(&wc);
    }
    static void TearDownTestSuite() { ShutdownWindowing(); }

    void SetUp() override {
        ASSERT_TRUE(OpenMainWindow("Main", 450, 430));
        main_ = FindWindowW(L"VellumWindow", L"Main");
        marker_ = CreateWindowW(L"VellumTestMarker", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    }
    void TearDown() override {
        DestroyWindow(marker_);
        // A fresh main window for the next test.
        ShutdownWindowing();
        ASSERT_TRUE(InitWindowing());
    }

    // Handles every message posted and every event queued so far; returns
    // the control, menu and close events among them.
    std::vector<Event> Pending() {
        std::vector<Event> seen;
        auto take = [&seen] {
            Event e = WaitEvent();
            if (e.kind != Event::Other) seen.push_back(e);
        };
        bool posted = false;
        PostMessageW(marker_, WM_USER, 0, reinterpret_cast<LPARAM>(&posted));
        while (!posted) take();
        bool ran = false;
        RunOnMainThread([&ran] { ran = true; });
        while (!ran) take();
        return seen;
    }

    HWND Item(int id) const { return GetDlgItem(main_, id); }

    HWND main_ = nullptr;
    HWND marker_ = nullptr;
};

bool Is(const Event& e, Event::Kind kind, int id, EventType type = EventType::LeftClick) {
    return e.kind == kind && e.id == id && (kind != Event::Control || e.type == type);
}

TEST_F(Win32Window, FrameIsFixedCentredAndOfTheAskedClientSize) {
    RECT client;
    GetClientRect(main_, &client);
    EXPECT_EQ(client.right, 450);
    EXPECT_EQ(client.bottom, 430);
    const LONG style = GetWindowLongW(main_, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    RECT frame, work;
    GetWindowRect(main_, &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);
    EXPECT_FALSE(OpenMainWindow("Again", 10, 10));
}

TEST_F(Win32Window, ControlsReportTheUsersActsAndNotTheProgramsOwn) {
    ASSERT_TRUE(CreateControl(0, 0, ControlKind::Label, 10, 11, 80, 20, "Label"));
    ASSERT_TRUE(CreateControl(0, 1, ControlKind::Field, 80, 9, 330, 20, "start"));
    ASSERT_TRUE(CreateControl(0, 3, ControlKind::Button, 310, 30, 130, 20, "Push"));
    ASSERT_TRUE(CreateControl(0, 18, ControlKind::CheckBox, 10, 370, 250, 20, "Box"));
    ASSERT_TRUE(CreateControl(0, 20, ControlKind::Link, 420, 11, 20, 20, "Go"));
    Pending();

    // The program's own writes are silent.
    SetText(1, "caf\xC3\xA9");
    SetCheck(18, 1);
    EXPECT_TRUE(Pending().empty());
    EXPECT_EQ(GetText(1), "caf\xC3\xA9");
    EXPECT_EQ(GetCheck(18), 1);

    // The user's are reported, in order, with the right types.
    SetWindowTextW(Item(1), L"typed");  // as the edit control does for a keystroke
    SendMessageW(Item(3), BM_CLICK, 0, 0);
    SendMessageW(Item(18), BM_CLICK, 0, 0);
    SendMessageW(Item(20), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    std::vector<Event> seen = Pending();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(Is(seen[0], Event::Control, 1, EventType::Change));
    EXPECT_TRUE(Is(seen[1], Event::Control, 3));
    EXPECT_TRUE(Is(seen[2], Event::Control, 18));
    EXPECT_TRUE(Is(seen[3], Event::Control, 20));
    EXPECT_EQ(GetCheck(18), 0);  // the box toggles itself

    // Focus moving between fields is reported; onto a button it is not.
    ASSERT_TRUE(CreateControl(0, 6, ControlKind::Field, 80, 321, 280, 20, ""));
    platform::SetFocus(1);
    Pending();
    platform::SetFocus(6);
    ::SetFocus(Item(3));
    seen = Pending();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(Is(seen[0], Event::Control, 1, EventType::FocusLost));
    EXPECT_TRUE(Is(seen[1], Event::Control, 6, EventType::FocusGained));
    EXPECT_TRUE(Is(seen[2], Event::Control, 6, EventType::FocusLost));

    // A menu choice and the close box.
    PostMessageW(main_, WM_COMMAND, MAKEWPARAM(7, 0), 0);
    PostMessageW(main_, WM_CLOSE, 0, 0);
    seen = Pending();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(Is(seen[0], Event::Menu, 7));
    EXPECT_EQ(seen[1].kind, Event::Close);
    EXPECT_EQ(seen[1].window, 0);
    EXPECT_TRUE(IsWindow(main_));  // the program decides
}

TEST_F(Win32Window, ReturnAndEscapeInTheMainWindowClickNothing) {
    // Return and Escape reach IsDialogMessage, which answers with IDOK (1)
    // and IDCANCEL (2) naming the focused control: ids that are real
    // controls here.
    ASSERT_TRUE(CreateControl(0, 1, ControlKind::Button, 10, 10, 80, 20, "One"));
    ASSERT_TRUE(CreateControl(0, 2, ControlKind::Button, 10, 40, 80, 20, "Two"));
    platform::SetFocus(1);
    Pending();
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        PostMessageW(Item(1), WM_KEYDOWN, key, 0);
        PostMessageW(Item(1), WM_KEYUP, key, 0xC0000000);
    }
    EXPECT_TRUE(Pending().empty());
}

TEST_F(Win32Window, TheDialogIsModalAndReturnPressesItsDefaultButton) {
    ASSERT_TRUE(CreateControl(0, 3, ControlKind::Button, 310, 30, 130, 20, "Main"));
    const int dialog = OpenDialog("Ask", 300, 95);
    ASSERT_GT(dialog, 0);
    HWND box = FindWindowW(L"VellumWindow", L"Ask");
    ASSERT_NE(box, nullptr);
    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 95);
    EXPECT_FALSE(IsWindowEnabled(main_));

    ASSERT_TRUE(CreateControl(dialog, 101, ControlKind::Field, 10, 30, 280, 20, "text"));
    ASSERT_TRUE(CreateControl(dialog, 102, ControlKind::DefaultButton, 60, 60, 80, 25, "OK"));
    ASSERT_TRUE(CreateControl(dialog, 103, ControlKind::Button, 150, 60, 80, 25, "Cancel"));
    platform::SetFocus(101);
    Pending();
    // Tab to Cancel: the system makes a focused push button the default one,
    // yet Return still presses OK. Escape does nothing.
    PostMessageW(GetDlgItem(box, 101), WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(GetDlgItem(box, 101), WM_KEYDOWN, VK_TAB, 0);
    std::vector<Event> seen = Pending();
    HWND cancel = GetDlgItem(box, 103);
    ASSERT_EQ(GetFocus(), cancel);
    PostMessageW(cancel, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(cancel, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(cancel, WM_KEYDOWN, VK_RETURN, 0x40000000);  // held: repeats press nothing
    seen = Pending();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(Is(seen[0], Event::Control, 102));
    EXPECT_EQ(seen[0].window, dialog);

    PostMessageW(box, WM_CLOSE, 0, 0);
    seen = Pending();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].kind, Event::Close);
    EXPECT_EQ(seen[0].window, dialog);

    CloseDialog(dialog);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_FALSE(ControlExists(101));
    EXPECT_TRUE(ControlExists(3));
    EXPECT_TRUE(IsWindowEnabled(main_));
}

TEST_F(Win32Window, ReplacingAndDisablingControls) {
    ASSERT_TRUE(CreateControl(0, 5, ControlKind::Label, 10, 323, 120, 20, "Local"));
    ASSERT_TRUE(CreateControl(0, 6, ControlKind::Field, 80, 321, 280, 20, "folder"));
    ASSERT_TRUE(CreateControl(0, 7, ControlKind::Button, 360, 321, 80, 20, "Choose"));
    // Where the two overlap, the field is drawn: the label lies below it.
    bool fieldAbove = false;
    for (HWND w = GetWindow(Item(6), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        fieldAbove |= w == Item(5);
    EXPECT_TRUE(fieldAbove);

    // Tab follows creation; a disabled control hands its focus on.
    platform::SetFocus(6);
    SetEnabled(6, false);
    EXPECT_FALSE(IsEnabled(6));
    EXPECT_EQ(GetFocus(), Item(7));
    SetEnabled(6, true);
    EXPECT_TRUE(IsEnabled(6));

    // The same id again replaces the control, in place of the old one.
    HWND old = Item(7);
    ASSERT_TRUE(CreateControl(0, 7, ControlKind::Button, 360, 321, 80, 20, "Stop"));
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(GetText(7), "Stop");
    DestroyControl(7);
    EXPECT_FALSE(ControlExists(7));
    EXPECT_EQ(GetText(7), "");
    SetTooltip(6, "A tip");
    DestroyControl(6);  // with its tool
    EXPECT_FALSE(CreateControl(9, 8, ControlKind::Button, 0, 0, 10, 10, "no window"));
}

// The tree view's items in its own pre-order, with their depths.
void Walk(HWND tree, HTREEITEM item, int depth, std::vector<std::pair<std::string, int>>& out) {
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        wchar_t text[64] = {};
        TVITEMW tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = 64;
        TreeView_GetItem(tree, &tv);
        std::string narrow;
        for (wchar_t* c = text; *c; ++c) narrow += static_cast<char>(*c);
        out.push_back({narrow, depth});
        Walk(tree, TreeView_GetChild(tree, item), depth + 1, out);
    }
}

TEST_F(Win32Window, TreeRowsFollowTheTreeViewsOwnOrder) {
    ASSERT_TRUE(CreateControl(0, 22, ControlKind::Tree, 10, 70, 430, 250, ""));
    const ImageHandle image = CreateImage(std::vector<uint32_t>(256, 0xFF00FF00u).data());
    EXPECT_GT(image, 0);
    // Folders listed, then one opened in the middle, one of its children
    // opened in turn, and an item whose parent is missing.
    TreeAddItem(22, 0, "a", image, 0);
    TreeAddItem(22, 1, "b", image, 0);
    TreeAddItem(22, 2, "c", 0, 0);
    TreeAddItem(22, 2, "b1", image, 1);
    TreeAddItem(22, 3, "b2", image, 1);
    TreeAddItem(22, 3, "b1x", 0, 2);
    TreeAddItem(22, 1, "a1", 0, 1);
    TreeAddItem(22, 0, "orphan", 0, 3);
    // A row that would cut a parent from its children: the item goes after
    // the parent's last descendant.
    TreeAddItem(22, 5, "b3", 0, 1);

    const std::vector<std::pair<std::string, int>> expected = {
        {"orphan", 0}, {"a", 0}, {"a1", 1}, {"b", 0}, {"b1", 1},
        {"b1x", 2},    {"b2", 1}, {"b3", 1}, {"c", 0}};
    std::vector<std::pair<std::string, int>> rows, native;
    for (int r = 0; r < TreeCount(22); ++r) rows.push_back({TreeText(22, r), TreeDepth(22, r)});
    HWND tree = Item(22);
    Walk(tree, TreeView_GetRoot(tree), 0, native);
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(native, expected);

    TreeSetValue(22, 3, 1);
    EXPECT_EQ(TreeValue(22, 3), 1);
    EXPECT_EQ(TreeValue(22, 4), 0);
    EXPECT_EQ(TreeValue(22, 99), 0);

    // Selecting from the program opens the way to the row and says nothing.
    Pending();
    TreeSelect(22, 5);
    EXPECT_EQ(TreeSelectedRow(22), 5);
    EXPECT_TRUE(TreeExpanded(22, 4));
    EXPECT_TRUE(Pending().empty());
    TreeSelect(22, -1);
    EXPECT_EQ(TreeSelectedRow(22), -1);

    // A long text comes back whole up to 4096 characters.
    TreeAddItem(22, TreeCount(22), std::string(5000, 'x'), 0, 0);
    EXPECT_EQ(TreeText(22, TreeCount(22) - 1), std::string(4096, 'x'));

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
    RECT item;
    TreeView_GetItemRect(tree, TreeView_GetNextSibling(tree, TreeView_GetRoot(tree)), &item, TRUE);
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(tree, &at);
    SetCursorPos(at.x, at.y);
    Pending();

    NMHDR click{tree, 22, static_cast<UINT>(NM_RCLICK)};
    SendMessageW(main_, WM_NOTIFY, 22, reinterpret_cast<LPARAM>(&click));
    std::vector<Event> seen = Pending();
    EXPECT_EQ(TreeSelectedRow(22), 1);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(Is(seen.back(), Event::Control, 22, EventType::RightClick));

    // A double click on empty space reports the click with nothing selected.
    POINT empty{item.left + 5, item.bottom + 100};
    ClientToScreen(tree, &empty);
    SetCursorPos(empty.x, empty.y);
    click.code = static_cast<UINT>(NM_DBLCLK);
    SendMessageW(main_, WM_NOTIFY, 22, reinterpret_cast<LPARAM>(&click));
    seen = Pending();
    EXPECT_EQ(TreeSelectedRow(22), -1);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(Is(seen.back(), Event::Control, 22, EventType::DoubleClick));
}

TEST_F(Win32Window, WorkersHandOverToTheMainThread) {
    // A worker's event wakes a wait that would otherwise block for good.
    std::thread poster([] {
        std::this_thread::sleep_for(milliseconds(100));
        PostControlEvent(21, EventType::LeftClick);
    });
    Event e;
    do {
        e = WaitEvent();
    } while (e.kind == Event::Other);
    poster.join();
    EXPECT_TRUE(Is(e, Event::Control, 21));

    // Calls run on the main thread, in order; the waiting one returns after.
    std::vector<int> order;  // written on the main thread until `ran` is 2
    std::atomic<int> ran{0};
    std::thread worker([&] {
        RunOnMainThread([&] {
            order.push_back(OnMainThread() ? 1 : -1);
            ++ran;
        });
        RunOnMainThreadAndWait([&] {
            order.push_back(OnMainThread() ? 2 : -2);
            ++ran;
        });
        order.push_back(3);
    });
    const auto start = steady_clock::now();
    while (ran < 2 && steady_clock::now() - start < std::chrono::seconds(10))
        RunQueuedCalls(5000);  // returns as soon as a call arrives
    worker.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
