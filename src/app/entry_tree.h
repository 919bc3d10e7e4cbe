// The entry tree and the list of entries behind it: the one place that
// writes command results into the tree, and the boxes that report on them.
// Main thread, but for ReportClientError.
#pragma once
#include <string>
#include <vector>

#include "browse/entry_list.h"
#include "platform/window.h"

namespace app {

extern browse::EntryList g_entries;

// Decodes the icons under `folder` (the gfx/ data folder) and registers them with
// the window service.
void LoadIcons(const std::string& folder);
// The composite for a known code over the folder or file icon; the plain
// icon for any other code. 0 when the icon set holds no such image.
platform::ImageHandle StatusIcon(const std::string& code, int isFolder);

// Empties the entry list and the tree.
void ClearEntries();
// Redraws the tree from g_entries: items, icons, values, folders expanded.
void ShowEntries();

// List the local or remote folder `subPath` into g_entries below row R-1, at
// depth D; the remote listing shows the client's error.
void ListLocalEntries(int R, int D, const std::string& subPath);
void ListRemoteEntries(int R, int D, const std::string& subPath);

// A change notice of update, cleanup or a copy: a new last entry and item.
void AppendChangeRow(const std::string& code, const std::string& path);
// A plain item at `row`: a line of the commit's output, a search match.
void AppendTextRow(int row, const std::string& text);
// Plain items at `first` and the rows after it: a batch of search matches.
void AppendTextRows(int first, const std::vector<std::string>& texts);

// The one modal "Informations" box for a command's output lines that are no
// change notice: the translated `prefix` and " : " before the first, each
// on its own line. Nothing when `lines` is empty.
void ShowInformation(const std::string& prefix, const std::vector<std::string>& lines);
// Shows "The Subversion client reported an error:" and `errors` in an
// "Alert" box when `errors` is not empty. Any thread: a worker waits for it.
void ReportClientError(const std::string& errors);

}  // namespace app
