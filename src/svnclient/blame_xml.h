// `svn blame --xml`: per line, the commit that last changed it. The text of
// the lines is not in it (see SvnBlame).
#pragma once
#include <vector>

#include "svnclient/history.h"
#include "svnclient/xml_reader.h"

namespace svnclient {

class BlameXmlReader : public XmlReader {
public:
    explicit BlameXmlReader(std::vector<BlameLine>* lines) : lines_(lines) {}

protected:
    void Open(const std::string& name, const char** attributes) override;
    void Close(const std::string& name, const std::string& text) override;

private:
    std::vector<BlameLine>* lines_;
    BlameLine line_;
    bool inEntry_ = false;
    bool inMerged_ = false;  // the merge source's commit (with -g): not the line's own
};

}  // namespace svnclient
