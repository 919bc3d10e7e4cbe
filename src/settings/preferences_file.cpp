#include "settings/preferences_file.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/paths.h"

namespace settings {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Only A-Z fold: keys are UTF-8 bytes and a locale-aware fold could merge
// bytes of multi-byte characters.
bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// Files without a byte-order mark predate UTF-8 here: every byte is Latin-1.
std::string Latin1ToUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (unsigned char c : in) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

PreferencesFile::Entry ParseLine(std::string_view line) {
    using Entry = PreferencesFile::Entry;
    if (line.front() == ';') {
        line.remove_prefix(1);
        if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        return Entry{Entry::Comment, std::string(line), {}};
    }
    if (line.front() == '[') {
        line.remove_prefix(1);
        return Entry{Entry::Group, std::string(line.substr(0, line.find(']'))), {}};
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return Entry{Entry::Key, std::string(TrimRight(line)), {}};
    return Entry{Entry::Key, std::string(TrimRight(line.substr(0, eq))),
                 std::string(TrimLeft(line.substr(eq + 1)))};
}

std::vector<PreferencesFile::Entry> Parse(std::string_view text) {
    std::vector<PreferencesFile::Entry> entries;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && !IsLineBreak(text[end])) ++end;
        std::string_view line = TrimLeft(text.substr(pos, end - pos));
        if (!line.empty()) entries.push_back(ParseLine(line));
        // A run of CR and LF is one break, so blank lines vanish.
        while (end < text.size() && IsLineBreak(text[end])) ++end;
        pos = end;
    }
    return entries;
}

std::string Render(const std::vector<PreferencesFile::Entry>& entries) {
    std::string out(kBom);
    out += "\r\n";
    for (const auto& e : entries) {
        switch (e.kind) {
        case PreferencesFile::Entry::Group: out += "[" + e.name + "]"; break;
        case PreferencesFile::Entry::Comment: out += "; " + e.name; break;
        case PreferencesFile::Entry::Key: out += e.name + " = " + e.value; break;
        }
        out += "\r\n";
    }
    return out;
}

// The C "%d" conversion without its undefined overflow: out-of-range values
// stop at the nearest end of the int range.
int ParseInteger(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        n = n * 10 + (s[i] - '0');
        if (n > static_cast<long long>(INT_MAX) + 1) n = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<int>(-n);
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

// A missing file may be made, an existing one replaced only when it is a
// regular file we may write: never a folder, a pipe or a device.
bool MayCreateOrReplace(const std::string& path) {
    if (!platform::Exists(path)) return true;
    return platform::IsRegularFile(path) && platform::IsWritableFile(path);
}

// Larger than any preferences file a person keeps: anything else is not one.
constexpr int64_t kMaxFileSize = 1 << 20;

}  // namespace

PreferencesFile::~PreferencesFile() { Close(); }

bool PreferencesFile::Open(const std::string& path) {
    Close();
    path_ = path;
    std::string raw;
    // Only a regular file of sane size is read: a pipe would block the start,
    // a device or a giant file exhaust the memory.
    const int64_t size = platform::FileSize(path);
    if (size < 0 || size > kMaxFileSize || !platform::ReadWholeFile(path, raw)) {
        openFailed_ = true;
        return false;
    }
    open_ = true;
    writable_ = platform::IsWritableFile(path);
    std::string_view text(raw);
    if (text.size() >= kBom.size() && text.substr(0, kBom.size()) == kBom) {
        entries_ = Parse(text.substr(kBom.size()));
    } else {
        entries_ = Parse(Latin1ToUtf8(text));
    }
    return true;
}

bool PreferencesFile::Create(const std::string& path) {
    Close();
    if (!MayCreateOrReplace(path) || !platform::ReplaceFileContent(path, "")) return false;
    path_ = path;
    open_ = true;
    writable_ = true;
    return true;
}

int PreferencesFile::FindKey(const std::string& key) const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.kind == Entry::Group) break;  // reads and writes stay in the leading section
        if (e.kind == Entry::Key && SameKey(e.name, key)) return static_cast<int>(i);
    }
    return -1;
}

std::string PreferencesFile::ReadText(const std::string& key, const std::string& def) const {
    int i = FindKey(key);
    if (i < 0) return def;
    return std::string(TrimLeft(TrimRight(entries_[i].value)));
}

int PreferencesFile::ReadInteger(const std::string& key, int def) const {
    int i = FindKey(key);
    return i < 0 ? def : ParseInteger(entries_[i].value);
}

void PreferencesFile::WriteText(const std::string& key, const std::string& rawValue) {
    if (!open_ && !openFailed_) return;
    // A value is one line: a line break in it would plant keys and groups.
    std::string value = rawValue;
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n'; });
    int i = FindKey(key);
    if (i >= 0) {
        entries_[i].name = key;
        entries_[i].value = value;
    } else {
        // After the leading section's last entry, i.e. before the first group.
        size_t at = 0;
        while (at < entries_.size() && entries_[at].kind != Entry::Group) ++at;
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at),
                        Entry{Entry::Key, key, value});
    }
    changed_ = true;
}

void PreferencesFile::WriteInteger(const std::string& key, int value) {
    WriteText(key, std::to_string(value));
}

void PreferencesFile::Close() {
    if (changed_) {
        // After a failed Open the file is created now, unless it exists and
        // may not be written (it was merely unreadable).
        bool mayWrite = open_ ? writable_ : MayCreateOrReplace(path_);
        // Never truncated in place: the old file stays whole if this fails.
        if (mayWrite) platform::ReplaceFileContent(path_, Render(entries_));
    }
    entries_.clear();
    path_.clear();
    open_ = false;
    writable_ = false;
    changed_ = false;
    openFailed_ = false;
}

}  // namespace settings
