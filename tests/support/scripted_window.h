// The headless window: platform/window.h in memory, so the handlers, the loop
// and the dialogs run in the suites; tests queue the user's events and box
// answers and read back what the controls and the tree show.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace scripted {

struct Control {
    int window = 0;
    int id = -1;
    platform::ControlKind kind = platform::ControlKind::Label;
    int x = 0, y = 0, w = 0, h = 0;
    std::string text, tooltip;
    int check = 0;
    bool enabled = true;
    int labelFor = -1;
    unsigned anchors = platform::AnchorLeft | platform::AnchorTop;
};

struct TreeItem {
    std::string text;
    platform::ImageHandle image = 0;
    int depth = 0, value = 0;
    bool expanded = false;
};

struct Box {  // a message box or yes/no box that was shown
    std::string title, text;
    bool yesNo = false;
    bool noByDefault = false;
};

struct WindowInfo {
    int handle = 0;
    std::string title;
    int w = 0, h = 0;
    bool open = false;
    bool own = false;  // opened with OpenWindow: not modal, resizable
    int raised = 0;    // RaiseWindow calls
};

struct TextRun {
    std::string text;
    platform::TextStyle style;
};

// Forgets everything; the calling thread becomes the main thread.
void Reset();
void FailWindowOpen(bool fail);  // OpenMainWindow / OpenDialog fail

const Control* Find(int id);
std::vector<Control> Controls(int window = 0);  // in creation order
WindowInfo MainWindow();
std::vector<WindowInfo> Dialogs();  // every dialog and own window opened so far
std::vector<TreeItem> Tree(int id = 22);
int SelectedRow(int id = 22);
std::vector<platform::ListColumn> ListColumns(int id);
std::vector<std::vector<std::string>> ListRows(int id);
std::vector<TextRun> TextRuns(int id);  // adjacent runs of one style joined

const uint32_t* ImagePixels(platform::ImageHandle h);  // 0xAARRGGBB

std::vector<Box> Boxes();  // every box shown, in order
void ClearBoxes();
std::vector<platform::MenuItem> LastMenu();  // items of the last pop-up menu
int MenusShown();
struct ChooserCall {
    std::string kind, title, start;
};  // "folder" or "save"
std::vector<ChooserCall> Choosers();

// Answers for the next modal boxes, in order; with none queued yes/no says No
// and choosers cancel ("").
void AnswerYesNo(bool yes);
void AnswerFolder(const std::string& folder);  // "" = cancel; a missing final "/" is added
void AnswerSaveFile(const std::string& path);  // "" = cancel
// Called when a dialog opens (after its controls exist), to act inside it.
void OnDialogOpened(std::function<void(int window)> fn);

// The user's events for WaitEvent, in order. One for a control that is
// disabled or gone when taken arrives as Other, as from a real window; Type
// does nothing on such a field. PostControlEvent's events always arrive.
void PushEvent(const platform::Event& e);
void PushClick(int id, platform::EventType type = platform::EventType::LeftClick);
void PushClose(int window = 0);
void PushMenu(int itemId);
void Type(int id, const std::string& text);  // sets it, queues its Change
// The user moves a list's selection, or picks a drop-down's item, to `row`
// (its Change is queued). A drop-down's items read as one-cell ListRows.
void SelectListRow(int id, int row);
// The user clicks the tick box of a row's cell (a row without one stays as it is).
void ToggleListTick(int id, int row, int column);
void SetReturnKeyDown(bool down);
// Any thread: the main window's close request made while a command runs, as a
// real window reports it (KeepPainted says false, no box, WaitEvent's Close).
void AskCloseDuringCommand();

// How long an idle WaitEvent waits (default 20000 ms) before it gives up with
// a Close, innermost dialog first, so a broken test ends instead of hanging.
void SetIdleTimeout(int ms);

// Calls queued without waiting for them (RunOnMainThread) since Reset.
int HandOvers();

}  // namespace scripted
