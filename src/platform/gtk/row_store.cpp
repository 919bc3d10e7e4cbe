// A GtkTreeModel over the program's own rows (RowModel): the view asks for
// the rows it shows when it shows them, and an iterator is a row number, so
// finding a row's path or its next sibling costs no walk over its siblings.
// Iterators hold only until the next change (an insertion above shifts the
// rows), so the model does not claim they persist. And the views that show it.
#include "platform/gtk/backend.h"

namespace platform::gtk {
namespace {

enum { kImage, kText, kValue, kTreeColumns };  // a tree's columns

struct VellumRows {
    GObject parent;
    std::shared_ptr<RowModel>* rows;  // shared with the control's record
    gboolean tree;                    // image, text, value; else a string per column
    gboolean listOnly;
    gint stamp;
};
struct VellumRowsClass {
    GObjectClass parent_class;
};

void vellum_rows_model_init(GtkTreeModelIface* iface);
G_DEFINE_TYPE_WITH_CODE(VellumRows, vellum_rows, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, vellum_rows_model_init))

VellumRows* Self(GtkTreeModel* model) { return reinterpret_cast<VellumRows*>(model); }
const RowModel& Rows(GtkTreeModel* model) { return **Self(model)->rows; }

// The iterator's row, or -1 for none (the root).
int RowOf(GtkTreeModel* model, GtkTreeIter* it) {
    if (!it) return -1;
    const int row = GPOINTER_TO_INT(it->user_data);
    g_return_val_if_fail(it->stamp == Self(model)->stamp && row < Rows(model).size(), -1);
    return row;
}

gboolean Point(GtkTreeModel* model, GtkTreeIter* it, int row) {
    it->stamp = Self(model)->stamp;
    it->user_data = GINT_TO_POINTER(row);
    it->user_data2 = it->user_data3 = nullptr;
    return row >= 0;
}

GtkTreeModelFlags GetFlags(GtkTreeModel* model) {
    return Self(model)->listOnly ? GTK_TREE_MODEL_LIST_ONLY : GtkTreeModelFlags(0);
}

gint GetNColumns(GtkTreeModel* model) {
    return Self(model)->tree ? kTreeColumns : Rows(model).Columns();
}

GType GetColumnType(GtkTreeModel* model, gint column) {
    if (!Self(model)->tree) return G_TYPE_STRING;
    return column == kImage ? GDK_TYPE_PIXBUF : column == kText ? G_TYPE_STRING : G_TYPE_INT;
}

gboolean GetIter(GtkTreeModel* model, GtkTreeIter* it, GtkTreePath* path) {
    gint depth = 0;
    const gint* indices = gtk_tree_path_get_indices_with_depth(path, &depth);
    return Point(model, it, Rows(model).RowAt(indices, depth));
}

GtkTreePath* GetPath(GtkTreeModel* model, GtkTreeIter* it) {
    const int row = RowOf(model, it);
    if (row < 0) return gtk_tree_path_new();
    std::vector<int> path = Rows(model).Path(row);
    return gtk_tree_path_new_from_indicesv(path.data(), path.size());
}

void GetValue(GtkTreeModel* model, GtkTreeIter* it, gint column, GValue* value) {
    const int row = RowOf(model, it);
    const RowModel& rows = Rows(model);
    g_value_init(value, GetColumnType(model, column));
    if (row < 0) return;
    if (!Self(model)->tree)
        g_value_set_string(value, rows.Text(row, column));
    else if (column == kImage)
        g_value_set_object(value, ImageOf(rows.Image(row)));
    else if (column == kText)
        g_value_set_string(value, rows.Text(row));
    else
        g_value_set_int(value, rows.Value(row));
}

gboolean IterNext(GtkTreeModel* model, GtkTreeIter* it) {
    const int row = RowOf(model, it);
    return Point(model, it, row < 0 ? -1 : Rows(model).NextSibling(row));
}

gboolean IterPrevious(GtkTreeModel* model, GtkTreeIter* it) {
    const int row = RowOf(model, it);
    const RowModel& rows = Rows(model);
    return Point(model, it,
                 row < 0 ? -1 : rows.NthChild(rows.Parent(row), rows.IndexInParent(row) - 1));
}

gboolean IterNthChild(GtkTreeModel* model, GtkTreeIter* it, GtkTreeIter* parent, gint n) {
    return Point(model, it, Rows(model).NthChild(RowOf(model, parent), n));
}

gboolean IterChildren(GtkTreeModel* model, GtkTreeIter* it, GtkTreeIter* parent) {
    return IterNthChild(model, it, parent, 0);
}

gint IterNChildren(GtkTreeModel* model, GtkTreeIter* it) {
    return Rows(model).ChildCount(RowOf(model, it));
}

gboolean IterHasChild(GtkTreeModel* model, GtkTreeIter* it) {
    return it && IterNChildren(model, it) > 0;
}

gboolean IterParent(GtkTreeModel* model, GtkTreeIter* it, GtkTreeIter* child) {
    const int row = RowOf(model, child);
    return Point(model, it, row < 0 ? -1 : Rows(model).Parent(row));
}

void vellum_rows_model_init(GtkTreeModelIface* iface) {
    iface->get_flags = GetFlags;
    iface->get_n_columns = GetNColumns;
    iface->get_column_type = GetColumnType;
    iface->get_iter = GetIter;
    iface->get_path = GetPath;
    iface->get_value = GetValue;
    iface->iter_next = IterNext;
    iface->iter_previous = IterPrevious;
    iface->iter_children = IterChildren;
    iface->iter_has_child = IterHasChild;
    iface->iter_n_children = IterNChildren;
    iface->iter_nth_child = IterNthChild;
    iface->iter_parent = IterParent;
}

void Finalize(GObject* object) {
    delete reinterpret_cast<VellumRows*>(object)->rows;
    G_OBJECT_CLASS(vellum_rows_parent_class)->finalize(object);
}

void vellum_rows_class_init(VellumRowsClass* klass) { G_OBJECT_CLASS(klass)->finalize = Finalize; }

void vellum_rows_init(VellumRows* self) {
    static gint stamps = 0;
    self->stamp = ++stamps;
}

// A tree view names its accessible object once one is asked for (by an
// assistive tool, or as it takes the focus): made earlier, the object would
// hear of every row inserted, a third of the cost of each with nobody there.
struct VellumRowView {
    GtkTreeView parent;
};
struct VellumRowViewClass {
    GtkTreeViewClass parent_class;
};
G_DEFINE_TYPE(VellumRowView, vellum_row_view, GTK_TYPE_TREE_VIEW)

const char kName[] = "vellum-accessible-name";

AtkObject* GetAccessible(GtkWidget* view) {
    AtkObject* accessible = GTK_WIDGET_CLASS(vellum_row_view_parent_class)->get_accessible(view);
    if (auto* name = static_cast<gchar*>(g_object_steal_data(G_OBJECT(view), kName))) {
        atk_object_set_name(accessible, name);
        g_free(name);
    }
    return accessible;
}

void vellum_row_view_class_init(VellumRowViewClass* klass) {
    GTK_WIDGET_CLASS(klass)->get_accessible = GetAccessible;
}
void vellum_row_view_init(VellumRowView*) {}

}  // namespace

