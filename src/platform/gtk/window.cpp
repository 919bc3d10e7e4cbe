// The main window and the dialog windows: a GtkWindow each, holding a fixed
// layout whose size is exactly the client area the program asked for.
#include <map>

#include "platform/gtk/backend.h"
#include "platform/paths.h"

namespace platform::gtk {
namespace {

// A GtkFixed that asks for exactly its client size, whatever its children
// ask for, so a long caption can never grow the window.
struct VellumCanvas {
    GtkFixed parent;
    int width;
    int height;
};
struct VellumCanvasClass {
    GtkFixedClass parent_class;
};
G_DEFINE_TYPE(VellumCanvas, vellum_canvas, GTK_TYPE_FIXED)

void CanvasWidth(GtkWidget* w, gint* minimum, gint* natural) {
    *minimum = *natural = reinterpret_cast<VellumCanvas*>(w)->width;
}
void CanvasHeight(GtkWidget* w, gint* minimum, gint* natural) {
    *minimum = *natural = reinterpret_cast<VellumCanvas*>(w)->height;
}

// Tab follows creation order, which is the order the canvas holds its
// children in; GTK's own order would sort them by position.
gboolean CanvasFocus(GtkWidget* canvas, GtkDirectionType direction) {
    if (direction != GTK_DIR_TAB_FORWARD && direction != GTK_DIR_TAB_BACKWARD)
        return GTK_WIDGET_CLASS(vellum_canvas_parent_class)->focus(canvas, direction);
    GList* children = gtk_container_get_children(GTK_CONTAINER(canvas));
    if (direction == GTK_DIR_TAB_BACKWARD) children = g_list_reverse(children);
    GtkWidget* current = gtk_container_get_focus_child(GTK_CONTAINER(canvas));
    GList* next = children;
    gboolean moved = FALSE;
    if (GList* at = current ? g_list_find(children, current) : nullptr) {
        // A tree keeps the focus inside its scrolled window: ask it first.
        moved = gtk_widget_child_focus(current, direction);
        next = at->next;
    }
    for (GList* l = next; l && !moved; l = l->next)
        moved = gtk_widget_child_focus(GTK_WIDGET(l->data), direction);
    g_list_free(children);
    return moved;
}

void vellum_canvas_class_init(VellumCanvasClass* klass) {
    GtkWidgetClass* widget = GTK_WIDGET_CLASS(klass);
    widget->get_preferred_width = CanvasWidth;
    widget->get_preferred_height = CanvasHeight;
    widget->focus = CanvasFocus;
}
void vellum_canvas_init(VellumCanvas*) {}

GtkWidget* NewCanvas(int w, int h) {
    auto* canvas = static_cast<VellumCanvas*>(g_object_new(vellum_canvas_get_type(), nullptr));
    canvas->width = w;
    canvas->height = h;
    return GTK_WIDGET(canvas);
}

// The default theme gives entries and buttons a minimum height well above
// the 20 pixels the layout uses; these rules let a control be its rectangle.
const char kStyle[] = R"(
entry { min-height: 0; padding: 0 3px; }
button { min-height: 0; min-width: 0; padding: 0 4px; }
checkbutton { min-height: 0; padding: 0; }
checkbutton check { margin: 0 4px 0 0; }
label.vellum-link { color: #000000; }
label.vellum-link.hover { color: #00ff00; }
label.vellum-link:disabled { color: #8b8e8f; }
)";

std::map<int, WindowRecord> windows;  // 0 = the main window
int nextDialog = 1;

void InstallStyle() {
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kStyle, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

// The program's icon in every size found beside it; every window shows it.
void InstallIcons() {
    GList* icons = nullptr;
    for (const char* size : {"16", "32", "48", "256"}) {
        std::string file = DataFolder("icons") + "vellum-" + size + ".png";
        if (GdkPixbuf* icon = gdk_pixbuf_new_from_file(file.c_str(), nullptr))
            icons = g_list_append(icons, icon);
    }
    if (!icons) return;
    gtk_window_set_default_icon_list(icons);
    g_list_free_full(icons, g_object_unref);
}

// Escape in a dialog asks as its close box does.
gboolean OnDialogKey(GtkWidget*, GdkEventKey* event, gpointer handle) {
    if (event->keyval != GDK_KEY_Escape) return FALSE;
    Event e;
    e.kind = Event::Close;
    e.window = GPOINTER_TO_INT(handle);
    QueueEvent(e);
    return TRUE;
}

// The close box asks; the program decides, so the window stays.
gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer handle) {
    Event e;
    e.kind = Event::Close;
    e.window = GPOINTER_TO_INT(handle);
    QueueEvent(e);
    return TRUE;
}

bool mainDestroyed = false;

// The main window destroyed from outside (by another X client): its controls
// went with it, so they are forgotten, and the program is to end as on a
// close request.
void OnMainDestroyed(GtkWidget*, gpointer) {
    for (auto& [handle, record] : windows) Controls().ForgetWindow(handle, [](ControlRecord&) {});
    windows.clear();
    mainDestroyed = true;
}

WindowRecord NewWindow(int handle, const std::string& title, int w, int h) {
    WindowRecord record;
    record.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(record.window);
    gtk_window_set_title(window, title.c_str());
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    record.canvas = NewCanvas(w, h);
    gtk_container_add(GTK_CONTAINER(window), record.canvas);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), GINT_TO_POINTER(handle));
    return record;
}

}  // namespace

WindowRecord* FindWindow(int handle) {
    auto it = windows.find(handle);
    return it == windows.end() ? nullptr : &it->second;
}

bool MainWindowDestroyed() { return mainDestroyed; }

GtkWindow* MainGtkWindow() {
    WindowRecord* main = FindWindow(0);
    return main ? GTK_WINDOW(main->window) : nullptr;
}

bool IsDialogWindow(GtkWidget* toplevel) {
    for (const auto& [handle, record] : windows)
        if (handle > 0 && record.window == toplevel) return true;
    return false;
}

void ShowWindows() {
    for (auto& [handle, record] : windows) {
        if (record.shown) continue;
        record.shown = true;
        gtk_widget_show_all(record.window);
    }
}

}  // namespace platform::gtk

