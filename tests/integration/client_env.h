// What the tests with the real client share: a sandbox that is also HOME (the
// user's configuration and auth cache stay out), English messages, default
// settings without the auth cache, and the lines a command streams.
#pragma once
#include <string>
#include <vector>

#include "settings/settings.h"
#include "support/sandbox.h"
#include "svnclient/client.h"

namespace testsupport {

using Lines = std::vector<std::string>;

struct ClientEnv {
    ClientEnv() { settings::g_settings = settings::Settings{}; }

    // Everything the shell prints for `command` run in the sandbox.
    std::string Shell(const std::string& command) const {
        std::string out;
        Run("cd " + ShellQuote(box.Path()) + " && " + command, &out);
        return out;
    }

    Sandbox box;
    ScopedEnv home{"HOME", box.Path()}, messages{"LC_ALL", "C.UTF-8"};
};

// Collects every non-empty line (a loop sees "" while a line is incomplete).
struct Collect {
    svnclient::LineSink Sink() {
        return [this](const std::string& l) {
            if (!l.empty()) lines.push_back(l);
        };
    }
    Lines lines;
};

}  // namespace testsupport
