// The readers of the client's --xml output: the same entries, lines and
// verdict whatever sizes the reads had. The first byte picks the reader (one
// row of kReaders each), the second the read size.
#include <cstdlib>
#include <string>
#include <vector>

#include "svnclient/blame_xml.h"
#include "svnclient/log_xml.h"
#include "svnclient/status_xml.h"

namespace {

struct Outcome {
    std::vector<std::string> items;  // what the reader handed over, summed up
    bool wellFormed = false;
};

// Feeds `bytes` in pieces of `readSize`, then ends the document.
bool FeedAll(svnclient::XmlReader& reader, const std::string& bytes, size_t readSize) {
    for (size_t at = 0; at < bytes.size(); at += readSize)
        if (!reader.Feed(bytes.substr(at, readSize))) return false;
    const bool ok = reader.Finish();
    if (ok != reader.Error().empty()) std::abort();
    return ok;
}

Outcome ReadLog(const std::string& bytes, size_t readSize) {
    Outcome o;
    svnclient::LogXmlReader reader([&o](svnclient::LogEntry e) {
        std::string s = std::to_string(e.revision) + "|" + e.author + "|" + e.date + "|" +
                        std::to_string(e.time) + "|" + e.message;
        for (const auto& p : e.paths)
            s += "|" + std::string(1, p.action) + p.path + "<" + p.copyFromPath +
                 std::to_string(p.copyFromRevision);
        o.items.push_back(s);
    });
    o.wellFormed = FeedAll(reader, bytes, readSize);
    return o;
}

Outcome ReadBlame(const std::string& bytes, size_t readSize) {
    Outcome o;
    std::vector<svnclient::BlameLine> lines;
    svnclient::BlameXmlReader reader(&lines);
    o.wellFormed = FeedAll(reader, bytes, readSize);
    for (const auto& l : lines)
        o.items.push_back(std::to_string(l.number) + "|" + std::to_string(l.revision) + "|" +
                          l.author + "|" + l.date + "|" + std::to_string(l.time));
    return o;
}

Outcome ReadStatus(const std::string& bytes, size_t readSize) {
    Outcome o;
    svnclient::StatusXmlReader reader([&o](svnclient::StatusEntry e) {
        o.items.push_back(e.path + "|" + e.code + (e.treeConflict ? "|tree" : ""));
    });
    o.wellFormed = FeedAll(reader, bytes, readSize);
    return o;
}

Outcome ReadTreeConflict(const std::string& bytes, size_t readSize) {
    Outcome o;
    svnclient::TreeConflictXmlReader reader;
    o.wellFormed = FeedAll(reader, bytes, readSize);
    const svnclient::TreeConflict& c = reader.Conflict();
    if (c.Found() != !c.operation.empty()) std::abort();
    o.items.push_back(c.operation + "|" + c.action + "|" + c.reason);
    return o;
}

using Read = Outcome (*)(const std::string&, size_t);
const Read kReaders[] = {ReadLog, ReadBlame, ReadStatus, ReadTreeConflict};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const Read read = kReaders[data[0] % (sizeof kReaders / sizeof kReaders[0])];
    const size_t readSize = 1 + data[1] % 64;
    const std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    const Outcome pieces = read(bytes, readSize), whole = read(bytes, bytes.size() + 1);
    if (pieces.wellFormed != whole.wellFormed || pieces.items != whole.items) std::abort();
    return 0;
}
