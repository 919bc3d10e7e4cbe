#include "platform/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace platform {

const char kSeparator = '/';

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

std::string WithSeparator(const std::string& path) {
    return EndsWithSeparator(path) ? path : path + kSeparator;
}

std::string CurrentDirectory() {
    std::string buf(4096, '\0');
    while (getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE) return "";
        buf.resize(buf.size() * 2);
    }
    buf.resize(buf.find('\0'));
    return buf;
}

std::string ExecutableFolder() {
    std::string buf(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return "";
    buf.resize(static_cast<size_t>(n));
    return buf.substr(0, buf.rfind('/') + 1);
}

std::string ClientProgram() {
    const char* bundled = "svn/bin/svn";
    struct stat st;
    if (stat(bundled, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0) return bundled;
    return "svn";
}

std::string HomeFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) return xdg;
    const char* home = std::getenv("HOME");
    if (home && *home) return WithSeparator(home) + ".config";
    return "";
}

std::string TemporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return WithSeparator(tmp && *tmp ? tmp : "/tmp");
}

std::string PrivateTemporaryFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime && *runtime
                                   ? WithSeparator(runtime) + "vellum"
                                   : TemporaryFolder() + "vellum-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);  // it may be there from an earlier run
    // In a shared folder someone else may have made it first, or put a link
    // there: only a real folder of ours that nobody else can enter will do.
    struct stat st;
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        (st.st_mode & 077) != 0)
        return "";
    return WithSeparator(folder);
}

bool Exists(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int64_t FileSize(const std::string& path) {
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return st.st_size;
}

bool ListDirectory(const std::string& folder, std::vector<DirEntry>& out) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    while (struct dirent* d = readdir(dir)) {
        std::string name = d->d_name;
        if (name == "." || name == "..") continue;
        DirEntry e{name, false};
        if (d->d_type == DT_DIR) {
            e.isFolder = true;
        } else if (d->d_type == DT_UNKNOWN || d->d_type == DT_LNK) {
            e.isFolder = IsDirectory(WithSeparator(folder) + name);
        }
        out.push_back(std::move(e));
    }
    closedir(dir);
    return true;
}

bool ReplaceFileWith(const std::string& path, const std::function<bool(const std::string&)>& fill) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string part =
            path + ".part-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        const int fd = open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return false;
        close(fd);
        const bool ok = fill(part) && rename(part.c_str(), path.c_str()) == 0;
        if (!ok) unlink(part.c_str());
        return ok;
    }
    return false;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out.clear();
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            close(fd);
            return false;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

bool IsWritableFile(const std::string& path) { return access(path.c_str(), W_OK) == 0; }

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    // Each prefix ending before a '/', then the whole path; existing folders
    // along the way are fine.
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    return IsDirectory(path);
}

namespace {

bool WriteAll(int fd, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string WritePrivateTemporaryFile(const std::string& content) {
    // O_EXCL, mode 0600 and a random name; never inherited by a client
    // another thread starts meanwhile.
    std::string path = TemporaryFolder() + "vellum-XXXXXX";
    const int fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) return "";
    const bool ok = WriteAll(fd, content);
    if (close(fd) != 0 || !ok) {
        unlink(path.c_str());
        return "";
    }
    return path;
}

bool RemoveFile(const std::string& path) { return !path.empty() && unlink(path.c_str()) == 0; }

bool ReplaceFileContent(const std::string& linkOrPath, const std::string& content) {
    // A new file beside the old one, renamed over it: a crash or a full disk
    // leaves either the old file or the new one, never a truncated one. A
    // symbolic link keeps pointing where it did: the file it names is replaced.
    std::string path = linkOrPath;
    if (char* real = realpath(linkOrPath.c_str(), nullptr)) {
        path = real;
        free(real);
    }
    std::string temp = path + ".new-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    // An existing file keeps its mode; a new one stays private as mkstemp
    // made it (the preferences hold a password).
    struct stat st;
    if (stat(path.c_str(), &st) == 0) fchmod(fd, st.st_mode & 07777);
    bool ok = WriteAll(fd, content);
    if (ok && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    if (ok && rename(temp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) unlink(temp.c_str());
    return ok;
}

}  // namespace platform
