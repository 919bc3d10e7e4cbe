// What the tests with the real client share: a sandbox that is also HOME (the
// user's configuration and auth cache stay out), English messages, default
// settings without the auth cache, a repository and its working copy, and the
// lines a command streams.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "support/sandbox.h"
#include "svnclient/client.h"

namespace testsupport {

using Lines = std::vector<std::string>;

class ClientTest : public ::testing::Test {
protected:
    ClientTest() { settings::g_settings = settings::Settings{}; }

    // Everything the shell prints for `command` run in the sandbox.
    std::string Shell(const std::string& command) const {
        std::string out;
        testsupport::Run("cd " + ShellQuote(box.Path()) + " && " + command, &out);
        return out;
    }

    // The repository "repo" of the sandbox holding `files`, which the
    // settings name as the repository: its URL.
    std::string Repo(const std::map<std::string, std::string>& files = {}) {
        return settings::g_settings.SVNRemoteRepositery = MakeRepository(box / "repo", files);
    }

    // The same, checked out as `wc`, which the settings name as the working copy.
    std::string CheckedOut(const std::map<std::string, std::string>& files = {}) {
        const std::string url = Repo(files);
        Checkout(url, wc);
        settings::g_settings.SVNLocalRepositery = wc + "/";
        return url;
    }

    Sandbox box;
    ScopedEnv home{"HOME", box.Path()}, messages{"LC_ALL", "C.UTF-8"};
    const std::string wc = box / "wc";
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
