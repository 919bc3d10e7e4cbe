#include "browse/remote_browser.h"

#include "browse/entry_list.h"
#include "platform/paths.h"
#include "settings/settings.h"
#include "svnclient/client.h"
#include "svnclient/working_copy.h"

namespace browse {

void ListRemoteFolder(int R, int D, const std::string& subPath) {
    const std::string url = svnclient::JoinUrl(settings::g_settings.SVNRemoteRepositery, subPath);
    std::string errors;
    ReplaceChildren(R, D, [&](const std::function<void(ListEntry)>& add) {
        auto onLine = [&](const std::string& line) {
            if (line.empty()) return;
            ListEntry e;
            e.name = line;
            e.path = subPath + line;
            e.isFolder = platform::EndsWithSeparator(line) ? 1 : 0;
            add(std::move(e));
        };
        errors = svnclient::RunClient({svnclient::Plain("list"), svnclient::Quoted(url)}, "", 1,
                                      onLine)
                     .errors;
    });
    svnclient::ReportClientError(errors);
}

}  // namespace browse
