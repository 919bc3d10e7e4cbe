#include "svnclient/working_copy.h"

#include "settings/settings.h"

namespace svnclient {

namespace {

void IgnoreLine(const std::string&) {}

// add, revert, resolve and delete print what the caller's status refresh
// shows anyway.
ClientResult RunOnPath(ArgumentList args, const std::string& path) {
    args.push_back(Target(path));
    return RunClient(args, "", 1, IgnoreLine);
}

ClientResult RunOnWorkingCopy(const char* command, const LineSink& onLine) {
    return RunClient({Plain(command), Target(settings::g_settings.SVNLocalRepositery, false)}, "", 1,
                     onLine);
}

}  // namespace

ClientResult SvnAdd(const std::string& path) { return RunOnPath({Plain("add")}, path); }

ClientResult SvnRevert(const std::string& path) { return RunOnPath({Plain("revert")}, path); }

ClientResult SvnResolve(const std::string& path, const char* accept) {
    return RunOnPath({Plain("resolve"), Plain("--accept"), Plain(accept)}, path);
}

ClientResult SvnDelete(const std::string& path) { return RunOnPath({Plain("delete")}, path); }

ClientResult SvnCommit(const std::string& comment, const LineSink& onLine) {
    ArgumentList args{Plain("commit"), Plain("-m"), Quoted(comment), Plain("--force-log")};
    return RunClient(args, settings::g_settings.SVNLocalRepositery, 1, onLine);
}

ClientResult SvnUpdate(const LineSink& onLine) { return RunOnWorkingCopy("update", onLine); }

ClientResult SvnCleanup(const LineSink& onLine) { return RunOnWorkingCopy("cleanup", onLine); }

}  // namespace svnclient
