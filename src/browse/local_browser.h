// The working copy as the list shows it: a folder's entries, each with the
// status the client gives it.
#pragma once
#include <string>

#include "browse/entry_list.h"

namespace browse {

// Hands each entry of SVNLocalRepositery + subPath to `add`, with its status.
void ListLocalFolder(const std::string& subPath, const EntrySink& add);
// The first word of the last status line the client prints for `path`.
std::string EntryStatus(const std::string& path);

}  // namespace browse
