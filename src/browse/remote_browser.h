// The repository as the list shows it, one folder at a time.
#pragma once
#include <string>

#include "browse/entry_list.h"
#include "svnclient/client.h"

namespace browse {

// Hands each entry of the repository folder JoinUrl(SVNRemoteRepositery,
// subPath) to `add`.
svnclient::ClientResult ListRemoteFolder(const std::string& subPath, const EntrySink& add);

}  // namespace browse
