// The GTK window service on a real X server: tree rows against the model GTK
// actually holds, program writes versus user edits, exact control geometry,
// hand-overs between threads and input held back during a command.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <thread>

#include "platform/gtk/backend.h"
#include "platform/window.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

constexpr int kSentinel = 999;
constexpr int kTree = 22;

class GtkWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { initialised_ = InitWindowing(); }
    void SetUp() override {
        ASSERT_TRUE(initialised_) << "no X display";
        ASSERT_TRUE(OpenMainWindow("Probe", 450, 430));
    }
    void TearDown() override { ShutdownWindowing(); }

    // Every non-Other event so far, GTK's pending ones handled first, ended by
    // a sentinel posted behind them.
    static std::vector<Event> Drain() {
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
        PostControlEvent(kSentinel, EventType::LeftClick);
        std::vector<Event> seen;
        for (int i = 0; i < 100000; ++i) {
            Event e = WaitEvent();
            if (e.kind == Event::Control && e.id == kSentinel) return seen;
            if (e.kind != Event::Other) seen.push_back(e);
        }
        ADD_FAILURE() << "the sentinel never came back";
        return seen;
    }

    // Shows the window and lets GTK lay it out.
    static void Settle() {
        GtkWidget* canvas = gtk::FindWindow(0)->canvas;
        for (int i = 0; i < 500 && gtk_widget_get_allocated_width(canvas) != 450; ++i) {
            KeepPainted();
            std::this_thread::sleep_for(10ms);
        }
        KeepPainted();
    }

    static GtkWidget* Inner(int id) { return gtk::FindControl(id)->inner; }

private:
    static inline bool initialised_ = false;
};

// The tree as GTK holds it, in pre-order, and as the service reports it by
// row: "text/depth" per item.
std::vector<std::string> ModelOrder() {
    std::vector<std::string> out;
    gtk_tree_model_foreach(
        gtk_tree_view_get_model(GTK_TREE_VIEW(gtk::FindControl(kTree)->inner)),
        [](GtkTreeModel* m, GtkTreePath* path, GtkTreeIter* it, gpointer data) -> gboolean {
            gchar* text = nullptr;
            gtk_tree_model_get(m, it, 1, &text, -1);
            static_cast<std::vector<std::string>*>(data)->push_back(
                std::string(text) + "/" + std::to_string(gtk_tree_path_get_depth(path) - 1));
            g_free(text);
            return FALSE;
        },
        &out);
    return out;
}

std::vector<std::string> RowOrder() {
    std::vector<std::string> out;
    for (int row = 0; row < TreeCount(kTree); ++row)
        out.push_back(TreeText(kTree, row) + "/" + std::to_string(TreeDepth(kTree, row)));
    return out;
}

TEST_F(GtkWindowTest, TreeRowsMatchTheModelThroughInsertionsAnywhere) {
    CreateControl(0, kTree, ControlKind::Tree, 10, 70, 430, 250, "");
    const std::pair<const char*, int> items[] = {{"A", 0}, {"A1", 1}, {"A2", 1}, {"B", 0}};
    for (int row = 0; row < 4; ++row)
        TreeAddItem(kTree, row, items[row].first, 0, items[row].second);
    TreeSetValue(kTree, 3, 7);
    TreeAddItem(kTree, 2, "A1a", 0, 2);  // under A1, pushing A2 down
    TreeAddItem(kTree, 1, "A0", 0, 1);   // A's new first child
    // Row 3 holds A1a, A1's child: a depth-1 item there would split them, so
    // it goes after A's last descendant instead.
    TreeAddItem(kTree, 3, "X", 0, 1);
    TreeAddItem(kTree, 0, "Top", 0, 3);  // nothing above to hang it on
    std::vector<std::string> expected = {"Top/0", "A/0", "A0/1", "A1/1", "A1a/2",
                                         "A2/1",  "X/1", "B/0"};
    EXPECT_EQ(ModelOrder(), expected);
    EXPECT_EQ(RowOrder(), expected);
    EXPECT_EQ(TreeValue(kTree, 7), 7);  // the value moved with B
    EXPECT_EQ(TreeValue(kTree, 1), 0);

    // Selecting an item inside collapsed folders opens them and reports nothing.
    EXPECT_FALSE(TreeExpanded(kTree, 1));
    TreeSelect(kTree, 4);
    EXPECT_EQ(TreeSelectedRow(kTree), 4);
    EXPECT_TRUE(TreeExpanded(kTree, 1));
    EXPECT_TRUE(TreeExpanded(kTree, 3));
    EXPECT_TRUE(Drain().empty());

    TreeClear(kTree);
    EXPECT_EQ(TreeCount(kTree), 0);
    EXPECT_EQ(TreeSelectedRow(kTree), -1);
    EXPECT_TRUE(Drain().empty());
    TreeAddItem(kTree, 5, "again", 0, 1);  // an empty tree takes it at the top
    EXPECT_EQ(ModelOrder(), std::vector<std::string>{"again/0"});
}

