// Controls by id: creation at a fixed rectangle, their texts, states and the
// events they report.
#include <algorithm>

#include "platform/gtk/backend.h"

namespace platform::gtk {
namespace {

ControlTable<ControlRecord> controls;

void OnClicked(GtkWidget*, gpointer id) {
    controls.Report(GPOINTER_TO_INT(id), EventType::LeftClick);
}

void OnChanged(GtkEditable*, gpointer id) {
    controls.Report(GPOINTER_TO_INT(id), EventType::Change);
}

void OnActivate(GtkEntry*, gpointer id) {
    controls.Report(GPOINTER_TO_INT(id), EventType::Activate);
}

gboolean OnFocusIn(GtkWidget*, GdkEvent*, gpointer id) {
    controls.Report(GPOINTER_TO_INT(id), EventType::FocusGained);
    return FALSE;
}

gboolean OnFocusOut(GtkWidget*, GdkEvent*, gpointer id) {
    controls.Report(GPOINTER_TO_INT(id), EventType::FocusLost);
    return FALSE;
}

GtkWidget* NewLabel(const std::string& text) {
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_label_set_yalign(GTK_LABEL(label), 0);
    return label;
}

// Buttons carry their own label; FitCaption picks a font size it fits at, and
// the ellipsis only guards the rectangle should a caption not fit even then.
void NewCaption(GtkWidget* button, const std::string& text) {
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    if (GTK_IS_CHECK_BUTTON(button)) gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_container_add(GTK_CONTAINER(button), label);
}

GtkLabel* CaptionOf(const ControlRecord& r) {
    switch (r.kind) {
    case ControlKind::Label:
    case ControlKind::Link: return GTK_LABEL(r.inner);
    case ControlKind::Button:
    case ControlKind::DefaultButton:
    case ControlKind::CheckBox: return GTK_LABEL(gtk_bin_get_child(GTK_BIN(r.inner)));
    default: return nullptr;
    }
}

// A caption is drawn in the desktop font where it fits the room its control
// gives it, else in the largest smaller size that fits, down to this; past
// that the condensed face at this size.
constexpr int kMinimumSize = 7 * PANGO_SCALE;  // points: 9 px at 96 dpi
constexpr int kSizeStep = PANGO_SCALE / 2;

GdkRectangle PlaceOf(const ControlRecord& r) {
    GdkRectangle place{};
    GtkWidget* canvas = gtk_widget_get_parent(r.outer);
    if (canvas)
        gtk_container_child_get(GTK_CONTAINER(canvas), r.outer, "x", &place.x, "y", &place.y,
                                nullptr);
    gtk_widget_get_size_request(r.outer, &place.width, &place.height);
    return place;
}

// The width a label's text may take: up to the first field that covers it.
int LabelRoom(const ControlRecord& label) {
    const GdkRectangle place = PlaceOf(label);
    int room = place.width;
    for (auto& [id, other] : controls) {
        if (other.window != label.window || other.kind != ControlKind::Field) continue;
        const GdkRectangle field = PlaceOf(other);
        if (field.x > place.x && gdk_rectangle_intersect(&place, &field, nullptr))
            room = std::min(room, field.x - place.x);
    }
    return room;
}

// What the button or check box leaves its label: its rectangle less what it
// draws around the label (frame, padding, the check mark).
int CaptionRoom(const ControlRecord& r, GtkWidget* label) {
    int whole = 0, text = 0;
    gtk_widget_get_preferred_width(r.outer, nullptr, &whole);
    gtk_widget_get_preferred_width(label, nullptr, &text);
    return PlaceOf(r).width - (whole - text);
}

int DesktopSize(GtkWidget* label) {
    const PangoFontDescription* font =
        pango_context_get_font_description(gtk_widget_get_pango_context(label));
    int size = pango_font_description_get_size(font);
    if (pango_font_description_get_size_is_absolute(font))
        size =
            static_cast<int>(size * 72.0 / gdk_screen_get_resolution(gtk_widget_get_screen(label)));
    return size;
}

PangoAttrList* SizeAttributes(int size, bool condensed) {
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_size_new(size));
    if (condensed)
        pango_attr_list_insert(attributes, pango_attr_stretch_new(PANGO_STRETCH_CONDENSED));
    return attributes;
}

bool Fits(GtkWidget* label, PangoAttrList* attributes, int room) {
    PangoLayout* layout =
        gtk_widget_create_pango_layout(label, gtk_label_get_text(GTK_LABEL(label)));
    pango_layout_set_attributes(layout, attributes);
    int width = 0;
    pango_layout_get_pixel_size(layout, &width, nullptr);
    g_object_unref(layout);
    return width <= room;
}

void FitCaption(const ControlRecord& r) {
    GtkLabel* caption = CaptionOf(r);
    if (!caption || r.kind == ControlKind::Link) return;
    GtkWidget* label = GTK_WIDGET(caption);
    gtk_label_set_attributes(caption, nullptr);
    const int room = r.kind == ControlKind::Label ? LabelRoom(r) : CaptionRoom(r, label);
    if (Fits(label, nullptr, room)) return;
    PangoAttrList* chosen = nullptr;
    for (int size = DesktopSize(label) - kSizeStep; size >= kMinimumSize && !chosen;
         size -= kSizeStep) {
        PangoAttrList* attributes = SizeAttributes(size, false);
        if (Fits(label, attributes, room))
            chosen = attributes;
        else
            pango_attr_list_unref(attributes);
    }
    if (!chosen) chosen = SizeAttributes(kMinimumSize, true);
    gtk_label_set_attributes(caption, chosen);
    pango_attr_list_unref(chosen);
}

// A new field may cover labels made before it.
void FitCaptions(int id) {
    ControlRecord* r = controls.Find(id);
    if (!r) return;
    if (r->kind != ControlKind::Field) return FitCaption(*r);
    for (auto& [other, label] : controls)
        if (label.window == r->window && label.kind == ControlKind::Label) FitCaption(label);
}

gboolean OnLinkEnter(GtkWidget* box, GdkEventCrossing* event, gpointer) {
    // The crossing arrives on the link's own input window: the hand stays
    // with that window from now on.
    GdkCursor* hand = gdk_cursor_new_from_name(gtk_widget_get_display(box), "pointer");
    gdk_window_set_cursor(event->window, hand);
    if (hand) g_object_unref(hand);
    gtk_style_context_add_class(gtk_widget_get_style_context(gtk_bin_get_child(GTK_BIN(box))),
                                "hover");
    return FALSE;
}

gboolean OnLinkLeave(GtkWidget* box, GdkEventCrossing*, gpointer) {
    gtk_style_context_remove_class(gtk_widget_get_style_context(gtk_bin_get_child(GTK_BIN(box))),
                                   "hover");
    return FALSE;
}

// A link acts when the button is released over it, like a button does.
gboolean OnLinkRelease(GtkWidget* box, GdkEventButton* event, gpointer id) {
    GtkAllocation a;
    gtk_widget_get_allocation(box, &a);
    bool inside = event->x >= 0 && event->y >= 0 && event->x < a.width && event->y < a.height;
    if (event->button == GDK_BUTTON_PRIMARY && inside)
        controls.Report(GPOINTER_TO_INT(id), EventType::LeftClick);
    return TRUE;
}

GtkWidget* NewLink(int id, const std::string& caption) {
    GtkWidget* box = gtk_event_box_new();
    gtk_event_box_set_visible_window(GTK_EVENT_BOX(box), FALSE);
    GtkWidget* label = NewLabel(caption);
    gtk_style_context_add_class(gtk_widget_get_style_context(label), "vellum-link");
    gtk_container_add(GTK_CONTAINER(box), label);
    g_signal_connect(box, "enter-notify-event", G_CALLBACK(OnLinkEnter), nullptr);
    g_signal_connect(box, "leave-notify-event", G_CALLBACK(OnLinkLeave), nullptr);
    g_signal_connect(box, "button-release-event", G_CALLBACK(OnLinkRelease), GINT_TO_POINTER(id));
    AtkObject* accessible = gtk_widget_get_accessible(box);
    atk_object_set_role(accessible, ATK_ROLE_LINK);
    atk_object_set_name(accessible, caption.c_str());
    return box;
}

void Build(int id, ControlKind kind, const std::string& caption, ControlRecord& r) {
    gpointer data = GINT_TO_POINTER(id);
    switch (kind) {
    case ControlKind::Label: r.outer = r.inner = NewLabel(caption); break;
    case ControlKind::Field:
        r.outer = r.inner = gtk_entry_new();
        // Otherwise an entry is never narrower than 150 pixels.
        gtk_entry_set_width_chars(GTK_ENTRY(r.inner), 0);
        gtk_entry_set_text(GTK_ENTRY(r.inner), caption.c_str());
        r.signal = g_signal_connect(r.inner, "changed", G_CALLBACK(OnChanged), data);
        g_signal_connect(r.inner, "activate", G_CALLBACK(OnActivate), data);
        g_signal_connect(r.inner, "focus-in-event", G_CALLBACK(OnFocusIn), data);
        g_signal_connect(r.inner, "focus-out-event", G_CALLBACK(OnFocusOut), data);
        break;
    case ControlKind::Button:
    case ControlKind::DefaultButton:
        r.outer = r.inner = gtk_button_new();
        NewCaption(r.inner, caption);
        g_signal_connect(r.inner, "clicked", G_CALLBACK(OnClicked), data);
        break;
    case ControlKind::CheckBox:
        r.outer = r.inner = gtk_check_button_new();
        NewCaption(r.inner, caption);
        // Setting the state from the program emits "clicked" too: SetCheck blocks it.
        r.signal = g_signal_connect(r.inner, "clicked", G_CALLBACK(OnClicked), data);
        break;
    case ControlKind::Link:
        r.outer = NewLink(id, caption);
        r.inner = gtk_bin_get_child(GTK_BIN(r.outer));
        break;
    case ControlKind::Tree: r.outer = NewTree(id, r); break;
    case ControlKind::List: r.outer = NewList(id, caption, r); break;
    case ControlKind::Text: r.outer = NewTextView(caption, r); break;
    case ControlKind::Choice: r.outer = NewChoice(id, caption, r); break;
    case ControlKind::Editor:
        r.outer = NewEditor(id, caption, r);
        g_signal_connect(r.inner, "focus-in-event", G_CALLBACK(OnFocusIn), data);
        g_signal_connect(r.inner, "focus-out-event", G_CALLBACK(OnFocusOut), data);
        break;
    }
}

}  // namespace