namespace platform {
using namespace platform::gtk;

bool InitWindowing() {
    if (!gtk_init_check(nullptr, nullptr)) return false;
    InstallStyle();
    InstallIcons();
    InstallEventFilter();
    InstallXErrorFilter();
    return true;
}

void ShutdownWindowing() {
    ReleaseMenu();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        Controls().ForgetWindow(it->first, [](ControlRecord&) {});
        g_signal_handlers_disconnect_by_func(it->second.window, reinterpret_cast<gpointer>(OnMainDestroyed),
                                             nullptr);
        gtk_widget_destroy(it->second.window);
    }
    windows.clear();
    ReleaseImages();
    ReleaseLastRightClick();
    DropQueuedInput();
}

bool OpenMainWindow(const std::string& title, int w, int h) {
    if (FindWindow(0)) return false;
    windows[0] = NewWindow(0, title, w, h);
    mainDestroyed = false;
    g_signal_connect(windows[0].window, "destroy", G_CALLBACK(OnMainDestroyed), nullptr);
    return true;
}

int OpenDialog(const std::string& title, int w, int h) {
    GtkWindow* main = MainGtkWindow();
    if (!main) return -1;
    int handle = nextDialog++;
    WindowRecord record = NewWindow(handle, title, w, h);
    // A plain window rather than a GtkDialog: the program decides what
    // Escape and the close box do.
    GtkWindow* window = GTK_WINDOW(record.window);
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnDialogKey), GINT_TO_POINTER(handle));
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_transient_for(window, main);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_destroy_with_parent(window, TRUE);
    gtk_window_set_skip_taskbar_hint(window, TRUE);
    windows[handle] = record;
    return handle;
}

void CloseDialog(int window) {
    WindowRecord* record = window > 0 ? FindWindow(window) : nullptr;
    if (!record) return;
    Controls().ForgetWindow(window, [](ControlRecord&) {});
    gtk_widget_destroy(record->window);
    windows.erase(window);
    // Without a window manager nobody hands the focus back.
    if (GtkWindow* main = MainGtkWindow()) gtk_window_present(main);
}

}  // namespace platform