TEST_F(GtkWindowTest, ProgramWritesAreSilentAndUserEditsAreReported) {
    CreateControl(0, 1, ControlKind::Field, 80, 9, 330, 20, "first");
    CreateControl(0, 18, ControlKind::CheckBox, 10, 370, 250, 20, "SVN authentification system");
    Settle();
    Drain();  // the window's first focus
    SetText(1, "second");
    SetCheck(18, 1);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(GetText(1), "second");
    EXPECT_EQ(GetCheck(18), 1);

    gint at = 6;
    gtk_editable_insert_text(GTK_EDITABLE(Inner(1)), "!", 1, &at);
    gtk_button_clicked(GTK_BUTTON(Inner(18)));
    auto events = Drain();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(std::pair(events[0].id, events[0].type), std::pair(1, EventType::Change));
    EXPECT_EQ(std::pair(events[1].id, events[1].type), std::pair(18, EventType::LeftClick));
    EXPECT_EQ(GetText(1), "second!");
    EXPECT_EQ(GetCheck(18), 0);

    // Creating an id again replaces the control.
    CreateControl(0, 3, ControlKind::Button, 310, 30, 130, 20, "Search");
    CreateControl(0, 3, ControlKind::Button, 310, 30, 130, 20, "Stop search");
    EXPECT_EQ(GetText(3), "Stop search");
    GList* children = gtk_container_get_children(GTK_CONTAINER(gtk::FindWindow(0)->canvas));
    EXPECT_EQ(g_list_length(children), 3u);
    g_list_free(children);

    // A dialog's controls speak for the dialog, and go with it; its close box only asks.
    int dialog = OpenDialog("Comment", 300, 95);
    ASSERT_GT(dialog, 0);
    CreateControl(dialog, 101, ControlKind::Field, 10, 30, 280, 20, "Update 1");
    Drain();  // shows it
    at = 0;
    gtk_editable_insert_text(GTK_EDITABLE(Inner(101)), "x", 1, &at);
    gtk_window_close(GTK_WINDOW(gtk::FindWindow(dialog)->window));
    int changes = 0, closes = 0;  // focus moves too: count the two that matter
    for (const Event& e : Drain()) {
        changes += e.kind == Event::Control && e.id == 101 && e.type == EventType::Change &&
                   e.window == dialog;
        closes += e.kind == Event::Close && e.window == dialog;
    }
    EXPECT_EQ(std::pair(changes, closes), std::pair(1, 1));
    EXPECT_TRUE(ControlExists(101));
    CloseDialog(dialog);
    EXPECT_FALSE(ControlExists(101));
    EXPECT_TRUE(ControlExists(1));
}

TEST_F(GtkWindowTest, ControlsOccupyExactlyTheirRectangles) {
    struct Box { int id; ControlKind kind; int x, y, w, h; const char* caption; };
    const Box boxes[] = {
        {1, ControlKind::Field, 80, 9, 330, 20, "file:///srv/repo/"},
        {20, ControlKind::Link, 420, 11, 20, 20, "Go"},
        {3, ControlKind::Button, 310, 30, 130, 20, "Search"},
        {22, ControlKind::Tree, 10, 70, 430, 250, ""},
        {18, ControlKind::CheckBox, 10, 370, 250, 20, "SVN authentification system"},
        // A caption far too long for its button must not widen it.
        {12, ControlKind::Button, 350, 390, 90, 20, "Receive update and much more besides"},
        {13, ControlKind::DefaultButton, 350, 370, 90, 25, "OK"},
        // Nor a label near the edge grow the window.
        {16, ControlKind::Label, 400, 300, 45, 20, "Password and a long tail of words"},
    };
    for (const Box& b : boxes) CreateControl(0, b.id, b.kind, b.x, b.y, b.w, b.h, b.caption);
    Settle();
    GdkWindow* window = gtk_widget_get_window(gtk::FindWindow(0)->window);
    EXPECT_EQ(std::pair(gdk_window_get_width(window), gdk_window_get_height(window)),
              std::pair(450, 430));
    for (const Box& b : boxes) {
        if (b.kind == ControlKind::Label) continue;
        GtkAllocation a;
        gtk_widget_get_allocation(gtk::FindControl(b.id)->outer, &a);
        EXPECT_EQ(std::vector<int>({a.x, a.y, a.width, a.height}),
                  std::vector<int>({b.x, b.y, b.w, b.h}))
            << "control " << b.id;
    }
}

