// The whole program: start-up, the event loop and shutdown.
#pragma once

namespace app {

// Loads the settings and the catalogue, opens the main window and builds its
// controls and the icon set. False when the window can't be opened.
bool StartProgram();
// Handles events until the main window's close request.
void RunEventLoop();
// Saves the settings, releases the catalogue and the window, and returns
// the exit code (always 0). A worker still running is left to end with
// the process.
int EndProgram();

// Start-up, loop and shutdown; a window that can't open skips the loop.
int RunProgram();

}  // namespace app
