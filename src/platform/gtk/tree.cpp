// The tree list: a GtkTreeView over a GtkTreeStore, addressed by row, the
// item's place counted from the top across all depths (children of collapsed
// items included). The images the items show live here too.
#include <algorithm>

#include "platform/gtk/backend.h"
#include "platform/tree_placement.h"

namespace platform::gtk {
namespace {

enum { kImage, kText, kValue, kColumns };

std::vector<GdkPixbuf*> images;         // handle - 1
GdkEvent* lastRightClick = nullptr;     // lends its time and device to the menu grab
int keyboardMenuTree = -1;              // the tree whose Menu key asked for the menu

GtkTreeView* View(const ControlRecord& r) { return GTK_TREE_VIEW(r.inner); }
GtkTreeModel* Model(const ControlRecord& r) { return gtk_tree_view_get_model(View(r)); }
GtkTreeSelection* Selection(const ControlRecord& r) { return gtk_tree_view_get_selection(View(r)); }

GtkTreePath* PathOf(const ControlRecord& r, int row) {
    GtkTreeIter it = r.rows[row].iter;
    return gtk_tree_model_get_path(Model(r), &it);
}

int RowOf(const ControlRecord& r, const GtkTreeIter& it) {
    return FindRow(r.rows, [&](const TreeRow& row) { return row.iter.user_data == it.user_data; });
}

// Selection changes the program makes are not the user's: they report nothing.
class Quiet {
public:
    explicit Quiet(const ControlRecord& r) : r_(r) {
        g_signal_handler_block(Selection(r_), r_.signal);
    }
    ~Quiet() { g_signal_handler_unblock(Selection(r_), r_.signal); }

private:
    const ControlRecord& r_;
};

void OnSelectionChanged(GtkTreeSelection*, gpointer id) {
    Controls().Report(GPOINTER_TO_INT(id), EventType::Change);
}

gboolean OnPress(GtkWidget* widget, GdkEventButton* event, gpointer id) {
    GtkTreeView* view = GTK_TREE_VIEW(widget);
    if (event->window != gtk_tree_view_get_bin_window(view)) return FALSE;
    bool right = event->type == GDK_BUTTON_PRESS && event->button == GDK_BUTTON_SECONDARY;
    bool twice = event->type == GDK_2BUTTON_PRESS && event->button == GDK_BUTTON_PRIMARY;
    if (!right && !twice) return FALSE;
    GtkTreePath* path = nullptr;
    gtk_tree_view_get_path_at_pos(view, static_cast<gint>(event->x), static_cast<gint>(event->y),
                                  &path, nullptr, nullptr, nullptr);
    // Whatever the click acts on must be the selected row when it is reported;
    // a click on empty space leaves no row selected.
    if (!path)
        gtk_tree_selection_unselect_all(gtk_tree_view_get_selection(view));
    else if (right)
        gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
    gtk_tree_path_free(path);
    if (right) {
        ReleaseLastRightClick();
        lastRightClick = gdk_event_copy(reinterpret_cast<GdkEvent*>(event));
    }
    Controls().Report(GPOINTER_TO_INT(id), right ? EventType::RightClick : EventType::DoubleClick);
    return right;
}

// Return acts on the selected row as a double click does.
gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer id) {
    const guint key = event->keyval;
    if (key != GDK_KEY_Return && key != GDK_KEY_KP_Enter && key != GDK_KEY_ISO_Enter) return FALSE;
    Controls().Report(GPOINTER_TO_INT(id), EventType::DoubleClick);
    return TRUE;
}

// The Menu key and Shift+F10: the menu opens on the selected row, not at
// the place of the last right click.
gboolean OnPopupMenu(GtkWidget*, gpointer id) {
    ReleaseLastRightClick();
    keyboardMenuTree = GPOINTER_TO_INT(id);
    Controls().Report(GPOINTER_TO_INT(id), EventType::RightClick);
    return TRUE;
}

// A tree store finds a row's path by counting the siblings before it, on
// every insertion and change: filling it grows with the square of the rows.
// A list store finds it in a balanced sequence. So a tree holds a list store
// while all its items are at the top (search results, a command's output, a
// repository's top folder) and a tree store once an item is nested.
GtkListStore* NewListStore() {
    return gtk_list_store_new(kColumns, GDK_TYPE_PIXBUF, G_TYPE_STRING, G_TYPE_INT);
}

bool Flat(const ControlRecord& r) { return GTK_IS_LIST_STORE(Model(r)); }

void UseModel(ControlRecord& r, GtkTreeModel* model) {
    gtk_tree_view_set_model(View(r), model);
    g_object_unref(model);
}

// The first nested item: the top-level rows move to a tree store.
void MakeNestable(ControlRecord& r) {
    GtkTreeStore* store = gtk_tree_store_new(kColumns, GDK_TYPE_PIXBUF, G_TYPE_STRING, G_TYPE_INT);
    GtkTreeModel* flat = Model(r);
    GtkTreeIter* last = nullptr;
    for (int i = 0; i < r.rows.size(); ++i) {
        GdkPixbuf* image = nullptr;
        gchar* text = nullptr;
        gint value = 0;
        gtk_tree_model_get(flat, &r.rows[i].iter, kImage, &image, kText, &text, kValue, &value, -1);
        GtkTreeIter it;
        gtk_tree_store_insert_after(store, &it, nullptr, last);
        gtk_tree_store_set(store, &it, kImage, image, kText, text, kValue, value, -1);
        if (image) g_object_unref(image);
        g_free(text);
        r.rows[i].iter = it;
        last = &r.rows[i].iter;
    }
    UseModel(r, GTK_TREE_MODEL(store));
}

void SetValue(const ControlRecord& r, GtkTreeIter* it, int value) {
    if (Flat(r)) gtk_list_store_set(GTK_LIST_STORE(Model(r)), it, kValue, value, -1);
    else gtk_tree_store_set(GTK_TREE_STORE(Model(r)), it, kValue, value, -1);
}

}  // namespace

