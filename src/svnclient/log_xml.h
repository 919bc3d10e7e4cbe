// `svn log --xml` read as it arrives: each entry is handed on as soon as its
// </logentry> has been read.
#pragma once
#include "svnclient/history.h"
#include "svnclient/xml_reader.h"

namespace svnclient {

class LogXmlReader : public XmlReader {
public:
    explicit LogXmlReader(LogSink onEntry) : onEntry_(std::move(onEntry)) {}
    int Count() const { return count_; }
    long Oldest() const { return oldest_; }

protected:
    void Open(const std::string& name, const char** attributes) override;
    void Close(const std::string& name, const std::string& text) override;

private:
    LogSink onEntry_;
    LogEntry entry_;
    ChangedPath path_;
    int depth_ = 0;  // nested log entries (merge history) belong to the outer one
    int count_ = 0;
    long oldest_ = 0;
};

}  // namespace svnclient
