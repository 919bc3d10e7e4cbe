#pragma once
#include <string>

namespace browse {

// Lists SVNLocalRepositery + subPath into the entry list below row R-1.
void ListLocalFolder(int R, int D, const std::string& subPath);
// The first word of the last status line the client prints for `path`.
std::string EntryStatus(const std::string& path);

}  // namespace browse