ControlTable<ControlRecord>& Controls() { return controls; }

GtkWidget* InScrolledFrame(GtkWidget* view, bool across) {
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled),
                                   across ? GTK_POLICY_AUTOMATIC : GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scrolled), view);
    return scrolled;
}

}  // namespace platform::gtk

namespace platform {
using namespace platform::gtk;

bool CreateControl(int window, int id, ControlKind kind, int x, int y, int w, int h,
                   const std::string& caption) {
    WindowRecord* parent = FindWindow(window);
    if (!parent) return false;
    DestroyControl(id);
    ControlRecord& r = controls.Add(id, window, kind);
    Build(id, kind, caption, r);
    gtk_widget_set_size_request(r.outer, w, h);
    gtk_fixed_put(GTK_FIXED(parent->canvas), r.outer, x, y);
    if (kind == ControlKind::DefaultButton) {
        gtk_widget_set_can_default(r.inner, TRUE);
        gtk_window_set_default(GTK_WINDOW(parent->window), r.inner);
    }
    gtk_widget_show_all(r.outer);
    FitCaptions(id);  // shown first: a hidden widget asks for no room
    return true;
}

void DestroyControl(int id) {
    ControlRecord* r = controls.Find(id);
    if (!r) return;
    GtkWidget* outer = r->outer;
    controls.Erase(id);  // first, so the focus leaving it reports nothing
    gtk_widget_destroy(outer);
}

bool ControlExists(int id) { return FindControl(id) != nullptr; }

std::string GetText(int id) {
    ControlRecord* r = FindControl(id);
    if (!r) return "";
    if (r->kind == ControlKind::Field) return gtk_entry_get_text(GTK_ENTRY(r->inner));
    if (r->kind == ControlKind::Text || r->kind == ControlKind::Editor) return TextViewText(*r);
    GtkLabel* caption = CaptionOf(*r);
    return caption ? gtk_label_get_text(caption) : "";
}

void SetText(int id, const std::string& text) {
    ControlRecord* r = FindControl(id);
    if (!r || GetText(id) == text) return;  // an unchanged text must not repaint
    if (r->kind == ControlKind::Field) {
        g_signal_handler_block(r->inner, r->signal);
        gtk_entry_set_text(GTK_ENTRY(r->inner), text.c_str());
        g_signal_handler_unblock(r->inner, r->signal);
    } else if (r->kind == ControlKind::Text) {
        SetTextViewText(*r, text);
    } else if (r->kind == ControlKind::Editor) {
        SetEditorText(*r, text);
    } else if (GtkLabel* caption = CaptionOf(*r)) {
        gtk_label_set_text(caption, text.c_str());
        FitCaption(*r);
        if (r->kind == ControlKind::Link)
            atk_object_set_name(gtk_widget_get_accessible(r->outer), text.c_str());
    }
}

int GetCheck(int id) {
    ControlRecord* r = FindControl(id);
    if (!r || r->kind != ControlKind::CheckBox) return 0;
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(r->inner)) ? 1 : 0;
}

