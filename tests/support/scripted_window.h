// The headless window: implements platform/window.h in memory so the
// handlers, the loop and the dialogs run in the test suites. Tests queue the
// user's events and the answers of the modal boxes, and read back what the
// controls and the tree show.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace scripted {

struct Control {
    int window = 0;
    int id = -1;
    platform::ControlKind kind = platform::ControlKind::Label;
    int x = 0, y = 0, w = 0, h = 0;
    std::string text;
    std::string tooltip;
    int check = 0;
    bool enabled = true;
    int labelFor = -1;
};

struct TreeItem {
    std::string text;
    platform::ImageHandle image = 0;
    int depth = 0;
    int value = 0;
    bool expanded = false;
};

struct Box {  // a message box or yes/no box that was shown
    std::string title;
    std::string text;
    bool yesNo = false;
};

struct WindowInfo {
    int handle = 0;
    std::string title;
    int w = 0, h = 0;
    bool open = false;
};

// Forgets every window, control, image, queued event and answer; the calling
// thread becomes the main thread. (ShutdownWindowing closes the windows and
// drops queued calls but keeps what the controls showed readable until Reset.)
void Reset();
// Makes OpenMainWindow / OpenDialog fail (a window that can't be opened).
void FailWindowOpen(bool fail);

// Controls and windows as they are now.
const Control* Find(int id);
std::vector<Control> Controls(int window = 0);  // in creation order
WindowInfo MainWindow();
std::vector<WindowInfo> Dialogs();  // every dialog opened so far
// TreeExpand marks an item expanded only when it has children, as a real tree
// view does (a double click lists a folder exactly when it is not expanded).
std::vector<TreeItem> Tree(int id = 22);
int SelectedRow(int id = 22);

// Images made by CreateImage: their pixels (0xAARRGGBB).
const uint32_t* ImagePixels(platform::ImageHandle h);

// What the program showed.
std::vector<Box> Boxes();  // every box, in order
void ClearBoxes();
std::vector<platform::MenuItem> LastMenu();  // items of the last pop-up menu
int MenusShown();
struct ChooserCall { std::string kind, title, start; };  // "folder" or "save"
std::vector<ChooserCall> Choosers();

// The user's answers for the next modal boxes, used in order; when none is
// queued: yes/no answers No, choosers cancel ("").
void AnswerYesNo(bool yes);
void AnswerFolder(const std::string& folder);    // "" = cancel; a missing final "/" is added
void AnswerSaveFile(const std::string& path);    // "" = cancel
// Called when a dialog window opens (after its controls exist), so the test
// can type and click inside it, e.g. with PushEvent.
void OnDialogOpened(std::function<void(int window)> fn);

// The user: events queued for WaitEvent, in order. A control event pushed
// here for a control that is disabled or gone when it is taken arrives as an
// Other event, as a real window reports no such input; Type does nothing on a
// disabled or missing field. Events posted with PostControlEvent always arrive.
void PushEvent(const platform::Event& e);
void PushClick(int id, platform::EventType type = platform::EventType::LeftClick);
void PushClose(int window = 0);
void PushMenu(int itemId);
// Types text into a field (sets it and queues its Change event).
void Type(int id, const std::string& text);
void SetReturnKeyDown(bool down);

// When no event is queued, WaitEvent blocks for events posted by workers or
// queued calls; it gives up with a Close after this many ms (default 20000),
// so a broken test ends instead of hanging (for the innermost open dialog
// first, then for the main window). Reset restores the default.
void SetIdleTimeout(int ms);

}  // namespace scripted
