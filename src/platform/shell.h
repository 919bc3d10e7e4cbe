#pragma once
#include <string>

namespace platform {

// Opens a URL with the user's default handler; failures are not reported.
void OpenUrl(const std::string& url);
// Opens (or runs) a file with its registered application, `folder` as working
// folder. Failures are not reported.
void OpenFile(const std::string& path, const std::string& folder);
// Shows a folder in the system's file manager; not waited for.
void OpenFileManager(const std::string& folder);

}  // namespace platform
