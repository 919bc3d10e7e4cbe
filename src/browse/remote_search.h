// Searching every path of the repository with a regular expression.
#pragma once
#include <atomic>
#include <string>

#include "svnclient/client.h"

namespace browse {

struct SearchResult {
    std::string patternError;  // PCRE2's message when the pattern doesn't compile
    svnclient::ClientResult client;
    int unmatched = 0;  // paths the matcher gave up on (too complex a pattern)
};

// Lists the repository recursively and hands every path the pattern matches
// to `onMatch`, in the client's order, until the listing ends or `stop` is
// set; `onDrained` runs whenever the output read so far is matched. A pattern
// that doesn't compile lists nothing.
SearchResult SearchRemote(const std::string& pattern, const svnclient::LineSink& onMatch,
                          const std::atomic<bool>& stop,
                          const std::function<void()>& onDrained = {});

}  // namespace browse
