#include "svnclient/client.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <thread>

#include "i18n/catalogue.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace svnclient {

struct ClientProcess {
    explicit ClientProcess(platform::Process* p) : process(p) {}
    platform::Process* process;
    std::string bytes;    // output taken from the pipe, not yet handed out
    size_t start = 0;     // where the next line begins in `bytes`
    size_t scanned = 0;   // no line feed lies in [start, scanned)
    bool exited = false;  // the client has exited and its last output is in `bytes`
};

namespace {

std::atomic<bool (*)()> g_waitHook{nullptr};
std::atomic<std::thread::id> g_waitHookThread{};

// Offset of the line feed that ends the next line, or npos.
size_t FindLineEnd(ClientProcess* c) {
    c->scanned = std::max(c->scanned, c->start);
    const char* base = c->bytes.data();
    const void* lf = std::memchr(base + c->scanned, '\n', c->bytes.size() - c->scanned);
    if (lf == nullptr) {
        c->scanned = c->bytes.size();
        return std::string::npos;
    }
    c->scanned = static_cast<const char*>(lf) - base;
    return c->scanned;
}

// No more bytes can arrive, so an unterminated rest is the last line.
bool OutputComplete(ClientProcess* c) {
    return c->exited || platform::OutputEnded(c->process);
}

bool HasLine(ClientProcess* c) {
    return FindLineEnd(c) != std::string::npos || (OutputComplete(c) && c->start < c->bytes.size());
}

// Takes everything waiting on the pipe in one read.
void Refresh(ClientProcess* c) {
    if (c->exited) return;
    // Asked before reading: once the client is known to have exited, this
    // read takes its last byte.
    bool alive = platform::ProcessAlive(c->process);
    std::string more = platform::ReadOutput(c->process);
    if (!more.empty()) {
        if (c->start > 65536 && c->start > c->bytes.size() / 2) {
            c->bytes.erase(0, c->start);
            c->scanned -= c->start;
            c->start = 0;
        }
        c->bytes += more;
    }
    if (!alive) c->exited = true;
}

// Only the thread that set the hook may run it: a worker's loop must not
// repaint the window. False when it asks the command to end.
bool RunWaitHook() {
    bool (*hook)() = g_waitHook.load();
    return hook == nullptr || g_waitHookThread.load() != std::this_thread::get_id() || hook();
}

std::string CleanLine(const std::string& raw) {
    std::string text = platform::SystemToUtf8(raw);
    text.resize(std::min(text.size(), text.find('\0')));
    std::erase_if(text, [](char ch) { return ch == '\r' || ch == '\n'; });
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

ClientProcess* RunSvn(const ArgumentList& args, const std::string& workingFolder,
                      int credentials) {
    platform::Process* p = platform::StartProcess(
        platform::ClientProgram(), BuildArguments(args, credentials, settings::g_settings), workingFolder,
        ClientInput(credentials, settings::g_settings));
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
    if (FindLineEnd(c) == std::string::npos) Refresh(c);
    if (!HasLine(c)) return 0;
    return static_cast<int>(std::min<size_t>(c->bytes.size() - c->start, INT_MAX));
}

std::string ReadSvnLine(ClientProcess* c) {
    size_t lf = FindLineEnd(c);
    if (lf == std::string::npos) {
        Refresh(c);
        lf = FindLineEnd(c);
    }
    size_t end;
    if (lf != std::string::npos) end = lf + 1;
    else if (OutputComplete(c) && c->start < c->bytes.size()) end = c->bytes.size();
    else return "";
    std::string raw = c->bytes.substr(c->start, end - c->start);
    c->start = c->scanned = end;
    if (c->start == c->bytes.size()) {
        c->bytes.clear();
        c->start = c->scanned = 0;
    }
    return CleanLine(raw);
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

ClientResult RunClient(const ArgumentList& args, const std::string& workingFolder,
                       int credentials, const LineSink& onLine,
                       const std::atomic<bool>* stop,
                       const std::function<void()>& onDrained) {
    ClientResult result;
    // The window is closing: the rest of a command starts nothing more.
    if (!RunWaitHook()) return result;
    ClientProcess* c = RunSvn(args, workingFolder, credentials);
    if (c == nullptr) {
        // Nobody else can say it: a client that never ran did nothing.
        result.errors =
            i18n::Translate("The client program could not be started:") + " " + platform::ClientProgram();
        return result;
    }
    result.started = true;
    bool stopped = false;
    std::string rawErrors;
    while (ClientRunning(c)) {
        // Every pass empties the error pipe, so a chatty client never blocks
        // on it while we wait for its output.
        rawErrors += platform::ReadErrors(c->process);
        // The stop is asked after every line: a slow sink (a costly pattern)
        // must not keep the user waiting for the whole buffer.
        while (!(stopped = stop != nullptr && *stop) && ClientOutputAvailable(c) > 0)
            onLine(ReadSvnLine(c));
        if (stopped) break;
        if (onDrained) onDrained();
        if ((stopped = !Delay(c, 10) || (stop != nullptr && *stop))) break;
    }
    if (stopped) platform::EndProcess(c->process);
    for (std::string more; !(more = platform::ReadErrors(c->process)).empty();) rawErrors += more;
    // Converted whole: a character may come split over two reads.
    result.errors = platform::SystemToUtf8(rawErrors);
    if (!stopped) {
        // A client that succeeded only warned; one that failed in silence, or
        // was killed, must not pass for a success.
        const int code = platform::ExitCode(c->process);
        if (code == 0) result.errors.clear();
        else if (result.errors.empty() && code < 0)
            result.errors = i18n::Translate("The client program was ended before it finished.");
        else if (result.errors.empty())
            result.errors = i18n::Translate("The client program failed without a message; exit code") +
                            " " + std::to_string(code) + ".";
    }
    CloseClient(c);
    return result;
}

}  // namespace svnclient
