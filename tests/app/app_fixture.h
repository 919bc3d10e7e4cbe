// One program run per test on the scripted window: a sandbox as the current
// directory (with the built gfx/ and locale/), HOME and XDG_CONFIG_HOME inside
// it, and the preferences the test writes before the start.
#pragma once
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/dispatch.h"
#include "app/program.h"
#include "app/shell_state.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "support/sandbox.h"
#include "support/scripted_window.h"

namespace apptest {

using platform::EventType;
using testsupport::ReadFile;
using testsupport::ShellQuote;
using testsupport::WriteFile;

class AppTest : public ::testing::Test {
protected:
    testsupport::Sandbox box;
    std::map<std::string, std::string> prefs;  // written by Start()

    std::string PrefsPath() const { return box / "config/Vellum.prefs"; }

    void SetUp() override {
        scripted::Reset();
        scripted::SetIdleTimeout(20000);
        testsupport::MakeDirs(box / "config");
        home_ = std::make_unique<testsupport::ScopedEnv>("HOME", box.Path());
        config_ = std::make_unique<testsupport::ScopedEnv>("XDG_CONFIG_HOME", box / "config");
        // English texts, and UTF-8 names from the client, as main() sets up.
        locale_ = std::make_unique<testsupport::ScopedEnv>("LC_ALL", "C.UTF-8");
        std::setlocale(LC_ALL, "");
        for (const char* data : {"gfx", "locale"}) {
            const std::string built = std::string(VELLUM_DIST_DIR) + "/" + data;
            testsupport::Run("ln -s " + ShellQuote(built) + " " + ShellQuote(box / data));
        }
        // The shell's openers (xdg-open) only leave a note of what they were given.
        WriteFile(box / "bin/xdg-open",
                  "#!/bin/sh\necho \"$@\" >> " + ShellQuote(box / "opened.txt") + "\n");
        testsupport::Run("chmod +x " + ShellQuote(box / "bin/xdg-open"));
        path_ = std::make_unique<testsupport::ScopedEnv>(
            "PATH", box / "bin:" + std::string(std::getenv("PATH")));
        cwd_ = std::make_unique<testsupport::ScopedCwd>(box.Path());
        prefs["SVNLocalRepositery"] = box / "wc/";
        prefs["SVNRemoteRepositery"] = "file:///nowhere/";
    }

    void TearDown() override {
        if (running_) app::EndProgram();
        cwd_.reset();
    }

    // Puts `svn` at the front of the client lookup: a script in svn/bin/.
    void FakeClient(const std::string& script) {
        WriteFile(box / "svn/bin/svn", "#!/bin/sh\n" + script);
        testsupport::Run("chmod +x " + ShellQuote(box / "svn/bin/svn"));
    }

    void WritePrefs() {
        std::string text;
        for (const auto& [key, value] : prefs) text += key + " = " + value + "\n";
        WriteFile(PrefsPath(), text);
    }

    void Start() {
        WritePrefs();
        ASSERT_TRUE(app::StartProgram());
        running_ = true;
    }

    // Ends the run as the loop would after a close request.
    int Stop() {
        running_ = false;
        return app::EndProgram();
    }

    // Handles one event through the real dispatch; false when it was a close
    // request (the scripted window sends one when a test waits in vain).
    bool Step() { return !app::HandleEvent(platform::WaitEvent()); }

    // Handles every event queued so far, and what they queue in turn.
    void Settle() {
        auto reached = std::make_shared<bool>(false);
        platform::RunOnMainThread([reached] { *reached = true; });
        while (!*reached) ASSERT_TRUE(Step()) << "the loop received a close request";
    }

    // Handles events until `done` holds (workers hand over rows and post
    // their end as events).
    void RunUntil(const std::function<bool()>& done) {
        while (!done()) ASSERT_TRUE(Step()) << "timed out waiting";
    }

    void Click(int id, EventType type = EventType::LeftClick) {
        scripted::PushClick(id, type);
        Settle();
    }

    // Types into a field and leaves it, as the user does.
    void Enter(int id, const std::string& text) {
        scripted::Type(id, text);
        scripted::PushClick(id, EventType::FocusLost);
        Settle();
    }

    // Polls for a file that another process writes; false after `ms`.
    static bool WaitForFile(const std::string& path, int ms = 10000) {
        for (int waited = 0; waited < ms; waited += 20) {
            if (platform::IsRegularFile(path)) return true;
            platform::Sleep(20);
        }
        return false;
    }

    // What the fake xdg-open was asked to open, one line per call.
    std::string Opened() const { return ReadFile(box / "opened.txt"); }

    std::vector<std::string> TreeTexts() const {
        std::vector<std::string> out;
        for (const auto& item : scripted::Tree()) out.push_back(item.text);
        return out;
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : scripted::Boxes()) out.push_back(b.title + ": " + b.text);
        return out;
    }

private:
    std::unique_ptr<testsupport::ScopedEnv> home_, config_, locale_, path_;
    std::unique_ptr<testsupport::ScopedCwd> cwd_;
    bool running_ = false;
};

}  // namespace apptest
