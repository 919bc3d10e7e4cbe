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

// Forgets every window, control, image, queued event and answer.
void Reset();
// Makes OpenMainWindow / OpenDialog fail (a window that can't be opened).
void FailWindowOpen(bool fail);

// Controls and windows as they are now.
const Control* Find(int id);
std::vector<Control> Controls(int window = 0);  // in creation order
WindowInfo MainWindow();
std::vector<WindowInfo> Dialogs();  // every dialog opened so far
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
void AnswerFolder(const std::string& folder);    // "" = cancel
void AnswerSaveFile(const std::string& path);    // "" = cancel
// Called when a dialog window opens (after its controls exist), so the test
// can type and click inside it, e.g. with PushEvent.
void OnDialogOpened(std::function<void(int window)> fn);

// The user: events queued for WaitEvent, in order.
void PushEvent(const platform::Event& e);
void PushClick(int id, platform::EventType type = platform::EventType::LeftClick);
void PushClose(int window = 0);
void PushMenu(int itemId);
// Types text into a field (sets it and queues its Change event).
void Type(int id, const std::string& text);
void SetReturnKeyDown(bool down);

// When no event is queued, WaitEvent blocks for events posted by workers or
// queued calls; it gives up with a Close after this many ms (default 20000),
// so a broken test ends instead of hanging.
void SetIdleTimeout(int ms);

}  // namespace scripted
