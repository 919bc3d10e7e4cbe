// Times Vellum's own paths against the svn client doing the same work in the
// same run, and prints the ratios (lower is better; 1.0 = as fast as svn):
//   explore local: a folder of N entries (one status run per entry) versus
//                  one `svn status` of the folder;
//   search:        the recursive listing matched with a pattern versus
//                  `svn list -R` into /dev/null.
// Usage: bench_vs_client [entries=300] [paths=20000]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// A repository of `count` files spread over folders of 100, imported at once.
std::string MakeTree(const Sandbox& box, const std::string& name, int count, int perFolder) {
    std::string tree = box / (name + ".tree");
    for (int i = 0; i < count; ++i) {
        std::string folder = tree + "/d" + std::to_string(i / perFolder);
        if (i % perFolder == 0) MakeDirs(folder);
        WriteFile(folder + "/f" + std::to_string(i) + ".txt", "x\n");
    }
    std::string url = "file://" + box.Path() + "/" + name + "/";
    Run("svnadmin create " + ShellQuote(box / name) + " && svn import -q -m i " +
        ShellQuote(tree) + " " + ShellQuote(url));
    return url;
}

void Report(const char* what, double vellum, double svn) {
    std::printf("%-14s vellum %8.3f s   svn %8.3f s   ratio %6.2f\n", what, vellum, svn,
                vellum / svn);
}

}  // namespace

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::atoi(argv[1]) : 300;
    const int paths = argc > 2 ? std::atoi(argv[2]) : 20000;
    Sandbox box;
    ScopedEnv home("HOME", box.Path());
    settings::g_settings.SVNAuthCache = 1;

    // Explore local: every entry of one folder of a working copy.
    std::string url = MakeTree(box, "flat", entries, entries);
    Checkout(url, box / "wc");
    settings::g_settings.SVNLocalRepositery = box / "wc/d0/";
    int explored = 0;
    double local = Seconds([&] { browse::ListLocalFolder("", [&](browse::ListEntry) { ++explored; }); });
    double status = Seconds([&] { Run("svn status " + ShellQuote(box / "wc/d0") + " >/dev/null"); });
    Report("explore local", local, status);

    // Search: the whole listing through the reading loop and the pattern.
    settings::g_settings.SVNRemoteRepositery = MakeTree(box, "deep", paths, 100);
    const std::atomic<bool> stop{false};
    size_t matched = 0;
    double search = Seconds([&] {
        browse::SearchRemote("f1[0-9]*\\.txt$", [&](const std::string&) { ++matched; }, stop);
    });
    double list = Seconds([&] {
        Run("svn list -R " + ShellQuote(settings::g_settings.SVNRemoteRepositery) + " >/dev/null");
    });
    Report("search", search, list);
    std::printf("(%d entries explored, %zu of %d paths matched)\n", explored, matched, paths);
    return 0;
}
