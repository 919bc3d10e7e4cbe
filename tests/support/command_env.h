// What the command and browser tests share: a sandbox as HOME (the user's auth
// cache stays untouched), an xdg-open that records the folders it is asked to
// open, a fresh scripted window with the entry tree and icons, --no-auth-cache.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/shell_state.h"
#include "browse/entry_list.h"
#include "browse/icon_set.h"
#include "sandbox.h"
#include "scripted_window.h"
#include "settings/settings.h"

namespace testsupport {

inline std::string PathWithFakeOpener(const Sandbox& box) {
    WriteFile(box / "bin/xdg-open", "#!/bin/sh\necho \"$1\" >> " + ShellQuote(box / "opened") +
                                        "\n");
    Run("chmod +x " + ShellQuote(box / "bin/xdg-open"));
    const char* path = std::getenv("PATH");
    return box / "bin" + ":" + (path ? path : "/usr/bin:/bin");
}

class CommandEnv {
public:
    CommandEnv()
        : home_("HOME", box.Path()),
          messages_("LC_ALL", "C.UTF-8"),
          path_("PATH", PathWithFakeOpener(box)) {
        scripted::Reset();
        platform::CreateControl(0, app::EntryTree, platform::ControlKind::Tree, 10, 100, 430,
                                200, "");
        browse::LoadIconSet(std::string(VELLUM_DIST_DIR) + "/gfx/");
        browse::g_entries.Clear();
        settings::g_settings = settings::Settings{};
        settings::g_settings.SVNAuthCache = 0;
        app::g_shell.busy = false;
        app::g_shell.stopSearchRequested = false;
    }

    // Every folder the file manager was asked to open, in order. The opener
    // runs detached, so this waits (up to 10 s) until `atLeast` have come.
    std::vector<std::string> Opened(size_t atLeast = 0) const {
        std::vector<std::string> lines;
        for (int i = 0; i < 1000; ++i) {
            lines.clear();
            std::string text = ReadFile(box / "opened"), line;
            for (char c : text) {
                if (c == '\n') lines.push_back(std::move(line)), line.clear();
                else line += c;
            }
            if (lines.size() >= atLeast) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return lines;
    }

    Sandbox box;

private:
    ScopedEnv home_, messages_, path_;
};

// Runs `body` on a worker while this (main) thread runs the queued calls, as
// the stop handling does; `onPump` runs after every pass. False when the
// worker had not ended after `seconds` (it is then left to end on its own).
inline bool RunWorker(const std::function<void()>& body,
                      const std::function<void()>& onPump = {}, int seconds = 30) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread worker([body, done] {
        body();
        *done = true;
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!*done && std::chrono::steady_clock::now() < deadline) {
        platform::RunQueuedCalls(10);
        if (onPump) onPump();
    }
    if (!*done) {
        worker.detach();
        return false;
    }
    worker.join();
    platform::RunQueuedCalls(0);  // what the worker queued last
    return true;
}

inline std::vector<std::string> TreeTexts() {
    std::vector<std::string> texts;
    for (const auto& item : scripted::Tree()) texts.push_back(item.text);
    return texts;
}

// The boxes with `title`, their texts in order.
inline std::vector<std::string> BoxTexts(const std::string& title) {
    std::vector<std::string> texts;
    for (const auto& b : scripted::Boxes())
        if (b.title == title) texts.push_back(b.text);
    return texts;
}

}  // namespace testsupport
