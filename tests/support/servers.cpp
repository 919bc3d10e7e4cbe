#include "servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "sandbox.h"

extern char** environ;

namespace testsupport {

namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool PortAccepts(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(port);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Starts a server in the foreground and waits up to ten seconds for it to
// listen on `port`; -1 when it doesn't.
pid_t Launch(const std::vector<std::string>& argv, int port) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
    for (int i = 0; i < 200; ++i) {
        if (PortAccepts(port)) return pid;
        if (waitpid(pid, nullptr, WNOHANG) == pid) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Stop(pid);
    return -1;
}

}  // namespace

int Listening(int* port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(0);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(fd, 4);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    *port = ntohs(a.sin_port);
    return fd;
}

int FreePort() {
    int port = 0;
    close(Listening(&port));
    return port;
}

SvnServer::SvnServer(const std::string& repository, const std::string& anonAccess,
                     const std::string& user, const std::string& password) {
    auto slash = repository.find_last_of('/');
    std::string root = repository.substr(0, slash);
    std::string name = repository.substr(slash + 1);
    WriteFile(
        repository + "/conf/svnserve.conf",
        "[general]\nanon-access = " + anonAccess + "\nauth-access = write\npassword-db = passwd\n");
    WriteFile(repository + "/conf/passwd", "[users]\n" + user + " = " + password + "\n");
    int port = FreePort();
    pid_ = Launch({"svnserve", "-d", "--foreground", "--listen-host", "127.0.0.1", "--listen-port",
                   std::to_string(port), "-r", root},
                  port);
    url_ = "svn://127.0.0.1:" + std::to_string(port) + "/" + name + "/";
}

SvnServer::~SvnServer() { Stop(pid_); }

HttpdServer::HttpdServer(const std::string& workDir, const std::string& repository,
                         const std::string& user, const std::string& password) {
    port_ = FreePort();
    std::string conf = "ServerRoot " + workDir + "\nListen 127.0.0.1:" + std::to_string(port_) +
                       "\nServerName 127.0.0.1\nPidFile " + workDir + "/httpd.pid\nErrorLog " +
                       workDir + "/error.log\nMutex file:" + workDir + "\n";
    for (const char* mod : {"mpm_event", "authz_core", "authn_core", "authn_file", "auth_basic",
                            "authz_user", "dav", "dav_svn"})
        conf += std::string("LoadModule ") + mod + "_module /usr/lib/apache2/modules/mod_" + mod +
                ".so\n";
    conf +=
        "StartServers 1\nServerLimit 1\nThreadsPerChild 8\nMaxRequestWorkers 8\n"
        "<Location /svn>\n  DAV svn\n  SVNPath " +
        repository + "\n";
    if (!user.empty()) {
        Run("htpasswd -bc " + ShellQuote(workDir + "/htpasswd") + " " + ShellQuote(user) + " " +
            ShellQuote(password));
        conf += "  AuthType Basic\n  AuthName vellum\n  AuthUserFile " + workDir +
                "/htpasswd\n  Require valid-user\n";
    } else {
        conf += "  Require all granted\n";
    }
    conf += "</Location>\n";
    WriteFile(workDir + "/httpd.conf", conf);
    // mod_dav_svn writes to the repository as the server's user: we are that user.
    pid_ = Launch({"/usr/sbin/apache2", "-f", workDir + "/httpd.conf", "-DFOREGROUND"}, port_);
}

HttpdServer::~HttpdServer() { Stop(pid_); }

std::string HttpdServer::Url() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/svn/";
}

ProxyServer::ProxyServer(const std::string& workDir, const std::string& user,
                         const std::string& password) {
    port_ = FreePort();
    log_ = workDir + "/tinyproxy.log";
    WriteFile(workDir + "/tinyproxy.conf",
              "Port " + std::to_string(port_) +
                  "\nListen 127.0.0.1\nTimeout 60\n"
                  "LogFile \"" +
                  log_ +
                  "\"\nLogLevel Info\nMaxClients 10\nAllow 127.0.0.1\n"
                  "DisableViaHeader Yes\n" +
                  (user.empty() ? "" : "BasicAuth " + user + " " + password + "\n"));
    pid_ = Launch({"tinyproxy", "-d", "-c", workDir + "/tinyproxy.conf"}, port_);
}

ProxyServer::~ProxyServer() { Stop(pid_); }

std::string ProxyServer::Log() const { return ReadFile(log_); }

}  // namespace testsupport
