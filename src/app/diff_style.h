// How each line of a unified diff is drawn.
#pragma once
#include <string>

#include "platform/window.h"

namespace app {

// Fed the lines in order. A hunk's body is counted from its header, so a
// removed line that reads "--- x" or an added "+++ y" keeps its colour, and
// a file header after the hunk is one again.
class DiffStyler {
public:
    platform::TextStyle Style(const std::string& line);

private:
    long oldLeft_ = 0;  // lines of the current hunk still to come on each side
    long newLeft_ = 0;
};

}  // namespace app
