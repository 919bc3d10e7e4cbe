// Starting the client and reading its output as trimmed UTF-8 lines.
#pragma once
#include <atomic>
#include <functional>
#include <string>
#include "svnclient/arguments.h"

namespace svnclient {

struct ClientProcess;  // one started client with its own line buffer

// Starts the client with BuildArguments(args, credentials, g_settings);
// `workingFolder` "" keeps the current directory. Null when it can't start.
ClientProcess* RunSvn(const ArgumentList& args, const std::string& workingFolder, int credentials);
// 1 while the client runs or unread output remains, else 0. Never waits.
int ClientRunning(ClientProcess* c);
// Bytes of output that can be handed out without waiting.
int ClientOutputAvailable(ClientProcess* c);
// The next whole line (CR and LF removed everywhere, blanks trimmed at both
// ends, cut at a NUL), or "" when no whole line is waiting. Once the client
// has ended, a last line without a line feed is handed out too.
std::string ReadSvnLine(ClientProcess* c);
void CloseClient(ClientProcess* c);
// Runs the wait hook, then waits up to `ms` for output or the client's end.
// False when the hook asks the command to end.
bool Delay(ClientProcess* c, int ms);

// A pass of the platform's repaint hook while a synchronous command waits
// (set by the application; null in tests); it returns false when the command
// is to end at once (the window is closing). Only loops on the thread that
// set it run the hook, so a worker never touches the window.
void SetWaitHook(bool (*hook)());

struct ClientResult {
    bool started = false;
    // What the client printed on its error output, unless it ended with exit
    // code 0: a client that succeeded only warned (about the locale, say).
    // A client that could not start, was killed, or failed without a word
    // gets a text that says so: empty means success (or a stop).
    std::string errors;
};

using LineSink = std::function<void(const std::string&)>;

// The one reading loop: runs the client, hands every whole line (possibly "")
// to `onLine` in order, drains the error output on every pass, and returns
// when the client has ended and its output is read, or when `stop` is set
// (checked before each line and after each wait) or the wait hook says to
// end: the client is then ended. Once the hook says so, no client starts.
// `onDrained`, when given, runs whenever the output read so far has been
// handed out and the loop is about to wait: where a batching sink hands on.
ClientResult RunClient(const ArgumentList& args, const std::string& workingFolder, int credentials,
                       const LineSink& onLine, const std::atomic<bool>* stop = nullptr,
                       const std::function<void()>& onDrained = {});

// Bytes as they come off the pipe, in the pieces they were read in: not cut,
// not converted. False ends the client (the result is then that of a stop).
using ChunkSink = std::function<bool(const std::string&)>;

// RunClient's loop, handing the output raw: for readers of XML, which is
// UTF-8 whatever the system's charset, and of text whose blanks matter.
ClientResult RunClientRaw(const ArgumentList& args, const std::string& workingFolder,
                          int credentials, const ChunkSink& onChunk,
                          const std::atomic<bool>* stop = nullptr,
                          const std::function<void()>& onDrained = {});

}  // namespace svnclient
