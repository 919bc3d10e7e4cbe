// The actions that run on a worker thread beside the event loop: the remote
// search with its stop handling, and the two repository copies.
#pragma once

namespace app {

void OnSearchClicked();
// Runs for the user's click and again for the click the ending search posts;
// the second run finds the worker gone and the window already restored.
void OnStopSearchClicked();
void OnReadOnlyCopyClicked();
void OnWorkCopyClicked();

// Lets go of the workers at shutdown: a search is stopped (its client ended),
// a copy's client may go on; neither is waited for past a moment.
void ReleaseWorkers();

}  // namespace app
