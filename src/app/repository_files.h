// Fetching repository files into local files: the save-file chooser, the
// open in a temporary folder, and the download itself.
#pragma once
#include <string>

namespace app {

// The text after the last "/" or "\" (the whole text when there is none).
std::string FilePart(const std::string& path);

// Fetches the repository file at `relativePath` (relative to the repository
// URL) into `target`, replacing it only once the whole file has come. An
// empty target does nothing; a failure shows "Saving failed" and leaves the
// target as it was, followed by the client's error when it gave one. True
// when the file was fetched. HTTP(S) repositories are fetched directly (through
// the client when that is refused), any other through the client.
bool DownloadFile(const std::string& relativePath, const std::string& target);

// From the clicked-item fields: asks where to save the file, then fetches it.
void SaveRepositoryFile();
// From the clicked-item fields: fetches the file into the user's private
// temporary folder and opens it there with its registered application.
void OpenRepositoryFile();

}  // namespace app
