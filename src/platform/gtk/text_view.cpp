// The read-only text: a monospace GtkTextView without wrapping, appended in
// runs that each carry the tag of their style.
#include "platform/gtk/backend.h"

namespace platform::gtk {
namespace {

ControlRecord* TextControl(int id) {
    ControlRecord* r = Controls().Find(id);
    return r && r->kind == ControlKind::Text ? r : nullptr;
}

GtkTextBuffer* Buffer(const ControlRecord& r) {
    return gtk_text_view_get_buffer(GTK_TEXT_VIEW(r.inner));
}

const char* TagName(TextStyle style) {
    switch (style) {
    case TextStyle::Added: return "added";
    case TextStyle::Removed: return "removed";
    case TextStyle::Heading: return "heading";
    default: return nullptr;
    }
}

}  // namespace

const char* ValidUtf8(const std::string& text, std::string& fixed) {
    if (g_utf8_validate_len(text.data(), text.size(), nullptr)) return text.c_str();
    // Embedded NULs are invalid here too, so the result ends where it should.
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    fixed = valid;
    g_free(valid);
    return fixed.c_str();
}

GtkWidget* NewTextView(const std::string& caption, ControlRecord& r) {
    GtkWidget* view = gtk_text_view_new();
    GtkTextView* tv = GTK_TEXT_VIEW(view);
    gtk_text_view_set_editable(tv, FALSE);
    gtk_text_view_set_monospace(tv, TRUE);
    gtk_text_view_set_wrap_mode(tv, GTK_WRAP_NONE);
    gtk_text_view_set_accepts_tab(tv, FALSE);  // Tab moves on to the next control
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(tv);
    gtk_text_buffer_create_tag(buffer, TagName(TextStyle::Added), "foreground", "#007a00", nullptr);
    gtk_text_buffer_create_tag(buffer, TagName(TextStyle::Removed), "foreground", "#c00000",
                               nullptr);
    gtk_text_buffer_create_tag(buffer, TagName(TextStyle::Heading), "foreground", "#0030a0",
                               "weight", PANGO_WEIGHT_BOLD, nullptr);
    std::string fixed;
    atk_object_set_name(gtk_widget_get_accessible(view), ValidUtf8(caption, fixed));

    r.inner = view;
    return InScrolledFrame(view, true);
}

std::string TextViewText(const ControlRecord& r) {
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(Buffer(r), &start, &end);
    gchar* text = gtk_text_buffer_get_text(Buffer(r), &start, &end, TRUE);
    std::string result = text;
    g_free(text);
    return result;
}

void SetTextViewText(const ControlRecord& r, const std::string& text) {
    std::string fixed;
    gtk_text_buffer_set_text(Buffer(r), ValidUtf8(text, fixed), -1);
}

}  // namespace platform::gtk

namespace platform {
using namespace platform::gtk;

void TextAppend(int id, const std::string& text, TextStyle style) {
    ControlRecord* r = TextControl(id);
    if (!r || text.empty()) return;
    std::string fixed;
    const char* valid = ValidUtf8(text, fixed);
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(Buffer(*r), &end);
    if (const char* tag = TagName(style))
        gtk_text_buffer_insert_with_tags_by_name(Buffer(*r), &end, valid, -1, tag, nullptr);
    else
        gtk_text_buffer_insert(Buffer(*r), &end, valid, -1);
}

}  // namespace platform
