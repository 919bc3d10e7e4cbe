// Stands in for the client where exact bytes matter. The first argument names
// the scenario; arguments after it that a scenario doesn't use are ignored,
// as the options the program appends must be. Any other first argument (a
// client command: "log", "diff") prints the file "standin-<it>.out" of the
// current folder, which a test writes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#define getcwd _getcwd
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace {

void Pause(int ms) {
#ifdef _WIN32
    Sleep(ms);
#else
    usleep(ms * 1000);
#endif
}

void Out(const std::string& bytes) {
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fflush(stdout);
}

int IntArg(int argc, char** argv, int i, int fallback) {
    return i < argc ? std::atoi(argv[i]) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    std::string scenario = argc > 1 ? argv[1] : "";
    if (scenario == "argv") {
        // Every argument after the scenario, one per line.
        for (int i = 2; i < argc; ++i) Out(std::string(argv[i]) + "\n");
    } else if (scenario == "cwd") {
        char buf[4096];
        Out(std::string(getcwd(buf, sizeof buf) ? buf : "?") + "\n");
    } else if (scenario == "stdin") {
        if (isatty(0))
            Out("tty\n");
        else
            Out(std::fgetc(stdin) == EOF ? "eof\n" : "data\n");
    } else if (scenario == "split") {
        Out("  alpha be");
        Pause(IntArg(argc, argv, 2, 300));
        Out("ta  \nend\n");
    } else if (scenario == "blanks") {
        const char bytes[] = "A    x\r\nB\na\rb\n\r\n  x  \n\tt\t\nab\0cd\n";
        Out(std::string(bytes, sizeof bytes - 1));
    } else if (scenario == "latin1") {
        Out("caf\xE9\n");
    } else if (scenario == "errflood") {
        // More than any pipe holds: a reader that doesn't drain the error
        // pipe leaves this client blocked forever.
        std::string chunk(1023, 'e');
        chunk += '\n';
        for (int i = 0; i < 1024; ++i) fwrite(chunk.data(), 1, chunk.size(), stderr);
        fflush(stderr);
        Out("done\n");
        return 1;  // a client that reports errors has failed
    } else if (scenario == "spliterr") {
        // One character ("é" in UTF-8) in two writes, apart in time.
        std::fputs("\xC3", stderr);
        std::fflush(stderr);
        Pause(IntArg(argc, argv, 2, 300));
        std::fputs("\xA9\n", stderr);
        return 1;
    } else if (scenario == "longline") {
        Out(std::string(100000, 'x') + "\nafter\n");
    } else if (scenario == "nolf") {
        Out("one\nxyz");
    } else if (scenario == "ticker") {
        // A line every 20 ms for a long time, for stopping a running client.
        for (int i = 0; i < 1000; ++i) {
            Out("tick\n");
            Pause(20);
        }
    } else if (scenario == "sleep") {
        Pause(IntArg(argc, argv, 2, 200));
    } else if (FILE* answer = std::fopen(("standin-" + scenario + ".out").c_str(), "rb")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, answer)) > 0;) fwrite(buf, 1, n, stdout);
        std::fclose(answer);
    } else {
        std::fprintf(stderr, "standin: unknown scenario '%s'\n", scenario.c_str());
        return 2;
    }
    return 0;
}
