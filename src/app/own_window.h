// What the windows of their own share: opening one or showing it again, a
// line for what the client is doing, and the reading of a client's failure.
#pragma once
#include <string>

#include "app/window_worker.h"

namespace app {

// A window of its own that shows one client run at a time.
struct OwnWindow {
    int handle = -1;  // -1 while closed
    WindowWorker worker;
    bool Open() const { return handle > 0; }
};

// Opens `w` at w x h (its controls are made by `build`), or brings it to the
// front with `title`; false when it can't be opened. `build` runs only for a
// new window.
bool OpenOrRaise(OwnWindow& w, const std::string& title, int width, int height,
                 void (*build)(int handle));
// Ends the window's run and closes it.
void CloseOwnWindow(OwnWindow& w);

// The name a window's title gives a target: its last path part.
std::string TargetName(const std::string& path);

}  // namespace app
