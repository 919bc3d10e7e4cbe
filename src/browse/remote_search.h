#pragma once
#include <string>

namespace browse {

// Worker body: lists the repository recursively and hands every line that the
// pattern matches to the main thread as a tree item. At its end, whatever the
// reason, posts a click of the stop button.
void SearchRemote(const std::string& pattern);

}  // namespace browse
