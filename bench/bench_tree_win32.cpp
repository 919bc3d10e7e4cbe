// The Win32 entry tree's figures (indicative under Wine): rows per second
// and the longest main-loop stall for
//   search: 100,000 top-level rows appended in the search's batches of 2,000,
//           the window painting between batches, as the loop does;
//   expand: a folder and its 20,000 entries shown in one call and the folder
//           expanded, as a double click on it does.
// The stall is the longest time between two turns of the message loop. Each
// figure is the best of a few runs.
// Usage: bench_tree_win32 [PATHS=100000] [FILES=20000] [RUNS=3]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/window.h"

using namespace platform;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTree = 22, kBatch = 2000;
int runs = 3;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// One turn of the loop: every message waiting, painting included.
void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

struct Figure {
    double seconds = 1e9;
    double stall = 1e9;
};

// Runs `work` (one call per loop turn, false when done) after a clear tree.
template <class Work>
Figure Measure(Work work) {
    Figure best;
    for (int run = 0; run < runs; ++run) {
        TreeClear(kTree);
        Pump();
        double stall = 0;
        const Clock::time_point started = Clock::now();
        for (bool more = true; more;) {
            const Clock::time_point turn = Clock::now();
            more = work();
            Pump();
            stall = std::max(stall, Seconds(turn));
        }
        best.seconds = std::min(best.seconds, Seconds(started));
        best.stall = std::min(best.stall, stall);
    }
    return best;
}

void Print(const char* what, int rows, const Figure& f) {
    std::printf("%-34s %9.0f rows/s  (%d rows in %.2f s; longest stall %.0f ms)\n", what,
                rows / f.seconds, rows, f.seconds, f.stall * 1000);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const int paths = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int files = argc > 2 ? std::atoi(argv[2]) : 20000;
    if (argc > 3) runs = std::max(1, std::atoi(argv[3]));
    if (!InitWindowing() || !OpenMainWindow("Bench", 450, 430)) return 1;
    if (!CreateControl(0, kTree, ControlKind::Tree, 10, 70, 430, 250, "")) return 1;
    std::vector<uint32_t> green(256, 0xFF00A000u);
    const ImageHandle icon = CreateImage(green.data());
    ShowWindow(FindWindowW(L"VellumWindow", L"Bench"), SW_SHOW);
    Pump();

    std::vector<std::string> found(static_cast<size_t>(paths));
    for (int i = 0; i < paths; ++i)
        (((found[i] = "d") += std::to_string(i / 100)) += "/f") += std::to_string(i) + ".txt";
    int next = 0;
    const Figure search = Measure([&] {
        if (next >= paths) next = 0;
        const int end = std::min(next + kBatch, paths);
        for (; next < end; ++next) {
            TreeAddItem(kTree, next, found[next], icon, 0);
            TreeSetValue(kTree, next, 0);
        }
        return next < paths;
    });
    Print("search, top-level rows appended", paths, search);

    const Figure expand = Measure([&] {
        TreeAddItem(kTree, 0, "d0", icon, 0);
        TreeSetValue(kTree, 0, 1);
        for (int i = 1; i <= files; ++i) {
            TreeAddItem(kTree, i, "f" + std::to_string(i) + ".txt", icon, 1);
            TreeSetValue(kTree, i, 0);
        }
        TreeExpand(kTree, 0);
        return false;
    });
    Print("expand, a folder's entries shown", files, expand);

    // A far row selected and scrolled to, as a right click there leaves it.
    const Clock::time_point selecting = Clock::now();
    TreeSelect(kTree, files * 9 / 10);
    Pump();
    std::printf("%-34s %9.0f ms   (row %d of %d)\n", "selecting a far row",
                Seconds(selecting) * 1000, files * 9 / 10, files);
    ShutdownWindowing();
    return 0;
}
