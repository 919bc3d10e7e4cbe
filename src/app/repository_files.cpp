#include "app/repository_files.h"

#include <cctype>

#include "app/entry_tree.h"
#include "app/shell_state.h"
#include "i18n/catalogue.h"
#include "platform/download.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "svnclient/repository.h"

namespace app {

using i18n::Translate;

std::string FilePart(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

namespace {

bool IsHttpUrl(const std::string& url) {
    std::string scheme = url.substr(0, url.find(':'));
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme == "http" || scheme == "https";
}

// An HTTP server hands out a repository file like any web page, though
// without the credentials, which only the client passes on: a refused fetch
// goes through the client, as for other repositories (file://, svn://), whose
// files sit inside a database only the client can read.
// Fetched beside the target and moved over it only when whole, so a failed
// fetch never destroys the user's file. `why` gets the client's error text.
bool Fetch(const std::string& url, const std::string& target, std::string& why) {
    return platform::ReplaceFileWith(target, [&](const std::string& part) {
        if (IsHttpUrl(url)) {
            const settings::Settings& s = settings::g_settings;
            // Through the proxy the client is told of, as the client goes.
            platform::Proxy proxy;
            if (s.useProxy != 0) proxy = {s.proxyHost, s.proxyPort, s.proxyLogin, s.proxyPassword};
            const platform::DownloadResult r =
                platform::DownloadUrl(url, part, platform::KeepPainted, proxy);
            if (r != platform::DownloadResult::Refused) return r == platform::DownloadResult::Done;
        }
        const svnclient::ClientResult r = svnclient::SvnExport(url, part);
        why = r.errors;
        return r.started && r.errors.empty() && platform::IsRegularFile(part);
    });
}

}  // namespace

bool DownloadFile(const std::string& relativePath, const std::string& target) {
    if (target.empty()) return false;
    const std::string url = svnclient::RepositoryUrl(relativePath);
    std::string why;
    if (Fetch(url, target, why)) return true;
    platform::ShowMessage(Translate("Alert"), Translate("Saving failed"));
    ReportClientError(why);  // the reason, in the box every client error gets
    return false;
}

void SaveRepositoryFile() {
    g_shell.clickedName = FilePart(g_shell.clickedName);
    const std::string target = platform::ChooseSaveFile(
        Translate("Where should I save file ") + g_shell.clickedName + " ?", g_shell.clickedName);
    DownloadFile(g_shell.clickedPath, target);
}

void OpenRepositoryFile() {
    g_shell.clickedName = FilePart(g_shell.clickedName);
    // A shared folder would let another user plant a link where the file goes.
    const std::string folder = platform::PrivateTemporaryFolder();
    if (folder.empty()) {
        platform::ShowMessage(Translate("Alert"), Translate("Saving failed"));
        return;
    }
    const std::string file = folder + g_shell.clickedName;
    // A failed fetch may leave an older copy behind; never open that one.
    if (DownloadFile(g_shell.clickedPath, file)) platform::OpenFile(file, folder);
}

}  // namespace app
