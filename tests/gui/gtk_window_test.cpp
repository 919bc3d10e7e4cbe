// The GTK window service under a real X server: the window service's table
// and the tree rows' table with GTK's own events for the user's moves, the
// rows as the view walks and shows them, a right click far down, a worker's
// hand-over, input dropped during a command and the close that ends it, the
// main window's captions as drawn in every language, and what only GTK
// shows: a list's accessible shape, bad bytes replaced.
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
#include "support/window_cases.h"

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

TEST_F(GtkWindowTest, WorkersHandOverToTheMainThread) { windowcases::ExpectWorkersHandOver(); }

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

// The events queued so far, the calls among them run.
std::vector<Event> TakeEvents() {
    HandlePending();
    std::vector<Event> out;
    while (std::optional<queue::Taken> t = queue::TakeNext()) out.push_back(t->event);
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

// A key pressed and let go, which the window hands to its focused control
// unless it takes it itself.
void Key(GtkWidget* window, guint keyval, guint state = 0) {
    GdkKeymapKey* keys = nullptr;  // key bindings go by the key's code
    gint n = 0;
    gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), keyval,
                                      &keys, &n);
    for (auto type : {GDK_KEY_PRESS, GDK_KEY_RELEASE})
        Send(type, gtk_widget_get_window(window), [&](GdkEvent& e) {
            e.key.keyval = keyval, e.key.state = state;
            if (n > 0) e.key.hardware_keycode = keys[0].keycode, e.key.group = keys[0].group;
        });
    g_free(keys);
}

// Presses and releases a button (the first one unless told) at (x, y), `times` times.
void Click(GdkWindow* window, int x = 5, int y = 5, int times = 1, guint button = 1) {
    auto at = [&](GdkEvent& e) { e.button.x = x, e.button.y = y, e.button.button = button; };
    for (int i = 0; i < times; ++i)  // GDK follows a second press with a double click
        for (auto t : {GDK_BUTTON_PRESS, i ? GDK_2BUTTON_PRESS : GDK_NOTHING, GDK_BUTTON_RELEASE})
            if (t != GDK_NOTHING) Send(t, window, at);
}

TEST_F(GtkWindowTest, ARightClickOnAFarRowActsOnThatRow) {
    CreateControl(0, kTree, ControlKind::Tree, 10, 70, 430, 250, "");
    for (int row = 0; row < 100000; ++row)
        TreeAddItem(kTree, row, "item " + std::to_string(row), 0, 0);
    // The column widens for the longest name, so the view scrolls to show it whole.
    const std::string wide(150, 'W');
    TreeAddItem(kTree, 100000, wide, 0, 1);
    PangoLayout* layout = gtk_widget_create_pango_layout(GTK_WIDGET(TreeView()), wide.c_str());
    EXPECT_GT(gtk_tree_view_column_get_fixed_width(gtk_tree_view_get_column(TreeView(), 0)),
              PixelWidth(layout));
    g_object_unref(layout);
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
    TakeEvents();
    Click(gtk_tree_view_get_bin_window(TreeView()), a.x + 20, a.y + a.height / 2, 1, 3);
    EXPECT_EQ(windowcases::Said(TakeEvents()), "22:change 22:right");
    EXPECT_EQ(TreeSelectedRow(kTree), target);
}

// A control's window.
GtkWidget* WindowOf(int id) { return gtk::FindWindow(gtk::FindControl(id)->window)->window; }

