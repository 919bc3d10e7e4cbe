// `svn status --xml` and the tree conflict of `svn info --xml`, read as they
// arrive.
#pragma once
#include "svnclient/status.h"
#include "svnclient/xml_reader.h"

namespace svnclient {

// Hands on each entry as soon as its </entry> has been read.
class StatusXmlReader : public XmlReader {
public:
    explicit StatusXmlReader(StatusSink onEntry) : onEntry_(std::move(onEntry)) {}

protected:
    void Open(const std::string& name, const char** attributes) override;
    void Close(const std::string& name, const std::string& text) override;

private:
    StatusSink onEntry_;
    StatusEntry entry_;
    bool inEntry_ = false;
};

// The first <tree-conflict> of the document.
class TreeConflictXmlReader : public XmlReader {
public:
    const TreeConflict& Conflict() const { return conflict_; }

protected:
    void Open(const std::string& name, const char** attributes) override;
    void Close(const std::string&, const std::string&) override {}

private:
    TreeConflict conflict_;
};

// The one-letter code for a <wc-status>'s item, props and tree-conflicted
// attributes (any may be null); `tree` tells whether it is a tree conflict.
std::string StatusCode(const char* item, const char* props, const char* treeConflicted, bool* tree);

}  // namespace svnclient
