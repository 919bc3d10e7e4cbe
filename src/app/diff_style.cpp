#include "app/diff_style.h"

#include <cstdlib>

namespace app {

namespace {

using platform::TextStyle;

// The count after `sign` in "@@ -a,b +c,d @@" (or a property's "## ... ##"):
// b or d, 1 when the ",count" is left out.
long SideCount(const std::string& header, char sign) {
    const size_t at = header.find(std::string(" ") + sign, 2);
    if (at == std::string::npos) return 0;
    const char* p = header.c_str() + at + 2;
    char* end = nullptr;
    std::strtol(p, &end, 10);
    if (end == p) return 0;
    return *end == ',' ? std::strtol(end + 1, nullptr, 10) : 1;
}

bool StartsWith(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }

}  // namespace

TextStyle DiffStyler::Style(const std::string& line) {
    if (oldLeft_ > 0 || newLeft_ > 0) {
        const char first = line.empty() ? ' ' : line[0];
        if (first == '-' && oldLeft_ > 0) {
            --oldLeft_;
            return TextStyle::Removed;
        }
        if (first == '+' && newLeft_ > 0) {
            --newLeft_;
            return TextStyle::Added;
        }
        if (first == '\\') return TextStyle::Plain;  // "\ No newline at end of file"
        if (first == ' ') {
            // An empty line is a context line whose blank a mailer ate.
            --oldLeft_;
            --newLeft_;
            return TextStyle::Plain;
        }
        oldLeft_ = newLeft_ = 0;  // a hunk cut short: read it as a header
    }
    if (StartsWith(line, "@@ -") || StartsWith(line, "## -")) {
        oldLeft_ = SideCount(line, '-');
        newLeft_ = SideCount(line, '+');
        return TextStyle::Heading;
    }
    for (const char* header : {"Index: ", "=====", "--- ", "+++ ", "Property changes on: "})
        if (StartsWith(line, header)) return TextStyle::Heading;
    return TextStyle::Plain;
}

}  // namespace app
