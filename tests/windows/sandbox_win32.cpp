// The test support of sandbox.h on Windows. There is no svn under Wine, so
// the repository helpers fail the test that calls them.
#include "sandbox.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/paths.h"
#include "platform/win32/utf16.h"

namespace testsupport {

using platform::win32::Widen;

Sandbox::Sandbox() {
    static unsigned counter = 0;
    std::string base =
        platform::TemporaryFolder() + "vellum-test-" + std::to_string(GetCurrentProcessId()) + "-";
    do {
        path_ = base + std::to_string(counter++);
    } while (!CreateDirectoryW(Widen(path_).c_str(), nullptr));
}

Sandbox::~Sandbox() {
    if (std::getenv("VELLUM_KEEP_SANDBOX")) return;
    namespace fs = std::filesystem;
    std::error_code ec;  // read-only files too
    for (const auto& e : fs::recursive_directory_iterator(fs::path(Widen(path_)), ec))
        fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove_all(fs::path(Widen(path_)), ec);
}

std::string Sandbox::operator/(const std::string& relative) const {
    return path_ + "\\" + relative;
}

std::string ShellQuote(const std::string& s) { return "\"" + s + "\""; }

int Run(const std::string& command, std::string* out) {
    FILE* p = _wpopen(Widen(command + " 2>&1").c_str(), L"rb");
    if (!p) return -1;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    int status = _pclose(p);
    if (out) *out = text;
    return status;
}

void MakeDirs(const std::string& path) { platform::MakeDirectories(path); }

void WriteFile(const std::string& path, const std::string& content) {
    size_t cut = path.find_last_of("\\/");
    if (cut != std::string::npos) MakeDirs(path.substr(0, cut));
    std::ofstream f(std::filesystem::path(Widen(path)), std::ios::binary | std::ios::trunc);
    f << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(std::filesystem::path(Widen(path)), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::string MakeRepository(const std::string&, const std::map<std::string, std::string>&) {
    ADD_FAILURE() << "no Subversion tools in the Windows test run";
    return "";
}
void Checkout(const std::string&, const std::string&) { MakeRepository("", {}); }

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name.c_str());
    had_ = old != nullptr;
    if (had_) old_ = old;
    _putenv_s(name.c_str(), value.c_str());
}

ScopedEnv::~ScopedEnv() {
    _putenv_s(name_.c_str(), had_ ? old_.c_str() : "");  // "" removes it
}

ScopedCwd::ScopedCwd(const std::string& dir) : old_(platform::CurrentDirectory()) {
    if (!SetCurrentDirectoryW(Widen(dir).c_str())) ADD_FAILURE() << "cd " << dir;
}

ScopedCwd::~ScopedCwd() {
    if (!SetCurrentDirectoryW(Widen(old_).c_str())) std::abort();
}

std::string StandinClient() { return VELLUM_STANDIN_CLIENT; }

}  // namespace testsupport
