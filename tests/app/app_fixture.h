// One program run per test on the scripted window: a sandbox as the current
// directory (with the built gfx/ and locale/), HOME, XDG_CONFIG_HOME, TMPDIR
// and XDG_RUNTIME_DIR inside it, and the preferences the test writes before the
// start; with the user's usual steps (menus on rows, own windows, busy state).
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/control_ids.h"
#include "app/dispatch.h"
#include "app/entry_tree.h"
#include "app/program.h"
#include "app/shell_state.h"
#include "app/text_dialog.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "support/sandbox.h"
#include "support/scripted_window.h"

namespace apptest {

using namespace app;
using platform::EventType;
using testsupport::ReadFile;
using testsupport::ShellQuote;
using testsupport::WriteFile;
using Texts = std::vector<std::string>;
using Items = std::vector<int>;
using Rows = std::vector<std::vector<std::string>>;
using Files = std::map<std::string, std::string>;

// The user's part once the text dialog shows: types `text` unless null, then clicks.
inline std::function<void(int)> TypeThenClick(const char* text, int button = app::DialogOk) {
    return [=](int) {
        if (text) scripted::Type(app::DialogAnswer, text);
        scripted::PushClick(button);
    };
}

class AppTest : public ::testing::Test {
protected:
    testsupport::Sandbox box;
    std::map<std::string, std::string> prefs;  // written by Start()
    std::string url;                           // of the repository Repo() made

    std::string PrefsPath() const { return box / "config/Vellum.prefs"; }

    void SetUp() override {
        scripted::Reset();
        for (const char* dir : {"config", "tmp", "run"}) testsupport::MakeDirs(box / dir);
        auto env = [this](const char* name, const std::string& value) {
            env_.push_back(std::make_unique<testsupport::ScopedEnv>(name, value));
        };
        env("HOME", box.Path());
        env("XDG_CONFIG_HOME", box / "config");
        env("TMPDIR", box / "tmp");
        env("XDG_RUNTIME_DIR", box / "run");
        env("LC_ALL", "C.UTF-8");  // English texts and UTF-8 names, as main() sets up
        std::setlocale(LC_ALL, "");
        for (const char* data : {"gfx", "locale"}) {
            const std::string built = std::string(VELLUM_DIST_DIR) + "/" + data;
            testsupport::Run("ln -s " + ShellQuote(built) + " " + ShellQuote(box / data));
        }
        // The shell's opener only notes what it was given, written whole
        // before it appears, so WaitForFile never sees a half-written note.
        const std::string note = ShellQuote(box / "opened.txt");
        MakeScript("bin/xdg-open",
                   "echo \"$@\" > " + note + ".$$ && mv " + note + ".$$ " + note + "\n");
        env("PATH", box / "bin:" + std::string(std::getenv("PATH")));
        cwd_ = std::make_unique<testsupport::ScopedCwd>(box.Path());
        prefs["SVNLocalRepositery"] = box / "wc/";
        prefs["SVNRemoteRepositery"] = "file:///nowhere/";
    }

    void TearDown() override {
        if (running_) app::EndProgram();
        cwd_.reset();
    }

    void MakeScript(const std::string& path, const std::string& body) {
        WriteFile(box / path, "#!/bin/sh\n" + body);
        testsupport::Run("chmod +x " + ShellQuote(box / path));
    }

    // The repository box/repo with `files`, and its working copy box/wc if asked.
    void Repo(const Files& files, bool workingCopy = false) {
        url = testsupport::MakeRepository(box / "repo", files);
        if (workingCopy) testsupport::Checkout(url, box / "wc");
    }

    // Writes `files` (paths from the sandbox), folders made as needed.
    void Write(const Files& files) {
        for (const auto& [path, text] : files) WriteFile(box / path, text);
    }

    // Another working copy (box/other) sends `files`, added where new.
    void CommitElsewhere(const Files& files) {
        Sh("rm -rf " + At("other"));
        testsupport::Checkout(url, box / "other");
        for (const auto& [path, text] : files) WriteFile(box / ("other/" + path), text);
        Sh("svn add -q --force " + At("other") + " && svn commit -q -m theirs " + At("other"));
    }

    std::string At(const std::string& relative) const { return ShellQuote(box / relative); }

    // A shell command's output (and errors).
    static std::string Sh(const std::string& command) {
        std::string out;
        testsupport::Run(command, &out);
        return out;
    }

