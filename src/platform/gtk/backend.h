// What the GTK window files share: the windows, the controls by id, the
// event queue and the switch that drops input while a command runs.
// Everything here is main-thread only unless marked otherwise.
#pragma once
#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/control_table.h"
#include "platform/row_model.h"

namespace platform::gtk {

struct WindowRecord {
    GtkWidget* window = nullptr;  // the GtkWindow
    GtkWidget* canvas = nullptr;  // the fixed layout that holds the controls
    bool shown = false;
};

struct ControlRecord {
    int window = 0;
    ControlKind kind = ControlKind::Label;
    GtkWidget* outer = nullptr;  // what sits in the canvas
    GtkWidget* inner = nullptr;  // the entry, label, button or tree view
    gulong signal = 0;           // the handler blocked while the program writes
    // Trees and lists: the rows, shared with the model their view shows, which
    // may outlive the record while the widget goes.
    std::shared_ptr<RowModel> rows;
};

WindowRecord* FindWindow(int handle);
ControlTable<ControlRecord>& Controls();
inline ControlRecord* FindControl(int id) { return Controls().Find(id); }
GtkWindow* MainGtkWindow();
// True once the main window was destroyed by someone else than the program.
bool MainWindowDestroyed();
// True when `toplevel` is a modal dialog window opened with OpenDialog.
bool IsDialogWindow(GtkWidget* toplevel);
// Shows new windows once the program waits, paints or asks, so none
// appears half built.
void ShowWindows();

// The tree control (tree.cpp): builds the view into `record`, returns the
// scrolled window that holds it. ImageOf: the image a handle names, or null.
GtkWidget* NewTree(int id, ControlRecord& record);
GdkPixbuf* ImageOf(ImageHandle image);

// The model a tree or list view shows (row_store.cpp): the rows as they are,
// a tree's in the columns image, text and value, a list's a string per
// column; a list-only one holds top-level rows only. After
// each change to the rows, one row at a time, the views are told of it.
GtkTreeModel* NewRowStore(std::shared_ptr<RowModel> rows, bool tree, bool listOnly);
// A tree view for such a model, its accessible object named `accessibleName`.
GtkWidget* NewRowView(const std::string& accessibleName);
int StoreRow(GtkTreeModel* store, GtkTreeIter* it);
GtkTreePath* StorePath(GtkTreeModel* store, int row);
void StoreRowInserted(GtkTreeModel* store, int row);
void StoreRowChanged(GtkTreeModel* store, int row);
// The report list (list.cpp) and the read-only text (text_view.cpp): build
// the view into `record`, return the scrolled window that holds it.
GtkWidget* NewList(int id, const std::string& caption, ControlRecord& record);
GtkWidget* NewTextView(const std::string& caption, ControlRecord& record);
// `view` in a framed scrolled window, scrolled across only when `across`.
GtkWidget* InScrolledFrame(GtkWidget* view, bool across);
// The drop-down (choice.cpp).
GtkWidget* NewChoice(int id, const std::string& caption, ControlRecord& record);
std::string TextViewText(const ControlRecord& record);
void SetTextViewText(const ControlRecord& record, const std::string& text);
// The multi-line editor (editor.cpp), its text read and written as a Text's;
// the program's own text reports no Change.
GtkWidget* NewEditor(int id, const std::string& caption, ControlRecord& record);
void SetEditorText(const ControlRecord& record, const std::string& text);
// `text` itself when it is valid UTF-8, else `fixed` made from it with U+FFFD
// for each bad byte: GTK must never be handed anything else.
const char* ValidUtf8(const std::string& text, std::string& fixed);

// The button press that opened the last tree right click, for the menu grab.
const GdkEvent* LastRightClick();
void ReleaseLastRightClick();
// After the Menu key: the selected row's area and the window it is in, for
// the menu to open at; null when the menu was not asked for by the keyboard.
GdkWindow* KeyboardMenuAnchor(GdkRectangle* area);
void ReleaseImages();
void ReleaseMenu();

// Input is dropped while a synchronous command keeps the window painted.
// A modal loop started meanwhile (a message box asked for by a worker) must
// take input again; this lifts the hold for its lifetime.
class InputAllowed {
public:
    InputAllowed();
    ~InputAllowed();
    InputAllowed(const InputAllowed&) = delete;
    InputAllowed& operator=(const InputAllowed&) = delete;

private:
    int saved_;
};

void InstallEventFilter();
// Drops the X errors about the program's own resources (x_errors.cpp): they
// come when another client destroys its window, and would end the program.
void InstallXErrorFilter();
// True once the main window was asked to close during a command, or was
// destroyed: the command ends, no box opens, the next wait returns Close.
bool CloseAsked();
void DropQueuedInput();  // at shutdown

}  // namespace platform::gtk
