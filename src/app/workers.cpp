#include "app/workers.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/entry_tree.h"
#include "app/main_window.h"
#include "app/row_batches.h"
#include "app/shell_state.h"
#include "app/user_actions.h"
#include "browse/remote_search.h"
#include "i18n/catalogue.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "svnclient/change_lines.h"
#include "svnclient/repository.h"

namespace app {

namespace {

using i18n::Translate;

// A worker never touches a control or the entry list: every row and box is
// handed to the main thread, in the client's order. `done` is set as its very
// last step; the main thread waits on it while running the queued hand-overs,
// never in a blocking join, so a worker that is handing a row (or a message
// box) to the main thread can finish.
struct Worker {
    std::thread thread;
    std::atomic<bool> done{true};
};

Worker g_search;
Worker g_copy;
std::atomic<bool> g_stopSearch{false};

void Await(Worker& worker) {
    while (!worker.done) platform::RunQueuedCalls(10);
    if (worker.thread.joinable()) worker.thread.join();
}

// A thread is never assigned over a joinable one (that aborts the program):
// the last run is awaited and collected first. The stop handling and
// StartCopy collect it already, so this waits only for a start asked twice.
void Start(Worker& worker, std::function<void()> body) {
    Await(worker);
    worker.done = false;
    worker.thread = std::thread([&worker, body = std::move(body)] {
        body();
        worker.done = true;
    });
}

void Search(const std::string& pattern) {
    platform::RunOnMainThread(ClearEntries);
    RowBatches<std::string> batches(AppendTextRows, &g_stopSearch);
    const browse::SearchResult result = browse::SearchRemote(
        pattern, [&batches](const std::string& line) { batches.Add(line); }, g_stopSearch,
        [&batches] { batches.HandOver(); });
    batches.HandOver();
    if (!result.patternError.empty()) {
        platform::RunOnMainThreadAndWait([error = result.patternError] {
            platform::ShowMessage(Translate("Alert"),
                                  Translate("Invalid search pattern:") + " " + error);
        });
    }
    ReportClientError(result.client.errors);
    if (result.unmatched > 0) {
        platform::RunOnMainThreadAndWait([n = result.unmatched] {
            platform::ShowMessage(
                Translate("Alert"),
                Translate("Paths the pattern is too complex to search:") + " " + std::to_string(n));
        });
    }
    // The stop handling restores the window, whatever ended the search.
    platform::PostControlEvent(StopSearchButton, platform::EventType::LeftClick);
}

void Copy(svnclient::CopyCommand command, int button, const char* caption) {
    const std::string local = settings::g_settings.SVNLocalRepositery;
    platform::RunOnMainThread([] { g_entries.Clear(); });
    std::vector<std::string> information;
    RowBatches<svnclient::ChangeLine> batches(
        [](int, const std::vector<svnclient::ChangeLine>& rows) {
            for (const svnclient::ChangeLine& c : rows) AppendChangeRow(c.code, c.path);
        },
        nullptr);
    auto onLine = [&information, &batches](const std::string& line) {
        svnclient::ChangeLine c = svnclient::ParseCheckoutLine(line);
        if (c.kind == svnclient::ChangeLine::Entry)
            batches.Add(std::move(c));
        else if (c.kind == svnclient::ChangeLine::Information)
            information.push_back(line);
    };
    const svnclient::ClientResult result = command(onLine, [&batches] { batches.HandOver(); });
    batches.HandOver();
    if (!information.empty())
        platform::RunOnMainThreadAndWait(
            [&information] { ShowInformation(Translate("Copy"), information); });
    // After a failure the folder may not exist; the error box says why.
    if (result.errors.empty()) platform::OpenFileManager(local);
    platform::RunOnMainThread([errors = result.errors, button, caption] {
        ReportClientError(errors);
        platform::SetText(button, Translate(caption));
        LeaveBusy();
    });
}

void StartCopy(int button, const char* caption, svnclient::CopyCommand command) {
    Await(g_copy);  // the last copy has ended; collect it
    EnterBusy();
    ClearEntries();
    platform::SetText(button, Translate("Please wait"));
    Start(g_copy, [=] { Copy(command, button, caption); });
    g_shell.listContent = ListContent::CopyOutput;
}

}  // namespace

void OnSearchClicked() {
    EnterBusy();
    g_shell.listContent = ListContent::SearchResults;
    platform::DestroyControl(SearchButton);
    CreateStopSearchButton();
    g_shell.searchText = platform::GetText(SearchField);
    g_stopSearch = false;
    Start(g_search, [pattern = g_shell.searchText] { Search(pattern); });
}

void OnStopSearchClicked() {
    g_stopSearch = true;
    Await(g_search);
    if (platform::ControlExists(StopSearchButton)) platform::DestroyControl(StopSearchButton);
    CreateSearchButton();
    g_stopSearch = false;
    g_shell.listContent = ListContent::SearchResults;
    LeaveBusy();
}

void OnReadOnlyCopyClicked() {
    if (RefuseEmptyLocalFolder()) return;
    StartCopy(ReadOnlyCopyButton, "Receive a read only repositery copy",
              svnclient::SvnReadOnlyCopy);
}

void OnWorkCopyClicked() {
    if (RefuseEmptyLocalFolder()) return;
    // The worker reads the credentials from the settings, as typed.
    settings::g_settings.SVNUsername = platform::GetText(UserNameField);
    settings::g_settings.SVNPassword = platform::GetText(PasswordField);
    StartCopy(WorkCopyButton, "Receive a repositery work copy ", svnclient::SvnCheckout);
}

void ReleaseWorkers() {
    g_stopSearch = true;
    // The search ends its client within a pass of its loop: let it, so no
    // listing goes on loading the server after us. Its closing hand-overs
    // are not run (no box at shutdown), so the wait is bounded.
    for (int waited = 0; waited < 500 && !g_search.done; waited += 10) platform::Sleep(10);
    if (g_search.thread.joinable()) g_search.thread.detach();
    if (g_copy.thread.joinable()) g_copy.thread.detach();
}

}  // namespace app
