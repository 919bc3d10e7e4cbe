// What the real program's run can't show of the GTK window service: tree rows
// through the table every keeper of rows shares, against the rows the view
// walks and shows expanded, a right click far down, a worker's post waking
// a blocked wait, input dropped during a command and the close that ends it,
// and the main window's captions as drawn in every language; a window of its
// own as it grows and closes, the report list's events and the styled text.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <tuple>

#include "app/control_ids.h"
#include "app/main_window.h"
#include "i18n/catalogue.h"
#include "platform/gtk/backend.h"
#include "platform/main_thread_queue.h"
#include "platform/window.h"
#include "support/tree_row_cases.h"

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

GtkTreeView* TreeView() { return GTK_TREE_VIEW(gtk::FindControl(kTree)->inner); }

GtkTreePath* TreePath(int row) { return gtk::StorePath(gtk_tree_view_get_model(TreeView()), row); }

// The service's tree; the user folds a row in the view.
struct GtkTreeRows : treecases::ServiceRows {
    void Collapse(int row) {
        GtkTreePath* path = TreePath(row);
        gtk_tree_view_collapse_row(TreeView(), path);
        gtk_tree_path_free(path);
    }
};

TEST_F(GtkWindowTest, TreeKeepsTheTreeRowsContractAsTheViewSeesIt) {
    CreateControl(0, kTree, ControlKind::Tree, 10, 70, 430, 250, "");
    GtkTreeRows rows{{kTree}};
    for (const treecases::Case& c : treecases::Cases()) {
        EXPECT_EQ(treecases::Run(rows, c), c.rows) << c.name;
        EXPECT_EQ(ModelOrder(), RowOrder()) << c.name;
        std::string shown, told;  // expanded rows as the view shows them, as the service tells
        for (int row = 0; row < TreeCount(kTree); ++row) {
            GtkTreePath* path = TreePath(row);
            shown += gtk_tree_view_row_expanded(TreeView(), path) ? '+' : '-';
            told += TreeExpanded(kTree, row) ? '+' : '-';
            gtk_tree_path_free(path);
        }
        EXPECT_EQ(shown, told) << c.name;
    }
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
        gdk_event_set_device(
            e, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
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
        if (auto* a =
                reinterpret_cast<PangoAttrSize*>(pango_attr_iterator_get(it, PANGO_ATTR_SIZE)))
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
        PangoLayout* bigger =
            gtk_widget_create_pango_layout(label, gtk_label_get_text(GTK_LABEL(label)));
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_size_new(size + PANGO_SCALE / 2));
        pango_layout_set_attributes(bigger, attributes);
        pango_attr_list_unref(attributes);
        EXPECT_GT(PixelWidth(bigger), std::min(text.width, right - text.x))
            << what << " could be bigger";
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

// Runs GTK until `done`, for two seconds at most.
bool Settle(const std::function<bool()>& done) {
    for (int i = 0; i < 400 && !done(); ++i, std::this_thread::sleep_for(5ms)) HandlePending();
    return done();
}

// The events queued so far (no calls): "window:id:type " each, "close" for a Close;
// not the focus events, which come as the X server hands the focus round.
std::string Events() {
    HandlePending();
    std::string out;
    while (std::optional<queue::Taken> t = queue::TakeNext()) {
        const Event e = t->event;
        if (e.type == EventType::FocusGained || e.type == EventType::FocusLost) continue;
        const std::string type = e.kind == Event::Close ? "close" : std::to_string(int(e.type));
        out += std::to_string(e.window) + ":" + std::to_string(e.id) + ":" + type + " ";
    }
    return out;
}

// Hands GTK an event for `window` as the X server would; `fill` adds the details.
void Send(GdkEventType type, GdkWindow* window, std::function<void(GdkEvent&)> fill = {}) {
    GdkEvent* e = gdk_event_new(type);
    e->any.window = GDK_WINDOW(g_object_ref(window));
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    const bool key = type == GDK_KEY_PRESS || type == GDK_FOCUS_CHANGE;
    gdk_event_set_device(e, key ? gdk_seat_get_keyboard(seat) : gdk_seat_get_pointer(seat));
    if (fill) fill(*e);
    gtk_main_do_event(e);
    gdk_event_free(e);
}

// A key the window hands to its focused control unless it takes it itself.
void Key(GtkWidget* window, guint keyval, guint state = 0) {
    Send(GDK_KEY_PRESS, gtk_widget_get_window(window),
         [&](GdkEvent& e) { e.key.keyval = keyval, e.key.state = state; });
}

// Presses and releases a button (the first one unless told) at (x, y), `times` times.
void Click(GdkWindow* window, int x = 5, int y = 5, int times = 1, guint button = 1) {
    auto at = [&](GdkEvent& e) { e.button.x = x, e.button.y = y, e.button.button = button; };
    for (int i = 0; i < times; ++i)  // GDK follows a second press with a double click
        for (auto t : {GDK_BUTTON_PRESS, i ? GDK_2BUTTON_PRESS : GDK_NOTHING, GDK_BUTTON_RELEASE})
            if (t != GDK_NOTHING) Send(t, window, at);
}

// A control's place in its window.
std::array<int, 4> Place(int id) {
    GtkWidget* w = gtk::FindControl(id)->outer;
    const GtkAllocation a = Allocation(w), canvas = Allocation(gtk_widget_get_parent(w));
    return {a.x - canvas.x, a.y - canvas.y, a.width, a.height};
}

TEST_F(GtkWindowTest, ARightClickOnAFarRowActsOnThatRow) {
    CreateControl(0, kTree, ControlKind::Tree, 10, 70, 430, 250, "");
    for (int row = 0; row < 100000; ++row)
        TreeAddItem(kTree, row, "item " + std::to_string(row), 0, 0);
    TreeSelect(kTree, 90010);  // scrolled into view once the view is drawn
    gtk::ShowWindows();
    int first = -1;
    ASSERT_TRUE(Settle([&] {
        GtkTreePath *top = nullptr, *bottom = nullptr;
        if (!gtk_widget_get_mapped(GTK_WIDGET(TreeView())) ||
            !gtk_tree_view_get_visible_range(TreeView(), &top, &bottom))
            return false;
        first = gtk_tree_path_get_indices(top)[0];
        const bool shown = gtk_tree_path_get_indices(bottom)[0] >= 90010;
        gtk_tree_path_free(top);
        gtk_tree_path_free(bottom);
        return shown;
    }));
    const int target = first + 1 == 90010 ? first + 2 : first + 1;  // not the selected one
    ASSERT_GT(target, 89990);
    GtkTreePath* path = TreePath(target);
    GdkRectangle a;
    gtk_tree_view_get_cell_area(TreeView(), path, nullptr, &a);
    gtk_tree_path_free(path);
    Events();
    Click(gtk_tree_view_get_bin_window(TreeView()), a.x + 20, a.y + a.height / 2, 1, 3);
    const std::string tree = "0:" + std::to_string(kTree) + ":";
    EXPECT_EQ(Events(), tree + std::to_string(int(EventType::Change)) + " " + tree +
                            std::to_string(int(EventType::RightClick)) + " ");
    EXPECT_EQ(TreeSelectedRow(kTree), target);
}

constexpr int kList = 30, kText = 31, kButton = 32, kLabel = 33;

TEST_F(GtkWindowTest, AWindowOfItsOwnGrowsItsAnchoredControlsAndReportsItsList) {
    const int dialog = OpenDialog("Dialog", 100, 100);
    CloseDialog(dialog);
    const int own = OpenWindow("Own", 300, 200);
    ASSERT_GT(own, dialog);
    using Box = std::array<int, 4>;
    struct Case {
        int id;
        ControlKind kind;
        Box at;
        unsigned anchors;
        Box grown;
    };
    const unsigned all = AnchorLeft | AnchorTop | AnchorRight | AnchorBottom;
    const unsigned corner = AnchorRight | AnchorBottom;
    const Case cases[] = {
        // grown: the window 100 x 50 larger
        {kList, ControlKind::List, {10, 10, 200, 100}, all, {10, 10, 300, 150}},
        {kButton, ControlKind::Button, {210, 170, 80, 24}, corner, {310, 220, 80, 24}},
        {kText, ControlKind::Text, {10, 115, 190, 50}, all & ~AnchorTop, {10, 165, 290, 50}},
        {kLabel, ControlKind::Label, {220, 10, 70, 20}, 0, {220, 10, 70, 20}},
    };
    for (const Case& c : cases) {
        CreateControl(own, c.id, c.kind, c.at[0], c.at[1], c.at[2], c.at[3], "Log");
        if (c.anchors) SetAnchors(c.id, c.anchors);
    }
    ListSetColumns(kList, {{"Revision", 60}, {"Author", 80}, {"Message", 50}});
    GtkTreeView* view = GTK_TREE_VIEW(gtk::FindControl(kList)->inner);
    std::string shape = atk_object_get_name(gtk_widget_get_accessible(GTK_WIDGET(view)));
    for (int i = 0; GtkTreeViewColumn* c = gtk_tree_view_get_column(view, i); ++i)
        shape += std::string(" ") + gtk_tree_view_column_get_title(c) +
                 (gtk_tree_view_column_get_expand(c) ? "+" : "");
    EXPECT_EQ(shape, "Log Revision Author Message+");
    ListAppend(kList, {{"3", "ann", "fix"}, {"2", "bob"}, {"1", "\xff!", "x", "extra"}});
    EXPECT_EQ(ListText(kList, 1, 2) + "|" + ListText(kList, 2, 1) + "|" + ListText(kList, 2, 3),
              "|\uFFFD!|");
    GtkWidget* window = gtk::FindWindow(own)->window;
    gtk::ShowWindows();
    ASSERT_TRUE(Settle([&] { return gtk_widget_get_mapped(window); }));
    EXPECT_EQ(gtk_grab_get_current(), nullptr) << "the main window is blocked";
    for (int grown : {1, 0}) {  // then smaller than it started: it keeps its size
        gtk_window_resize(GTK_WINDOW(window), grown ? 400 : 50, grown ? 250 : 50);
        ASSERT_TRUE(Settle([&] { return Place(kList)[2] == 200 + 100 * grown; }));
        for (const Case& c : cases) EXPECT_EQ(Place(c.id), grown ? c.grown : c.at) << c.id;
    }

    // The list reports the user's moves only, with the window's handle.
    Send(GDK_FOCUS_CHANGE, gtk_widget_get_window(window),
         [](GdkEvent& e) { e.focus_change.in = 1; });
    const std::string list = std::to_string(own) + ":" + std::to_string(kList) + ":";
    const std::string change = list + std::to_string(int(EventType::Change)) + " ";
    const std::string twice = list + std::to_string(int(EventType::DoubleClick)) + " ";
    using Outcome = std::tuple<int, int, std::string>;  // the selected row, the rows, the events
    const std::pair<std::function<void()>, Outcome> steps[] = {
        {[] { SetFocus(kList); }, {-1, 3, ""}},  // GTK's own would select the first row
        {[] { ListSelect(kList, 1); }, {1, 3, ""}},
        {[&] { gtk_bindings_activate(G_OBJECT(view), GDK_KEY_Down, {}); }, {2, 3, change}},
        {[&] { Key(window, GDK_KEY_Return); }, {2, 3, twice}},
        {[] { ListAppend(kList, {{"0"}}); }, {2, 4, ""}},
        {[&] { Click(gtk_tree_view_get_bin_window(view), 5, 5, 2); }, {0, 4, change + twice}},
        {[] { ListSelect(kList, -1); }, {-1, 4, ""}},
        {[] { ListSelect(kList, 3), ListClear(kList); }, {-1, 0, ""}},
    };
    for (const auto& [act, outcome] : steps) {
        act();
        EXPECT_EQ(Outcome(ListSelectedRow(kList), ListCount(kList), Events()), outcome);
    }
    gtk_bindings_activate(G_OBJECT(window), GDK_KEY_Tab, {});
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(window)), gtk::FindControl(kButton)->inner);

    SetFocus(kList);  // Escape goes to the window, not to the focused list
    Key(window, GDK_KEY_Escape);
    Send(GDK_DELETE, gtk_widget_get_window(window));
    const std::string closed = std::to_string(own) + ":-1:close ";
    EXPECT_EQ(Events(), closed + closed);
    CloseDialog(own);
    EXPECT_FALSE(ControlExists(kList) || gtk::FindWindow(own));
}

