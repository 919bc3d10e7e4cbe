#include "svnclient/blame_xml.h"

#include "svnclient/dates.h"

namespace svnclient {

void BlameXmlReader::Open(const std::string& name, const char** attributes) {
    if (name == "entry") {
        inEntry_ = true;
        inMerged_ = false;
        line_ = BlameLine{};
        line_.number = AttributeNumber(Attribute(attributes, "line-number"));
    } else if (name == "merged") {
        inMerged_ = true;
    } else if (name == "commit" && inEntry_ && !inMerged_) {
        line_.revision = AttributeNumber(Attribute(attributes, "revision"));
    }
}

void BlameXmlReader::Close(const std::string& name, const std::string& text) {
    if (!inEntry_) return;
    if (name == "entry") {
        inEntry_ = false;
        lines_->push_back(std::move(line_));
        line_ = BlameLine{};
    } else if (name == "merged") {
        inMerged_ = false;
    } else if (inMerged_) {
        return;
    } else if (name == "author") {
        line_.author = text;
        line_.hasAuthor = true;
    } else if (name == "date") {
        ReadSvnDate(text, &line_.date, &line_.time);
    }
}

}  // namespace svnclient
