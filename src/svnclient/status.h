// What `svn status --xml` reports under a working-copy folder, read as the
// client prints it: the commit window's list.
#pragma once
#include <atomic>
#include <functional>
#include <string>

#include "svnclient/client.h"

namespace svnclient {

struct StatusEntry {
    std::string path;  // as the client printed it: under the folder asked about
    // The code the status icons use: "M" (text or properties modified), "A",
    // "D", "R", "C" (any conflict, tree conflicts too), "?", "!", "~", "I",
    // "X" (an external's folder), "" (nothing to report).
    std::string code;
    bool treeConflict = false;
};

using StatusSink = std::function<void(StatusEntry)>;

// `svn status --xml FOLDER@` (ignored entries left out, as the client does
// without --no-ignore); each entry goes to `onEntry` as soon as it is read
// whole. Output that is no well-formed status gives an error text. `stop` and
// `onDrained` as for RunClient.
ClientResult SvnStatusXml(const std::string& folder, const StatusSink& onEntry,
                          const std::atomic<bool>* stop = nullptr,
                          const std::function<void()>& onDrained = {});

// A tree conflict as `svn info --xml PATH@` describes it; empty words when
// `path` has none (or the client failed: `result` says so when given).
struct TreeConflict {
    std::string operation;  // "update", "switch", "merge"
    std::string action;     // what came in: "edit", "delete", "add", "replace"
    std::string reason;     // what was there: "edit", "delete", "missing", ...
    bool Found() const { return !operation.empty(); }
};
TreeConflict SvnTreeConflict(const std::string& path, ClientResult* result = nullptr);

}  // namespace svnclient
