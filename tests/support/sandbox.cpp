#include "sandbox.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/paths.h"

namespace testsupport {

Sandbox::Sandbox() {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/vellum-test-XXXXXX";
    if (!mkdtemp(templ.data())) std::abort();
    path_ = templ;
}

Sandbox::~Sandbox() {
    if (!std::getenv("VELLUM_KEEP_SANDBOX")) Run("rm -rf " + ShellQuote(path_));
}

std::string Sandbox::operator/(const std::string& relative) const { return path_ + "/" + relative; }

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

int Run(const std::string& command, std::string* out) {
    std::string cmd = command + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    int status = pclose(p);
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void MakeDirs(const std::string& path) { Run("mkdir -p " + ShellQuote(path)); }

void WriteFile(const std::string& path, const std::string& content) {
    auto slash = path.rfind('/');
    if (slash != std::string::npos) MakeDirs(path.substr(0, slash));
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::string MakeRepository(const std::string& dir,
                           const std::map<std::string, std::string>& files) {
    std::string out;
    if (Run("svnadmin create " + ShellQuote(dir), &out) != 0) {
        ADD_FAILURE() << "svnadmin create failed: " << out;
        return "";
    }
    std::string url = "file://" + dir + "/";
    if (!files.empty()) {
        std::string tree = dir + ".import";
        for (const auto& [rel, content] : files) {
            if (!rel.empty() && rel.back() == '/')
                MakeDirs(tree + "/" + rel);
            else
                WriteFile(tree + "/" + rel, content);
        }
        if (Run("svn import -q -m import " + ShellQuote(tree) + " " + ShellQuote(url), &out) != 0)
            ADD_FAILURE() << "svn import failed: " << out;
        Run("rm -rf " + ShellQuote(tree));
    }
    return url;
}

void Checkout(const std::string& url, const std::string& dir) {
    std::string out;
    if (Run("svn checkout -q " + ShellQuote(url) + " " + ShellQuote(dir), &out) != 0)
        ADD_FAILURE() << "svn checkout failed: " << out;
}

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name.c_str());
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv(name.c_str(), value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (had_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

ScopedCwd::ScopedCwd(const std::string& dir) : old_(platform::CurrentDirectory()) {
    if (chdir(dir.c_str()) != 0) ADD_FAILURE() << "chdir " << dir;
}

ScopedCwd::~ScopedCwd() {
    if (chdir(old_.c_str()) != 0) std::abort();
}

std::string StandinClient() { return VELLUM_STANDIN_CLIENT; }

void PutClient(const std::string& folder, const std::string& script) {
    WriteFile(folder + "/svn/bin/svn", "#!/bin/sh\n" + script + "\n");
    Run("chmod +x " + ShellQuote(folder + "/svn/bin/svn"));
}

}  // namespace testsupport
