// The "Vellum.prefs" format: key/value lines, groups and comments, read as
// UTF-8 (with BOM) or ISO-8859-1, rewritten whole (and atomically) on Close
// when something was written.
#pragma once
#include <string>
#include <vector>

namespace settings {

class PreferencesFile {
public:
    PreferencesFile() = default;
    ~PreferencesFile();
    PreferencesFile(const PreferencesFile&) = delete;
    PreferencesFile& operator=(const PreferencesFile&) = delete;

    bool Open(const std::string& path);
    bool Create(const std::string& path);
    std::string ReadText(const std::string& key, const std::string& def) const;
    int ReadInteger(const std::string& key, int def) const;
    void WriteText(const std::string& key, const std::string& value);
    void WriteInteger(const std::string& key, int value);
    void Close();

    struct Entry {
        enum Kind { Group, Comment, Key } kind;
        std::string name;   // group name, comment text or key
        std::string value;  // key entries only
    };
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    int FindKey(const std::string& key) const;

    std::vector<Entry> entries_;
    std::string path_;
    bool open_ = false;
    bool writable_ = false;
    bool changed_ = false;
    bool openFailed_ = false;  // Open failed: Close creates the file on a write
};

}  // namespace settings
