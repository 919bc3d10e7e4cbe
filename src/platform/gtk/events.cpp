// The program's event queue, the calls other threads hand to the main
// thread, and the input dropped while a synchronous command runs.
#include "platform/gtk/backend.h"
#include "platform/main_thread_queue.h"

namespace platform::gtk {
namespace {

int holdInput = 0;  // > 0 while the window is painted without input
bool returnDown = false;
bool closeAsked = false;  // the main window's close request came during a command

bool IsInput(GdkEventType type) {
    switch (type) {
    case GDK_BUTTON_PRESS:
    case GDK_2BUTTON_PRESS:
    case GDK_3BUTTON_PRESS:
    case GDK_BUTTON_RELEASE:
    case GDK_KEY_PRESS:
    case GDK_KEY_RELEASE:
    case GDK_SCROLL:
    case GDK_DELETE:
    case GDK_TOUCH_BEGIN:
    case GDK_TOUCH_UPDATE:
    case GDK_TOUCH_END:
    case GDK_TOUCH_CANCEL: return true;
    default: return false;
    }
}

// Return is tracked on every window of the program, the boxes included.
void TrackReturn(const GdkEvent* e) {
    if (e->type == GDK_KEY_PRESS || e->type == GDK_KEY_RELEASE) {
        guint key = e->key.keyval;
        if (key == GDK_KEY_Return || key == GDK_KEY_KP_Enter || key == GDK_KEY_ISO_Enter)
            returnDown = e->type == GDK_KEY_PRESS;
    } else if (e->type == GDK_FOCUS_CHANGE && !e->focus_change.in) {
        returnDown = false;  // the release will go to another program
    }
}

bool ForMainWindow(const GdkEvent* e) {
    GtkWindow* main = MainGtkWindow();
    return main && e->any.window == gtk_widget_get_window(GTK_WIDGET(main));
}

// The text dialog's modal grab makes GTK drop the main window's close
// request; the program still gets it, and cancels the dialog with it.
bool MainCloseUnderDialog(const GdkEvent* e) {
    if (e->type != GDK_DELETE || !ForMainWindow(e)) return false;
    GtkWidget* grab = gtk_grab_get_current();
    return grab && IsDialogWindow(gtk_widget_get_toplevel(grab));
}

void Dispatch(GdkEvent* e) {
    TrackReturn(e);
    if (MainCloseUnderDialog(e)) {
        Event close;
        close.kind = Event::Close;
        QueueEvent(close);
        return;
    }
    gtk_main_do_event(e);
}

// Input made while a command runs is dropped: replayed later it would act on
// a window the command has changed. Only the main window's close request is
// kept, to end the command. A dropped Return release still counts, so the
// key never looks held; a dropped press never counts.
void Filter(GdkEvent* e, gpointer) {
    if (holdInput == 0 || !IsInput(e->type)) {
        Dispatch(e);
        return;
    }
    if (e->type == GDK_DELETE && ForMainWindow(e))
        closeAsked = true;
    else if (e->type == GDK_KEY_RELEASE)
        TrackReturn(e);
}

gboolean SetFlag(gpointer flag) {
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
}

}  // namespace

InputAllowed::InputAllowed() : saved_(holdInput) { holdInput = 0; }
InputAllowed::~InputAllowed() { holdInput = saved_; }

void InstallEventFilter() { gdk_event_handler_set(Filter, nullptr, nullptr); }

bool CloseAsked() { return closeAsked || MainWindowDestroyed(); }

void DropQueuedInput() {
    queue::Clear();
    returnDown = false;
    closeAsked = false;
}

}  // namespace platform::gtk

namespace platform {
using namespace platform::gtk;

// Waking the loop from the main thread itself would only make the next
// blocking wait return empty-handed.
void WakeMainLoop() {
    if (!OnMainThread()) g_main_context_wakeup(nullptr);
}

Event WaitEvent() {
    // With the window gone, every loop (the text dialog's too) is told to end.
    // A close asked during a command is answered before anything queued.
    const Event gone{Event::Close, 0};
    if (CloseAsked()) return gone;
    InputAllowed allow;
    ShowWindows();
    bool handled = false;
    // GTK's own events go between queued calls, so a worker handing over
    // rows without pause can't starve painting, pings and input.
    for (int i = 0; i < 100 && gtk_events_pending(); ++i) {
        gtk_main_iteration_do(FALSE);
        handled = true;
        if (CloseAsked()) return gone;
    }
    if (std::optional<queue::Taken> t = queue::TakeNext()) return t->event;
    if (handled) return Event{};
    gtk_main_iteration_do(TRUE);
    if (CloseAsked()) return gone;
    if (std::optional<queue::Taken> t = queue::TakeNext()) return t->event;
    return Event{};  // whatever GTK handled still counts as an event
}

void RunQueuedCalls(int ms) {
    ShowWindows();
    if (!queue::HasWaitingCalls() && ms > 0) {
        // Wait in GTK's loop rather than on a lock, so the window keeps
        // painting; a worker's hand-over wakes it.
        bool timedOut = false;
        guint timer = g_timeout_add(static_cast<guint>(ms), SetFlag, &timedOut);
        ++holdInput;
        while (!timedOut && !queue::HasWaitingCalls()) gtk_main_iteration_do(TRUE);
        --holdInput;
        if (!timedOut) g_source_remove(timer);
    }
    queue::RunWaitingCalls();
    KeepPainted();
}

bool ReturnKeyDown() { return returnDown; }

bool KeepPainted() {
    ShowWindows();
    ++holdInput;
    // Bounded, so a stream of pointer motion can't stall the command.
    for (int i = 0; i < 200 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
    --holdInput;
    gdk_display_flush(gdk_display_get_default());
    return !CloseAsked();
}

}  // namespace platform
