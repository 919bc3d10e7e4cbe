// The change notices that update, cleanup and the copies print ("U    a.c").
#pragma once
#include <string>

namespace svnclient {

struct ChangeLine {
    enum Kind { Nothing, Entry, Information } kind = Nothing;
    std::string code;
    std::string path;
};

// Update and cleanup: the code is the first blank-delimited word, the path the
// rest of the line with its blanks trimmed.
ChangeLine ParseUpdateLine(const std::string& line);
// The copies: a change notice is a code character followed by a blank (or
// nothing); anything else, "Checked out revision 5." included, is information.
ChangeLine ParseCheckoutLine(const std::string& line);

}  // namespace svnclient
