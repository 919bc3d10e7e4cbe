#include "browse/local_browser.h"

#include <vector>

#include "platform/paths.h"
#include "settings/settings.h"
#include "svnclient/client.h"

namespace browse {

namespace {

// The first word of a status line is made of the client's status column
// characters; the conflict summary and the tree-conflict details that can
// follow the status lines are not, whatever the client's language.
bool IsStatusWord(const std::string& word) {
    return !word.empty() && word.size() <= 8 &&
           word.find_first_not_of("ACDIMRX?!~LKOTBS+*") == std::string::npos;
}

}  // namespace

void ListLocalFolder(const std::string& subPath, const EntrySink& add) {
    const std::string& local = settings::g_settings.SVNLocalRepositery;
    const std::string folder = subPath.empty() ? local : platform::WithSeparator(local) + subPath;
    std::vector<platform::DirEntry> found;
    if (!platform::ListDirectory(folder, found)) return;
    for (const auto& d : found) {
        // Dot names include the working copy's own administrative folder.
        if (d.name.empty() || d.name[0] == '.') continue;
        ListEntry e;
        e.name = d.name;
        e.isFolder = d.isFolder ? 1 : 0;
        e.path = platform::WithSeparator(folder) + d.name;
        e.status = EntryStatus(e.path);
        add(std::move(e));
    }
}

std::string EntryStatus(const std::string& path) {
    std::string code;
    auto onLine = [&code](const std::string& line) {
        std::string word = line.substr(0, line.find(' '));
        if (IsStatusWord(word)) code = word;
    };
    svnclient::RunClient({svnclient::Plain("status"), svnclient::Target(path)}, "", 1, onLine);
    return code;
}

}  // namespace browse
