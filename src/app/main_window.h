// The main window: its control table, its creation from the settings, and
// the rule that enables the controls needing credentials.
#pragma once

namespace app {

// Opens the main window and creates every control in table order (which is
// also the Tab order). False when the window can't be opened.
bool CreateMainWindow();

// Creates the search button (id 3) or, while a search runs, the stop button
// (id 21) in the place they share, with its translated caption.
void CreateSearchButton();
void CreateStopSearchButton();

// Applies the credential rule from the fields and the check box as they are
// now (never from the settings).
void UpdateCredentialControls();

}  // namespace app
