// A document the client prints with --xml, read with expat as it arrives:
// a reader sees each element open with its attributes and close with the
// text it held, and hands results on while the client still prints.
#pragma once
#include <atomic>
#include <functional>
#include <string>

#include "svnclient/client.h"

namespace svnclient {

class XmlReader {
public:
    XmlReader();
    virtual ~XmlReader();
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    // The next bytes of the document. False once it has proved malformed;
    // Error() then says why, and later bytes are ignored.
    bool Feed(const std::string& bytes);
    // The document ends here: false when it is malformed or incomplete.
    bool Finish();
    // "" while the document reads well, else a translated explanation.
    const std::string& Error() const { return error_; }

protected:
    // `attributes` alternates names and values and ends with a null.
    virtual void Open(const std::string& name, const char** attributes) = 0;
    // `text` is what the element held since its last child closed: its whole
    // text for the elements the client prints without children.
    virtual void Close(const std::string& name, const std::string& text) = 0;
    // The attribute's value, or null when absent.
    static const char* Attribute(const char** attributes, const char* name);

private:
    bool Parse(const char* data, size_t size, bool last);
    void Fail(unsigned long line, const char* why);

    void* parser_;  // XML_Parser: expat stays out of this header
    std::string text_;
    std::string error_;
    bool doctype_ = false;  // the client never prints one: no entity tricks

    friend struct XmlCallbacks;
};

// Runs the client (with the credentials) and feeds its output to `reader` as
// it arrives. A document that proves malformed ends the client; its reason is
// the error unless the client gave one of its own.
ClientResult RunXmlClient(const ArgumentList& args, XmlReader& reader,
                          const std::atomic<bool>* stop,
                          const std::function<void()>& onDrained = {});

// A number from an attribute (a revision): 0 when absent or not a number.
long AttributeNumber(const char* value);

}  // namespace svnclient
