// Servers on loopback, each a child of the test stopped by its destructor:
// svnserve, Apache httpd with mod_dav_svn (optionally basic auth) and
// tinyproxy (whose log shows what went through it).
#pragma once
#include <sys/types.h>
#include <string>

namespace testsupport {

// A TCP port on 127.0.0.1 that was free a moment ago.
int FreePort();
// A socket listening on a free port of 127.0.0.1 (its number in `port`): the
// kernel accepts connections into the backlog, nobody ever answers.
int Listening(int* port);

class SvnServer {
public:
    // Serves the repository folder `repository` (made with MakeRepository) as
    // svn://127.0.0.1:PORT/<its folder name>/. `anonAccess` is "none", "read"
    // or "write"; the one user may write.
    SvnServer(const std::string& repository, const std::string& anonAccess, const std::string& user,
              const std::string& password);
    ~SvnServer();
    SvnServer(const SvnServer&) = delete;
    SvnServer& operator=(const SvnServer&) = delete;
    bool Running() const { return pid_ > 0; }
    // The repository's URL, with its final "/".
    std::string Url() const { return url_; }

private:
    pid_t pid_ = -1;
    std::string url_;
};

class HttpdServer {
public:
    // Serves the repository folder `repository` at http://127.0.0.1:PORT/svn/.
    // With a user name, access needs basic auth with that user and password.
    HttpdServer(const std::string& workDir, const std::string& repository,
                const std::string& user = "", const std::string& password = "");
    ~HttpdServer();
    bool Running() const { return pid_ > 0; }
    // The repository's URL, with its final "/".
    std::string Url() const;
    int Port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

class ProxyServer {
public:
    // With a user name, the proxy serves only requests that give that user
    // and password (basic auth).
    explicit ProxyServer(const std::string& workDir, const std::string& user = "",
                         const std::string& password = "");
    ~ProxyServer();
    bool Running() const { return pid_ > 0; }
    int Port() const { return port_; }
    // What the proxy logged so far (each request shows its URL).
    std::string Log() const;

private:
    pid_t pid_ = -1;
    int port_ = 0;
    std::string log_;
};

}  // namespace testsupport
