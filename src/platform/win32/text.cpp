#include "platform/text.h"

#include "platform/win32/utf16.h"

namespace platform {

std::string SystemToUtf8(const std::string& bytes) {
    if (bytes.empty()) return {};
    // Without MB_ERR_INVALID_CHARS, bytes the code page doesn't define come
    // back as U+FFFD (or their best fit) instead of failing the whole line.
    int n =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return win32::Narrow(wide);
}

// The ANSI code page is the system's; nothing to choose.
void UseUserCharset() {}

}  // namespace platform
