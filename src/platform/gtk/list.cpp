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

std::string CellText(GtkTreeModel* model, GtkTreeIter* it, int column) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, it, column, &text, -1);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

// A tick-box cell's text is its state: "1", "0", or "" for a row with no box.
const char kTicks[] = "vellum-ticks";  // on a tick-box column: its model column + 1

void ShowTick(GtkTreeViewColumn*, GtkCellRenderer* cell, GtkTreeModel* model, GtkTreeIter* it,
              gpointer column) {
    const std::string state = CellText(model, it, GPOINTER_TO_INT(column));
    const gboolean box = !state.empty();
    g_object_set(cell, "visible", box, "activatable", box, "active", state == "1", nullptr);
}

// The tick-box column the user toggles with Space, or -1.
int TickColumn(GtkTreeView* view) {
    for (int i = 0; GtkTreeViewColumn* c = gtk_tree_view_get_column(view, i); ++i)
        if (gpointer ticks = g_object_get_data(G_OBJECT(c), kTicks))
            return GPOINTER_TO_INT(ticks) - 1;
    return -1;
}

// Flips a box the row has; a row without one stays as it is.
void Toggle(GtkTreeModel* model, GtkTreePath* path, int column) {
    GtkTreeIter it;
    if (column < 0 || !gtk_tree_model_get_iter(model, &it, path)) return;
    const std::string state = CellText(model, &it, column);
    if (!state.empty())
        gtk_list_store_set(GTK_LIST_STORE(model), &it, column, state == "1" ? "0" : "1", -1);
}

void OnToggled(GtkCellRendererToggle* cell, gchar* path, gpointer view) {
    GtkTreePath* at = gtk_tree_path_new_from_string(path);
    Toggle(gtk_tree_view_get_model(GTK_TREE_VIEW(view)), at,
           GPOINTER_TO_INT(g_object_get_data(G_OBJECT(cell), kTicks)) - 1);
    gtk_tree_path_free(at);
}

GtkTreeViewColumn* NewTickColumn(GtkTreeView* view, int index) {
    GtkCellRenderer* cell = gtk_cell_renderer_toggle_new();
    g_object_set_data(G_OBJECT(cell), kTicks, GINT_TO_POINTER(index + 1));
    g_signal_connect(cell, "toggled", G_CALLBACK(OnToggled), view);
    GtkTreeViewColumn* column = gtk_tree_view_column_new();
    gtk_tree_view_column_pack_start(column, cell, TRUE);
    gtk_tree_view_column_set_cell_data_func(column, cell, ShowTick, GINT_TO_POINTER(index),
                                            nullptr);
    g_object_set_data(G_OBJECT(column), kTicks, GINT_TO_POINTER(index + 1));
    return column;
}

// A tick-box cell that has a box: clicks there tick, they don't open the row.
bool OnBox(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn* column) {
    gpointer ticks = g_object_get_data(G_OBJECT(column), kTicks);
    GtkTreeModel* model = gtk_tree_view_get_model(view);
    GtkTreeIter it;
    return ticks && gtk_tree_model_get_iter(model, &it, path) &&
           !CellText(model, &it, GPOINTER_TO_INT(ticks) - 1).empty();
}

// A double click on a row; the first click has selected it.
gboolean OnPress(GtkWidget* widget, GdkEventButton* event, gpointer id) {
    GtkTreeView* view = GTK_TREE_VIEW(widget);
    if (event->type != GDK_2BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY ||
        event->window != gtk_tree_view_get_bin_window(view))
        return FALSE;
    GtkTreePath* path = nullptr;
    GtkTreeViewColumn* column = nullptr;
    const auto x = static_cast<gint>(event->x), y = static_cast<gint>(event->y);
    if (!gtk_tree_view_get_path_at_pos(view, x, y, &path, &column, nullptr, nullptr)) return FALSE;
    const bool box = OnBox(view, path, column);
    gtk_tree_path_free(path);
    if (!box) Controls().Report(GPOINTER_TO_INT(id), EventType::DoubleClick);
    return FALSE;
}

// Return acts on the selected row as a double click does; Space ticks its
// box, where the view's own Space would tick only in the column it focuses.
gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer id) {
    const guint key = event->keyval;
    GtkTreeView* view = GTK_TREE_VIEW(widget);
    const int ticks = TickColumn(view);
    if ((key == GDK_KEY_space || key == GDK_KEY_KP_Space) && ticks >= 0 &&
        !(event->state & gtk_accelerator_get_default_mod_mask())) {
        GtkTreeModel* model = nullptr;
        GtkTreeIter it;
        if (gtk_tree_selection_get_selected(gtk_tree_view_get_selection(view), &model, &it)) {
            GtkTreePath* path = gtk_tree_model_get_path(model, &it);
            Toggle(model, path, ticks);
            gtk_tree_path_free(path);
        }
        return TRUE;
    }
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
    GtkTreeViewColumn* column =
        c.ticks ? NewTickColumn(view, index)
                : gtk_tree_view_column_new_with_attributes("", gtk_cell_renderer_text_new(), "text",
                                                           index, nullptr);
    gtk_tree_view_column_set_title(column, ValidUtf8(c.caption, fixed));
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

// The cell's row, or nullptr when the list, the row or the column is missing.
ControlRecord* Cell(int id, int row, int column, GtkTreeIter& it) {
    ControlRecord* r = List(id);
    if (!r || column < 0 || column >= gtk_tree_model_get_n_columns(Model(*r)) || row < 0 ||
        !gtk_tree_model_iter_nth_child(Model(*r), &it, nullptr, row))
        return nullptr;
    return r;
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
    GtkTreeIter it;
    ControlRecord* r = Cell(id, row, column, it);
    return r ? CellText(Model(*r), &it, column) : "";
}

// A changed cell changes no selection: nothing to report.
void ListSetText(int id, int row, int column, const std::string& text) {
    GtkTreeIter it;
    ControlRecord* r = Cell(id, row, column, it);
    std::string fixed;
    if (r) gtk_list_store_set(GTK_LIST_STORE(Model(*r)), &it, column, ValidUtf8(text, fixed), -1);
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
