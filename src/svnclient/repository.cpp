#include "svnclient/repository.h"

#include "i18n/catalogue.h"
#include "settings/settings.h"

namespace svnclient {

namespace {

void IgnoreLine(const std::string&) {}

ClientResult Copy(int credentials, const LineSink& onLine, const std::function<void()>& onDrained) {
    const settings::Settings& s = settings::g_settings;
    // The destination is no target: the client takes it as it is.
    return RunClient(
        {Plain("checkout"), Target(s.SVNRemoteRepositery, false), Plain(s.SVNLocalRepositery)}, "",
        credentials, onLine, nullptr, onDrained);
}

}  // namespace

ClientResult SvnCheckout(const LineSink& onLine, const std::function<void()>& onDrained) {
    return Copy(1, onLine, onDrained);
}

ClientResult SvnReadOnlyCopy(const LineSink& onLine, const std::function<void()>& onDrained) {
    return Copy(0, onLine, onDrained);
}

ClientResult SvnRemoteDelete(const std::string& path) {
    if (path.empty()) return {};
    const std::string target = RepositoryUrl(path);
    const std::string message = path + " " + i18n::Translate("deletion");
    ArgumentList args{Plain("delete"), Target(target), Plain("-m"), Quoted(message),
                      Plain("--force-log")};
    return RunClient(args, "", 1, IgnoreLine);
}

ClientResult SvnRemoteMkdir(const std::string& parent, const std::string& name) {
    if (name.empty()) return {};
    const std::string target = RepositoryUrl(parent + name);
    const std::string message =
        i18n::Translate("Directory") + " " + name + " " + i18n::Translate("created");
    ArgumentList args{Plain("mkdir"), Target(target), Plain("-m"), Quoted(message),
                      Plain("--force-log")};
    return RunClient(args, "", 1, IgnoreLine);
}

ClientResult SvnExport(const std::string& url, const std::string& target) {
    return RunClient({Plain("export"), Plain("--force"), Target(url), Target(target)}, "", 1,
                     IgnoreLine);
}

}  // namespace svnclient
