// The working copy as the list shows it: a folder's entries, each with the
// status the client gives it.
#pragma once
#include <string>

#include "browse/entry_list.h"

namespace browse {

// Hands each entry of SVNLocalRepositery + subPath to `add`, with the status
// EntryStatus would give it, from one status run of the whole folder; then
// each entry the client reports deleted or missing there that the disk no
// longer holds. Where the client judges an entry from its folder, the folder's
// word stands: "S" for a switched entry, "X" for an external without changes,
// "?" for a checkout of its own inside the folder.
void ListLocalFolder(const std::string& subPath, const EntrySink& add);
// The first word of the last status line the client prints for `path`.
std::string EntryStatus(const std::string& path);

}  // namespace browse
