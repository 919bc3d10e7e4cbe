// The tree list: a GtkTreeView over the program's own rows (row_store.cpp),
// addressed by row, the item's place counted from the top across all depths
// (children of collapsed items included). The view runs in fixed height
// mode: it measures no row it does not draw. The images the items show live
// here too.
#include <algorithm>
#include <cmath>

#include "platform/gtk/backend.h"

namespace platform::gtk {
namespace {

enum { kImage, kText, kValue, kColumns };

std::vector<GdkPixbuf*> images;      // handle - 1
GdkEvent* lastRightClick = nullptr;  // lends its time and device to the menu grab
int keyboardMenuTree = -1;           // the tree whose Menu key asked for the menu

GtkTreeView* View(const ControlRecord& r) { return GTK_TREE_VIEW(r.inner); }
GtkTreeModel* Model(const ControlRecord& r) { return gtk_tree_view_get_model(View(r)); }
GtkTreeSelection* Selection(const ControlRecord& r) { return gtk_tree_view_get_selection(View(r)); }

// The tree, or nullptr when it or its row is missing.
ControlRecord* TreeRow(int id, int row) {
    ControlRecord* r = Controls().Tree(id);
    return r && row >= 0 && row < r->rows->size() ? r : nullptr;
}

GtkTreePath* PathOf(const ControlRecord& r, int row) { return StorePath(Model(r), row); }

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

// Expanding and collapsing by the user (a click on the expander, the + and -
// keys) reach the rows here; the program's own go through the view too.
void OnRowExpanded(GtkTreeView* view, GtkTreeIter* it, GtkTreePath*, gpointer id) {
    ControlRecord* r = Controls().Tree(GPOINTER_TO_INT(id));
    const int row = StoreRow(gtk_tree_view_get_model(view), it);
    if (r && row >= 0) r->rows->Expand(row);
}

void OnRowCollapsed(GtkTreeView* view, GtkTreeIter* it, GtkTreePath*, gpointer id) {
    ControlRecord* r = Controls().Tree(GPOINTER_TO_INT(id));
    const int row = StoreRow(gtk_tree_view_get_model(view), it);
    if (r && row >= 0) r->rows->Collapse(row);
}

void UseStore(ControlRecord& r) {
    GtkTreeModel* store = NewRowStore(r.rows, true, false);
    gtk_tree_view_set_model(View(r), store);
    g_object_unref(store);
}

// Fixed height mode wants a column of fixed width: as wide as the widest
// item, judged by its depth and its length in characters (a wide one counts
// twice) at the most pixels a character took in the longest items measured.
// Pango measures only an item longer than all before it.
struct Widths {
    int indent = 0;      // pixels per depth
    int longest = 0;     // characters
    double perChar = 0;  // pixels
};
const char kWidths[] = "vellum-widths";

int CharsOf(const char* text) {
    int chars = 0;
    for (const char* p = text; *p; p = g_utf8_next_char(p))
        chars += g_unichar_iswide(g_utf8_get_char(p)) ? 2 : 1;
    return chars;
}

void Widen(const ControlRecord& r, int row) {
    GtkTreeViewColumn* column = gtk_tree_view_get_column(View(r), 0);
    auto* w = static_cast<Widths*>(g_object_get_data(G_OBJECT(column), kWidths));
    const char* text = r.rows->Text(row);
    const int chars = CharsOf(text);
    if (chars > w->longest) {
        w->longest = chars;
        PangoLayout* layout = gtk_widget_create_pango_layout(r.inner, text);
        int width = 0;
        pango_layout_get_pixel_size(layout, &width, nullptr);
        g_object_unref(layout);
        w->perChar = std::max(w->perChar, static_cast<double>(width) / chars);
    }
    if (w->indent == 0) {
        gint expander = 0;
        gtk_widget_style_get(r.inner, "expander-size", &expander, nullptr);
        w->indent = expander + 4;  // the view's padding beside each expander
    }
    constexpr int kImageAndPadding = 16 + 12;
    const int need = (r.rows->Depth(row) + 1) * w->indent + kImageAndPadding +
                     static_cast<int>(std::ceil(chars * w->perChar));
    if (need > gtk_tree_view_column_get_fixed_width(column))
        gtk_tree_view_column_set_fixed_width(column, need);
}

void ResetWidth(const ControlRecord& r) {
    GtkTreeViewColumn* column = gtk_tree_view_get_column(View(r), 0);
    static_cast<Widths*>(g_object_get_data(G_OBJECT(column), kWidths))->longest = 0;
    gtk_tree_view_column_set_fixed_width(column, 1);
}

}  // namespace

GtkWidget* NewTree(int id, ControlRecord& r) {
    GtkWidget* view = NewRowView("Entries");
    r.inner = view;
    r.rows = std::make_shared<RowModel>();
    UseStore(r);
    GtkTreeView* tv = GTK_TREE_VIEW(view);
    gtk_tree_view_set_headers_visible(tv, FALSE);
    gtk_tree_view_set_enable_tree_lines(tv, TRUE);
    gtk_tree_view_set_show_expanders(tv, FALSE);  // see TreeAddItem
    gtk_tree_view_set_enable_search(tv, FALSE);

    GtkTreeViewColumn* column = gtk_tree_view_column_new();
    g_object_set_data_full(G_OBJECT(column), kWidths, new Widths,
                           [](gpointer w) { delete static_cast<Widths*>(w); });
    gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(column, 1);
    gtk_tree_view_column_set_expand(column, TRUE);
    GtkCellRenderer* image = gtk_cell_renderer_pixbuf_new();
    gtk_cell_renderer_set_fixed_size(image, 16, 16);
    gtk_tree_view_column_pack_start(column, image, FALSE);
    gtk_tree_view_column_add_attribute(column, image, "pixbuf", kImage);
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    gtk_tree_view_column_pack_start(column, text, TRUE);
    gtk_tree_view_column_add_attribute(column, text, "text", kText);
    gtk_tree_view_append_column(tv, column);
    gtk_tree_view_set_fixed_height_mode(tv, TRUE);

    GtkTreeSelection* selection = gtk_tree_view_get_selection(tv);
    gtk_tree_selection_set_mode(selection, GTK_SELECTION_SINGLE);
    r.signal =
        g_signal_connect(selection, "changed", G_CALLBACK(OnSelectionChanged), GINT_TO_POINTER(id));
    g_signal_connect(view, "button-press-event", G_CALLBACK(OnPress), GINT_TO_POINTER(id));
    g_signal_connect(view, "key-press-event", G_CALLBACK(OnKey), GINT_TO_POINTER(id));
    g_signal_connect(view, "popup-menu", G_CALLBACK(OnPopupMenu), GINT_TO_POINTER(id));
    g_signal_connect(view, "row-expanded", G_CALLBACK(OnRowExpanded), GINT_TO_POINTER(id));
    g_signal_connect(view, "row-collapsed", G_CALLBACK(OnRowCollapsed), GINT_TO_POINTER(id));

    return InScrolledFrame(view, true);
}

GdkPixbuf* ImageOf(ImageHandle image) {
    return image > 0 && image <= static_cast<int>(images.size()) ? images[image - 1] : nullptr;
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

// The view lets go of the rows it knew before they go.
void TreeClear(int id) {
    ControlRecord* r = Controls().Tree(id);
    if (!r) return;
    Quiet quiet(*r);
    gtk_tree_view_set_model(View(*r), nullptr);
    r->rows->Clear();
    UseStore(*r);
    gtk_tree_view_set_show_expanders(View(*r), FALSE);
    ResetWidth(*r);
}

// While every item is at the top (search results, a command's output, a
// folder's first level) no room is kept for expanders, as in a list.

void TreeAddItem(int id, int row, const std::string& text, ImageHandle image, int depth) {
    ControlRecord* r = Controls().Tree(id);
    if (!r) return;
    std::string fixed;
    const TreePlacement p = r->rows->Add(row, depth, ValidUtf8(text, fixed), image);
    if (p.depth > 0) gtk_tree_view_set_show_expanders(View(*r), TRUE);
    Widen(*r, p.at);
    StoreRowInserted(Model(*r), p.at);
}

int TreeCount(int id) {
    ControlRecord* r = Controls().Tree(id);
    return r ? r->rows->size() : 0;
}

// The value is not shown: the view need not hear of it.
void TreeSetValue(int id, int row, int value) {
    if (ControlRecord* r = TreeRow(id, row)) r->rows->SetValue(row, value);
}

int TreeValue(int id, int row) {
    ControlRecord* r = TreeRow(id, row);
    return r ? r->rows->Value(row) : 0;
}

std::string TreeText(int id, int row) {
    ControlRecord* r = TreeRow(id, row);
    return r ? r->rows->Text(row) : "";
}

int TreeDepth(int id, int row) {
    ControlRecord* r = TreeRow(id, row);
    return r ? r->rows->Depth(row) : 0;
}

bool TreeExpanded(int id, int row) {
    ControlRecord* r = TreeRow(id, row);
    return r && r->rows->Expanded(row);
}

void TreeExpand(int id, int row) {
    ControlRecord* r = TreeRow(id, row);
    if (!r) return;
    GtkTreePath* path = PathOf(*r, row);
    gtk_tree_view_expand_to_path(View(*r), path);
    gtk_tree_path_free(path);
}

int TreeSelectedRow(int id) {
    ControlRecord* r = Controls().Tree(id);
    GtkTreeModel* model = nullptr;
    GtkTreeIter it;
    if (!r || !gtk_tree_selection_get_selected(Selection(*r), &model, &it)) return -1;
    return StoreRow(model, &it);
}

void TreeSelect(int id, int row) {
    ControlRecord* r = Controls().Tree(id);
    if (!r) return;
    Quiet quiet(*r);
    if (!TreeRow(id, row)) {
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
