#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

extern char** environ;

namespace platform {

struct Process {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
    bool exited = false;
    int exitCode = -1;
    bool outEnded = false;
    bool errEnded = false;
};

namespace {

// Waits for released clients that were still running, so none is left as a
// zombie. Only the pids handed over are waited for: a wait on any child
// would steal the status of children that other code (popen) waits for.
class Reaper {
public:
    void Add(pid_t pid) {
        std::lock_guard<std::mutex> lock(mutex_);
        pids_.push_back(pid);
        if (!started_) {
            std::thread([this] { Loop(); }).detach();
            started_ = true;
        }
        wake_.notify_one();
    }

private:
    void Loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return !pids_.empty(); });
            std::erase_if(pids_, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
            if (pids_.empty()) continue;
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<pid_t> pids_;
    bool started_ = false;
};

// Never destroyed: its thread may still be waiting when the program exits.
Reaper& TheReaper() {
    static Reaper* reaper = new Reaper;
    return *reaper;
}

void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// Reads everything waiting on a non-blocking pipe; notes its end.
std::string Drain(int fd, bool& ended) {
    std::string data;
    if (fd < 0 || ended) return data;
    char chunk[65536];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n > 0) {
            data.append(chunk, n);
        } else if (n == 0) {
            ended = true;
            break;
        } else if (errno != EINTR) {
            break;  // EAGAIN: nothing more waiting
        }
    }
    return data;
}

// Both ends close on exec, so a client started at the same moment on another
// thread can't inherit them and hold our pipe open. The child gets its own
// copy through dup2, which clears the flag on the copy only.
bool MakePipe(int fds[2]) {
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    return true;
}

}  // namespace

Process* StartProcess(const std::string& program, const ArgumentList& args,
                      const std::string& workingFolder, const std::string& input) {
    std::string path = program;
    bool searchPath = program.find('/') == std::string::npos;
    // The child changes folder before exec, so a relative program would be
    // looked up in the wrong place.
    if (!searchPath && program[0] != '/' && !workingFolder.empty()) {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd) == nullptr) return nullptr;
        path = std::string(cwd) + "/" + program;
    }

    int outPipe[2], errPipe[2];
    if (!MakePipe(outPipe)) return nullptr;
    if (!MakePipe(errPipe)) {
        close(outPipe[0]);
        close(outPipe[1]);
        return nullptr;
    }

    // The input waits in its pipe, its end already written, before the client
    // starts: a few bytes fit, and the client's reads need not race ours.
    int inPipe[2] = {-1, -1};
    if (!input.empty()) {
        bool ok = pipe2(inPipe, O_CLOEXEC) == 0;
        if (ok) {
            fcntl(inPipe[1], F_SETFL, O_NONBLOCK);
            ok = write(inPipe[1], input.data(), input.size()) == static_cast<ssize_t>(input.size());
            close(inPipe[1]);
            if (!ok) close(inPipe[0]);
        }
        if (!ok) {
            for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
            return nullptr;
        }
    }

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const Argument& a : args) argv.push_back(const_cast<char*>(a.text.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Nothing but `input` can answer the client: a prompt reads end-of-file.
    if (input.empty())
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    else
        posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());

    // A GUI may block or ignore signals (SIGPIPE); the client starts clean.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    int rc = searchPath ? posix_spawnp(&pid, path.c_str(), &actions, &attr, argv.data(), environ)
                        : posix_spawn(&pid, path.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);

    // The write ends now live only in the child, so the pipes report their
    // end when it exits.
    close(outPipe[1]);
    close(errPipe[1]);
    if (!input.empty()) close(inPipe[0]);
    if (rc != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return nullptr;
    }
    auto* p = new Process;
    p->pid = pid;
    p->out = outPipe[0];
    p->err = errPipe[0];
    return p;
}

int OutputAvailable(Process* p) {
    int n = 0;
    if (p->outEnded || ioctl(p->out, FIONREAD, &n) != 0) return 0;
    return n;
}

std::string ReadOutput(Process* p) { return Drain(p->out, p->outEnded); }

bool OutputEnded(Process* p) { return p->outEnded; }

bool ProcessAlive(Process* p) {
    if (p->exited) return false;
    pid_t r;
    int status = 0;
    do {
        r = waitpid(p->pid, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == p->pid && WIFEXITED(status)) p->exitCode = WEXITSTATUS(status);
    if (r != 0) p->exited = true;  // reaped now, or not ours to wait for
    return !p->exited;
}

int ExitCode(Process* p) { return p->exitCode; }

std::string ReadErrors(Process* p) { return Drain(p->err, p->errEnded); }

void WaitForActivity(Process* p, int ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        // A pipe at its end would report itself at once on every poll.
        pollfd fds[2] = {{p->outEnded ? -1 : p->out, POLLIN, 0},
                         {p->errEnded ? -1 : p->err, POLLIN, 0}};
        bool piped = !p->outEnded || !p->errEnded;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) return;
        // With both pipes closed only the end of the process is left to see;
        // look for it in short steps.
        int r = poll(fds, 2, piped ? static_cast<int>(left) : std::min<int>(left, 2));
        if (r > 0) {
            // The client writes line by line: a moment's pause lets a few
            // hundred lines gather in the pipe, so neither side is woken per line.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return;
        }
        if (r < 0 && errno != EINTR) return;
        if (!piped && !ProcessAlive(p)) return;
    }
}

void EndProcess(Process* p) {
    if (p == nullptr || !ProcessAlive(p)) return;
    kill(p->pid, SIGKILL);
    // Collected at once: a killed client ends within moments, and whoever
    // ended it (a close, a stop) must find it gone, not a zombie.
    pid_t r;
    do {
        r = waitpid(p->pid, nullptr, 0);
    } while (r < 0 && errno == EINTR);
    p->exited = true;
}

void ReleaseProcess(Process* p) {
    if (p == nullptr) return;
    CloseFd(p->out);
    CloseFd(p->err);
    if (ProcessAlive(p)) TheReaper().Add(p->pid);
    delete p;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace platform
