// Blame: who last changed each line, the line's text, and the message of
// every revision named, in three client runs whatever the file's history.
#include <cctype>
#include <set>
#include <thread>

#include "svnclient/blame_xml.h"
#include "svnclient/history.h"
#include "svnclient/log_xml.h"

namespace svnclient {

namespace {

// Above this many revisions one range is asked for instead of a -r each: the
// command line stays far below Windows's 32,767 characters, and a range that
// lists some revisions no line names costs less than a second run.
constexpr size_t kRevisionArguments = 1000;

bool IsUrl(const std::string& target) {
    const size_t colon = target.find("://");
    if (colon == std::string::npos || colon == 0) return false;
    for (size_t i = 0; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(target[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

// The author, date and message of each of `revisions`, in one client run.
ClientResult ReadMessages(const std::string& target, const std::string& peg,
                          const std::set<long>& revisions, std::map<long, LogEntry>* out,
                          const std::atomic<bool>* stop) {
    ArgumentList args{Plain("log"), Plain("--xml")};
    if (revisions.size() <= kRevisionArguments) {
        for (auto r = revisions.rbegin(); r != revisions.rend(); ++r) {
            args.push_back(Plain("-r"));
            args.push_back(Plain(std::to_string(*r)));
        }
    } else {
        args.push_back(Plain("-r"));
        args.push_back(
            Plain(std::to_string(*revisions.rbegin()) + ":" + std::to_string(*revisions.begin())));
    }
    args.push_back(Target(target, true, peg));
    LogXmlReader reader([&](LogEntry e) {
        if (revisions.count(e.revision) != 0) (*out)[e.revision] = std::move(e);
    });
    return RunXmlClient(args, reader, stop);
}

}  // namespace

ClientResult SvnBlame(const std::string& target, const std::string& peg, Blame* out,
                      const std::atomic<bool>* stop) {
    out->lines.clear();
    out->revisions.clear();
    // `svn cat` of a working file gives its last updated text, while a blame
    // without a peg would take in the local changes: both read BASE.
    const std::string at = peg.empty() && !IsUrl(target) ? "BASE" : peg;

    // The file's text is read beside the blame, which takes far longer. The
    // blame's end (a failure, a stop) ends it too.
    std::vector<std::string> text;
    ClientResult catResult;
    std::atomic<bool> catStop{false};
    std::thread cat([&] {
        catResult = SvnCat(
            target, at, [&](const std::string& l) { text.push_back(l); }, &catStop);
    });
    BlameXmlReader reader(&out->lines);
    ClientResult result =
        RunXmlClient({Plain("blame"), Plain("--xml"), Target(target, true, at)}, reader, stop);
    const bool stopped = stop != nullptr && *stop;
    if (stopped || !result.errors.empty()) catStop = true;
    cat.join();
    if (stopped) return result;
    if (result.errors.empty()) result.errors = catResult.errors;
    for (BlameLine& line : out->lines)
        if (line.number >= 1 && static_cast<size_t>(line.number) <= text.size())
            line.text = std::move(text[line.number - 1]);
    if (!result.errors.empty()) return result;

    std::set<long> revisions;
    for (const BlameLine& line : out->lines)
        if (line.revision > 0) revisions.insert(line.revision);
    if (revisions.empty()) return result;
    return ReadMessages(target, at, revisions, &out->revisions, stop);
}

}  // namespace svnclient
