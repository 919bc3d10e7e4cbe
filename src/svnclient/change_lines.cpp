#include "svnclient/change_lines.h"

#include "app/shell_state.h"
#include "browse/entry_list.h"
#include "browse/status_codes.h"
#include "i18n/catalogue.h"
#include "platform/paths.h"
#include "platform/window.h"

namespace svnclient {

namespace {

bool IsChangeCode(const std::string& code) {
    return code == "A" || code == "D" || code == "U" || code == "C" || code == "G" ||
           code == "E";
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

void AppendChangeEntry(int row, const std::string& code, const std::string& path) {
    browse::ListEntry e;
    e.row = row;
    e.name = path;
    e.depth = 0;
    e.isFolder = platform::EndsWithSeparator(path) ? 1 : 0;
    e.status = code;
    e.path = path;
    int tree = app::EntryTree;
    int at = platform::TreeCount(tree);
    platform::TreeAddItem(tree, at, path, browse::StatusIcon(code, e.isFolder), 0);
    platform::TreeSetValue(tree, at, 0);
    browse::g_entries.Append(std::move(e));
}

void ShowInformation(const std::string& line) {
    platform::ShowMessage(i18n::Translate("Informations"),
                          i18n::Translate("Update") + " : " + line);
}

}  // namespace svnclient
