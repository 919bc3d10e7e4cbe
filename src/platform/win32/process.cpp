#include "platform/process.h"

#include <windows.h>

#include <climits>
#include <mutex>

#include "platform/command_line.h"
#include "platform/win32/utf16.h"

namespace platform {

struct Process {
    HANDLE process = nullptr;
    HANDLE out = nullptr;  // our read end of the client's stdout
    HANDLE err = nullptr;  // our read end of the client's stderr
    bool outEnded = false;
};

namespace {

// While one thread holds inheritable pipe ends, a client started by another
// thread would inherit them too and keep our pipe open after our client has
// ended. Creating the pipes and the process under one lock prevents that.
std::mutex g_startLock;

// A pipe whose write end is inheritable and whose read end is not.
bool MakePipe(HANDLE& read, HANDLE& write) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    if (!CreatePipe(&read, &write, &sa, 0)) return false;
    if (!SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0)) {
        CloseHandle(read);
        CloseHandle(write);
        return false;
    }
    return true;
}

// Bytes waiting in a pipe; -1 once the writer has closed it and it is empty.
long long Waiting(HANDLE pipe) {
    DWORD avail = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &avail, nullptr)) return -1;
    return avail;
}

// Reads exactly what is waiting, so ReadFile never blocks.
std::string Drain(HANDLE pipe, bool* ended) {
    std::string data;
    for (;;) {
        long long avail = Waiting(pipe);
        if (avail < 0 && ended) *ended = true;
        if (avail <= 0) break;
        size_t old = data.size();
        data.resize(old + static_cast<size_t>(avail));
        DWORD got = 0;
        if (!ReadFile(pipe, data.data() + old, static_cast<DWORD>(avail), &got, nullptr)) got = 0;
        data.resize(old + got);
        if (got == 0) break;
    }
    return data;
}

// Sleep is only as fine as the system timer; 1 ms while we wait.
class FineTimer {
public:
    FineTimer() { timeBeginPeriod(1); }
    ~FineTimer() { timeEndPeriod(1); }
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;
};

}  // namespace

Process* StartProcess(const std::string& program, const ArgumentList& args,
                      const std::string& workingFolder, const std::string& input) {
    // No application name: the system takes the program from the first,
    // quoted token and resolves a relative path against our current folder.
    std::wstring commandLine = win32::Widen(JoinCommandLine(program, args));
    std::wstring folder = win32::Widen(workingFolder);

    std::lock_guard<std::mutex> lock(g_startLock);
    HANDLE outRead, outWrite, errRead, errWrite;
    if (!MakePipe(outRead, outWrite)) return nullptr;
    if (!MakePipe(errRead, errWrite)) {
        CloseHandle(outRead);
        CloseHandle(outWrite);
        return nullptr;
    }

    // For `input`: a pipe whose read end the client inherits as its stdin.
    HANDLE inRead = nullptr, inWrite = nullptr;
    if (!input.empty()) {
        SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
        if (!CreatePipe(&inRead, &inWrite, &sa, 0) ||
            !SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0)) {
            for (HANDLE h : {outRead, outWrite, errRead, errWrite, inRead, inWrite})
                if (h) CloseHandle(h);
            return nullptr;
        }
    }

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.wShowWindow = SW_HIDE;
    // Our own input, which a windowed program doesn't have: nothing can
    // answer a prompt of the client.
    si.hStdInput = input.empty() ? GetStdHandle(STD_INPUT_HANDLE) : inRead;
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;

    PROCESS_INFORMATION pi{};
    BOOL started =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                       nullptr, folder.empty() ? nullptr : folder.c_str(), &si, &pi);
    // The write ends now live only in the client, so the pipes report their
    // end when it exits.
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (inWrite) {
        CloseHandle(inRead);
        DWORD wrote = 0;  // a password fits the pipe's buffer: no wait
        if (started)
            WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &wrote, nullptr);
        CloseHandle(inWrite);
    }
    if (!started) {
        CloseHandle(outRead);
        CloseHandle(errRead);
        return nullptr;
    }
    CloseHandle(pi.hThread);
    auto* p = new Process;
    p->process = pi.hProcess;
    p->out = outRead;
    p->err = errRead;
    return p;
}

int OutputAvailable(Process* p) {
    long long n = Waiting(p->out);
    if (n < 0) p->outEnded = true;
    return n <= 0 ? 0 : static_cast<int>(n > INT_MAX ? INT_MAX : n);
}

std::string ReadOutput(Process* p) { return Drain(p->out, &p->outEnded); }

bool OutputEnded(Process* p) {
    if (!p->outEnded && Waiting(p->out) < 0) p->outEnded = true;
    return p->outEnded;
}

bool ProcessAlive(Process* p) { return WaitForSingleObject(p->process, 0) == WAIT_TIMEOUT; }

int ExitCode(Process* p) {
    DWORD code = 0;
    if (ProcessAlive(p) || !GetExitCodeProcess(p->process, &code)) return -1;
    return static_cast<int>(code);
}

std::string ReadErrors(Process* p) { return Drain(p->err, nullptr); }

void WaitForActivity(Process* p, int ms) {
    // Anonymous pipes can't be waited on; the process handle can. Waiting on
    // it in 1 ms steps notices output within a millisecond and the end at once.
    FineTimer timer;
    ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms < 0 ? 0 : ms);
    for (;;) {
        // A pipe at its end is no news: only bytes or the exit end the wait.
        if (Waiting(p->out) > 0 || Waiting(p->err) > 0) return;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        if (WaitForSingleObject(p->process, 1) == WAIT_OBJECT_0) return;
    }
}

void EndProcess(Process* p) {
    if (p == nullptr || !ProcessAlive(p)) return;
    // Waited for: whoever ended it (a close, a stop) must find it gone.
    if (TerminateProcess(p->process, 1)) WaitForSingleObject(p->process, 5000);
}

void ReleaseProcess(Process* p) {
    if (p == nullptr) return;
    // Closing handles never ends the client.
    CloseHandle(p->out);
    CloseHandle(p->err);
    CloseHandle(p->process);
    delete p;
}

void Sleep(int ms) {
    FineTimer timer;
    ::Sleep(static_cast<DWORD>(ms < 0 ? 0 : ms));
}

}  // namespace platform