void SetCheck(int id, int state) {
    ControlRecord* r = FindControl(id);
    if (!r || r->kind != ControlKind::CheckBox) return;
    g_signal_handler_block(r->inner, r->signal);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(r->inner), state != 0);
    g_signal_handler_unblock(r->inner, r->signal);
}

bool IsEnabled(int id) {
    ControlRecord* r = FindControl(id);
    return r && gtk_widget_get_sensitive(r->outer);
}

void SetEnabled(int id, bool enabled) {
    if (ControlRecord* r = FindControl(id)) gtk_widget_set_sensitive(r->outer, enabled);
}

void SetTooltip(int id, const std::string& text) {
    if (ControlRecord* r = FindControl(id))
        gtk_widget_set_tooltip_text(r->outer, text.empty() ? nullptr : text.c_str());
}

void SetFocus(int id) {
    if (ControlRecord* r = FindControl(id)) gtk_widget_grab_focus(r->inner);
}

void SetLabelFor(int label, int field) {
    ControlRecord* l = FindControl(label);
    ControlRecord* f = FindControl(field);
    if (!l || !f || l->kind != ControlKind::Label) return;
    // Gives the field a "labelled by" relation a screen reader follows, and
    // the label's text as its name for tools that only read names.
    gtk_label_set_mnemonic_widget(GTK_LABEL(l->inner), f->inner);
    atk_object_set_name(gtk_widget_get_accessible(f->inner),
                        gtk_label_get_text(GTK_LABEL(l->inner)));
}

}  // namespace platform
