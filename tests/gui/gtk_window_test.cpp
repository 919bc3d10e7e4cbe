// What the real program's run can't show of the GTK window service: tree rows
// against the model GTK holds for insertions anywhere, a worker's post waking
// a blocked wait, input dropped during a command and the close that ends it,
// and the main window's captions as drawn in every language.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/control_ids.h"
#include "app/main_window.h"
#include "i18n/catalogue.h"
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
    // Flat first, then nested: the rows keep their texts, values and images
    // when the first nested item arrives.
    const std::vector<uint32_t> red(256, 0xffff0000);
    const ImageHandle image = CreateImage(red.data());
    TreeAddItem(kTree, 0, "A", 0, 0);
    TreeAddItem(kTree, 1, "B", image, 0);
    TreeSetValue(kTree, 1, 7);
    TreeAddItem(kTree, 1, "A1", 0, 1);
    TreeAddItem(kTree, 2, "A2", 0, 1);
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
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(gtk::FindControl(kTree)->inner));
    GtkTreeIter last;
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(model, &last, nullptr, 2));
    GdkPixbuf* shown = nullptr;
    gtk_tree_model_get(model, &last, 0, &shown, -1);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_pixels(shown)[0], 0xff);  // B's red image
    g_object_unref(shown);

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

// The label a control draws its caption with, or nullptr.
GtkWidget* CaptionLabel(const gtk::ControlRecord& r) {
    switch (r.kind) {
    case ControlKind::Label: return r.inner;
    case ControlKind::Button:
    case ControlKind::DefaultButton:
    case ControlKind::CheckBox: return gtk_bin_get_child(GTK_BIN(r.inner));
    default: return nullptr;
    }
}

GtkAllocation Allocation(GtkWidget* w) {
    GtkAllocation a;
    gtk_widget_get_allocation(w, &a);
    return a;
}

int PixelWidth(PangoLayout* layout) {
    int width = 0;
    pango_layout_get_pixel_size(layout, &width, nullptr);
    return width;
}

// The size the caption is drawn at, in Pango units of points; 0 for the desktop's.
int DrawnSize(GtkWidget* label) {
    int size = 0;
    if (PangoAttrList* attributes = gtk_label_get_attributes(GTK_LABEL(label))) {
        PangoAttrIterator* it = pango_attr_list_get_iterator(attributes);
        if (auto* a = reinterpret_cast<PangoAttrSize*>(pango_attr_iterator_get(it, PANGO_ATTR_SIZE)))
            size = a->size;
        pango_attr_iterator_destroy(it);
    }
    return size;
}

// Every caption as GTK lays it out to draw: whole (no ellipsis), inside its
// control, a label's before the field that covers it, no smaller than 7 pt,
// and smaller than the desktop font only when that would not fit.
void ExpectCaptionsFit(const std::string& language) {
    gtk::ShowWindows();
    // Until every control, a new one too, has its place.
    auto placed = [] {
        for (auto& [id, r] : gtk::Controls()) {
            int width = 0;
            gtk_widget_get_size_request(r.outer, &width, nullptr);
            if (gtk_widget_get_allocated_width(r.outer) < width) return false;
        }
        return true;
    };
    for (int i = 0; i < 500 && (!placed() || gtk_events_pending()); ++i) {
        gtk_main_iteration_do(FALSE);
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(placed());
    for (auto& [id, r] : gtk::Controls()) {
        GtkWidget* label = CaptionLabel(r);
        if (!label) continue;
        const std::string what = language + " control " + std::to_string(id) + " \"" +
                                 gtk_label_get_text(GTK_LABEL(label)) + "\"";
        PangoLayout* drawn = gtk_label_get_layout(GTK_LABEL(label));
        EXPECT_FALSE(pango_layout_is_ellipsized(drawn)) << what;
        const GtkAllocation box = Allocation(r.outer), text = Allocation(label);
        int right = box.x + box.width;
        if (r.kind == ControlKind::Label) {
            for (auto& [other, field] : gtk::Controls()) {
                const GtkAllocation f = Allocation(field.outer);
                if (field.kind == ControlKind::Field && f.x > box.x && f.x < right &&
                    f.y < box.y + box.height && box.y < f.y + f.height)
                    right = f.x;
            }
        } else {
            EXPECT_TRUE(text.x >= box.x && text.x + text.width <= right) << what;
        }
        EXPECT_LE(PixelWidth(drawn), std::min(text.width, right - text.x)) << what;
        const int size = DrawnSize(label);
        if (size == 0) continue;
        EXPECT_GE(size, 7 * PANGO_SCALE) << what;
        // Half a point more would not have fitted.
        PangoLayout* bigger = gtk_widget_create_pango_layout(label, gtk_label_get_text(GTK_LABEL(label)));
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_size_new(size + PANGO_SCALE / 2));
        pango_layout_set_attributes(bigger, attributes);
        pango_attr_list_unref(attributes);
        EXPECT_GT(PixelWidth(bigger), std::min(text.width, right - text.x)) << what << " could be bigger";
        g_object_unref(bigger);
    }
}

TEST_F(GtkWindowTest, CaptionsAreDrawnWholeInEveryLanguage) {
    ShutdownWindowing();  // the probe window: the program's own is wanted
    for (const char* language : {"en", "fr", "de", "es"}) {
        i18n::LoadCatalogue(std::string(VELLUM_DIST_DIR) + "/locale/", language);
        ASSERT_TRUE(app::CreateMainWindow()) << language;
        ExpectCaptionsFit(language);
        // The captions the buttons take while they work.
        app::CreateStopSearchButton();
        for (int id = app::ChooseButton; id <= app::CleanupButton; ++id)
            SetText(id, i18n::Translate("Please wait"));
        ExpectCaptionsFit(std::string(language) + ", working");
        ShutdownWindowing();
        i18n::ReleaseCatalogue();
    }
}

}  // namespace