TEST_F(GtkWindowTest, TextRunsKeepTheirStylesAndBadBytesAreReplaced) {
    CreateControl(0, kText, ControlKind::Text, 10, 10, 400, 300, "Diff");
    const std::tuple<std::string, TextStyle, const char*, std::string> runs[] = {
        // tag, shown
        {"Index: a\n", TextStyle::Heading, "heading", "Index: a\n"},
        {"-old\n", TextStyle::Removed, "removed", "-old\n"},
        {"+n\xe9w\xff\n", TextStyle::Added, "added", "+n\uFFFDw\uFFFD\n"},
        {" same\n", TextStyle::Plain, nullptr, " same\n"},
    };
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(gtk::FindControl(kText)->inner));
    GtkTextTagTable* table = gtk_text_buffer_get_tag_table(buffer);
    std::string whole;
    for (const auto& [text, style, name, shown] : runs) {  // each run starts with its tag alone
        TextAppend(kText, text, style);
        GtkTextIter at;
        gtk_text_buffer_get_iter_at_offset(buffer, &at, g_utf8_strlen(whole.c_str(), -1));
        GSList* tags = gtk_text_iter_get_tags(&at);
        GtkTextTag* tag = name ? gtk_text_tag_table_lookup(table, name) : nullptr;
        EXPECT_TRUE(tags ? !tags->next && tags->data == tag : !tag) << shown;
        g_slist_free(tags);
        whole += shown;
    }
    EXPECT_EQ(GetText(kText), whole);
    SetText(kText, "plain \xc3");
    EXPECT_EQ(GetText(kText), "plain \uFFFD");
}

