// svnserve on loopback, serving one repository with a password file, for the
// tests of the credentials the program sends. Stopped by the destructor.
#pragma once
#include <string>
#include <sys/types.h>

namespace testsupport {

class SvnServer {
public:
    // Serves the repository folder `repository` (made with MakeRepository) as
    // svn://127.0.0.1:PORT/<its folder name>/. `anonAccess` is "none", "read"
    // or "write"; the one user may write.
    SvnServer(const std::string& repository, const std::string& anonAccess,
              const std::string& user, const std::string& password);
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

}  // namespace testsupport
