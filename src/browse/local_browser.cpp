#include "browse/local_browser.h"

#include <cctype>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "platform/paths.h"
#include "settings/settings.h"
#include "svnclient/client.h"

namespace browse {

namespace {

using svnclient::Plain;
using svnclient::Target;

// The first word of a status line is made of the client's status column
// characters; the conflict summary and the tree-conflict details that can
// follow the status lines are not, whatever the client's language.
bool IsStatusWord(const std::string& word) {
    return !word.empty() && word.size() <= 8 &&
           word.find_first_not_of("ACDIMRX?!~LKOTBS+*") == std::string::npos;
}

std::string FirstWord(const std::string& line) { return line.substr(0, line.find(' ')); }

// The entry's code: the first word, or "C" when the tree-conflict column,
// which follows it among the columns before the path at `pathAt`, says so.
std::string StatusCode(const std::string& line, size_t pathAt) {
    const std::string word = FirstWord(line);
    if (pathAt == std::string::npos || pathAt <= word.size()) return word;
    std::istringstream columns(line.substr(word.size(), pathAt - word.size()));
    for (std::string column; columns >> column;)
        if (column == "C") return "C";
    return word;
}

bool IsSeparator(char c) { return c == '/' || c == platform::kSeparator; }

// `folder` as the client spells it back in front of every path it reports:
// absolute, without "." or ".." steps, doubled or final separators.
std::string ClientSpelling(const std::string& folder) {
    std::string path = folder;
    const bool drive = path.size() > 1 && path[1] == ':';
    if (!drive && (path.empty() || !IsSeparator(path[0])))
        path = platform::WithSeparator(platform::CurrentDirectory()) + path;
    std::string root = path.size() > 1 && path[1] == ':' ? path.substr(0, 2) : "";
    const size_t start = root.size();
    // Only Windows keeps two leading separators (a share's name follows).
    const size_t keep = start == 0 && platform::kSeparator == '\\' ? 2 : 1;
    size_t at = start;
    for (; at < path.size() && IsSeparator(path[at]); ++at)
        if (at - start < keep) root += platform::kSeparator;
    std::vector<std::string> steps;
    while (at < path.size()) {
        size_t end = at;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::string step = path.substr(at, end - at);
        if (step == "..") {
            if (!steps.empty()) steps.pop_back();
        } else if (!step.empty() && step != ".") {
            steps.push_back(step);
        }
        at = end + 1;
    }
    std::string out = root;
    for (size_t i = 0; i < steps.size(); ++i)
        out += (i ? std::string(1, platform::kSeparator) : "") + steps[i];
    return out;
}

// Where `prefix` begins in `line`, separators alike and the drive letter in
// any case; npos when it doesn't. Status columns hold no separator, so the
// first match is the path's beginning.
size_t FindPrefix(const std::string& line, const std::string& prefix) {
    for (size_t at = 0; at + prefix.size() <= line.size(); ++at) {
        size_t i = 0;
        for (; i < prefix.size(); ++i) {
            const char a = line[at + i], b = prefix[i];
            if (a == b || (IsSeparator(a) && IsSeparator(b))) continue;
            if (i == 0 && std::toupper(static_cast<unsigned char>(a)) ==
                              std::toupper(static_cast<unsigned char>(b)))
                continue;
            break;
        }
        if (i == prefix.size()) return at;
    }
    return std::string::npos;
}

// The client keeps one administrative folder at the top of a working copy.
bool InWorkingCopy(std::string folder) {
    while (true) {
        for (const char* admin : {".svn", "_svn"})
            if (platform::IsDirectory(platform::WithSeparator(folder) + admin)) return true;
        size_t cut = folder.find_last_of(std::string("/") + platform::kSeparator);
        while (cut != std::string::npos && cut > 0 && IsSeparator(folder[cut - 1])) --cut;
        if (cut == std::string::npos || cut == 0 || folder.substr(0, cut).back() == ':')
            return false;
        folder.resize(cut);
    }
}

// What one recursive status of a folder says about each of its entries.
struct FolderReport {
    bool failed = false;
    // Entry name -> the first word of the last line about it or below it.
    std::map<std::string, std::string> codes;
    // Entries whose own line reports them deleted or missing.
    std::set<std::string> gone;
};

// Runs the client once on `folder` (as ClientSpelling gives it). Ignored
// items are asked for, but counted only as entries of the folder itself: the
// client names an ignored item only when it is the target, as it is in an
// entry's own status run.
FolderReport ReadFolderStatus(const std::string& folder) {
    FolderReport report;
    const std::string prefix = platform::WithSeparator(folder);
    auto onLine = [&](const std::string& line) {
        const std::string word = FirstWord(line);
        if (!IsStatusWord(word)) return;
        const size_t at = FindPrefix(line, prefix);
        if (at == std::string::npos) return;
        const std::string code = StatusCode(line, at);
        const std::string rest = line.substr(at + prefix.size());
        size_t cut = 0;
        while (cut < rest.size() && !IsSeparator(rest[cut])) ++cut;
        const std::string name = rest.substr(0, cut);
        const bool below = cut < rest.size();
        if (name.empty() || (below && word == "I")) return;
        report.codes[name] = code;
        if (!below && (word == "D" || word == "!")) report.gone.insert(name);
    };
    report.failed = !svnclient::RunClient({Plain("status"), Plain("--no-ignore"), Target(folder)},
                                          "", 1, onLine)
                         .errors.empty();
    return report;
}

// A name ending in blanks reaches us trimmed, as every output line does.
std::string TrimmedRight(const std::string& name) {
    return name.substr(0, name.find_last_not_of(' ') + 1);
}

// Entries gone from the disk are files or folders as the working copy
// recorded them: one client run for all of them; files when it can't say.
void TakeRecordedKinds(std::vector<ListEntry>& gone) {
    if (gone.empty()) return;
    svnclient::ArgumentList args{Plain("info"), Plain("--show-item"), Plain("kind")};
    for (const auto& e : gone) args.push_back(Target(e.path));
    std::vector<std::string> kinds;
    svnclient::RunClient(args, "", 1, [&kinds](const std::string& line) {
        if (!line.empty()) kinds.push_back(FirstWord(line));
    });
    if (kinds.size() != gone.size()) return;
    for (size_t i = 0; i < gone.size(); ++i) gone[i].isFolder = kinds[i] == "dir" ? 1 : 0;
}

}  // namespace

void ListLocalFolder(const std::string& subPath, const EntrySink& add) {
    const std::string& local = settings::g_settings.SVNLocalRepositery;
    const std::string folder = subPath.empty() ? local : platform::WithSeparator(local) + subPath;
    std::vector<platform::DirEntry> found;
    if (!platform::ListDirectory(folder, found)) return;
    std::vector<ListEntry> entries;
    for (const auto& d : found) {
        // Dot names include the working copy's own administrative folder.
        if (d.name.empty() || d.name[0] == '.') continue;
        ListEntry e;
        e.name = d.name;
        e.isFolder = d.isFolder ? 1 : 0;
        e.path = platform::WithSeparator(folder) + d.name;
        entries.push_back(std::move(e));
    }

    const std::string spelling = ClientSpelling(folder);
    const bool versioned = InWorkingCopy(spelling);
    FolderReport report;
    if (versioned) report = ReadFolderStatus(spelling);
    // Outside a working copy only a folder entry can be one (a checkout of
    // its own). A failed run (names the client's charset can't hold, say)
    // tells nothing sure about any entry. Either way each is asked alone.
    const bool alone = !versioned || report.failed;
    std::set<std::string> onDisk;
    for (auto& e : entries) {
        onDisk.insert({e.name, TrimmedRight(e.name)});
        if (alone) {
            if (report.failed || e.isFolder) e.status = EntryStatus(e.path);
            continue;
        }
        auto code = report.codes.find(e.name);
        if (code == report.codes.end()) code = report.codes.find(TrimmedRight(e.name));
        if (code != report.codes.end()) e.status = code->second;
    }
    // Deleted or missing entries have a row too, so they can be undone.
    std::vector<ListEntry> gone;
    for (const auto& name : report.gone) {
        if (alone || name[0] == '.' || onDisk.count(name)) continue;
        ListEntry e;
        e.name = name;
        e.path = platform::WithSeparator(folder) + name;
        e.status = report.codes[name];
        gone.push_back(std::move(e));
    }
    TakeRecordedKinds(gone);
    for (auto& e : entries) add(std::move(e));
    for (auto& e : gone) add(std::move(e));
}

std::string EntryStatus(const std::string& path) {
    std::string code;
    const std::string spelling = ClientSpelling(path);
    auto onLine = [&code, &spelling](const std::string& line) {
        if (IsStatusWord(FirstWord(line))) code = StatusCode(line, FindPrefix(line, spelling));
    };
    svnclient::RunClient({Plain("status"), Target(path)}, "", 1, onLine);
    return code;
}

}  // namespace browse
