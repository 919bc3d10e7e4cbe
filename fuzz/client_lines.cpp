// The client's output cut into lines, and the change lines parsed: the lines
// are the same whatever sizes the reads had. The first byte sets the sizes.
#include <cstdlib>
#include <string>
#include <vector>

#include "svnclient/change_lines.h"
#include "svnclient/output_lines.h"

namespace {

std::vector<std::string> Cut(const std::string& bytes, size_t readSize) {
    svnclient::OutputLines output;
    std::vector<std::string> lines;
    for (size_t at = 0; at < bytes.size(); at += readSize) {
        output.Append(bytes.substr(at, readSize));
        while (auto line = output.Take(false)) lines.push_back(*line);
    }
    while (auto line = output.Take(true)) lines.push_back(*line);
    if (output.Waiting() != 0) std::abort();
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t readSize = 1 + data[0] % 64;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string> lines = Cut(bytes, readSize);
    if (lines != Cut(bytes, bytes.size() + 1)) std::abort();
    for (const std::string& line : lines) {
        svnclient::ParseUpdateLine(line);
        svnclient::ParseCheckoutLine(line);
    }
    return 0;
}
