#include <cstdio>
#include <cstdlib>

#include "app/program.h"
#include "platform/text.h"

int main() {
    // The client's output is decoded from the charset of the user's locale.
    platform::UseUserCharset();
    const int code = app::RunProgram();
    // A copy or search may still run: end the process here, without the
    // static destructors that would pull its data away from under it.
    std::fflush(nullptr);
    std::_Exit(code);
}
