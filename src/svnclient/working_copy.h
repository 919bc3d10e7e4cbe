// Commands on the local working copy (the folder SVNLocalRepositery names).
// Each returns what the client reported, for the caller to show.
#pragma once
#include <string>

#include "svnclient/client.h"

namespace svnclient {

ClientResult SvnAdd(const std::string& path);
ClientResult SvnRevert(const std::string& path);
// Marks a conflict on `path` resolved, keeping the working file as it is.
ClientResult SvnResolve(const std::string& path);
ClientResult SvnDelete(const std::string& path);
// Every output line goes to `onLine` as the client prints it.
ClientResult SvnCommit(const std::string& comment, const LineSink& onLine);
ClientResult SvnUpdate(const LineSink& onLine);
ClientResult SvnCleanup(const LineSink& onLine);

}  // namespace svnclient
