#include "svnclient/change_lines.h"

namespace svnclient {

namespace {

bool IsChangeCode(const std::string& code) {
    return code == "A" || code == "D" || code == "U" || code == "C" || code == "G" || code == "E";
}

std::string TrimBlanks(const std::string& s) {
    auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

ChangeLine Classify(const std::string& code, const std::string& path) {
    ChangeLine c;
    if (!IsChangeCode(code)) {
        c.kind = ChangeLine::Information;
    } else if (!path.empty()) {
        c.kind = ChangeLine::Entry;
        c.code = code;
        c.path = path;
    }
    return c;
}

}  // namespace

ChangeLine ParseUpdateLine(const std::string& line) {
    if (line.empty()) return {};
    auto blank = line.find(' ');
    if (blank == std::string::npos) return Classify(line, "");
    return Classify(line.substr(0, blank), TrimBlanks(line.substr(blank)));
}

ChangeLine ParseCheckoutLine(const std::string& line) {
    if (line.empty()) return {};
    if (line.size() > 1 && line[1] != ' ') return Classify("", "");
    return Classify(line.substr(0, 1), TrimBlanks(line.substr(1)));
}

}  // namespace svnclient
