#include "svnclient/xml_reader.h"

#include <expat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "i18n/catalogue.h"

namespace svnclient {

struct XmlCallbacks {
    static void XMLCALL Start(void* data, const XML_Char* name, const XML_Char** attributes) {
        auto* r = static_cast<XmlReader*>(data);
        r->text_.clear();
        r->Open(name, attributes);
    }
    static void XMLCALL End(void* data, const XML_Char* name) {
        auto* r = static_cast<XmlReader*>(data);
        std::string text;
        text.swap(r->text_);
        r->Close(name, text);
    }
    static void XMLCALL Text(void* data, const XML_Char* s, int len) {
        static_cast<XmlReader*>(data)->text_.append(s, static_cast<size_t>(len));
    }
    static void XMLCALL Doctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                int) {
        auto* r = static_cast<XmlReader*>(data);
        r->doctype_ = true;
        XML_StopParser(static_cast<XML_Parser>(r->parser_), XML_FALSE);
    }
};

XmlReader::XmlReader() {
    // UTF-8 whatever the document says: the client prints nothing else.
    XML_Parser p = XML_ParserCreate("UTF-8");
    parser_ = p;
    if (p == nullptr) return;
    XML_SetUserData(p, this);
    XML_SetElementHandler(p, XmlCallbacks::Start, XmlCallbacks::End);
    XML_SetCharacterDataHandler(p, XmlCallbacks::Text);
    XML_SetStartDoctypeDeclHandler(p, XmlCallbacks::Doctype);
}

XmlReader::~XmlReader() {
    if (parser_ != nullptr) XML_ParserFree(static_cast<XML_Parser>(parser_));
}

void XmlReader::Fail(unsigned long line, const char* why) {
    error_ = i18n::Translate("The client's output could not be read as XML, line") + " " +
             std::to_string(line) + ": " + why;
}

bool XmlReader::Parse(const char* data, size_t size, bool last) {
    if (!error_.empty()) return false;
    auto p = static_cast<XML_Parser>(parser_);
    if (p == nullptr) {
        Fail(0, "out of memory");
        return false;
    }
    // expat takes an int's worth at a time.
    do {
        const size_t piece = std::min<size_t>(size, INT_MAX / 2);
        const bool final = last && piece == size;
        if (XML_Parse(p, data, static_cast<int>(piece), final ? XML_TRUE : XML_FALSE) !=
            XML_STATUS_OK) {
            // expat's own reasons, in English: they name the fault exactly.
            const char* why =
                doctype_ ? "document type declaration" : XML_ErrorString(XML_GetErrorCode(p));
            Fail(XML_GetCurrentLineNumber(p), why != nullptr ? why : "?");
            return false;
        }
        data += piece;
        size -= piece;
    } while (size > 0);
    return true;
}

bool XmlReader::Feed(const std::string& bytes) {
    return bytes.empty() ? error_.empty() : Parse(bytes.data(), bytes.size(), false);
}

bool XmlReader::Finish() { return Parse("", 0, true); }

const char* XmlReader::Attribute(const char** attributes, const char* name) {
    for (const char** a = attributes; a != nullptr && *a != nullptr; a += 2)
        if (std::strcmp(a[0], name) == 0) return a[1];
    return nullptr;
}

ClientResult RunXmlClient(const ArgumentList& args, XmlReader& reader,
                          const std::atomic<bool>* stop, const std::function<void()>& onDrained) {
    ClientResult r = RunClientRaw(
        args, "", 1, [&](const std::string& bytes) { return reader.Feed(bytes); }, stop, onDrained);
    if (!r.started || (stop != nullptr && *stop)) return r;
    // We ended the client over its document: whatever it warned of is moot.
    if (!reader.Error().empty()) r.errors = reader.Error();
    // A client that failed said why; the document it left unfinished adds nothing.
    else if (r.errors.empty() && !reader.Finish())
        r.errors = reader.Error();
    return r;
}

long AttributeNumber(const char* value) {
    if (value == nullptr) return 0;
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(value, &end, 10);
    if (end == value || *end != '\0' || errno != 0 || n < 0) return 0;
    return n;
}

}  // namespace svnclient
