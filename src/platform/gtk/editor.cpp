// The multi-line editor: an editable GtkTextView that wraps its lines, framed
// like an entry. Return breaks the line, Ctrl+Return acts as Return does in a
// field, and Tab moves on rather than typing a tab.
#include "platform/gtk/backend.h"

namespace platform::gtk {
namespace {

bool IsReturn(guint key) {
    return key == GDK_KEY_Return || key == GDK_KEY_KP_Enter || key == GDK_KEY_ISO_Enter;
}

gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer id) {
    const guint mods = event->state & gtk_accelerator_get_default_mod_mask();
    if (!IsReturn(event->keyval) || mods != GDK_CONTROL_MASK) return FALSE;
    Controls().Report(GPOINTER_TO_INT(id), EventType::Activate);
    return TRUE;
}

void OnChanged(GtkTextBuffer*, gpointer id) {
    Controls().Report(GPOINTER_TO_INT(id), EventType::Change);
}

}  // namespace

GtkWidget* NewEditor(int id, const std::string& caption, ControlRecord& r) {
    GtkWidget* view = gtk_text_view_new();
    GtkTextView* tv = GTK_TEXT_VIEW(view);
    gtk_text_view_set_wrap_mode(tv, GTK_WRAP_WORD_CHAR);
    gtk_text_view_set_accepts_tab(tv, FALSE);  // Tab moves on to the next control
    gtk_text_view_set_left_margin(tv, 3);      // as an entry pads its text
    gtk_text_view_set_right_margin(tv, 3);
    gpointer data = GINT_TO_POINTER(id);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(tv);
    r.signal = g_signal_connect(buffer, "changed", G_CALLBACK(OnChanged), data);
    g_signal_connect(view, "key-press-event", G_CALLBACK(OnKey), data);
    std::string fixed;
    atk_object_set_name(gtk_widget_get_accessible(view), ValidUtf8(caption, fixed));

    r.inner = view;
    return InScrolledFrame(view, false);
}

// The program's own text is not the user's typing: it reports nothing.
void SetEditorText(const ControlRecord& r, const std::string& text) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(r.inner));
    g_signal_handler_block(buffer, r.signal);
    SetTextViewText(r, text);
    g_signal_handler_unblock(buffer, r.signal);
}

}  // namespace platform::gtk
