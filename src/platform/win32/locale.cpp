#include "platform/locale.h"

#include <windows.h>

#include <cstdio>
#include <ctime>

#include "platform/win32/utf16.h"

namespace platform {

std::string CurrentLocaleName() { return WindowsLocaleName(GetThreadLocale()); }

std::string ToUpper(const std::string& utf8) {
    std::wstring wide = win32::Widen(utf8);
    if (wide.empty()) return {};
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return win32::Narrow(wide);
}

std::string LocalTimeText(int64_t utcSeconds) {
    const __time64_t t = static_cast<__time64_t>(utcSeconds);
    tm local{};
    // Fails before 1970: such a date shows as none.
    if (_localtime64_s(&local, &t) != 0) return "";
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    return text;
}

}  // namespace platform
