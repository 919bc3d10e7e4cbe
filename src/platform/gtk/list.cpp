// The report list: a GtkTreeView over the program's own rows
// (row_store.cpp), one string per column, addressed by their place from the
// top. The view runs in fixed height mode, so a hundred thousand rows append
// without measuring each.
#include <algorithm>

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
int Count(const ControlRecord& r) { return r.rows->size(); }

int SelectedRow(const ControlRecord& r) {
    GtkTreeModel* model = nullptr;
    GtkTreeIter it;
    return gtk_tree_selection_get_selected(Selection(r), &model, &it) ? StoreRow(model, &it) : -1;
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
void Toggle(const ControlRecord& r, int row, int column) {
    if (column < 0 || row < 0 || row >= Count(r)) return;
    const std::string state = r.rows->Text(row, column);
    if (state.empty()) return;
    r.rows->SetText(row, column, state == "1" ? "0" : "1");
    StoreRowChanged(Model(r), row);
}

void OnToggled(GtkCellRendererToggle* cell, gchar* path, gpointer id) {
    ControlRecord* r = List(GPOINTER_TO_INT(id));
    GtkTreeIter it;
    if (r && gtk_tree_model_get_iter_from_string(Model(*r), &it, path))
        Toggle(*r, StoreRow(Model(*r), &it),
               GPOINTER_TO_INT(g_object_get_data(G_OBJECT(cell), kTicks)) - 1);
}

GtkTreeViewColumn* NewTickColumn(int id, int index) {
    GtkCellRenderer* cell = gtk_cell_renderer_toggle_new();
    g_object_set_data(G_OBJECT(cell), kTicks, GINT_TO_POINTER(index + 1));
    g_signal_connect(cell, "toggled", G_CALLBACK(OnToggled), GINT_TO_POINTER(id));
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
    const int ticks = TickColumn(GTK_TREE_VIEW(widget));
    if ((key == GDK_KEY_space || key == GDK_KEY_KP_Space) && ticks >= 0 &&
        !(event->state & gtk_accelerator_get_default_mod_mask())) {
        if (ControlRecord* r = List(GPOINTER_TO_INT(id))) Toggle(*r, SelectedRow(*r), ticks);
        return TRUE;
    }
    if (key != GDK_KEY_Return && key != GDK_KEY_KP_Enter && key != GDK_KEY_ISO_Enter) return FALSE;
    Controls().Report(GPOINTER_TO_INT(id), EventType::DoubleClick);
    return TRUE;
}

// Empty rows of `columns` columns in place of the old ones, which the view
// lets go of first: dropping them one by one would tell it of each.
void UseRows(ControlRecord& r, int columns) {
    Quiet quiet(r);
    gtk_tree_view_set_model(View(r), nullptr);
    r.rows = std::make_shared<RowModel>(columns);
    GtkTreeModel* store = NewRowStore(r.rows, false, true);
    gtk_tree_view_set_model(View(r), store);
    g_object_unref(store);
}

// Fixed height mode wants every column of fixed width; the last one takes
// whatever room the others leave.
void AddColumn(int id, GtkTreeView* view, int index, const ListColumn& c, bool last) {
    std::string fixed;
    GtkTreeViewColumn* column = c.ticks
                                    ? NewTickColumn(id, index)
                                    : gtk_tree_view_column_new_with_attributes(
                                          "", gtk_cell_renderer_text_new(), "text", index, nullptr);
    gtk_tree_view_column_set_title(column, ValidUtf8(c.caption, fixed));
    gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(column, std::max(c.width, 1));
    gtk_tree_view_column_set_resizable(column, TRUE);
    gtk_tree_view_column_set_expand(column, last);
    gtk_tree_view_append_column(view, column);
}

void SetColumns(int id, GtkTreeView* view, const std::vector<ListColumn>& columns) {
    while (GtkTreeViewColumn* old = gtk_tree_view_get_column(view, 0))
        gtk_tree_view_remove_column(view, old);
    const int n = static_cast<int>(columns.size());
    for (int i = 0; i < n; ++i) AddColumn(id, view, i, columns[i], i == n - 1);
}

// The cell's list, or nullptr when the list, the row or the column is missing.
ControlRecord* Cell(int id, int row, int column) {
    ControlRecord* r = List(id);
    if (!r || column < 0 || column >= r->rows->Columns() || row < 0 || row >= Count(*r))
        return nullptr;
    return r;
}

}  // namespace

