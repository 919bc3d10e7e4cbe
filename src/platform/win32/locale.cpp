#include "platform/locale.h"

#include <windows.h>

#include "platform/win32/utf16.h"

namespace platform {

std::string CurrentLocaleName() { return WindowsLocaleName(GetThreadLocale()); }

std::string ToUpper(const std::string& utf8) {
    std::wstring wide = win32::Widen(utf8);
    if (wide.empty()) return {};
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return win32::Narrow(wide);
}

}  // namespace platform
