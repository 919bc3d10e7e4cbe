#pragma once
#include <string>

namespace browse {

// Lists the repository folder JoinUrl(SVNRemoteRepositery, subPath) into the
// entry list below row R-1; shows the client's error in an "Alert" box.
void ListRemoteFolder(int R, int D, const std::string& subPath);

}  // namespace browse