GtkWidget* NewTree(int id, ControlRecord& r) {
    GtkListStore* store = NewListStore();
    GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    g_object_unref(store);
    GtkTreeView* tv = GTK_TREE_VIEW(view);
    gtk_tree_view_set_headers_visible(tv, FALSE);
    gtk_tree_view_set_enable_tree_lines(tv, TRUE);
    gtk_tree_view_set_enable_search(tv, FALSE);

    GtkTreeViewColumn* column = gtk_tree_view_column_new();
    GtkCellRenderer* image = gtk_cell_renderer_pixbuf_new();
    gtk_cell_renderer_set_fixed_size(image, 16, 16);
    gtk_tree_view_column_pack_start(column, image, FALSE);
    gtk_tree_view_column_add_attribute(column, image, "pixbuf", kImage);
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    gtk_tree_view_column_pack_start(column, text, TRUE);
    gtk_tree_view_column_add_attribute(column, text, "text", kText);
    gtk_tree_view_append_column(tv, column);

    GtkTreeSelection* selection = gtk_tree_view_get_selection(tv);
    gtk_tree_selection_set_mode(selection, GTK_SELECTION_SINGLE);
    r.signal = g_signal_connect(selection, "changed", G_CALLBACK(OnSelectionChanged),
                                GINT_TO_POINTER(id));
    g_signal_connect(view, "button-press-event", G_CALLBACK(OnPress), GINT_TO_POINTER(id));
    g_signal_connect(view, "key-press-event", G_CALLBACK(OnKey), GINT_TO_POINTER(id));
    g_signal_connect(view, "popup-menu", G_CALLBACK(OnPopupMenu), GINT_TO_POINTER(id));
    atk_object_set_name(gtk_widget_get_accessible(view), "Entries");

    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scrolled), view);
    r.inner = view;
    return scrolled;
}

const GdkEvent* LastRightClick() { return lastRightClick; }

void ReleaseLastRightClick() {
    if (lastRightClick) gdk_event_free(lastRightClick);
    lastRightClick = nullptr;
    keyboardMenuTree = -1;
}

GdkWindow* KeyboardMenuAnchor(GdkRectangle* area) {
    ControlRecord* r = Controls().Tree(keyboardMenuTree);
    if (!r) return nullptr;
    GtkTreePath* path = nullptr;
    gtk_tree_view_get_cursor(View(*r), &path, nullptr);
    if (!path) return nullptr;
    gtk_tree_view_get_cell_area(View(*r), path, nullptr, area);
    gtk_tree_path_free(path);
    return gtk_tree_view_get_bin_window(View(*r));
}

void ReleaseImages() {
    for (GdkPixbuf* image : images) g_object_unref(image);
    images.clear();
}

}  // namespace platform::gtk

