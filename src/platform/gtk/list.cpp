// The report list: a GtkTreeView over a GtkListStore with one string per
// column, rows addressed by their place from the top. The view runs in fixed
// height mode, so a hundred thousand rows append without measuring each.
#include <algorithm>
#include <numeric>

#include "platform/gtk/backend.h"

namespace platform::gtk {
namespace {

ControlRecord* List(int id) {
    ControlRecord* r = Controls().Find(id);
    return r && r->kind == ControlKind::List ? r : nullptr;
}

GtkTreeView* View(const ControlRecord& r) { return GTK_TREE_VIEW(r.inner); }
GtkTreeModel* Model(const ControlRecord& r) { return gtk_tree_view_get_model(View(r)); }
GtkTreeSelection* Selection(const ControlRecord& r) { return gtk_tree_view_get_selection(View(r)); }
int Count(const ControlRecord& r) { return gtk_tree_model_iter_n_children(Model(r), nullptr); }

int SelectedRow(const ControlRecord& r) {
    GtkTreeModel* model = nullptr;
    GtkTreeIter it;
    if (!gtk_tree_selection_get_selected(Selection(r), &model, &it)) return -1;
    GtkTreePath* path = gtk_tree_model_get_path(model, &it);
    const int row = gtk_tree_path_get_indices(path)[0];
    gtk_tree_path_free(path);
    return row;
}

// Selection changes the program makes are not the user's: they report nothing.
class Quiet {
public:
    explicit Quiet(const ControlRecord& r) : r_(r) {
        g_signal_handler_block(Selection(r_), r_.signal);
    }
    ~Quiet() { g_signal_handler_unblock(Selection(r_), r_.signal); }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    const ControlRecord& r_;
};

void OnSelectionChanged(GtkTreeSelection*, gpointer id) {
    Controls().Report(GPOINTER_TO_INT(id), EventType::Change);
}

// Taking the focus with no row selected, a tree view selects its first row:
// a move neither the user nor the program made. The cursor stays on the row,
// unselected, as in the other toolkits' lists.
bool selectedBeforeFocus = false;

void OnGrabFocus(GtkWidget*, gpointer id) {
    ControlRecord* r = List(GPOINTER_TO_INT(id));
    if (!r) return;
    selectedBeforeFocus = SelectedRow(*r) >= 0;
    g_signal_handler_block(Selection(*r), r->signal);
}

void OnFocusGrabbed(GtkWidget*, gpointer id) {
    ControlRecord* r = List(GPOINTER_TO_INT(id));
    if (!r) return;
    if (!selectedBeforeFocus) gtk_tree_selection_unselect_all(Selection(*r));
    g_signal_handler_unblock(Selection(*r), r->signal);
}

// A double click on a row; the first click has selected it.
gboolean OnPress(GtkWidget* widget, GdkEventButton* event, gpointer id) {
    GtkTreeView* view = GTK_TREE_VIEW(widget);
    if (event->type != GDK_2BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY ||
        event->window != gtk_tree_view_get_bin_window(view))
        return FALSE;
    GtkTreePath* path = nullptr;
    const auto x = static_cast<gint>(event->x), y = static_cast<gint>(event->y);
    if (!gtk_tree_view_get_path_at_pos(view, x, y, &path, nullptr, nullptr, nullptr)) return FALSE;
    gtk_tree_path_free(path);
    Controls().Report(GPOINTER_TO_INT(id), EventType::DoubleClick);
    return FALSE;
}

// Return acts on the selected row as a double click does.
gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer id) {
    const guint key = event->keyval;
    if (key != GDK_KEY_Return && key != GDK_KEY_KP_Enter && key != GDK_KEY_ISO_Enter) return FALSE;
    Controls().Report(GPOINTER_TO_INT(id), EventType::DoubleClick);
    return TRUE;
}

GtkListStore* NewStore(int columns) {
    std::vector<GType> types(columns, G_TYPE_STRING);
    return gtk_list_store_newv(columns, types.data());
}

// A new model: emptying the old one row by row would tell the view of each.
void UseStore(ControlRecord& r, GtkListStore* store) {
    Quiet quiet(r);
    gtk_tree_view_set_model(View(r), GTK_TREE_MODEL(store));
    g_object_unref(store);
}

// Fixed height mode wants every column of fixed width; the last one takes
// whatever room the others leave.
void AddColumn(GtkTreeView* view, int index, const ListColumn& c, bool last) {
    std::string fixed;
    GtkTreeViewColumn* column = gtk_tree_view_column_new_with_attributes(
        ValidUtf8(c.caption, fixed), gtk_cell_renderer_text_new(), "text", index, nullptr);
    gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(column, std::max(c.width, 1));
    gtk_tree_view_column_set_resizable(column, TRUE);
    gtk_tree_view_column_set_expand(column, last);
    gtk_tree_view_append_column(view, column);
}

void SetColumns(GtkTreeView* view, const std::vector<ListColumn>& columns) {
    while (GtkTreeViewColumn* old = gtk_tree_view_get_column(view, 0))
        gtk_tree_view_remove_column(view, old);
    const int n = static_cast<int>(columns.size());
    for (int i = 0; i < n; ++i) AddColumn(view, i, columns[i], i == n - 1);
}

}  // namespace

