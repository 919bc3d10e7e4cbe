// Starting a child program with captured output. The argument list is the
// argv on POSIX; on Windows it is joined with JoinCommandLine (command_line.h).
#pragma once
#include <string>
#include <vector>

namespace platform {

struct Argument {
    std::string text;
    bool quote = false;  // always quoted on a Windows command line
};
using ArgumentList = std::vector<Argument>;

struct Process;  // opaque; owned by the caller until ReleaseProcess

// Starts `program` with `args` (not including the program itself). stdout and
// stderr go to two separate pipes; stdin gives `input` and then its end (a
// secret never shows on a command line), or, when `input` is empty, nothing
// that can answer. `workingFolder` empty means the caller's current directory; the
// program path is resolved against the caller's current directory either way.
// Returns null when the program can't be started.
Process* StartProcess(const std::string& program, const ArgumentList& args,
                      const std::string& workingFolder, const std::string& input = "");

// Bytes waiting on the stdout pipe, readable without blocking.
int OutputAvailable(Process* p);
// Reads everything waiting on stdout without blocking (may be empty).
std::string ReadOutput(Process* p);
// True once stdout has reported its end (the writer closed it).
bool OutputEnded(Process* p);
// True while the process has not exited.
bool ProcessAlive(Process* p);
// The exit code once ProcessAlive has seen the process end; -1 before, or
// when it was ended by a signal.
int ExitCode(Process* p);
// Reads everything waiting on stderr without blocking (may be empty).
std::string ReadErrors(Process* p);
// Waits up to `ms` milliseconds for output on either pipe or the end of the
// process; returns early as soon as one of them happens.
void WaitForActivity(Process* p, int ms);
// Ends the process if it still runs (a stopped command must not go on
// loading the server), and returns once it is gone; its output that waits
// unread is dropped with it.
void EndProcess(Process* p);
// Releases the pipes and the handle; never stops the process. A process that
// still runs is reaped later, so it leaves no zombie.
void ReleaseProcess(Process* p);

// Sleeps `ms` milliseconds (timer resolution raised to 1 ms on Windows).
void Sleep(int ms);

}  // namespace platform
