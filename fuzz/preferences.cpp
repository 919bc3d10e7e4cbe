// The preferences reader and rewriter: any file is read, and rewriting it with
// one more key keeps every value the file gave.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_file.h"
#include "settings/preferences_file.h"

namespace {

bool IsProbeKey(const std::string& name) {
    const std::string probe = "vellumprobe";
    if (name.size() != probe.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if ((name[i] | 0x20) != probe[i]) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = fuzz::WriteScratch(data, size);
    settings::PreferencesFile prefs;
    if (!prefs.Open(path)) std::abort();
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& e : prefs.Entries()) {
        if (e.kind == settings::PreferencesFile::Entry::Key && !IsProbeKey(e.name))
            values.emplace_back(e.name, prefs.ReadText(e.name, "\x01"));
    }
    prefs.ReadInteger("SVNAuthCache", 0);
    prefs.WriteText("VellumProbe", "a = b ; [c]");
    prefs.Close();

    if (!prefs.Open(path)) std::abort();
    for (const auto& [key, value] : values)
        if (prefs.ReadText(key, "\x01") != value) std::abort();
    if (prefs.ReadText("VellumProbe", "") != "a = b ; [c]") std::abort();
    prefs.Close();
    return 0;
}
