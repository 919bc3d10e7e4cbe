#include "platform/shell.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "platform/win32/utf16.h"

namespace platform {

using win32::Widen;

namespace {

bool ShellOpen(const std::string& target, const std::string& folder) {
    std::wstring file = Widen(target);
    std::wstring dir = Widen(folder);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // Errors stay silent, and the call returns only once the handler has been
    // asked, so nothing depends on our thread living on.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpDirectory = dir.empty() ? nullptr : dir.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}

}  // namespace

void OpenUrl(const std::string& url) { ShellOpen(url, ""); }

void OpenFile(const std::string& path, const std::string& folder) { ShellOpen(path, folder); }

void OpenFileManager(const std::string& folder) {
    // A separator in front of the closing quote would escape it; "\." names
    // the same folder, the root of a drive included.
    std::string target = folder;
    if (!target.empty() && (target.back() == '\\' || target.back() == '/')) target += '.';
    std::wstring commandLine = L"explorer.exe \"" + Widen(target) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return;
    }
    ShellOpen(folder, "");
}

}  // namespace platform
