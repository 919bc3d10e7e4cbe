// The Windows rules for joining an argument list into one command line, so
// that CommandLineToArgvW / the C runtime give back exactly the same list.
// Plain code on every platform so it is tested everywhere.
#pragma once
#include <string>
#include "platform/process.h"

namespace platform {

// Quotes one argument when it is empty, holds a blank, a tab or a quote, or
// when `always` is set; backslashes are doubled only in front of a quote or
// the closing quote.
std::string QuoteWindowsArgument(const std::string& text, bool always);

// "program" (always quoted) followed by each argument, separated by blanks.
std::string JoinCommandLine(const std::string& program, const ArgumentList& args);

}  // namespace platform