    // A client first in the lookup that runs `before`, then the real svn.
    void WrapClient(const std::string& before) {
        const std::string svn = Sh("command -v svn");
        MakeScript("svn/bin/svn", before + "\nexec " + svn.substr(0, svn.size() - 1) + " \"$@\"\n");
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

    void Stop() {  // as the loop ends after a close request
        running_ = false;
        app::EndProgram();
    }

    // Handles every event queued so far, and what they queue in turn.
    void Settle() {
        auto reached = std::make_shared<bool>(false);
        platform::RunOnMainThread([reached] { *reached = true; });
        RunUntil([reached] { return *reached; });
    }

    // Events through the real dispatch until `done`; a close request (the
    // scripted window sends one when a test waits in vain) fails the test.
    void RunUntil(const std::function<bool()>& done) {
        while (!done()) ASSERT_FALSE(app::HandleEvent(platform::WaitEvent())) << "timed out";
    }

    void Click(int id, EventType type = EventType::LeftClick) {
        scripted::PushClick(id, type);
        Settle();
    }

    void Enter(int id, const std::string& text) {  // types, then leaves the field
        scripted::Type(id, text);
        scripted::PushClick(id, EventType::FocusLost);
        Settle();
    }

    void Menu(int item) {
        scripted::PushMenu(item);
        Settle();
    }

    int RowOf(const std::string& text) const {
        const auto texts = TreeTexts();
        auto it = std::find(texts.begin(), texts.end(), text);
        if (it != texts.end()) return static_cast<int>(it - texts.begin());
        ADD_FAILURE() << "no row " << text;
        return -1;
    }

    void ClickRow(const std::string& text, EventType type) {
        platform::TreeSelect(app::EntryTree, RowOf(text));
        Click(app::EntryTree, type);
    }

    // The items of the menu a right click on `text` shows; none when it shows none.
    Items MenuFor(const std::string& text) {
        const int before = scripted::MenusShown();
        ClickRow(text, EventType::RightClick);
        Items ids;
        if (scripted::MenusShown() != before)
            for (const auto& item : scripted::LastMenu()) ids.push_back(item.id);
        return ids;
    }

    void MenuOn(const std::string& text, int item) {
        ClickRow(text, EventType::RightClick);
        Menu(item);
    }

    static Texts Captions() {
        Texts out;
        for (const auto& item : scripted::LastMenu()) out.push_back(item.caption);
        return out;
    }

    // The entry's status; the icon the tree shows for it must say the same.
    std::string StatusOf(const std::string& text) {
        app::g_entries.MakeCurrent(RowOf(text));
        const browse::ListEntry& e = *app::g_entries.Current();
        EXPECT_EQ(scripted::Tree()[RowOf(text)].image, app::StatusIcon(e.status, e.isFolder))
            << text;
        return e.status;
    }

    // Opens the commit window and lets `user` act in it.
    void SendUpdate(std::function<void()> user) {
        scripted::OnDialogOpened([user](int) { user(); });
        Click(app::SendUpdateButton);
    }

    static int OwnWindow(const std::string& title) {
        for (const auto& w : scripted::Dialogs())
            if (w.open && w.own && w.title == title) return w.handle;
        return -1;
    }

    void AwaitStatus(int label) {
        RunUntil([label] { return platform::GetText(label) != "Please wait"; });
    }

    void AwaitIdle() {
        RunUntil([] { return !app::g_shell.busy; });
    }

    // Whether the controls the busy state toggles (ids up to 18) are all `enabled`.
    static bool BusyControlsAre(bool enabled) {
        for (const auto& c : scripted::Controls())
            if (c.id <= 18 && c.enabled != enabled) return false;
        return true;
    }

    // Polls for a file that another process writes.
    static bool WaitForFile(const std::string& path, int ms = 10000) {
        for (int waited = 0; waited < ms; waited += 20) {
            if (platform::IsRegularFile(path)) return true;
            platform::Sleep(20);
        }
        return false;
    }

    static Texts TreeTexts() {
        Texts out;
        for (const auto& item : scripted::Tree()) out.push_back(item.text);
        return out;
    }

    static Texts BoxTexts() {
        Texts out;
        for (const auto& b : scripted::Boxes()) out.push_back(b.title + ": " + b.text);
        return out;
    }

    // The one box shown: the client's error, its own words after the heading.
    static void ExpectClientError() {
        const Texts boxes = BoxTexts();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(
            boxes[0].starts_with("Alert: The Subversion client reported an error:\n\nsvn: E"))
            << boxes[0];
    }

private:
    std::vector<std::unique_ptr<testsupport::ScopedEnv>> env_;
    std::unique_ptr<testsupport::ScopedCwd> cwd_;
    bool running_ = false;
};

}  // namespace apptest
