// Commands on the remote repository (the URL SVNRemoteRepositery names).
// Each returns what the client reported, for the caller to show.
#pragma once
#include <string>

#include "svnclient/client.h"

namespace svnclient {

// Copies the repository into SVNLocalRepositery: a work copy with the
// credentials, a read-only copy without. Every output line goes to `onLine`;
// `onDrained` as for RunClient.
using CopyCommand = ClientResult (*)(const LineSink& onLine,
                                     const std::function<void()>& onDrained);
ClientResult SvnCheckout(const LineSink& onLine, const std::function<void()>& onDrained = {});
ClientResult SvnReadOnlyCopy(const LineSink& onLine, const std::function<void()>& onDrained = {});

// Each commits at once with a log message naming what changed; an empty path
// or name does nothing.
ClientResult SvnRemoteDelete(const std::string& path);
ClientResult SvnRemoteMkdir(const std::string& parent, const std::string& name);

// Fetches the repository file at `url` into `target` through the client.
ClientResult SvnExport(const std::string& url, const std::string& target);

}  // namespace svnclient
