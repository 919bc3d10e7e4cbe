// What the Win32 window files share: the windows and controls by id, the
// event queue, and the helpers every file needs. Main thread only unless
// marked otherwise.
#pragma once
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/control_table.h"
#include "platform/row_model.h"

namespace platform::win32 {

struct ControlRecord {
    int window = 0;
    ControlKind kind = ControlKind::Label;
    HWND hwnd = nullptr;
    std::string caption;  // as created
    bool tooltip = false;
    // A tree's rows; its list view holds only their visible count and asks
    // for a row's text, image and indent as it draws it (window_tree_view.cpp).
    RowModel rows{1};
    int shown = 0;         // the count the list view was last given
    bool stale = false;    // the rows changed since: a sync is on its way
    bool shifted = false;  // ... and rows in sight may have moved or changed
    bool nested = false;   // an item below the top: room for the glyphs
    size_t widest = 0;     // the most characters a row's text and indent took
    int needed = 0;        // the pixels that row needs: the column's least width
    // The report list's texts by row and column: the list view asks for
    // them as it draws (LVS_OWNERDATA), so appending costs no item per row.
    std::vector<std::vector<std::wstring>> cells;
    std::vector<bool> ticks;  // by column: a tick-box column
    // The read-only text's runs not yet in the control, as RTF: they go in
    // together once the loop comes round, a stream being far cheaper than a
    // run (window_text.cpp).
    std::string rtf;
    // Anchors, and the place and window size they were set at: a resize
    // moves the anchored edges by the window's growth since then.
    unsigned anchors = AnchorLeft | AnchorTop;
    RECT home{};
    SIZE homeClient{};
};

struct WindowRecord {
    HWND hwnd = nullptr;
    int defaultButton = -1;  // the id Return and DM_GETDEFID name, or -1
    bool own = false;        // a window of its own: not modal, resizable
    SIZE smallest{};         // its smallest client size (pixels)
};

extern const wchar_t kWindowClass[];
extern const wchar_t kLinkClass[];
// Posted to the message window to wake the loop for queued calls (any thread).
constexpr UINT kWakeMessage = WM_APP + 1;

HINSTANCE Instance();
// The hidden window that receives kWakeMessage; null before InitWindowing.
HWND MessageWindow();
HFONT ControlFont();
// Client pixels scaled from the 96-dpi layout to the screen's.
int Scale(int pixels);

WindowRecord* FindWindow(int handle);
HWND MainHwnd();                // null before OpenMainWindow
int WindowHandleOf(HWND hwnd);  // -1 when it is none of ours
ControlTable<ControlRecord>& Controls();
inline ControlRecord* FindControl(int id) { return Controls().Find(id); }
// The control whose window is `hwnd`, with its id; null when none.
ControlRecord* ControlOf(HWND hwnd, int* id);
void ForgetControls(int window);
// Shows the main window the first time the program waits, paints or asks,
// so it never appears half built.
void EnsureMainShown();

// Events the program itself causes (texts it sets, rows it selects) are not
// the user's: while a Quiet lives, changes report nothing.
class Quiet {
public:
    Quiet();
    ~Quiet();
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;
    static bool Active();
};

// A window's close request: an event, but during a command only noted (the
// main window's) so the command ends and the next wait returns Close.
void ReportClose(int window);
bool CloseAsked();  // noted, and no box is to open any more
void DropQueued();  // at shutdown

// The tree (window_tree_view.cpp): a list view over its rows, and the
// window procedure's share of it, WM_NOTIFY from that list view.
HWND NewTree(HWND parent, int id, int x, int y, int w, int h);
LRESULT TreeNotify(int id, ControlRecord& tree, NMHDR* header);
// Brings the list view up to the rows: its count, selection and drawing.
void SyncTree(ControlRecord& tree);
// The rows changed: the list view hears of it once the loop comes round.
void TreeChanged(ControlRecord& tree, bool shifted);
// The list view's row for tree row `row`; -1 when hidden or none.
int ShownIndex(const ControlRecord& tree, int row);
// Selects list view row `index` (-1: none), focused so the arrow keys go on
// from it, and scrolls it into view.
void SelectIndex(HWND list, int index);
// Posted to a tree's list view: the rows changed (TreeChanged).
constexpr UINT kTreeSyncMessage = WM_APP + 3;
// ... and of the report list (window_list.cpp).
LRESULT ListNotify(int id, ControlRecord& list, NMHDR* header);
HWND NewList(HWND parent, int id, int x, int y, int w, int h, const std::string& caption);
// Gives the last column the list's width the others leave.
void FitLastColumn(const ControlRecord& list);
// The multi-line editor and the drop-down (window_editor.cpp). The editor's
// text has "\n" line ends at the interface, CR LF inside.
HWND NewEditor(HWND parent, int id, int x, int y, int w, int h, const std::string& caption);
std::string EditorText(HWND editor);
void SetEditorText(HWND editor, const std::string& text);
HWND NewChoice(HWND parent, int id, int x, int y, int w, int h, const std::string& caption);
// The drop-down's window is this much taller than its closed box: the
// room its list drops into.
int ChoiceListRoom();
// The read-only text (window_text.cpp).
HWND NewText(HWND parent, int id, int x, int y, int w, int h, const std::string& caption);
HFONT MonospaceFont();
void ReleaseMonospaceFont();
std::string TextOf(ControlRecord& text);
void ReplaceText(int id, const std::string& utf8);
// Puts `fresh` in the place of control `id`'s window, which it destroys: the
// same place in the z-order and so in Tab, the focus and the tooltip.
void RenewControl(int id, HWND fresh);
// Places the anchored controls of window `handle` for its client size
// (window_own.cpp).
void LayOut(int handle, int width, int height);
// The screen reader's name of a control that shows no caption of its own.
void SetAccessibleName(HWND hwnd, const std::wstring& name);
// The Menu key on tree `id`: reports a right click whose menu opens below
// the selected row; KeyboardMenuPoint gives that place (screen pixels), false
// when the last menu was asked for by the mouse.
void KeyboardMenuAsked(int id);
bool KeyboardMenuPoint(POINT* at);
HIMAGELIST Images();
void ReleaseImages();
void ReleaseTooltip();
// The smaller fonts long captions took (window_controls.cpp), once no control uses them.
void ReleaseCaptionFonts();
HWND CreateLink(HWND parent, int id, const std::string& caption, int x, int y, int w, int h);
bool RegisterLinkClass();

}  // namespace platform::win32