// The user at the X server: GTK's own events for each move.
struct GtkHand : windowcases::Hand {
    void Fresh() override { ShutdownWindowing(), OpenMainWindow("Main", 450, 430); }
    // Shown, with the keyboard focus on `id` and its caret at the end.
    GtkWidget* Focus(int id) {
        GtkWidget* window = focusWindow = WindowOf(id);
        gtk::ShowWindows();
        Settle([&] { return gtk_widget_get_mapped(window); });
        Send(GDK_FOCUS_CHANGE, gtk_widget_get_window(window),
             [](GdkEvent& e) { e.focus_change.in = 1; });
        SetFocus(id);
        GtkWidget* inner = gtk::FindControl(id)->inner;
        if (GTK_IS_EDITABLE(inner)) gtk_editable_set_position(GTK_EDITABLE(inner), -1);
        if (GTK_IS_TEXT_VIEW(inner)) {
            GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(inner));
            GtkTextIter end;
            gtk_text_buffer_get_end_iter(buffer, &end);
            gtk_text_buffer_place_cursor(buffer, &end);
        }
        return window;
    }
    bool Type(int id, const std::string& text) override {
        GtkWidget* window = Focus(id);
        for (char c : text) Key(window, gdk_unicode_to_keyval(c));
        return true;
    }
    bool Click(int id) override {
        Focus(id);
        const gtk::ControlRecord& r = *gtk::FindControl(id);
        if (r.kind != ControlKind::Link) {
            ::Click(gtk_button_get_event_window(GTK_BUTTON(r.inner)));
            return true;
        }
        GdkEvent* e = gdk_event_new(GDK_BUTTON_RELEASE);
        e->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(r.outer)));
        e->button.button = 1, e->button.x = e->button.y = 2;
        gtk_widget_event(r.outer, e);
        gdk_event_free(e);
        return true;
    }
    bool Press(int id, windowcases::Key key) override {
        using K = windowcases::Key;
        static const guint keys[] = {GDK_KEY_Return,      GDK_KEY_Return, GDK_KEY_Escape,
                                     GDK_KEY_Tab,         GDK_KEY_Down,   GDK_KEY_space,
                                     GDK_KEY_ISO_Left_Tab};
        GtkWidget* window = Focus(id);
        if (key == K::Down)  // the key's binding, as the focused widget takes it
            gtk_bindings_activate(G_OBJECT(gtk::FindControl(id)->inner), GDK_KEY_Down, {});
        else
            Key(window, keys[int(key)],
                key == K::CtrlReturn ? GDK_CONTROL_MASK
                : key == K::ShiftTab ? GDK_SHIFT_MASK
                                     : 0);
        return true;
    }
    bool ClickCell(int id, int row, int column, int times) override {
        Focus(id);
        GtkTreeView* view = GTK_TREE_VIEW(gtk::FindControl(id)->inner);
        GdkRectangle a;
        g_autoptr(GtkTreePath) path = gtk_tree_path_new_from_indices(row, -1);
        gtk_tree_view_get_cell_area(view, path, gtk_tree_view_get_column(view, column), &a);
        ::Click(gtk_tree_view_get_bin_window(view), a.x + a.width / 2, a.y + a.height / 2, times);
        return true;
    }
    bool CloseBox(int window) override {
        gtk::ShowWindows();
        Send(GDK_DELETE, gtk_widget_get_window(gtk::FindWindow(window)->window));
        return true;
    }
    bool Menu(const std::vector<MenuItem>& items, int pick) override {
        ShowPopupMenu(items);
        GtkWidget* main = GTK_WIDGET(gtk::MainGtkWindow());
        GtkMenuShell* menu = GTK_MENU_SHELL(gtk_menu_get_for_attach_widget(main)->data);
        GList* entries = gtk_container_get_children(GTK_CONTAINER(menu));
        gtk_menu_item_activate(GTK_MENU_ITEM(g_list_nth_data(entries, pick)));
        g_list_free(entries);
        gtk_menu_shell_deactivate(menu);
        return true;
    }
    bool Resize(int window, int w, int h) override {
        const gtk::WindowRecord& r = *gtk::FindWindow(window);
        gtk::ShowWindows();
        gtk_window_resize(GTK_WINDOW(r.window), w, h);
        // Till it has the size, or GTK has long settled on another one.
        for (int i = 0; i < 400; ++i, std::this_thread::sleep_for(5ms)) {
            HandlePending();
            const GtkAllocation a = Allocation(r.canvas);
            if ((a.width == w && a.height == h) || (i > 60 && !gtk_events_pending())) break;
        }
        return true;
    }
    std::string Place(int id) override {
        GtkWidget* w = gtk::FindControl(id)->outer;
        Settle([] { return !gtk_events_pending(); });
        const GtkAllocation a = Allocation(w), canvas = Allocation(gtk_widget_get_parent(w));
        return std::to_string(a.x - canvas.x) + "," + std::to_string(a.y - canvas.y) + " " +
               std::to_string(a.width) + "x" + std::to_string(a.height);
    }
    int StyleAt(int id, int offset) override {
        GtkTextBuffer* buffer =
            gtk_text_view_get_buffer(GTK_TEXT_VIEW(gtk::FindControl(id)->inner));
        GtkTextIter at;
        gtk_text_buffer_get_iter_at_offset(buffer, &at, offset);
        GSList* tags = gtk_text_iter_get_tags(&at);
        gchar* name = nullptr;
        if (tags) g_object_get(tags->data, "name", &name, nullptr);
        const std::string tag = name ? name : "";
        const int style = !tags              ? 0
                          : tags->next       ? -1
                          : tag == "added"   ? 1
                          : tag == "removed" ? 2
                          : tag == "heading" ? 3
                                             : -1;
        g_free(name);
        g_slist_free(tags);
        return style;
    }
    int Focused() override {
        for (auto& [id, r] : gtk::Controls())
            if (r.inner == gtk_window_get_focus(GTK_WINDOW(focusWindow))) return id;
        return -1;
    }
    GtkWidget* focusWindow = nullptr;
    std::vector<Event> Events() override { return TakeEvents(); }
};

TEST_F(GtkWindowTest, KeepsTheWindowServicesTable) {
    GtkHand hand;
    windowcases::ExpectEveryMove(hand);
}

// What only GTK shows: a list's accessible shape, its last column taking
// what is left; cells past the columns dropped; bad bytes replaced.
TEST_F(GtkWindowTest, ListsShowTheirShapeAndBadBytesAreReplaced) {
    CreateControl(0, 30, ControlKind::List, 10, 10, 200, 100, "Log");
    ListSetColumns(30, {{"Revision", 60}, {"Author", 80}, {"Message", 50}});
    GtkTreeView* view = GTK_TREE_VIEW(gtk::FindControl(30)->inner);
    std::string shape = atk_object_get_name(gtk_widget_get_accessible(GTK_WIDGET(view)));
    for (int i = 0; GtkTreeViewColumn* c = gtk_tree_view_get_column(view, i); ++i)
        shape += std::string(" ") + gtk_tree_view_column_get_title(c) +
                 (gtk_tree_view_column_get_expand(c) ? "+" : "");
    EXPECT_EQ(shape, "Log Revision Author Message+");
    ListAppend(30, {{"1", "\xff!", "x", "extra"}});
    CreateControl(0, 31, ControlKind::Text, 10, 120, 400, 300, "Diff");
    TextAppend(31, "+n\xe9w\xff\n", TextStyle::Added);
    EXPECT_EQ(ListText(30, 0, 1) + "|" + ListText(30, 0, 3) + "|" + GetText(31),
              "\uFFFD!||+n\uFFFDw\uFFFD\n");
    SetText(31, "plain \xc3");
    EXPECT_EQ(GetText(31), "plain \uFFFD");
    const int own = OpenWindow("Own", 100, 100);  // closed, it goes whole
    CloseDialog(own);
    EXPECT_EQ(gtk::FindWindow(own), nullptr);
}

}  // namespace
