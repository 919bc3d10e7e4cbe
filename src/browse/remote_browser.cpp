#include "browse/remote_browser.h"

#include "platform/paths.h"
#include "settings/settings.h"

namespace browse {

svnclient::ClientResult ListRemoteFolder(const std::string& subPath, const EntrySink& add) {
    const std::string url = svnclient::RepositoryUrl(subPath);
    auto onLine = [&](const std::string& line) {
        if (line.empty()) return;
        ListEntry e;
        e.name = line;
        e.path = subPath + line;
        e.isFolder = platform::EndsWithSeparator(line) ? 1 : 0;
        add(std::move(e));
    };
    return svnclient::RunClient({svnclient::Plain("list"), svnclient::Target(url)}, "", 1, onLine);
}

}  // namespace browse
