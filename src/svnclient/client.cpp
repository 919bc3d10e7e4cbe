#include "svnclient/client.h"

#include <algorithm>
#include <climits>
#include <thread>

#include "i18n/catalogue.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "svnclient/output_lines.h"

namespace svnclient {

struct ClientProcess {
    explicit ClientProcess(platform::Process* p) : process(p) {}
    platform::Process* process;
    OutputLines output;   // taken from the pipe, not yet handed out
    bool exited = false;  // the client has exited and its last output is in `output`
};

namespace {

std::atomic<bool (*)()> g_waitHook{nullptr};
std::atomic<std::thread::id> g_waitHookThread{};

// No more bytes can arrive, so an unterminated rest is the last line.
bool OutputComplete(ClientProcess* c) { return c->exited || platform::OutputEnded(c->process); }

bool HasLine(ClientProcess* c) {
    return c->output.HasWholeLine() || (OutputComplete(c) && c->output.HasRest());
}

// Takes everything waiting on the pipe in one read.
void Refresh(ClientProcess* c) {
    if (c->exited) return;
    // Asked before reading: once the client is known to have exited, this
    // read takes its last byte.
    bool alive = platform::ProcessAlive(c->process);
    c->output.Append(platform::ReadOutput(c->process));
    if (!alive) c->exited = true;
}

// Only the thread that set the hook may run it: a worker's loop must not
// repaint the window. False when it asks the command to end.
bool RunWaitHook() {
    bool (*hook)() = g_waitHook.load();
    return hook == nullptr || g_waitHookThread.load() != std::this_thread::get_id() || hook();
}

}  // namespace

ClientProcess* RunSvn(const ArgumentList& args, const std::string& workingFolder, int credentials) {
    platform::Process* p = platform::StartProcess(
        platform::ClientProgram(), BuildArguments(args, credentials, settings::g_settings),
        workingFolder, ClientInput(credentials, settings::g_settings));
    if (p == nullptr) return nullptr;
    return new ClientProcess(p);
}

int ClientRunning(ClientProcess* c) {
    Refresh(c);
    return !c->exited || HasLine(c) ? 1 : 0;
}

int ClientOutputAvailable(ClientProcess* c) {
    // The pipe is only touched when nothing whole is buffered, so a bulk of
    // lines is handed out without a system call per line.
    if (!c->output.HasWholeLine()) Refresh(c);
    if (!HasLine(c)) return 0;
    return static_cast<int>(std::min<size_t>(c->output.Waiting(), INT_MAX));
}

std::string ReadSvnLine(ClientProcess* c) {
    if (!c->output.HasWholeLine()) Refresh(c);
    const bool whole = c->output.HasWholeLine();
    return c->output.Take(!whole && OutputComplete(c)).value_or("");
}

void CloseClient(ClientProcess* c) {
    if (c == nullptr) return;
    platform::ReleaseProcess(c->process);
    delete c;
}

bool Delay(ClientProcess* c, int ms) {
    if (!RunWaitHook()) return false;
    if (c->exited || HasLine(c)) return true;
    platform::WaitForActivity(c->process, ms);
    return true;
}

void SetWaitHook(bool (*hook)()) {
    g_waitHookThread.store(std::this_thread::get_id());
    g_waitHook.store(hook);
}

namespace {

bool Stopped(const std::atomic<bool>* stop) { return stop != nullptr && *stop; }

// Hands out what the client has printed so far; false when the command is to
// end (a stop, or a sink that wants no more).
using HandOut = std::function<bool(ClientProcess*)>;

// The one loop under RunClient and RunClientRaw.
ClientResult RunLoop(const ArgumentList& args, const std::string& workingFolder, int credentials,
                     const HandOut& handOut, const std::atomic<bool>* stop,
                     const std::function<void()>& onDrained) {
    ClientResult result;
    // The window is closing: the rest of a command starts nothing more.
    if (!RunWaitHook()) return result;
    ClientProcess* c = RunSvn(args, workingFolder, credentials);
    if (c == nullptr) {
        // Nobody else can say it: a client that never ran did nothing.
        result.errors = i18n::Translate("The client program could not be started:") + " " +
                        platform::ClientProgram();
        return result;
    }
    result.started = true;
    bool stopped = false;
    std::string rawErrors;
    while (ClientRunning(c)) {
        // Every pass empties the error pipe, so a chatty client never blocks
        // on it while we wait for its output.
        rawErrors += platform::ReadErrors(c->process);
        if ((stopped = !handOut(c))) break;
        if (onDrained) onDrained();
        if ((stopped = !Delay(c, 10) || Stopped(stop))) break;
    }
    if (stopped) platform::EndProcess(c->process);
    for (std::string more; !(more = platform::ReadErrors(c->process)).empty();) rawErrors += more;
    // Converted whole: a character may come split over two reads.
    result.errors = platform::SystemToUtf8(rawErrors);
    if (!stopped) {
        // A client that succeeded only warned; one that failed in silence, or
        // was killed, must not pass for a success.
        const int code = platform::ExitCode(c->process);
        if (code == 0)
            result.errors.clear();
        else if (result.errors.empty() && code < 0)
            result.errors = i18n::Translate("The client program was ended before it finished.");
        else if (result.errors.empty())
            result.errors =
                i18n::Translate("The client program failed without a message; exit code") + " " +
                std::to_string(code) + ".";
    }
    CloseClient(c);
    return result;
}

}  // namespace

ClientResult RunClient(const ArgumentList& args, const std::string& workingFolder, int credentials,
                       const LineSink& onLine, const std::atomic<bool>* stop,
                       const std::function<void()>& onDrained) {
    return RunLoop(
        args, workingFolder, credentials,
        [&](ClientProcess* c) {
            // The stop is asked after every line: a slow sink (a costly pattern)
            // must not keep the user waiting for the whole buffer.
            for (;;) {
                if (Stopped(stop)) return false;
                if (ClientOutputAvailable(c) <= 0) return true;
                onLine(ReadSvnLine(c));
            }
        },
        stop, onDrained);
}

ClientResult RunClientRaw(const ArgumentList& args, const std::string& workingFolder,
                          int credentials, const ChunkSink& onChunk, const std::atomic<bool>* stop,
                          const std::function<void()>& onDrained) {
    return RunLoop(
        args, workingFolder, credentials,
        [&](ClientProcess* c) {
            if (Stopped(stop)) return false;
            // ClientRunning has just read the pipe: hand out all of it.
            const std::string bytes = c->output.TakeAll();
            return bytes.empty() || (onChunk(bytes) && !Stopped(stop));
        },
        stop, onDrained);
}

}  // namespace svnclient
