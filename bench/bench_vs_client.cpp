// Times Vellum's own paths against the svn client doing the same work in the
// same run, and prints the ratios (lower is better; 1.0 = as fast as svn):
//   explore local: listing a working-copy folder with every entry's status
//                  versus one `svn status` of that folder, for a folder of
//                  300 files, one of 3,000 files and one of 1,000 folders;
//   search:        the recursive listing matched with a pattern (every path
//                  matching, then 1% of them) versus `svn list -R` into
//                  /dev/null.
// Usage: bench_vs_client [paths=100000]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "browse/local_browser.h"
#include "browse/remote_search.h"
#include "sandbox.h"
#include "settings/settings.h"

using namespace testsupport;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(const std::function<void()>& work) {
    auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// `count` files under `top` of the import tree, `perFolder` to a folder
// (0: all of them in `top` itself).
void AddFiles(const std::string& top, int count, int perFolder) {
    for (int i = 0; i < count; ++i) {
        std::string folder = perFolder ? top + "/d" + std::to_string(i / perFolder) : top;
        if (i == 0 || (perFolder && i % perFolder == 0))
            std::filesystem::create_directories(folder);
        std::ofstream(folder + "/f" + std::to_string(i) + ".txt") << "x\n";
    }
}

// A repository of `paths` empty files in folders of 100, loaded from a dump
// in one revision: importing 100,000 files through the client takes minutes.
bool MakeSearchRepository(const std::string& repo, int paths) {
    const std::string dump = repo + ".dump";
    {
        std::ofstream out(dump);
        const char* props = "Prop-content-length: 10\nContent-length: 10\n\nPROPS-END\n\n";
        out << "SVN-fs-dump-format-version: 2\n\nRevision-number: 1\n" << props;
        for (int i = 0; i < paths; ++i) {
            const std::string folder = "d" + std::to_string(i / 100);
            if (i % 100 == 0)
                out << "Node-path: " << folder << "\nNode-kind: dir\nNode-action: add\n" << props;
            out << "Node-path: " << folder << "/f" << i
                << ".txt\nNode-kind: file\nNode-action: add\n"
                << "Text-content-length: 0\n"
                << props;
        }
    }
    return Run("svnadmin create " + ShellQuote(repo) + " && svnadmin load -q " + ShellQuote(repo) +
               " < " + ShellQuote(dump)) == 0;
}

void Report(const std::string& what, double vellum, const char* client, double svn,
            const char* target) {
    std::printf("%-46s vellum %8.3f s   %-16s %8.3f s   ratio %7.2f   (target %s)\n", what.c_str(),
                vellum, client, svn, vellum / svn, target);
}

// Explores wc/`folder` as the button does and times one `svn status` of it.
// Every tenth file is modified, so the client has lines to print.
void ExploreLocal(const Sandbox& box, const std::string& folder, const std::string& what) {
    const std::string wc = box / ("wc/" + folder);
    for (int i = 0; i < 3000; i += 10) {
        const std::string file = wc + "/f" + std::to_string(i) + ".txt";
        if (std::filesystem::exists(file)) std::ofstream(file) << "changed\n";
    }
    settings::g_settings.SVNLocalRepositery = wc + "/";
    int explored = 0;
    double local =
        Seconds([&] { browse::ListLocalFolder("", [&](browse::ListEntry) { ++explored; }); });
    double status = Seconds([&] { Run("svn status " + ShellQuote(wc) + " >/dev/null"); });
    Report(what + " (" + std::to_string(explored) + " rows)", local, "svn status", status,
           "<= 1.5");
}

void Search(const std::string& pattern, const std::string& what) {
    const std::atomic<bool> stop{false};
    size_t matched = 0;
    double search = Seconds([&] {
        browse::SearchRemote(
            pattern, [&](const std::string&) { ++matched; }, stop);
    });
    double list = Seconds([&] {
        Run("svn list -R " + ShellQuote(settings::g_settings.SVNRemoteRepositery) + " >/dev/null");
    });
    Report(what + " (" + std::to_string(matched) + " matches)", search, "svn list -R", list,
           what.find("every") != std::string::npos ? "<= 1.2" : "none");
}

}  // namespace

int main(int argc, char** argv) {
    const int paths = argc > 1 ? std::atoi(argv[1]) : 100000;
    Sandbox box;
    ScopedEnv home("HOME", box.Path());
    settings::g_settings.SVNAuthCache = 1;

    // One repository with three folders to explore, one tree to search.
    const std::string tree = box / "tree";
    AddFiles(tree + "/flat300", 300, 0);
    AddFiles(tree + "/flat3000", 3000, 0);
    AddFiles(tree + "/folders", 1000, 1);
    const std::string url = "file://" + box.Path() + "/repo/";
    if (!MakeSearchRepository(box / "search", paths) ||
        Run("svnadmin create " + ShellQuote(box / "repo") + " && svn import -q -m i " +
            ShellQuote(tree) + " " + ShellQuote(url)) != 0 ||
        Run("svn checkout -q --depth empty " + ShellQuote(url) + " " + ShellQuote(box / "wc") +
            " && cd " + ShellQuote(box / "wc") +
            " && svn update -q --set-depth infinity flat300 flat3000 folders") != 0) {
        std::fprintf(stderr, "could not make the repository and working copy\n");
        return 1;
    }

    ExploreLocal(box, "flat300", "explore local, 300 files");
    ExploreLocal(box, "flat3000", "explore local, 3,000 files");
    ExploreLocal(box, "folders", "explore local, 1,000 folders");

    settings::g_settings.SVNRemoteRepositery = "file://" + box.Path() + "/search/";
    Search(".", "search, every path matching");
    Search("/f[0-9]*00\\.txt$", "search, 1% matching");
    std::printf("(%d files in folders of 100 searched)\n", paths);
    return 0;
}
