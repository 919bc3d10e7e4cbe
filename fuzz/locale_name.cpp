// Locale names from the environment or a Windows identifier, and the case
// mapping of any bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/locale.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string name = platform::PosixLocaleName(text);
    if (name.empty()) std::abort();
    uint32_t lcid = 0;
    std::memcpy(&lcid, data, size < sizeof lcid ? size : sizeof lcid);
    platform::WindowsLocaleName(lcid);
    platform::ToUpper(text);
    return 0;
}
