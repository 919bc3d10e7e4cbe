// What the real program's run can't show of the GTK window service: tree rows
// against the model GTK holds for insertions anywhere, a worker's post waking
// a blocked wait, and input dropped during a command and the close that ends it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/gtk/backend.h"
#include "platform/window.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

constexpr int kTree = 22;

class GtkWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { initialised_ = InitWindowing(); }
    void SetUp() override {
        ASSERT_TRUE(initialised_) << "no X display";
        ASSERT_TRUE(OpenMainWindow("Probe", 450, 430));
    }
    void TearDown() override { ShutdownWindowing(); }

private:
    static inline bool initialised_ = false;
};

// "text/depth" per item: as GTK holds them in pre-order, and as the service
// reports them by row.
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
    const std::vector<std::string> expected = {"Top/0", "A/0", "A0/1", "A1/1", "A1a/2",
                                               "A2/1",  "X/1", "B/0"};
    EXPECT_EQ(ModelOrder(), expected);
    EXPECT_EQ(RowOrder(), expected);
    EXPECT_EQ(TreeValue(kTree, 7), 7);  // the value moved with B
    EXPECT_EQ(TreeValue(kTree, 1), 0);

    // Selecting an item inside collapsed folders opens them.
    TreeSelect(kTree, 4);
    EXPECT_EQ(TreeSelectedRow(kTree), 4);
    EXPECT_TRUE(TreeExpanded(kTree, 1) && TreeExpanded(kTree, 3));

    TreeClear(kTree);
    EXPECT_EQ(TreeSelectedRow(kTree), -1);
    TreeAddItem(kTree, 5, "again", 0, 1);  // an empty tree takes it at the top
    EXPECT_EQ(ModelOrder(), std::vector<std::string>{"again/0"});
}

TEST_F(GtkWindowTest, AWorkersPostWakesAWaitAlreadyBlocked) {
    // A watchdog's late post ends the wait otherwise, so the test fails
    // instead of hanging.
    std::atomic<bool> stop{false};
    std::thread poster([&] {
        std::this_thread::sleep_for(100ms);
        PostControlEvent(21, EventType::LeftClick);
        for (int i = 0; i < 1000 && !stop; ++i) std::this_thread::sleep_for(10ms);
        if (!stop) PostControlEvent(1000, EventType::LeftClick);
    });
    Event e;
    do e = WaitEvent();
    while (e.kind == Event::Other);
    stop = true;
    poster.join();
    EXPECT_EQ(std::pair(e.kind, e.id), std::pair(Event::Control, 21)) << "the wait was not woken";
}

// Puts a synthetic event for the main window in GDK's queue: Return for keys.
void Put(GdkEventType type) {
    GdkEvent* e = gdk_event_new(type);
    e->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(gtk::FindWindow(0)->window)));
    e->any.send_event = TRUE;
    if (type == GDK_KEY_PRESS || type == GDK_KEY_RELEASE) {
        e->key.keyval = GDK_KEY_Return;
        e->key.time = GDK_CURRENT_TIME;
        gdk_event_set_device(e, gdk_seat_get_keyboard(gdk_display_get_default_seat(
                                    gdk_display_get_default())));
    }
    gdk_event_put(e);
    gdk_event_free(e);
}

void HandlePending() {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

TEST_F(GtkWindowTest, InputDuringACommandIsDroppedAndACloseEndsIt) {
    for (int i = 0; i < 100; ++i) KeepPainted();  // shown and settled
    Put(GDK_KEY_PRESS);
    HandlePending();
    ASSERT_TRUE(ReturnKeyDown());
    Put(GDK_KEY_RELEASE);
    EXPECT_TRUE(KeepPainted());
    EXPECT_FALSE(ReturnKeyDown()) << "a release dropped during the command left the key held";
    Put(GDK_KEY_PRESS);
    EXPECT_TRUE(KeepPainted()) << "a key press asked to end the command";
    HandlePending();
    EXPECT_FALSE(ReturnKeyDown()) << "the key pressed during the command was taken";
    Put(GDK_DELETE);
    EXPECT_FALSE(KeepPainted()) << "the close request did not end the command";
    for (int i = 0; i < 2; ++i) {  // a dialog's loop and the main loop both end
        const Event e = WaitEvent();
        EXPECT_EQ(std::pair(e.kind, e.window), std::pair(Event::Close, 0));
    }
}

}  // namespace
