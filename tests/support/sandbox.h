// Test sandboxes: a fresh temporary folder per test, repositories made with
// svnadmin, working copies made with the real client, small file helpers.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace testsupport {

class Sandbox {
public:
    Sandbox();   // a new folder under $TMPDIR (or /tmp)
    ~Sandbox();  // removes it, unless VELLUM_KEEP_SANDBOX is set
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;
    const std::string& Path() const { return path_; }
    // Path() + "/" + relative
    std::string operator/(const std::string& relative) const;

private:
    std::string path_;
};

// Runs a shell command; returns its exit status, stdout (and stderr) in `out`.
int Run(const std::string& command, std::string* out = nullptr);
// Quotes one word for /bin/sh.
std::string ShellQuote(const std::string& s);

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
void MakeDirs(const std::string& path);

// Creates a repository at `dir` with svnadmin and imports `files` (relative
// path -> content; a path ending in "/" makes a folder). Returns its file://
// URL with the final "/".
std::string MakeRepository(const std::string& dir,
                           const std::map<std::string, std::string>& files = {});
// Checks `url` out into `dir` with the real client (asserts success).
void Checkout(const std::string& url, const std::string& dir);

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::string& value);
    ~ScopedEnv();

private:
    std::string name_;
    std::string old_;
    bool had_;
};

// Changes the current directory for the lifetime of the object.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::string& dir);
    ~ScopedCwd();

private:
    std::string old_;
};

// The stand-in client built with the tests.
std::string StandinClient();
// A shell script as `folder`/svn/bin/svn, the client the program finds first
// when `folder` is the current one.
void PutClient(const std::string& folder, const std::string& script);

}  // namespace testsupport