TEST_F(GtkWindowTest, WorkersReachTheMainThreadInOrder) {
    // A posted event wakes a wait that is already blocked; a watchdog's late
    // post ends the wait otherwise, so the test fails instead of hanging.
    std::atomic<bool> stop{false};
    std::thread poster([&] {
        std::this_thread::sleep_for(100ms);
        PostControlEvent(21, EventType::LeftClick);
        for (int i = 0; i < 1000 && !stop; ++i) std::this_thread::sleep_for(10ms);
        if (!stop) PostControlEvent(kSentinel + 1, EventType::LeftClick);
    });
    Event e;
    do e = WaitEvent();
    while (e.kind == Event::Other);
    stop = true;
    poster.join();
    EXPECT_EQ(std::pair(e.kind, e.id), std::pair(Event::Control, 21)) << "the wait was not woken";
    EXPECT_EQ(e.window, 0);
    Drain();  // the watchdog's event, if it fired after all

    // Queued calls keep their order; a waiting call runs on the main thread
    // while the main thread waits in RunQueuedCalls.
    std::vector<int> order, expected(100);
    std::iota(expected.begin(), expected.end(), 0);
    bool ranOnMain = false;
    std::atomic<bool> workerDone{false};
    std::thread worker([&] {
        for (int i : expected) RunOnMainThread([&order, i] { order.push_back(i); });
        RunOnMainThreadAndWait([&] { ranOnMain = OnMainThread(); });
        workerDone = true;
    });
    auto start = std::chrono::steady_clock::now();
    while (!workerDone && std::chrono::steady_clock::now() - start < 10s) RunQueuedCalls(1000);
    worker.join();
    RunQueuedCalls(0);
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(order, expected);

    // With nothing queued it waits about as long as asked, no longer.
    start = std::chrono::steady_clock::now();
    RunQueuedCalls(60);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 50ms);
    EXPECT_LT(waited, 5s);
}

// Puts a synthetic event for `window` in GDK's queue: Return for keys.
void Put(GdkEventType type, GdkWindow* window) {
    GdkEvent* e = gdk_event_new(type);
    e->any.window = GDK_WINDOW(g_object_ref(window));
    e->any.send_event = TRUE;
    if (type == GDK_KEY_PRESS || type == GDK_KEY_RELEASE) {
        e->key.keyval = GDK_KEY_Return;
        e->key.time = GDK_CURRENT_TIME;
    }
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    if (type != GDK_DELETE) gdk_event_set_device(e, gdk_seat_get_keyboard(seat));
    if (type == GDK_FOCUS_CHANGE) e->focus_change.in = FALSE;
    gdk_event_put(e);
    gdk_event_free(e);
}

TEST_F(GtkWindowTest, InputDuringACommandWaitsForTheNextWait) {
    CreateControl(0, 1, ControlKind::Field, 80, 9, 330, 20, "");
    Settle();
    Drain();
    GdkWindow* window = gtk_widget_get_window(gtk::FindWindow(0)->window);

    Put(GDK_KEY_PRESS, window);
    Put(GDK_DELETE, window);
    KeepPainted();
    EXPECT_FALSE(ReturnKeyDown()) << "the key was taken during the command";
    Event e = WaitEvent();
    EXPECT_EQ(std::pair(e.kind, e.window), std::pair(Event::Close, 0))
        << "the close request was lost or taken early";
    EXPECT_TRUE(ReturnKeyDown());

    // Release, press again, and a focus loss (the release will never reach us).
    const std::pair<GdkEventType, bool> steps[] = {
        {GDK_KEY_RELEASE, false}, {GDK_KEY_PRESS, true}, {GDK_FOCUS_CHANGE, false}};
    for (auto [type, down] : steps) {
        Put(type, window);
        Drain();
        EXPECT_EQ(ReturnKeyDown(), down) << type;
    }
}

}  // namespace
