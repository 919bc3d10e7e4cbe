// The window service: one main window, modal dialog windows, windows of their
// own beside the main one, and controls addressed by the small integer ids
// the application chooses (unique across all windows).
// Implemented by gtk/window.cpp, win32/window.cpp and, for the headless test
// suites, tests/support/scripted_window.cpp. Every function but those marked
// "any thread" must be called on the main thread.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// List: a report list of rows and columns (ListSetColumns), its caption its
// accessible name. Text: a read-only multi-line monospace text, its caption
// its accessible name; GetText gives the whole text, SetText replaces it.
// Editor: a multi-line field the user types in (lines wrap; Tab moves on),
// its caption its accessible name; Ctrl+Return in it is an Activate.
// Choice: a drop-down list of texts to pick one from (ChoiceSetItems), its
// caption its accessible name; the user's pick is a Change.
enum class ControlKind {
    Label,
    Field,
    Button,
    DefaultButton,
    CheckBox,
    Link,
    Tree,
    List,
    Text,
    Editor,
    Choice
};

// Keys report what the mouse would: Return on a tree or list row a
// DoubleClick, the Menu key or Shift+F10 on the tree a RightClick, Escape in
// a dialog or a window of its own a Close. Activate is Return in a field of a
// window with no default button. A list reports Change when the user moves
// its selection (never for ListSelect or ListClear).
enum class EventType {
    LeftClick,
    RightClick,
    DoubleClick,
    Change,
    FocusGained,
    FocusLost,
    Activate
};

struct Event {
    enum Kind { Control, Menu, Close, Other } kind = Other;
    int window = 0;  // 0 = the main window, otherwise the dialog's handle
    int id = -1;     // control id (Control) or menu item id (Menu)
    EventType type = EventType::LeftClick;
};

// An image made from 16x16 RGBA pixels; 0 means "no image".
using ImageHandle = int;

struct MenuItem {
    int id;
    std::string caption;
    bool enabled = true;
};

// Prepares the toolkit (COM on Windows). False when no display is available.
bool InitWindowing();
// Destroys every window and image.
void ShutdownWindowing();

// The main window: client area w x h, centred, not resizable. Its handle is 0.
bool OpenMainWindow(const std::string& title, int w, int h);
// A modal dialog window (client area w x h, centred). Returns its handle (> 0),
// or -1 when it can't be opened.
int OpenDialog(const std::string& title, int w, int h);
void CloseDialog(int window);

// A window of its own beside the main window: not modal, resizable (the
// client area starts at w x h, which is also its smallest size), with a close
// box. Its events, Close included, reach WaitEvent with its handle (> 0, never
// one a dialog has); -1 when it can't be opened. CloseDialog closes it. One
// opened while a modal dialog is up takes input beside that dialog.
int OpenWindow(const std::string& title, int w, int h);
void SetWindowTitle(int window, const std::string& title);
// Brings an open window to the front with the keyboard focus.
void RaiseWindow(int window);

// Which window edges a control's edges keep their distance to when its window
// is resized: left and right both, and it grows with the width; right alone,
// and it moves. Controls start anchored left and top.
enum Anchor : unsigned { AnchorLeft = 1, AnchorTop = 2, AnchorRight = 4, AnchorBottom = 8 };
void SetAnchors(int id, unsigned anchors);

// Controls. Creating an id that exists replaces the old control.
bool CreateControl(int window, int id, ControlKind kind, int x, int y, int w, int h,
                   const std::string& caption);
void DestroyControl(int id);
bool ControlExists(int id);
std::string GetText(int id);
void SetText(int id, const std::string& text);
int GetCheck(int id);
void SetCheck(int id, int state);
bool IsEnabled(int id);
void SetEnabled(int id, bool enabled);
void SetTooltip(int id, const std::string& text);
void SetFocus(int id);
// Accessibility: `field` is described by the label `label`.
void SetLabelFor(int label, int field);

