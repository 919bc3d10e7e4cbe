// The drop-down: a GtkComboBoxText whose pick the user reports as a Change.
#include "platform/gtk/backend.h"

namespace platform::gtk {
namespace {

void OnPicked(GtkComboBox*, gpointer id) {
    Controls().Report(GPOINTER_TO_INT(id), EventType::Change);
}

}  // namespace

GtkWidget* NewChoice(int id, const std::string& caption, ControlRecord& r) {
    r.outer = r.inner = gtk_combo_box_text_new();
    atk_object_set_name(gtk_widget_get_accessible(r.inner), caption.c_str());
    // A long item must not widen the control past its rectangle.
    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(r.inner));
    for (GList* c = cells; c; c = c->next)
        g_object_set(c->data, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
    g_list_free(cells);
    r.signal = g_signal_connect(r.inner, "changed", G_CALLBACK(OnPicked), GINT_TO_POINTER(id));
    return r.outer;
}

}  // namespace platform::gtk

namespace platform {
using namespace platform::gtk;

void ChoiceSetItems(int id, const std::vector<std::string>& items) {
    ControlRecord* r = FindControl(id);
    if (!r || r->kind != ControlKind::Choice) return;
    GtkComboBoxText* box = GTK_COMBO_BOX_TEXT(r->inner);
    g_signal_handler_block(r->inner, r->signal);  // the program's own change reports nothing
    gtk_combo_box_text_remove_all(box);
    for (const std::string& item : items) {
        std::string fixed;
        gtk_combo_box_text_append_text(box, ValidUtf8(item, fixed));
    }
    gtk_combo_box_set_active(GTK_COMBO_BOX(box), -1);
    g_signal_handler_unblock(r->inner, r->signal);
}

int ChoiceSelected(int id) {
    ControlRecord* r = FindControl(id);
    return r && r->kind == ControlKind::Choice ? gtk_combo_box_get_active(GTK_COMBO_BOX(r->inner))
                                               : -1;
}

}  // namespace platform
