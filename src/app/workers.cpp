#include "app/workers.h"

#include <atomic>
#include <string>
#include <thread>

#include "app/main_window.h"
#include "app/shell_state.h"
#include "app/user_actions.h"
#include "browse/entry_list.h"
#include "browse/remote_search.h"
#include "i18n/catalogue.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "svnclient/repository.h"

namespace app {

namespace {

using i18n::Translate;

// Set by each worker as its very last step. The main thread waits on these
// while running the queued hand-overs, never in a blocking join, so a worker
// that is handing a row (or a message box) to the main thread can finish.
std::atomic<bool> g_searchDone{true};
std::atomic<bool> g_copyDone{true};

void AwaitWorker(std::thread& worker, const std::atomic<bool>& done) {
    while (!done) platform::RunQueuedCalls(10);
    if (worker.joinable()) worker.join();
}

void StartCopy(int button, void (*body)()) {
    AwaitWorker(g_shell.copyThread, g_copyDone);  // the last copy has ended; collect it
    EnterBusy();
    browse::g_entries.Clear();
    platform::TreeClear(EntryTree);
    platform::SetText(button, Translate("Please wait"));
    g_copyDone = false;
    g_shell.copyThread = std::thread([body] {
        body();
        g_copyDone = true;
    });
    g_shell.listContent = ListContent::CopyOutput;
}

}  // namespace

void OnSearchClicked() {
    EnterBusy();
    g_shell.listContent = ListContent::SearchResults;
    platform::DestroyControl(SearchButton);
    CreateStopSearchButton();
    g_shell.searchText = platform::GetText(SearchField);
    g_shell.stopSearchRequested = false;
    g_searchDone = false;
    g_shell.searchThread = std::thread([pattern = g_shell.searchText] {
        browse::SearchRemote(pattern);
        g_searchDone = true;
    });
}

void OnStopSearchClicked() {
    g_shell.stopSearchRequested = true;
    AwaitWorker(g_shell.searchThread, g_searchDone);
    if (platform::ControlExists(StopSearchButton)) platform::DestroyControl(StopSearchButton);
    CreateSearchButton();
    g_shell.stopSearchRequested = false;
    g_shell.listContent = ListContent::SearchResults;
    LeaveBusy();
}

void OnReadOnlyCopyClicked() {
    if (RefuseEmptyLocalFolder()) return;
    StartCopy(ReadOnlyCopyButton, svnclient::SvnReadOnlyCopy);
}

void OnWorkCopyClicked() {
    if (RefuseEmptyLocalFolder()) return;
    // The worker reads the credentials from the settings; the fields'
    // blank check is not applied here.
    settings::g_settings.SVNUsername = platform::GetText(UserNameField);
    settings::g_settings.SVNPassword = platform::GetText(PasswordField);
    StartCopy(WorkCopyButton, svnclient::SvnCheckout);
}

void ReleaseWorkers() {
    g_shell.stopSearchRequested = true;
    if (g_shell.searchThread.joinable()) g_shell.searchThread.detach();
    if (g_shell.copyThread.joinable()) g_shell.copyThread.detach();
}

}  // namespace app
