#include "svnclient/log_xml.h"

#include "svnclient/dates.h"

namespace svnclient {

void LogXmlReader::Open(const std::string& name, const char** attributes) {
    if (name == "logentry") {
        if (depth_++ > 0) return;
        entry_ = LogEntry{};
        entry_.revision = AttributeNumber(Attribute(attributes, "revision"));
    } else if (name == "path" && depth_ == 1) {
        path_ = ChangedPath{};
        const char* action = Attribute(attributes, "action");
        path_.action = action != nullptr ? action[0] : 0;
        const char* from = Attribute(attributes, "copyfrom-path");
        if (from != nullptr) path_.copyFromPath = from;
        path_.copyFromRevision = AttributeNumber(Attribute(attributes, "copyfrom-rev"));
    }
}

void LogXmlReader::Close(const std::string& name, const std::string& text) {
    if (name == "logentry") {
        if (depth_ == 0 || --depth_ > 0) return;
        ++count_;
        if (oldest_ == 0 || entry_.revision < oldest_) oldest_ = entry_.revision;
        onEntry_(std::move(entry_));
        entry_ = LogEntry{};
        return;
    }
    if (depth_ != 1) return;
    if (name == "author") {
        entry_.author = text;
        entry_.hasAuthor = true;
    } else if (name == "date") {
        ReadSvnDate(text, &entry_.date, &entry_.time);
    } else if (name == "msg") {
        entry_.message = text;
    } else if (name == "path") {
        path_.path = text;
        entry_.paths.push_back(std::move(path_));
        path_ = ChangedPath{};
    }
}

}  // namespace svnclient
