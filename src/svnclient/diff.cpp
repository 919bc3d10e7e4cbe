// The client's text output (a diff, a file) as lines whose blanks matter.
#include "svnclient/history.h"

#include "svnclient/output_lines.h"

namespace svnclient {

namespace {

// Hands every line to `onLine` as it arrives; past `limit` bytes (0: none)
// the client is ended and *cut set.
ClientResult ReadText(const ArgumentList& args, const LineSink& onLine,
                      const std::atomic<bool>* stop, size_t limit, bool* cut,
                      const std::function<void()>& onDrained) {
    OutputLines lines;
    size_t total = 0;
    bool over = false;
    auto stopped = [stop] { return stop != nullptr && *stop; };
    ClientResult r = RunClientRaw(
        args, "", 1,
        [&](const std::string& bytes) {
            over = limit != 0 && total + bytes.size() > limit;
            // Only whole lines within the limit are shown.
            lines.Append(over ? bytes.substr(0, limit - total) : bytes);
            total += bytes.size();
            while (std::optional<std::string> raw = lines.TakeRaw(false)) {
                if (stopped()) return false;
                onLine(TextLine(*raw));
            }
            return !over;
        },
        stop, onDrained);
    if (cut != nullptr) *cut = over;
    // Ended by us, not failed: whatever the client said of its end is moot.
    if (over) r.errors.clear();
    // The last line may lack its line feed.
    if (!over && !stopped())
        if (std::optional<std::string> raw = lines.TakeRaw(true)) onLine(TextLine(*raw));
    return r;
}

}  // namespace

ClientResult SvnDiff(const std::string& target, long change, const LineSink& onLine,
                     const std::atomic<bool>* stop, bool* cut, const std::string& peg,
                     const std::function<void()>& onDrained) {
    ArgumentList args{Plain("diff"), Plain("--internal-diff")};
    if (change != 0) {
        args.push_back(Plain("-c"));
        args.push_back(Plain(std::to_string(change)));
    }
    // A working copy's own changes: a plain target there is never read for a
    // peg, so "name@" would be looked up as it stands; --old's value is.
    Argument what = Target(target, true, peg);
    if (change == 0) what.text = "--old=" + what.text;
    args.push_back(std::move(what));
    return ReadText(args, onLine, stop, kDiffLimit, cut, onDrained);
}

ClientResult SvnCat(const std::string& target, const std::string& peg, const LineSink& onLine,
                    const std::atomic<bool>* stop) {
    return ReadText({Plain("cat"), Target(target, true, peg)}, onLine, stop, 0, nullptr, {});
}

}  // namespace svnclient
