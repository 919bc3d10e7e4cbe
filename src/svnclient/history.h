// History, changes and blame of a path: `svn log --xml`, `svn diff`,
// `svn blame --xml` with `svn cat`. Targets are working-copy paths or URLs;
// a peg ("" for none, else a revision number, "HEAD", "BASE"...) names the
// revision where the path is looked up, so a deleted path stays reachable.
// Every command sends the credentials the settings call for.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "svnclient/client.h"

namespace svnclient {

struct ChangedPath {
    char action = 0;  // 'A', 'D', 'M' or 'R'
    std::string path;
    std::string copyFromPath;   // "" when not copied
    long copyFromRevision = 0;  // 0 when not copied
};

struct LogEntry {
    long revision = 0;
    std::string author;
    bool hasAuthor = false;          // false for an anonymous commit
    std::string date;                // local time "YYYY-MM-DD HH:MM", "" when none
    int64_t time = 0;                // the date in seconds since 1970 UTC; 0 when none
    std::string message;             // "" when empty or missing
    std::vector<ChangedPath> paths;  // with LogQuery::verbose only
};

struct LogQuery {
    std::string target;
    std::string peg;
    long below = 0;               // 0: from the newest; else the entries older than `below`
    int limit = 50;               // entries per page (0: all); ignored with `revisions`
    bool verbose = true;          // the changed paths of each entry
    std::vector<long> revisions;  // when not empty: exactly these revisions
};

struct LogResult : ClientResult {
    int count = 0;      // entries handed over
    long oldest = 0;    // the smallest revision handed over; 0 for none
    bool more = false;  // a full page that did not reach revision 1: older
                        // entries may follow with below = oldest
};

using LogSink = std::function<void(LogEntry)>;

// `svn log --xml [-v] --limit N [-r BELOW-1:1] TARGET@PEG`. Each entry goes to
// `onEntry` as soon as the client has printed it whole, newest first, so a
// page shows before a slow client ends. Output that is no well-formed log
// gives an error text. `stop` and `onDrained` as for RunClient.
LogResult SvnLog(const LogQuery& q, const LogSink& onEntry, const std::atomic<bool>* stop = nullptr,
                 const std::function<void()>& onDrained = {});

// Output past this many bytes is not read (the client is ended).
constexpr size_t kDiffLimit = 20u << 20;

// `svn diff --internal-diff [-c CHANGE] TARGET@PEG`: the working copy's
// changes when `change` is 0 (a working-copy path, taken as it is: the client
// reads no peg there), else those the commit `change` made. Lines go to
// `onLine` as printed: converted from the system's charset, without CR or LF,
// never trimmed. Past kDiffLimit bytes the client is ended and *cut (when
// given) set; that is no error.
ClientResult SvnDiff(const std::string& target, long change, const LineSink& onLine,
                     const std::atomic<bool>* stop = nullptr, bool* cut = nullptr,
                     const std::string& peg = "", const std::function<void()>& onDrained = {});

// `svn cat TARGET@PEG`: the file's lines, as SvnDiff hands them.
ClientResult SvnCat(const std::string& target, const std::string& peg, const LineSink& onLine,
                    const std::atomic<bool>* stop = nullptr);

struct BlameLine {
    long number = 0;    // 1 for the first line
    long revision = 0;  // 0 for a line no commit made (a local change)
    std::string author;
    bool hasAuthor = false;
    std::string date;  // as LogEntry::date
    int64_t time = 0;
    std::string text;  // as SvnCat hands it
};

struct Blame {
    std::vector<BlameLine> lines;
    // Every revision a line names, with its author, date and message
    // (LogEntry::paths left empty). A revision the log did not list is absent.
    std::map<long, LogEntry> revisions;
};

// `svn blame --xml TARGET@PEG` and `svn cat TARGET@PEG` side by side, then one
// `svn log --xml` for the messages of every revision the blame names. An empty
// peg on a working-copy path means "BASE": the text `svn cat` gives is the
// last one updated, so the blame is of that one too. On an error the lines
// read so far stay in `out`.
ClientResult SvnBlame(const std::string& target, const std::string& peg, Blame* out,
                      const std::atomic<bool>* stop = nullptr);

}  // namespace svnclient