namespace platform {
using namespace platform::gtk;

void TreeClear(int id) {
    ControlRecord* r = Controls().Tree(id);
    if (!r) return;
    Quiet quiet(*r);
    if (Flat(*r)) gtk_list_store_clear(GTK_LIST_STORE(Model(*r)));
    else UseModel(*r, GTK_TREE_MODEL(NewListStore()));
    r->rows.clear();
}

void TreeAddItem(int id, int row, const std::string& text, ImageHandle image, int depth) {
    ControlRecord* r = Controls().Tree(id);
    if (!r) return;
    TreeRows<TreeRow>& rows = r->rows;
    const TreePlacement p = rows.Place(row, depth);
    if (p.depth > 0 && Flat(*r)) MakeNestable(*r);
    bool known = image > 0 && image <= static_cast<int>(images.size());
    GdkPixbuf* pixbuf = known ? images[image - 1] : nullptr;
    GtkTreeIter it;
    if (Flat(*r)) {
        gtk_list_store_insert_with_values(GTK_LIST_STORE(Model(*r)), &it, p.at, kImage, pixbuf,
                                          kText, text.c_str(), kValue, 0, -1);
    } else {
        GtkTreeStore* store = GTK_TREE_STORE(Model(*r));
        GtkTreeIter* under = p.parent >= 0 ? &rows[p.parent].iter : nullptr;
        // After a known sibling, never by position: the store would walk the
        // parent's children to find the place.
        GtkTreeIter* after = p.lastSiblingAbove >= 0 ? &rows[p.lastSiblingAbove].iter : nullptr;
        gtk_tree_store_insert_after(store, &it, under, after);
        gtk_tree_store_set(store, &it, kImage, pixbuf, kText, text.c_str(), kValue, 0, -1);
    }
    rows.Insert(p, TreeRow{it, p.depth});
}

int TreeCount(int id) {
    ControlRecord* r = Controls().Tree(id);
    return r ? static_cast<int>(r->rows.size()) : 0;
}

void TreeSetValue(int id, int row, int value) {
    if (ControlRecord* r = Controls().TreeRow(id, row)) SetValue(*r, &r->rows[row].iter, value);
}

int TreeValue(int id, int row) {
    ControlRecord* r = Controls().TreeRow(id, row);
    if (!r) return 0;
    gint value = 0;
    gtk_tree_model_get(Model(*r), &r->rows[row].iter, kValue, &value, -1);
    return value;
}

std::string TreeText(int id, int row) {
    ControlRecord* r = Controls().TreeRow(id, row);
    if (!r) return "";
    gchar* text = nullptr;
    gtk_tree_model_get(Model(*r), &r->rows[row].iter, kText, &text, -1);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

int TreeDepth(int id, int row) {
    ControlRecord* r = Controls().TreeRow(id, row);
    return r ? r->rows[row].depth : 0;
}

bool TreeExpanded(int id, int row) {
    ControlRecord* r = Controls().TreeRow(id, row);
    if (!r) return false;
    GtkTreePath* path = PathOf(*r, row);
    bool expanded = gtk_tree_view_row_expanded(View(*r), path);
    gtk_tree_path_free(path);
    return expanded;
}

void TreeExpand(int id, int row) {
    ControlRecord* r = Controls().TreeRow(id, row);
    if (!r) return;
    GtkTreePath* path = PathOf(*r, row);
    gtk_tree_view_expand_to_path(View(*r), path);
    gtk_tree_path_free(path);
}

int TreeSelectedRow(int id) {
    ControlRecord* r = Controls().Tree(id);
    GtkTreeIter it;
    if (!r || !gtk_tree_selection_get_selected(Selection(*r), nullptr, &it)) return -1;
    return RowOf(*r, it);
}

void TreeSelect(int id, int row) {
    ControlRecord* r = Controls().Tree(id);
    if (!r) return;
    Quiet quiet(*r);
    if (!Controls().TreeRow(id, row)) {
        gtk_tree_selection_unselect_all(Selection(*r));
        return;
    }
    GtkTreePath* path = PathOf(*r, row);
    // The cursor can't rest on a hidden row: open its ancestors first.
    GtkTreePath* parent = gtk_tree_path_copy(path);
    if (gtk_tree_path_up(parent) && gtk_tree_path_get_depth(parent) > 0)
        gtk_tree_view_expand_to_path(View(*r), parent);
    gtk_tree_path_free(parent);
    gtk_tree_view_set_cursor(View(*r), path, nullptr, FALSE);
    gtk_tree_view_scroll_to_cell(View(*r), path, nullptr, FALSE, 0, 0);
    gtk_tree_path_free(path);
}

ImageHandle CreateImage(const uint32_t* argb) {
    GdkPixbuf* image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 16, 16);
    if (!image) return 0;
    guchar* pixels = gdk_pixbuf_get_pixels(image);
    const int stride = gdk_pixbuf_get_rowstride(image);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const uint32_t p = argb[y * 16 + x];
            guchar* out = pixels + y * stride + x * 4;
            out[0] = (p >> 16) & 0xff;
            out[1] = (p >> 8) & 0xff;
            out[2] = p & 0xff;
            out[3] = p >> 24;
        }
    }
    images.push_back(image);
    return static_cast<ImageHandle>(images.size());
}

}  // namespace platform
