#include "platform/shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace platform {

namespace {

// Starts `xdg-open target` detached; a reaper thread collects it so no
// zombie is left behind, and nobody waits for the handler.
void XdgOpen(const std::string& target, const std::string& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const char* argv[] = {"xdg-open", target.c_str(), nullptr};
    pid_t pid;
    int rc =
        posix_spawnp(&pid, "xdg-open", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc == 0) std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
}

}  // namespace

void OpenUrl(const std::string& url) { XdgOpen(url, ""); }

void OpenFile(const std::string& path, const std::string& folder) { XdgOpen(path, folder); }

void OpenFileManager(const std::string& folder) { XdgOpen(folder, ""); }

}  // namespace platform
