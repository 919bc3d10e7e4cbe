#include "settings/message_history.h"

#include <algorithm>
#include <cstdint>

#include "platform/paths.h"

namespace settings {

namespace {

const char kFileName[] = "Vellum.messages";
// Far above ten messages anyone writes: anything larger is not our file, and
// a device or a giant file must not exhaust the memory.
constexpr int64_t kMaxFileSize = 16 << 20;

// Beside the preferences file (the bare name when the home is unknown).
std::string MessagesPath() {
    const std::string home = platform::HomeFolder();
    return home.empty() ? kFileName : platform::WithSeparator(home) + kFileName;
}

// One message a line: the backslash, line breaks and NUL escaped, every
// other byte as it is.
std::string Escaped(const std::string& message) {
    std::string line;
    for (const char c : message) {
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        case '\0': line += "\\0"; break;
        default: line += c;
        }
    }
    return line;
}

// Any line reads as something: an unknown escape or a final backslash is
// taken as written.
std::string Unescaped(const std::string& line) {
    std::string message;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\' || i + 1 == line.size()) {
            message += line[i];
            continue;
        }
        switch (line[++i]) {
        case '\\': message += '\\'; break;
        case 'n': message += '\n'; break;
        case 'r': message += '\r'; break;
        case '0': message += '\0'; break;
        default: message += '\\', message += line[i];
        }
    }
    return message;
}

// Puts `message` first unless it is empty or already listed.
void Add(std::vector<std::string>& messages, const std::string& message) {
    if (!message.empty() && std::find(messages.begin(), messages.end(), message) == messages.end())
        messages.push_back(message);
}

}  // namespace

std::vector<std::string> LoadMessages() {
    std::vector<std::string> messages;
    const std::string path = MessagesPath();
    const int64_t size = platform::FileSize(path);
    std::string text;
    if (size < 0 || size > kMaxFileSize || !platform::ReadWholeFile(path, text)) return messages;
    for (size_t at = 0; at < text.size() && messages.size() < kMessagesKept;) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();  // edited on Windows
        Add(messages, Unescaped(line));
        at = end + 1;
    }
    return messages;
}

bool RememberMessage(const std::string& message) {
    if (message.empty()) return true;  // nothing worth offering again
    std::vector<std::string> messages{message};
    for (const std::string& m : LoadMessages())
        if (messages.size() < kMessagesKept) Add(messages, m);
    std::string text;
    for (const std::string& m : messages) text += Escaped(m) + "\n";
    // A fresh account may not have its configuration folder yet.
    const std::string home = platform::HomeFolder();
    if (!home.empty() && !platform::IsDirectory(home)) platform::MakeDirectories(home);
    // A new file renamed over the old one: a failure leaves the old one whole.
    return platform::ReplaceFileContent(MessagesPath(), text);
}

}  // namespace settings
