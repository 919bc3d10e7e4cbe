// The main window, the dialog windows and the windows of their own: a
// GtkWindow each, holding a fixed layout that asks for exactly the client
// area the program asked for; a window of its own may grow past it.
#include <algorithm>
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

const char kAnchors[] = "vellum-anchors";

unsigned AnchorsOf(GtkWidget* child) {
    const unsigned anchors = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(child), kAnchors));
    return anchors ? anchors : AnchorLeft | AnchorTop;
}

// Along one axis: anchored at both ends a control takes the growth, at the
// far end alone it moves by it.
void Follow(unsigned anchors, unsigned nearEdge, unsigned farEdge, int grown, int& at, int& size) {
    if (!(anchors & farEdge)) return;
    if (anchors & nearEdge)
        size += grown;
    else
        at += grown;
}

// GtkFixed's placement (each child at its point, at its smallest size), plus
// what the canvas got beyond its own size, handed out by the anchors. Only a
// resizable window ever gives it more.
void CanvasAllocate(GtkWidget* widget, GtkAllocation* allocation) {
    gtk_widget_set_allocation(widget, allocation);
    auto* canvas = reinterpret_cast<VellumCanvas*>(widget);
    const int grownX = std::max(allocation->width - canvas->width, 0);
    const int grownY = std::max(allocation->height - canvas->height, 0);
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* l = children; l; l = l->next) {
        GtkWidget* child = GTK_WIDGET(l->data);
        if (!gtk_widget_get_visible(child)) continue;
        GtkRequisition size;
        gtk_widget_get_preferred_size(child, &size, nullptr);
        int x = 0, y = 0;
        gtk_container_child_get(GTK_CONTAINER(widget), child, "x", &x, "y", &y, nullptr);
        GtkAllocation place{allocation->x + x, allocation->y + y, size.width, size.height};
        const unsigned anchors = AnchorsOf(child);
        Follow(anchors, AnchorLeft, AnchorRight, grownX, place.x, place.width);
        Follow(anchors, AnchorTop, AnchorBottom, grownY, place.y, place.height);
        gtk_widget_size_allocate(child, &place);
    }
    g_list_free(children);
}

void vellum_canvas_class_init(VellumCanvasClass* klass) {
    GtkWidgetClass* widget = GTK_WIDGET_CLASS(klass);
    widget->get_preferred_width = CanvasWidth;
    widget->get_preferred_height = CanvasHeight;
    widget->size_allocate = CanvasAllocate;
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
int nextDialog = 1;                   // dialogs and windows of their own alike

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

void QueueClose(int handle) {
    Event e;
    e.kind = Event::Close;
    e.window = handle;
    QueueEvent(e);
}

// Escape in a dialog or a window of its own asks as its close box does.
gboolean OnDialogKey(GtkWidget*, GdkEventKey* event, gpointer handle) {
    if (event->keyval != GDK_KEY_Escape) return FALSE;
    QueueClose(GPOINTER_TO_INT(handle));
    return TRUE;
}

// The close box asks; the program decides, so the window stays.
gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer handle) {
    QueueClose(GPOINTER_TO_INT(handle));
    return TRUE;
}

bool mainDestroyed = false;

// A window destroyed by someone else than the program (another X client):
// its controls went with it and are forgotten. The main window's end takes
// the windows of their own along (the dialogs go with it by themselves) and
// ends the program as a close request does; another window's end is
// reported as its close request, which the program answers by closing it.
void OnDestroyed(GtkWidget* widget, gpointer data) {
    const int handle = GPOINTER_TO_INT(data);
    WindowRecord* record = FindWindow(handle);
    if (!record || record->window != widget) return;  // the program closed it
    if (handle != 0) {
        Controls().ForgetWindow(handle, [](ControlRecord&) {});
        windows.erase(handle);
        QueueClose(handle);
        return;
    }
    std::map<int, WindowRecord> gone;
    gone.swap(windows);
    for (auto& [h, r] : gone) {
        Controls().ForgetWindow(h, [](ControlRecord&) {});
        if (h != 0 && !gtk_window_get_transient_for(GTK_WINDOW(r.window)))
            gtk_widget_destroy(r.window);
    }
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
    g_signal_connect(window, "destroy", G_CALLBACK(OnDestroyed), GINT_TO_POINTER(handle));
    return record;
}

// Closed by the program: forgotten first, so its end reports nothing.
void Destroy(int handle) {
    GtkWidget* window = windows[handle].window;
    Controls().ForgetWindow(handle, [](ControlRecord&) {});
    windows.erase(handle);
    gtk_widget_destroy(window);
}

// Where the focus goes back to when a window closes: the dialog still open,
// else the main window.
GtkWindow* FrontWindow() {
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (it->first == 0 || gtk_window_get_modal(GTK_WINDOW(it->second.window)))
            return GTK_WINDOW(it->second.window);
    return nullptr;
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
        if (handle > 0 && record.window == toplevel)
            return gtk_window_get_modal(GTK_WINDOW(toplevel));
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
    while (!windows.empty()) Destroy(windows.rbegin()->first);
    ReleaseImages();
    ReleaseLastRightClick();
    DropQueuedInput();
}

bool OpenMainWindow(const std::string& title, int w, int h) {
    if (FindWindow(0)) return false;
    windows[0] = NewWindow(0, title, w, h);
    mainDestroyed = false;
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
    if (window <= 0 || !FindWindow(window)) return;
    Destroy(window);
    // Without a window manager nobody hands the focus back.
    if (GtkWindow* front = FrontWindow()) gtk_window_present(front);
}

int OpenWindow(const std::string& title, int w, int h) {
    const int handle = nextDialog++;
    WindowRecord record = NewWindow(handle, title, w, h);
    // Not transient for the main window: it stacks, minimises and shows in
    // the task bar on its own. The canvas's size is its smallest.
    GtkWindow* window = GTK_WINDOW(record.window);
    gtk_window_set_resizable(window, TRUE);
    // A modal dialog's grab holds only the windows of its group: in a group
    // of its own, this one takes input beside the dialog.
    GtkWindowGroup* group = gtk_window_group_new();
    gtk_window_group_add_window(group, window);
    g_object_unref(group);
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnDialogKey), GINT_TO_POINTER(handle));
    windows[handle] = record;
    return handle;
}

void SetWindowTitle(int window, const std::string& title) {
    if (WindowRecord* record = FindWindow(window))
        gtk_window_set_title(GTK_WINDOW(record->window), title.c_str());
}

void RaiseWindow(int window) {
    WindowRecord* record = FindWindow(window);
    if (!record) return;
    if (!record->shown) {  // presenting alone would show it without its controls
        record->shown = true;
        gtk_widget_show_all(record->window);
    }
    gtk_window_present(GTK_WINDOW(record->window));
}

void SetAnchors(int id, unsigned anchors) {
    ControlRecord* r = FindControl(id);
    if (!r) return;
    g_object_set_data(G_OBJECT(r->outer), kAnchors, GUINT_TO_POINTER(anchors));
    gtk_widget_queue_resize(r->outer);
}

}  // namespace platform
