// Times the history and blame windows' reading against the svn client doing
// the same work in the same run, and prints the ratios (lower is better):
//   history: from the start until the first 50 entries of a path with 10,000
//            revisions are read, versus `svn log --xml -v --limit 50` of it;
//   blame:   a 5,000-line file that 500 revisions touched, with its text and
//            messages, versus `svn blame --xml` and one `svn log --xml` of the
//            revisions it names;
//   commit:  the commit window's list of 20,000 changed files, read whole,
//            versus `svn status --xml` of the working copy into a pipe.
// Each figure is the best of a few runs: the first pays for cold caches.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "sandbox.h"
#include "settings/settings.h"
#include "svnclient/history.h"
#include "svnclient/status.h"

using namespace testsupport;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRevisions = 10000, kLines = 5000, kBlameEvery = 20, kRuns = 7;

// The best of a few runs each, taken in turns so that a busy moment of the
// machine weighs on both.
std::pair<double, double> Best(const std::function<double()>& ours,
                               const std::function<double()>& client) {
    double a = 1e9, b = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        a = std::min(a, ours());
        b = std::min(b, client());
    }
    return {a, b};
}

double Seconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Props(const std::string& author, const std::string& date, const std::string& log) {
    std::string p;
    const std::pair<std::string, std::string> props[] = {
        {"svn:author", author}, {"svn:date", date}, {"svn:log", log}};
    for (const auto& [k, v] : props)
        p += "K " + std::to_string(k.size()) + "\n" + k + "\nV " + std::to_string(v.size()) + "\n" +
             v + "\n";
    return p + "PROPS-END\n";
}

// One node's full text; `add` gives it its (empty) properties too.
void Node(std::ofstream& out, const std::string& path, bool add, const std::string& text) {
    const std::string props = add ? "PROPS-END\n" : "";
    out << "Node-path: " << path << "\nNode-kind: file\nNode-action: " << (add ? "add" : "change")
        << "\n";
    if (add) out << "Prop-content-length: " << props.size() << "\n";
    out << "Text-content-length: " << text.size()
        << "\nContent-length: " << props.size() + text.size() << "\n\n"
        << props << text << "\n\n";
}

// log.txt changes in every revision; blame.txt, 5,000 lines, in every 20th
// (ten lines each time). Loaded from a dump, unflushed and without the
// sharing cache's database: 10,000 commits through the client, or synced one
// by one, take many minutes.
bool MakeHistoryRepository(const std::string& repo) {
    const std::string dump = repo + ".dump";
    {
        std::ofstream out(dump);
        out << "SVN-fs-dump-format-version: 2\n\n";
        std::vector<std::string> lines(kLines);
        for (int i = 0; i < kLines; ++i) lines[i] = "line " + std::to_string(i) + " r1\n";
        for (int r = 1; r <= kRevisions; ++r) {
            char date[40];  // a minute apart
            std::snprintf(date, sizeof date, "2026-01-%02dT%02d:%02d:00.000000Z", 1 + r / 1440,
                          r / 60 % 24, r % 60);
            const std::string props = Props("user" + std::to_string(r % 7), date,
                                            "change " + std::to_string(r) + " & <more>");
            out << "Revision-number: " << r << "\nProp-content-length: " << props.size()
                << "\nContent-length: " << props.size() << "\n\n"
                << props << "\n";
            Node(out, "log.txt", r == 1, "revision " + std::to_string(r) + "\n");
            if (r == 1 || r % kBlameEvery == 0) {
                // Ten lines no other revision touches: each one stays named.
                for (int i = 0; r > 1 && i < 10; ++i)
                    lines[(r / kBlameEvery - 1) * 10 + i] = "r" + std::to_string(r) + "\n";
                std::string text;
                for (const std::string& l : lines) text += l;
                Node(out, "blame.txt", r == 1, text);
            }
        }
    }
    const std::string r = ShellQuote(repo);
    return Run("svnadmin create " + r + " && sed -i 's/^# enable-rep-sharing = true/" +
               "enable-rep-sharing = false/' " + r + "/db/fsfs.conf && svnadmin load -q " +
               "--no-flush-to-disk " + r + " < " + ShellQuote(dump)) == 0;
}

