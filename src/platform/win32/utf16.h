// UTF-8 inside the program, UTF-16 at every Win32 call.
#pragma once
#include <windows.h>

#include <string>

namespace platform::win32 {

// Invalid UTF-8 becomes U+FFFD.
inline std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

// Unpaired surrogates become U+FFFD.
inline std::string Narrow(const wchar_t* text, size_t length) {
    if (length == 0) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr,
                        nullptr);
    return out;
}

inline std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

}  // namespace platform::win32
