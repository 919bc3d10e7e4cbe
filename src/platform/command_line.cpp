#include "platform/command_line.h"

namespace platform {

std::string QuoteWindowsArgument(const std::string& text, bool always) {
    if (!always && !text.empty() && text.find_first_of(" \t\"") == std::string::npos)
        return text;  // backslashes are literal when no quote follows them
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // A run of backslashes is doubled only where a quote follows it, since
        // that is the only place the runtime halves them.
        if (c == '"')
            out.append(2 * backslashes + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');  // the closing quote follows them
    return out + '"';
}

std::string JoinCommandLine(const std::string& program, const ArgumentList& args) {
    // The program token is read without escapes, so it is only ever quoted.
    std::string line = "\"" + program + "\"";
    for (const Argument& a : args) line += " " + QuoteWindowsArgument(a.text, a.quote);
    return line;
}

}  // namespace platform
