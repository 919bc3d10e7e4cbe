// The last commit messages sent, newest first: a file of their own beside
// the preferences file ("Vellum.messages"), which other tools share and so
// never gets them.
#pragma once
#include <string>
#include <vector>

namespace settings {

constexpr size_t kMessagesKept = 10;

// The messages in the file; none when it is missing or unreadable.
std::vector<std::string> LoadMessages();
// Puts `message` first (once: an older copy goes), keeps kMessagesKept, and
// rewrites the file whole (a temporary file renamed over it, readable by its
// user only). False when the file could not be written; the old one stands.
bool RememberMessage(const std::string& message);

}  // namespace settings
