// The handlers of the main window's fields, link, check box and the buttons
// whose work runs synchronously inside one loop step.
#pragma once
#include <cstdint>
#include <string>

namespace app {

void OnUrlChanged();
void OnGoLink();
void OnFolderFocusLost();
void OnAuthSystemClicked();
void OnUserNameFocusLost();
void OnPasswordFocusLost();
void OnChooseClicked();
void OnReceiveUpdateClicked();
void OnCleanupClicked();
void OnExploreRemoteClicked();
void OnExploreLocalClicked();

// Shows the "choose a folder first" alert when the local folder setting is
// empty; true when it did (the caller then stops).
bool RefuseEmptyLocalFolder();

// The seconds since 1970-01-01 00:00:00 of the local date and time read as
// if it were UTC: the number the default commit comment carries.
int64_t LocalTimeAsUtcSeconds();

// The alert text for a local folder that doesn't exist.
std::string MissingFolderMessage();

}  // namespace app
