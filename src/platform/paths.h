// Files and folders, in UTF-8 paths with the platform separator.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

extern const char kSeparator;  // '\\' on Windows, '/' elsewhere

// True when the last character is '\\' or '/'.
bool EndsWithSeparator(const std::string& path);
// `path` with kSeparator appended unless it already ends with a separator.
std::string WithSeparator(const std::string& path);

std::string CurrentDirectory();
// The folder of the running program's executable, ending with a separator;
// "" when unknown.
std::string ExecutableFolder();
// The program's own data folder `name` (gfx, icons, locale), ending with a
// separator: under the current directory when it is there (a program folder
// started in place), else beside the executable, else in the data folder
// installed next to it (<exe dir>/../share/vellum/); the relative `name` when
// none holds it.
std::string DataFolder(const std::string& name);
// The Subversion client to start: "svn\bin\svn.exe" on Windows; on POSIX
// "svn/bin/svn" under the current directory when it is an executable file,
// else "svn" from PATH.
std::string ClientProgram();
// The folder that holds Vellum.prefs: the profile folder on Windows,
// $XDG_CONFIG_HOME (default ~/.config) on POSIX. "" when unknown.
std::string HomeFolder();
// The user's temporary folder, ending with a separator.
std::string TemporaryFolder();
// A folder of the user's own that no one else may enter, made when missing
// (POSIX: $XDG_RUNTIME_DIR/vellum, else $TMPDIR/vellum-<uid>, mode 0700),
// ending with a separator; "" when it can't be made or isn't safe.
std::string PrivateTemporaryFolder();

// True when something (a file, a folder, a device...) answers to `path`.
bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);
// Size in bytes, -1 when the path is missing or not a regular file.
int64_t FileSize(const std::string& path);

struct DirEntry {
    std::string name;
    bool isFolder = false;
};
// Every entry of a folder except "." and "..", in the file system's order.
// False when the folder can't be opened.
bool ListDirectory(const std::string& folder, std::vector<DirEntry>& out);

// Writes `content` to a new file beside `path` and renames it over `path`, so
// the old file stays whole on any failure. False on failure.
bool ReplaceFileContent(const std::string& path, const std::string& content);
// Has `fill` write a new file (created exclusively beside `path`, given its
// name) and moves it over `path` only when `fill` succeeds: on failure `path`
// is as it was and the new file is gone.
bool ReplaceFileWith(const std::string& path, const std::function<bool(const std::string&)>& fill);
// Reads a whole file; false when it can't be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);
// A new file in TemporaryFolder() holding `content`, readable by its user
// only, created exclusively under a name no one can guess (another user can
// neither read it nor plant one in its place). Its path, or "" on failure
// (nothing is then left behind).
std::string WritePrivateTemporaryFile(const std::string& content);
// Removes a file; false when it could not be removed (or was not there).
bool RemoveFile(const std::string& path);
// True when the file exists and the user may write it.
bool IsWritableFile(const std::string& path);
// Creates `path` and any missing parent folders (private to the user where
// the system has such modes). True when `path` is a folder afterwards.
bool MakeDirectories(const std::string& path);

}  // namespace platform
