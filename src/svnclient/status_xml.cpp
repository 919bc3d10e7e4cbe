#include "svnclient/status_xml.h"

#include <cstring>
#include <utility>

namespace svnclient {

namespace {

bool Is(const char* value, const char* word) {
    return value != nullptr && std::strcmp(value, word) == 0;
}

}  // namespace

std::string StatusCode(const char* item, const char* props, const char* treeConflicted,
                       bool* tree) {
    *tree = Is(treeConflicted, "true");
    // A conflict of any kind outranks the rest: the user must settle it first.
    if (*tree || Is(item, "conflicted") || Is(props, "conflicted")) return "C";
    static const std::pair<const char*, const char*> kItems[] = {
        {"modified", "M"},    {"added", "A"},    {"deleted", "D"},    {"replaced", "R"},
        {"unversioned", "?"}, {"missing", "!"},  {"incomplete", "!"}, {"obstructed", "~"},
        {"ignored", "I"},     {"external", "X"},
    };
    for (const auto& [word, code] : kItems)
        if (Is(item, word)) return code;
    // Only the properties changed: still a change to send.
    return Is(props, "modified") ? "M" : "";
}

void StatusXmlReader::Open(const std::string& name, const char** attributes) {
    if (name == "entry") {
        entry_ = StatusEntry{};
        const char* path = Attribute(attributes, "path");
        inEntry_ = path != nullptr;  // nothing to name without it
        if (inEntry_) entry_.path = path;
    } else if (name == "wc-status" && inEntry_) {
        entry_.code = StatusCode(Attribute(attributes, "item"), Attribute(attributes, "props"),
                                 Attribute(attributes, "tree-conflicted"), &entry_.treeConflict);
    }
}

void StatusXmlReader::Close(const std::string& name, const std::string&) {
    if (name != "entry" || !inEntry_) return;
    inEntry_ = false;
    onEntry_(std::move(entry_));
    entry_ = StatusEntry{};
}

void TreeConflictXmlReader::Open(const std::string& name, const char** attributes) {
    if (name != "tree-conflict" || conflict_.Found()) return;
    const char* operation = Attribute(attributes, "operation");
    const char* action = Attribute(attributes, "action");
    const char* reason = Attribute(attributes, "reason");
    if (operation == nullptr || *operation == '\0') return;
    conflict_ = {operation, action != nullptr ? action : "", reason != nullptr ? reason : ""};
}

}  // namespace svnclient