// Beside a modal dialog, a window of its own takes keys and clicks; the main window takes none.
TEST_F(GtkWindowTest, AWindowBesideAModalDialogTakesTextAndTicks) {
    CreateControl(0, kButton, ControlKind::Button, 10, 10, 80, 24, "Main");
    OpenDialog("Commit", 300, 200);
    const int own = OpenWindow("Changes", 300, 320);
    using K = ControlKind;
    for (int id = 40; K kind : {K::Field, K::Editor, K::Button, K::List})  // ids 40 to 43
        CreateControl(own, id, kind, 10, 10 + 50 * (id - 40), 280, id < 43 ? 45 : 150, ""), ++id;
    ListSetColumns(43, {{"", 24, true}, {"Path", 100}});
    ListAppend(43, {{"1", "a"}, {"0", "b"}, {"", "c"}});
    GtkWidget* window = gtk::FindWindow(own)->window;
    gtk::ShowWindows();
    Send(GDK_FOCUS_CHANGE, gtk_widget_get_window(window),
         [](GdkEvent& e) { e.focus_change.in = 1; });
    GtkTreeView* view = GTK_TREE_VIEW(gtk::FindControl(43)->inner);
    auto click = [&](int row, int column, int times = 1) {  // a list cell, or button `row`
        if (column < 0)
            return Click(gtk_button_get_event_window(GTK_BUTTON(gtk::FindControl(row)->inner)));
        GdkRectangle a;
        g_autoptr(GtkTreePath) path = gtk_tree_path_new_from_indices(row, -1);
        gtk_tree_view_get_cell_area(view, path, gtk_tree_view_get_column(view, column), &a);
        Click(gtk_tree_view_get_bin_window(view), a.x + a.width / 2, a.y + a.height / 2, times);
    };
    auto state = [&] {  // the boxes, the focus, the events
        std::string out;
        for (int row = 0; row < 3; ++row) out += ListText(43, row, 0) + ",";
        for (auto& [id, r] : gtk::Controls())
            if (r.inner == gtk_window_get_focus(GTK_WINDOW(window))) out += std::to_string(id);
        return out + "|" + Events();
    };
    const std::string text = "Zeile 1\n\u00c4rger \u2713", at = std::to_string(own) + ":";
    const std::string typed = at + "41:3 ", ticked = at + "43:3 ";  // Change
    const std::pair<std::function<void()>, std::string> steps[] = {
        {[&] {
             SetFocus(41), SetText(41, text), Key(window, 'x'), Key(window, GDK_KEY_Return),
                 Key(window, GDK_KEY_Return, GDK_CONTROL_MASK);
         },
         "1,0,,41|" + typed + typed + at + "41:6 "},  // Activate
        {[&] { Key(window, GDK_KEY_Tab); }, "1,0,,42|"},
        {[&] { SetFocus(41), Key(window, GDK_KEY_ISO_Left_Tab, GDK_SHIFT_MASK); }, "1,0,,40|"},
        {[&] { click(42, -1), click(kButton, -1); }, "1,0,,42|" + at + "42:0 "},
        {[&] { ListSetText(43, 0, 0, "0"), SetFocus(43), click(1, 0); }, "0,1,,43|" + ticked},
        {[&] { Key(window, GDK_KEY_space); }, "0,0,,43|"},
        {[&] { ListSetText(43, 1, 0, "1"), click(2, 0), Key(window, GDK_KEY_space); },
         "0,1,,43|" + ticked},  // no box to tick
        {[&] { click(0, 0, 2), click(0, 1, 2); }, "0,1,,43|" + ticked + at + "43:2 "},  // box, path
    };
    for (const auto& [act, outcome] : steps) {
        act();
        EXPECT_EQ(state(), outcome);
    }
    EXPECT_EQ(GetText(41), text + "x\n");
}

}  // namespace
