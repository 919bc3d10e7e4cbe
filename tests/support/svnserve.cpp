#include "svnserve.h"

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
#include "servers.h"

extern char** environ;

namespace testsupport {

namespace {

bool Accepts(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

}  // namespace

SvnServer::SvnServer(const std::string& repository, const std::string& anonAccess,
                     const std::string& user, const std::string& password) {
    auto slash = repository.find_last_of('/');
    std::string root = repository.substr(0, slash);
    std::string name = repository.substr(slash + 1);
    WriteFile(repository + "/conf/svnserve.conf",
              "[general]\nanon-access = " + anonAccess +
                  "\nauth-access = write\npassword-db = passwd\n");
    WriteFile(repository + "/conf/passwd", "[users]\n" + user + " = " + password + "\n");

    int port = FreePort();
    std::string portText = std::to_string(port);
    std::vector<std::string> argv{"svnserve", "-d", "--foreground", "--listen-host",
                                  "127.0.0.1", "--listen-port", portText, "-r", root};
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    if (posix_spawnp(&pid_, args[0], nullptr, nullptr, args.data(), environ) != 0) {
        pid_ = -1;
        return;
    }
    url_ = "svn://127.0.0.1:" + portText + "/" + name + "/";
    for (int i = 0; i < 200; ++i) {
        if (Accepts(port)) return;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {  // it failed to start
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

SvnServer::~SvnServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

}  // namespace testsupport