// The tree list. Rows count items from 0 from the top, across all depths.
void TreeClear(int id);
// Adds an item at `row`; its parent is the closest item above with depth - 1.
void TreeAddItem(int id, int row, const std::string& text, ImageHandle image, int depth);
int TreeCount(int id);
void TreeSetValue(int id, int row, int value);
int TreeValue(int id, int row);
std::string TreeText(int id, int row);
int TreeDepth(int id, int row);
bool TreeExpanded(int id, int row);
void TreeExpand(int id, int row);
int TreeSelectedRow(int id);  // -1 when none
void TreeSelect(int id, int row);

// The report list. Rows count from 0; each row holds one text per column.
// A tick-box column's cells read "1" (ticked), "0" (not ticked) or "" (no
// box: the row can't be ticked). The user ticks with a click on the box or
// Space on the selected row; ListText reads the state.
struct ListColumn {
    std::string caption;  // also the column's accessible name
    int width;            // pixels; the last column takes what is left
    bool ticks = false;   // a tick-box column
};
void ListSetColumns(int id, const std::vector<ListColumn>& columns);
void ListClear(int id);
// Appends rows at the end, in order, without moving the selection.
void ListAppend(int id, const std::vector<std::vector<std::string>>& rows);
int ListCount(int id);
std::string ListText(int id, int row, int column);
void ListSetText(int id, int row, int column, const std::string& text);
int ListSelectedRow(int id);  // -1 when none
// Selects `row` and scrolls it into view; -1 selects nothing.
void ListSelect(int id, int row);

// The drop-down's items, none picked; the index of the picked one, or -1.
void ChoiceSetItems(int id, const std::vector<std::string>& items);
int ChoiceSelected(int id);

// The read-only text: appended in runs, each drawn in its style.
enum class TextStyle { Plain, Added, Removed, Heading };  // Added green, Removed red
void TextAppend(int id, const std::string& text, TextStyle style);

// A pop-up menu at the pointer; the choice arrives later as a Menu event.
void ShowPopupMenu(const std::vector<MenuItem>& items);

// What separates paragraphs in a box's text: carriage returns break the line
// in a Windows message box, the other toolkits want line feeds.
#ifdef _WIN32
inline constexpr const char* kParagraphBreak = "\r\r";
#else
inline constexpr const char* kParagraphBreak = "\n\n";
#endif

// Modal boxes owned by the main window.
void ShowMessage(const std::string& title, const std::string& text);
// With `noByDefault`, No is the default answer: for a question whose Yes
// destroys work.
bool AskYesNo(const std::string& title, const std::string& text, bool noByDefault = false);
// The chosen folder with a trailing separator, or "" on cancel.
std::string ChooseFolder(const std::string& instruction, const std::string& start);
// The chosen file, or "" on cancel. No overwrite prompt.
std::string ChooseSaveFile(const std::string& title, const std::string& proposedName);

ImageHandle CreateImage(const uint32_t* rgba16x16);  // 256 pixels, 0xAARRGGBB

// True while the Return key is held down.
bool ReturnKeyDown();

// Blocks until the next event. Queued main-thread calls run inside the wait
// and are reported as Other events.
Event WaitEvent();

// Any thread: queues a control event for the main window. Posted events and
// queued calls reach the main thread in the order they were queued.
void PostControlEvent(int id, EventType type);
// Any thread: runs `fn` on the main thread, in order with the other queued
// calls and events. Queued: returns at once. AndWait: returns once `fn` has run
// (called on the main thread it runs `fn` at once).
void RunOnMainThread(std::function<void()> fn);
void RunOnMainThreadAndWait(std::function<void()> fn);
// Main thread: runs the queued calls that are waiting ahead of the first
// queued event, then returns; waits up to `ms` milliseconds for one to arrive
// when none is waiting. The event stays queued for WaitEvent, but a worker
// blocked in RunOnMainThreadAndWait behind it still gets its call run.
void RunQueuedCalls(int ms);
bool OnMainThread();

// Main thread, during a synchronous command: repaint the windows; input that
// arrives meanwhile is dropped, but for the main window's close request.
// False once that came: the command is to end at once, no box opens any more,
// and the next WaitEvent returns Close.
bool KeepPainted();

}  // namespace platform