GtkWidget* NewRowView(const std::string& accessibleName) {
    GtkWidget* view = GTK_WIDGET(g_object_new(vellum_row_view_get_type(), nullptr));
    std::string fixed;
    g_object_set_data_full(G_OBJECT(view), kName, g_strdup(ValidUtf8(accessibleName, fixed)),
                           g_free);
    return view;
}

GtkTreeModel* NewRowStore(std::shared_ptr<RowModel> rows, bool tree, bool listOnly) {
    auto* store = static_cast<VellumRows*>(g_object_new(vellum_rows_get_type(), nullptr));
    store->rows = new std::shared_ptr<RowModel>(std::move(rows));
    store->tree = tree;
    store->listOnly = listOnly;
    return GTK_TREE_MODEL(store);
}

int StoreRow(GtkTreeModel* store, GtkTreeIter* it) { return RowOf(store, it); }

GtkTreePath* StorePath(GtkTreeModel* store, int row) {
    GtkTreeIter it;
    Point(store, &it, row);
    return GetPath(store, &it);
}

void StoreRowInserted(GtkTreeModel* store, int row) {
    GtkTreeIter it;
    Point(store, &it, row);
    GtkTreePath* path = GetPath(store, &it);
    gtk_tree_model_row_inserted(store, path, &it);
    const int parent = Rows(store).Parent(row);
    if (parent >= 0 && Rows(store).ChildCount(parent) == 1) {  // its first child
        gtk_tree_path_up(path);
        Point(store, &it, parent);
        gtk_tree_model_row_has_child_toggled(store, path, &it);
    }
    gtk_tree_path_free(path);
}

void StoreRowChanged(GtkTreeModel* store, int row) {
    GtkTreeIter it;
    Point(store, &it, row);
    GtkTreePath* path = GetPath(store, &it);
    gtk_tree_model_row_changed(store, path, &it);
    gtk_tree_path_free(path);
}

}  // namespace platform::gtk