GtkWidget* NewList(int id, const std::string& caption, ControlRecord& r) {
    // One untitled column until the program sets its own.
    GtkWidget* view = NewRowView(caption);
    r.inner = view;
    GtkTreeView* tv = GTK_TREE_VIEW(view);
    gtk_tree_view_set_headers_visible(tv, TRUE);
    gtk_tree_view_set_enable_search(tv, FALSE);
    SetColumns(id, tv, {ListColumn{"", 1}});
    gtk_tree_view_set_fixed_height_mode(tv, TRUE);

    GtkTreeSelection* selection = gtk_tree_view_get_selection(tv);
    gtk_tree_selection_set_mode(selection, GTK_SELECTION_SINGLE);
    r.signal =
        g_signal_connect(selection, "changed", G_CALLBACK(OnSelectionChanged), GINT_TO_POINTER(id));
    UseRows(r, 1);
    g_signal_connect(view, "button-press-event", G_CALLBACK(OnPress), GINT_TO_POINTER(id));
    g_signal_connect(view, "key-press-event", G_CALLBACK(OnKey), GINT_TO_POINTER(id));
    g_signal_connect(view, "grab-focus", G_CALLBACK(OnGrabFocus), GINT_TO_POINTER(id));
    g_signal_connect_after(view, "grab-focus", G_CALLBACK(OnFocusGrabbed), GINT_TO_POINTER(id));

    return InScrolledFrame(view, true);
}

}  // namespace platform::gtk

namespace platform {
using namespace platform::gtk;

// The rows stay when the number of columns does; they can't otherwise.
void ListSetColumns(int id, const std::vector<ListColumn>& columns) {
    ControlRecord* r = List(id);
    if (!r || columns.empty()) return;
    const int n = static_cast<int>(columns.size());
    if (r->rows->Columns() != n) UseRows(*r, n);
    SetColumns(id, View(*r), columns);
}

void ListClear(int id) {
    if (ControlRecord* r = List(id)) UseRows(*r, r->rows->Columns());
}

// Row by row, as the view keeps its scroll position and selection through
// insertions; each costs it a step down its own balanced tree.
void ListAppend(int id, const std::vector<std::vector<std::string>>& rows) {
    ControlRecord* r = List(id);
    if (!r || rows.empty()) return;
    const int n = r->rows->Columns();
    std::vector<std::string> fixed(n);
    std::vector<std::string_view> cells(n);
    for (const std::vector<std::string>& row : rows) {
        for (int c = 0; c < n; ++c)
            cells[c] = c < static_cast<int>(row.size()) ? ValidUtf8(row[c], fixed[c]) : "";
        r->rows->Append(cells);
        StoreRowInserted(Model(*r), r->rows->size() - 1);
    }
}

int ListCount(int id) {
    ControlRecord* r = List(id);
    return r ? Count(*r) : 0;
}

std::string ListText(int id, int row, int column) {
    ControlRecord* r = Cell(id, row, column);
    return r ? r->rows->Text(row, column) : "";
}

// A changed cell changes no selection: nothing to report.
void ListSetText(int id, int row, int column, const std::string& text) {
    ControlRecord* r = Cell(id, row, column);
    if (!r) return;
    std::string fixed;
    r->rows->SetText(row, column, ValidUtf8(text, fixed));
    StoreRowChanged(Model(*r), row);
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
