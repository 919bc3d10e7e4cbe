// Commands on the local working copy (the folder SVNLocalRepositery names).
// Each returns what the client reported, for the caller to show.
#pragma once
#include <string>
#include <vector>

#include "svnclient/client.h"

namespace svnclient {

ClientResult SvnAdd(const std::string& path);
ClientResult SvnRevert(const std::string& path);
// `svn resolve --accept ACCEPT PATH@`: "working" marks the conflict resolved
// keeping the file as it is; "mine-full" and "theirs-full" take one side whole.
ClientResult SvnResolve(const std::string& path, const char* accept = "working");
// `svn add --targets LISTFILE`: every path of `paths` in one run; the list is
// a private temporary file, removed afterwards whatever the outcome.
ClientResult SvnAddAll(const std::vector<std::string>& paths);
ClientResult SvnDelete(const std::string& path);
// Every output line goes to `onLine` as the client prints it.
ClientResult SvnCommit(const std::string& comment, const LineSink& onLine);
// `svn commit --targets LISTFILE -F MESSAGEFILE --force-log`, run in the local
// folder: exactly `paths` (relative to it), with a message of any lines. Both
// files are private and removed afterwards, whatever the outcome.
ClientResult SvnCommitPaths(const std::vector<std::string>& paths, const std::string& message,
                            const LineSink& onLine);
ClientResult SvnUpdate(const LineSink& onLine);
ClientResult SvnCleanup(const LineSink& onLine);

}  // namespace svnclient