GtkWidget* NewList(int id, const std::string& caption, ControlRecord& r) {
    // One untitled column until the program sets its own.
    GtkListStore* store = NewStore(1);
    GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    g_object_unref(store);
    GtkTreeView* tv = GTK_TREE_VIEW(view);
    gtk_tree_view_set_headers_visible(tv, TRUE);
    gtk_tree_view_set_enable_search(tv, FALSE);
    gtk_tree_view_set_fixed_height_mode(tv, TRUE);
    SetColumns(tv, {ListColumn{"", 1}});

    GtkTreeSelection* selection = gtk_tree_view_get_selection(tv);
    gtk_tree_selection_set_mode(selection, GTK_SELECTION_SINGLE);
    r.signal = g_signal_connect(selection, "changed", G_CALLBACK(OnSelectionChanged),
                                GINT_TO_POINTER(id));
    g_signal_connect(view, "button-press-event", G_CALLBACK(OnPress), GINT_TO_POINTER(id));
    g_signal_connect(view, "key-press-event", G_CALLBACK(OnKey), GINT_TO_POINTER(id));
    g_signal_connect(view, "grab-focus", G_CALLBACK(OnGrabFocus), GINT_TO_POINTER(id));
    g_signal_connect_after(view, "grab-focus", G_CALLBACK(OnFocusGrabbed), GINT_TO_POINTER(id));
    std::string fixed;
    atk_object_set_name(gtk_widget_get_accessible(view), ValidUtf8(caption, fixed));

    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scrolled), view);
    r.inner = view;
    return scrolled;
}

}  // namespace platform::gtk

namespace platform {
using namespace platform::gtk;

// The rows stay when the number of columns does; they can't otherwise.
void ListSetColumns(int id, const std::vector<ListColumn>& columns) {
    ControlRecord* r = List(id);
    if (!r || columns.empty()) return;
    const int n = static_cast<int>(columns.size());
    if (gtk_tree_model_get_n_columns(Model(*r)) != n) UseStore(*r, NewStore(n));
    SetColumns(View(*r), columns);
}

void ListClear(int id) {
    ControlRecord* r = List(id);
    if (r) UseStore(*r, NewStore(gtk_tree_model_get_n_columns(Model(*r))));
}

void ListAppend(int id, const std::vector<std::vector<std::string>>& rows) {
    ControlRecord* r = List(id);
    if (!r || rows.empty()) return;
    GtkListStore* store = GTK_LIST_STORE(Model(*r));
    const int n = gtk_tree_model_get_n_columns(Model(*r));
    std::vector<gint> columns(n);
    std::iota(columns.begin(), columns.end(), 0);
    std::vector<GValue> values(n, GValue G_VALUE_INIT);
    for (GValue& v : values) g_value_init(&v, G_TYPE_STRING);
    std::vector<std::string> fixed(n);
    for (const std::vector<std::string>& row : rows) {
        // The store copies the texts: the values only lend them.
        for (int c = 0; c < n; ++c)
            g_value_set_static_string(&values[c], c < static_cast<int>(row.size())
                                                      ? ValidUtf8(row[c], fixed[c])
                                                      : "");
        gtk_list_store_insert_with_valuesv(store, nullptr, -1, columns.data(), values.data(), n);
    }
    for (GValue& v : values) g_value_unset(&v);
}

int ListCount(int id) {
    ControlRecord* r = List(id);
    return r ? Count(*r) : 0;
}

std::string ListText(int id, int row, int column) {
    ControlRecord* r = List(id);
    GtkTreeIter it;
    if (!r || column < 0 || column >= gtk_tree_model_get_n_columns(Model(*r)) || row < 0 ||
        !gtk_tree_model_iter_nth_child(Model(*r), &it, nullptr, row))
        return "";
    gchar* text = nullptr;
    gtk_tree_model_get(Model(*r), &it, column, &text, -1);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

int ListSelectedRow(int id) {
    ControlRecord* r = List(id);
    return r ? SelectedRow(*r) : -1;
}

void ListSelect(int id, int row) {
    ControlRecord* r = List(id);
    if (!r) return;
    Quiet quiet(*r);
    if (row < 0 || row >= Count(*r)) {
        gtk_tree_selection_unselect_all(Selection(*r));
        return;
    }
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_view_set_cursor(View(*r), path, nullptr, FALSE);
    gtk_tree_view_scroll_to_cell(View(*r), path, nullptr, FALSE, 0, 0);
    gtk_tree_path_free(path);
}

}  // namespace platform
