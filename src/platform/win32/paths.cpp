// rand_s, from the system's random source: before anything includes stdlib.h.
#define _CRT_RAND_S
#include "platform/paths.h"

#include <windows.h>
// after windows.h, which it needs
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/win32/utf16.h"

namespace platform {

using win32::Narrow;
using win32::Widen;

const char kSeparator = '\\';

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

std::string WithSeparator(const std::string& path) {
    return EndsWithSeparator(path) ? path : path + kSeparator;
}

std::string CurrentDirectory() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return "";
    std::wstring buf(n, L'\0');
    n = GetCurrentDirectoryW(n, buf.data());
    return Narrow(buf.data(), n);
}

std::string ExecutableFolder() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return "";
        if (n < buf.size()) {
            const std::string path = Narrow(buf.data(), n);
            return path.substr(0, path.find_last_of("\\/") + 1);
        }
        buf.resize(buf.size() * 2);  // cut at the buffer's end: try a larger one
    }
}

std::string ClientProgram() { return "svn\\bin\\svn.exe"; }

std::string HomeFolder() {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PROFILE, &pidl))) return "";
    wchar_t path[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDListW(pidl, path);
    CoTaskMemFree(pidl);
    return ok ? Narrow(path, wcslen(path)) : "";
}

std::string TemporaryFolder() {
    wchar_t shortPath[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, shortPath);
    if (n == 0 || n > MAX_PATH) return WithSeparator(CurrentDirectory());
    // GetTempPath may hand out 8.3 names ("C:\Users\JOHNSM~1\..."); the user
    // sees this path, so give the long form.
    std::wstring longPath(32768, L'\0');
    DWORD m = GetLongPathNameW(shortPath, longPath.data(), static_cast<DWORD>(longPath.size()));
    std::string path =
        (m == 0 || m >= longPath.size()) ? Narrow(shortPath, n) : Narrow(longPath.data(), m);
    return WithSeparator(path);
}

std::string PrivateTemporaryFolder() {
    // The temporary folder is the user's own on Windows already.
    const std::string folder = TemporaryFolder() + "Vellum";
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    return IsDirectory(folder) ? WithSeparator(folder) : "";
}

namespace {

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return !path.empty() && GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data);
}

}  // namespace

bool IsDirectory(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    return Attributes(path, d) && (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    return Attributes(path, d);
}

bool IsRegularFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    return Attributes(path, d) &&
           !(d.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!Attributes(path, d) ||
        (d.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
        return -1;
    return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

bool ListDirectory(const std::string& folder, std::vector<DirEntry>& out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Widen(WithSeparator(folder) + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND && IsDirectory(folder);
    do {
        std::string name = Narrow(fd.cFileName, wcslen(fd.cFileName));
        if (name == "." || name == "..") continue;
        out.push_back({name, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    HANDLE f = CreateFileW(Widen(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    out.clear();
    char buf[65536];
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(f, buf, sizeof buf, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        out.append(buf, got);
    }
    CloseHandle(f);
    return ok;
}

bool IsWritableFile(const std::string& path) {
    // Opening for writing asks the file system itself (read-only attribute,
    // access rights, a file locked by another program) without changing it.
    HANDLE f = CreateFileW(Widen(path).c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    CloseHandle(f);
    return true;
}

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    if (IsDirectory(path)) return true;
    std::string trimmed = path;
    while (trimmed.size() > 1 && EndsWithSeparator(trimmed)) trimmed.pop_back();
    size_t cut = trimmed.find_last_of("\\/");
    // A drive root or a bare name has no parent of ours to make.
    if (cut != std::string::npos && cut > 0 && trimmed[cut - 1] != ':')
        MakeDirectories(trimmed.substr(0, cut));
    CreateDirectoryW(Widen(trimmed).c_str(), nullptr);
    return IsDirectory(trimmed);
}

bool ReplaceFileWith(const std::string& path, const std::function<bool(const std::string&)>& fill) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string part = path + ".part-" + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(counter++);
        const std::wstring partW = Widen(part);
        HANDLE f = CreateFileW(partW.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) continue;
        if (f == INVALID_HANDLE_VALUE) return false;
        CloseHandle(f);
        const bool ok = fill(part) &&
                        MoveFileExW(partW.c_str(), Widen(path).c_str(), MOVEFILE_REPLACE_EXISTING);
        if (!ok) DeleteFileW(partW.c_str());
        return ok;
    }
    return false;
}

namespace {

bool WriteAll(HANDLE f, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 20));
        DWORD wrote = 0;
        if (!WriteFile(f, content.data() + done, chunk, &wrote, nullptr) || wrote == 0)
            return false;
        done += wrote;
    }
    return true;
}

}  // namespace

std::string WritePrivateTemporaryFile(const std::string& content) {
    // The temporary folder lies in the user's profile, whose access list
    // keeps other users out; a file made there inherits it. The random name
    // and CREATE_NEW keep anyone from choosing the file in advance.
    const std::string folder = TemporaryFolder();
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned int a = 0, b = 0;
        if (rand_s(&a) != 0 || rand_s(&b) != 0) return "";
        char name[32];
        std::snprintf(name, sizeof name, "vellum-%08x%08x.tmp", a, b);
        const std::string path = folder + name;
        const std::wstring pathW = Widen(path);
        HANDLE f = CreateFileW(pathW.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (f == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) continue;
        if (f == INVALID_HANDLE_VALUE) return "";
        const bool ok = WriteAll(f, content);
        if (!CloseHandle(f) || !ok) {
            DeleteFileW(pathW.c_str());
            return "";
        }
        return path;
    }
    return "";
}

bool RemoveFile(const std::string& path) {
    return !path.empty() && DeleteFileW(Widen(path).c_str());
}

bool ReplaceFileContent(const std::string& path, const std::string& content) {
    // A new file beside the old one, moved over it: a crash or a full disk
    // leaves either the old file or the new one, never a truncated one.
    static std::atomic<unsigned> counter{0};
    std::string temp =
        path + ".new-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    std::wstring tempW = Widen(temp);
    HANDLE f = CreateFileW(tempW.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(f, content);
    if (ok && !FlushFileBuffers(f)) ok = false;
    if (!CloseHandle(f)) ok = false;
    if (ok && !MoveFileExW(tempW.c_str(), Widen(path).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ok = false;
    if (!ok) DeleteFileW(tempW.c_str());
    return ok;
}

}  // namespace platform
