#include "svnclient/history.h"

#include "svnclient/log_xml.h"

namespace svnclient {

LogResult SvnLog(const LogQuery& q, const LogSink& onEntry, const std::atomic<bool>* stop,
                 const std::function<void()>& onDrained) {
    LogResult result;
    // Nothing is older than revision 1.
    if (q.below == 1 && q.revisions.empty()) return result;
    ArgumentList args{Plain("log"), Plain("--xml")};
    if (q.verbose) args.push_back(Plain("-v"));
    if (!q.revisions.empty()) {
        for (const long r : q.revisions) {
            args.push_back(Plain("-r"));
            args.push_back(Plain(std::to_string(r)));
        }
    } else {
        if (q.limit > 0) {
            args.push_back(Plain("--limit"));
            args.push_back(Plain(std::to_string(q.limit)));
        }
        if (q.below > 1) {
            args.push_back(Plain("-r"));
            args.push_back(Plain(std::to_string(q.below - 1) + ":1"));
        }
    }
    args.push_back(Target(q.target, true, q.peg));
    LogXmlReader reader(onEntry);
    static_cast<ClientResult&>(result) = RunXmlClient(args, reader, stop, onDrained);
    result.count = reader.Count();
    result.oldest = reader.Oldest();
    result.more = q.revisions.empty() && q.limit > 0 && result.errors.empty() &&
                  result.count >= q.limit && result.oldest > 1;
    return result;
}

}  // namespace svnclient