void Report(const std::string& what, double vellum, const char* client, double svn,
            const char* target) {
    std::printf("%-46s vellum %8.3f s   %-16s %8.3f s   ratio %7.2f   (target %s)\n", what.c_str(),
                vellum, client, svn, vellum / svn, target);
}

}  // namespace

int main() {
    // A load opens files by the hundred thousand: in memory where possible.
    const char* tmp = std::getenv("TMPDIR");
    const bool shm = access("/dev/shm", W_OK) == 0;
    ScopedEnv memory("TMPDIR", tmp && *tmp ? tmp : shm ? "/dev/shm" : "/tmp");
    Sandbox box;
    ScopedEnv home("HOME", box.Path());
    settings::g_settings.SVNAuthCache = 1;
    const std::string repo = box / "repo", url = "file://" + repo + "/";
    std::printf("making a repository of %d revisions...\n", kRevisions);
    if (!MakeHistoryRepository(repo)) {
        std::fprintf(stderr, "could not make the repository\n");
        return 1;
    }

    // Until the 50th entry: the window shows the page then.
    const std::string logTarget = url + "log.txt";
    const auto [history, log] = Best(
        [&] {
            int entries = 0;
            double firstPage = 0;
            const auto start = Clock::now();
            svnclient::SvnLog({logTarget, "", 0, 50, true, {}}, [&](svnclient::LogEntry) {
                if (++entries == 50)
                    firstPage = std::chrono::duration<double>(Clock::now() - start).count();
            });
            return firstPage;
        },
        [&] {
            return Seconds([&] {
                Run("svn log --xml -v --limit 50 " + ShellQuote(logTarget) + " >/dev/null");
            });
        });
    Report("history, first 50 of 10,000 revisions", history, "svn log --xml", log, "<= 1.2");

    // The revisions the client's own log run asks for: those the blame names.
    svnclient::Blame blame;
    std::string errors = svnclient::SvnBlame(url + "blame.txt", "", &blame).errors;
    std::set<long> named;
    for (const auto& l : blame.lines) named.insert(l.revision);
    std::string revisions;
    for (const long r : named) revisions += " -r " + std::to_string(r);
    const std::string target = ShellQuote(url + "blame.txt");
    const auto [ours, client] = Best(
        [&] {
            return Seconds(
                [&] { errors += svnclient::SvnBlame(url + "blame.txt", "", &blame).errors; });
        },
        [&] {
            return Seconds([&] {
                Run("svn blame --xml " + target + " >/dev/null && svn log --xml" + revisions + " " +
                    target + " >/dev/null");
            });
        });
    Report("blame, " + std::to_string(blame.lines.size()) + " lines of " +
               std::to_string(named.size()) + " revisions",
           ours, "blame + log", client, "<= 1.3");
    if (!errors.empty() || blame.revisions.size() != named.size())
        std::fprintf(stderr, "blame: %s (%zu messages)\n", errors.c_str(), blame.revisions.size());

    // 200 folders of 100 files, every one added: what the commit window lists.
    const std::string wc = box / "wc";
    Run("svnadmin create " + ShellQuote(box / "empty") + " && svn checkout -q " +
        ShellQuote("file://" + box / "empty") + " " + ShellQuote(wc));
    for (int d = 0; d < 200; ++d) {
        MakeDirs(wc + "/d" + std::to_string(d));
        for (int f = 0; f < 100; ++f)
            std::ofstream(wc + "/d" + std::to_string(d) + "/f" + std::to_string(f) + ".txt")
                << f << "\n";
    }
    Run("cd " + ShellQuote(wc) + " && svn add -q d*");
    size_t listed = 0;
    const auto [status, clientStatus] = Best(
        [&] {
            listed = 0;
            return Seconds(
                [&] { svnclient::SvnStatusXml(wc, [&](svnclient::StatusEntry) { ++listed; }); });
        },
        // Into a pipe that a reader drains, as ours is: the client writes
        // its many small entries slower to a pipe than to /dev/null.
        [&] {
            return Seconds(
                [&] { Run("svn status --xml " + ShellQuote(wc) + " | cat >/dev/null"); });
        });
    Report("commit list, " + std::to_string(listed) + " changed entries", status,
           "status --xml|cat", clientStatus, "<= 1.3");
    return 0;
}
