#include "svnclient/working_copy.h"

#include <string_view>

#include "i18n/catalogue.h"
#include "platform/paths.h"
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
    return RunClient({Plain(command), Target(settings::g_settings.SVNLocalRepositery, false)}, "",
                     1, onLine);
}

// A private temporary file the client reads, gone whatever the outcome.
class ClientFile {
public:
    explicit ClientFile(const std::string& content)
        : path_(platform::WritePrivateTemporaryFile(content)) {}
    ~ClientFile() {
        if (!path_.empty()) platform::RemoveFile(path_);
    }
    ClientFile(const ClientFile&) = delete;
    ClientFile& operator=(const ClientFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

ClientResult Refused(const std::string& why) {
    ClientResult r;
    r.errors = why;
    return r;
}

// The list for --targets, one path a line. The client takes each line's last
// "@" as a peg, as on its command line, and trims blanks at both ends: a
// final "@" keeps "x@1" whole and protects trailing blanks, "./" leading ones
// (only a relative path can start with one). A line break would split a path
// into two others: such a name is refused (the client refuses it anyway).
bool TargetList(const std::vector<std::string>& paths, std::string& list, std::string& why) {
    for (const std::string& p : paths) {
        if (p.find_first_of("\r\n") != std::string::npos) {
            why = i18n::Translate("A name with a line break can't be handed to the client:") + " " +
                  p;
            return false;
        }
        const bool blank = !p.empty() && std::string_view(" \t\v\f").find(p[0]) != p.npos;
        list += (blank ? "./" : "") + p + "@\n";
    }
    return true;
}

ClientResult NoTemporaryFile() {
    return Refused(i18n::Translate("A temporary file could not be written."));
}

}  // namespace

ClientResult SvnAdd(const std::string& path) { return RunOnPath({Plain("add")}, path); }

ClientResult SvnRevert(const std::string& path) { return RunOnPath({Plain("revert")}, path); }

ClientResult SvnResolve(const std::string& path, const char* accept) {
    return RunOnPath({Plain("resolve"), Plain("--accept"), Plain(accept)}, path);
}

ClientResult SvnAddAll(const std::vector<std::string>& paths) {
    std::string list, why;
    if (!TargetList(paths, list, why)) return Refused(why);
    const ClientFile targets(list);
    if (targets.Path().empty()) return NoTemporaryFile();
    return RunClient({Plain("add"), Plain("--targets"), Quoted(targets.Path())}, "", 1, IgnoreLine);
}

ClientResult SvnDelete(const std::string& path) { return RunOnPath({Plain("delete")}, path); }

ClientResult SvnCommit(const std::string& comment, const LineSink& onLine) {
    ArgumentList args{Plain("commit"), Plain("-m"), Quoted(comment), Plain("--force-log")};
    return RunClient(args, settings::g_settings.SVNLocalRepositery, 1, onLine);
}

ClientResult SvnCommitPaths(const std::vector<std::string>& paths, const std::string& message,
                            const LineSink& onLine) {
    std::string list, why;
    if (!TargetList(paths, list, why)) return Refused(why);
    const ClientFile targets(list), text(message);
    if (targets.Path().empty() || text.Path().empty()) return NoTemporaryFile();
    // The message file is read in the locale's charset unless told otherwise;
    // it is UTF-8 whatever the locale.
    const ArgumentList args{Plain("commit"),     Plain("--targets"),  Quoted(targets.Path()),
                            Plain("-F"),         Quoted(text.Path()), Plain("--force-log"),
                            Plain("--encoding"), Plain("UTF-8")};
    return RunClient(args, settings::g_settings.SVNLocalRepositery, 1, onLine);
}

ClientResult SvnUpdate(const LineSink& onLine) { return RunOnWorkingCopy("update", onLine); }

ClientResult SvnCleanup(const LineSink& onLine) { return RunOnWorkingCopy("cleanup", onLine); }

}  // namespace svnclient
